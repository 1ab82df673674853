#include "platform/companion_file.h"

#include <dirent.h>
#include <memory>
#include <strings.h>
#include <sys/stat.h>

namespace vortel {

std::string find_ignoring_case(const std::string& wanted)
{
    struct stat info;
    if (::stat(wanted.c_str(), &info) == 0) return wanted;
    const std::size_t slash = wanted.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : wanted.substr(0, slash);
    const std::string prefix = slash == std::string::npos ? "" : wanted.substr(0, slash + 1);
    const std::string name = wanted.substr(slash == std::string::npos ? 0 : slash + 1);
    if (name.empty()) return {};

    const std::unique_ptr<DIR, int (*)(DIR*)> listing(::opendir(folder.c_str()), ::closedir);
    if (!listing) return {};
    std::string found;
    while (const dirent* entry = ::readdir(listing.get())) {
        if (::strcasecmp(entry->d_name, name.c_str()) != 0) continue;
        if (!found.empty()) return {};
        found = prefix + entry->d_name;
    }
    return found;
}

}  // namespace vortel

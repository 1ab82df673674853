#include "platform/temp_dir.h"

#include <cstdlib>
#include <sys/stat.h>

namespace vortel {

std::string temp_directory()
{
    const char* variable = std::getenv("TMPDIR");
    std::string directory = variable != nullptr ? variable : "";
    if (!directory.empty() && directory.back() != '/') directory += '/';
    struct stat info {};
    // A relative, missing or over-long TMPDIR would scatter page files or
    // overflow their names; the fixed fallback always exists.
    if (directory.empty() || directory.front() != '/' || directory.size() > temp_directory_max ||
        ::stat(directory.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return "/tmp/";
    return directory;
}

}  // namespace vortel

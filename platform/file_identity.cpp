#include "platform/file_identity.h"

#include "platform/file_ops.h"

#include <cerrno>
#include <filesystem>
#include <tuple>

namespace vortel {
namespace {

namespace fs = std::filesystem;

// The system's own limit on links followed in one path.
constexpr int link_hops_max = 40;

struct identity {
    dev_t device = 0;
    ino_t inode = 0;
    std::string name;  // "" for an existing file; else the name within the folder
    std::string lexical;  // set only when neither the file nor its folder exists

    bool operator==(const identity& other) const
    {
        return std::tie(device, inode, name, lexical) ==
               std::tie(other.device, other.inode, other.name, other.lexical);
    }
};

bool stat_of(const fs::path& path, struct stat& info)
{
    return active_file_ops().stat_path(path.c_str(), &info) == 0;
}

identity identify(fs::path path)
{
    struct stat info{};
    for (int hop = 0; hop < link_hops_max; ++hop) {
        if (stat_of(path, info)) return {info.st_dev, info.st_ino, {}, {}};
        // A dangling link names the file it will create.
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(path, error))) break;
        const fs::path target = fs::read_symlink(path, error);
        if (error) break;
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
    if (path.has_filename() && stat_of(folder, info)) return {info.st_dev, info.st_ino, path.filename(), {}};
    std::error_code error;
    return {0, 0, {}, fs::absolute(path, error).lexically_normal()};
}

}  // namespace

bool names_one_file(const std::string& a, const std::string& b)
{
    if (a.empty() || b.empty()) return false;
    return identify(a) == identify(b);
}

}  // namespace vortel

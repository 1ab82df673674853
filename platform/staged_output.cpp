#include "platform/staged_output.h"

#include <cerrno>
#include <filesystem>
#include <unistd.h>

namespace vortel {
namespace {

namespace fs = std::filesystem;

constexpr int link_hops_max = 40;
constexpr std::size_t name_length_max = 255;  // bytes of one name in a folder
constexpr int numbers_tried = 1000;

// The file a name finally reaches through links of its last component; the
// folders on the way may be links, as a rename within them works anyway.
fs::path final_name(fs::path path)
{
    for (int hop = 0; hop < link_hops_max; ++hop) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(path, error))) break;
        const fs::path target = fs::read_symlink(path, error);
        if (error) break;
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    return path;
}

// "OUT.TXT" gives "OUT.TXT.part1"; a name near the limit is cut first, so
// that the temporary name never fails where the output's own would not.
std::string temporary_for(const fs::path& target, int number)
{
    const std::string suffix = ".part" + std::to_string(number);
    std::string name = target.filename().string();
    if (name.size() + suffix.size() > name_length_max) name.resize(name_length_max - suffix.size());
    return (target.parent_path() / (name + suffix)).string();
}

}  // namespace

staged_output::staged_output(const std::string& output) : target_(final_name(output).string()) {}

staged_output::~staged_output()
{
    if (!committed_ && !temporary_.empty()) delete_file(temporary_);
}

int staged_output::open(native_file& file)
{
    if (fs::path(target_).filename().empty()) return EISDIR;
    // What is there must be a file the user may write: replacing by a move
    // would pass over a write protection, or put a plain file in place of
    // a folder or a device.
    std::error_code error;
    const fs::file_status existing = fs::status(target_, error);
    if (fs::is_directory(existing)) return EISDIR;
    if (fs::exists(existing)) {
        if (!fs::is_regular_file(existing)) return EINVAL;
        if (::access(target_.c_str(), W_OK) != 0) return errno;
    }
    for (int number = 1; number <= numbers_tried; ++number) {
        const std::string name = temporary_for(target_, number);
        if (file.open(name, access_read | access_write, share_read | share_write, file_creation::create_new)) {
            temporary_ = name;
            // The new file keeps the permissions of the one it replaces.
            if (fs::is_regular_file(existing)) fs::permissions(temporary_, existing.permissions(), error);
            return 0;
        }
        if (file.last_error() != EEXIST) return file.last_error();
    }
    return EEXIST;
}

int staged_output::commit()
{
    if (temporary_.empty()) return EBADF;
    const int error = replace_file(temporary_, target_);
    committed_ = error == 0;
    return error;
}

}  // namespace vortel

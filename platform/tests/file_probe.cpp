// A second process for the file-layer tests: it opens, locks, deletes or
// renames a file as told and answers through its exit status.
//
//   file_probe lock PATH OFFSET LENGTH      0 locked, 3 refused
//   file_probe open PATH ACCESS SHARE       0 opened, 3 refused (ACCESS/SHARE: r, w, rw, -)
//   file_probe delete PATH                  0 deleted, 3 refused
//   file_probe move FROM TO                 0 moved, 3 refused
//   file_probe hold PATH [OFFSET LENGTH]    opens (and locks), prints "ready",
//                                           keeps all until its input closes
// Exit status 2: bad arguments or the file could not be opened.
#include "platform/native_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

using namespace vortel;

namespace {

unsigned letters(const char* text)
{
    unsigned bits = 0;
    if (std::strchr(text, 'r')) bits |= 1u;
    if (std::strchr(text, 'w')) bits |= 2u;
    return bits;
}

int refused_or(int error) { return error == 0 ? 0 : error == EBUSY || error == EEXIST ? 3 : 2; }

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) return 2;
    std::string command = argv[1];
    std::string path = argv[2];
    if (command == "delete") return refused_or(delete_file(path));
    if (command == "move" && argc == 4) return refused_or(move_file(path, argv[3]));

    native_file file;
    if (command == "open" && argc == 5) {
        if (file.open(path, letters(argv[3]), letters(argv[4]), file_creation::open_existing)) return 0;
        return file.last_error() == EBUSY ? 3 : 2;
    }
    if (!file.open(path, access_read | access_write, share_read | share_write, file_creation::open_existing)) {
        return 2;
    }
    bool has_range = argc == 5;
    std::int64_t offset = has_range ? std::atoll(argv[3]) : 0;
    std::int64_t length = has_range ? std::atoll(argv[4]) : 0;
    if (command == "lock" && has_range) return file.lock(offset, length) ? 0 : 3;
    if (command == "hold") {
        if (has_range && !file.lock(offset, length)) return 3;
        std::puts("ready");
        std::fflush(stdout);
        char sink[64];
        while (::read(STDIN_FILENO, sink, sizeof sink) > 0) {
        }
        return 0;
    }
    return 2;
}

#include "platform/read_only_medium.h"

#include <cerrno>

namespace vortel {
namespace {

int refusal = 0;
int refused_opens = 0;

int open_for_reading_only(const char* path, int flags, mode_t mode)
{
    if ((flags & O_ACCMODE) != O_RDONLY || (flags & O_CREAT) != 0) {
        ++refused_opens;
        errno = refusal;
        return -1;
    }
    return system_file_ops().open(path, flags, mode);
}

file_ops reading_only_ops()
{
    file_ops ops = system_file_ops();
    ops.open = open_for_reading_only;
    return ops;
}

}  // namespace

read_only_medium::read_only_medium(int error) : ops_(reading_only_ops()), installed_(ops_)
{
    refusal = error;
    refused_opens = 0;
}

read_only_medium::~read_only_medium() { refusal = 0; }

int read_only_medium::write_opens() const { return refused_opens; }

}  // namespace vortel

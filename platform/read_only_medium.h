// A file system that lets files be read but not written, as a CD, a
// read-only share or a file without write permission does, for tests that
// run as root (where permissions stop nothing), through the file_ops seam
// as platform/fault_injection.h fails calls. While it lives, every open that
// asks for write access or creation fails with its error, and is counted.
// Nothing in the program uses it.
#pragma once

#include "platform/file_ops.h"

namespace vortel {

class read_only_medium {
public:
    // `error`: EACCES for a file without write permission, EROFS for a
    // read-only file system.
    explicit read_only_medium(int error);
    ~read_only_medium();
    read_only_medium(const read_only_medium&) = delete;
    read_only_medium& operator=(const read_only_medium&) = delete;

    // Opens that asked for write access, all refused.
    int write_opens() const;

private:
    file_ops ops_;
    scoped_file_ops installed_;
};

}  // namespace vortel

// A file written for the user under a temporary name beside its own, which
// takes the output's name only when it is complete.
//
//  1. A failure at any point leaves a file already under the output's name
//     exactly as it was, and no part of the new one: the temporary file goes.
//  2. The temporary name is created exclusively, so no file of another
//     program or process is ever emptied or removed here; a name in use
//     is passed over for the next number.
//  3. An output that is a symbolic link keeps its link: the file it points
//     to is replaced, in that file's own folder.
//  4. The replacement takes the name in one step, and is refused while any
//     handle has the old file open.
#pragma once

#include "platform/native_file.h"

#include <string>

namespace vortel {

class staged_output {
public:
    explicit staged_output(const std::string& output);
    ~staged_output();
    staged_output(const staged_output&) = delete;
    staged_output& operator=(const staged_output&) = delete;

    // Creates the temporary file and opens it in `file` for reading and
    // writing, shared as export outputs are. 0 or errno.
    int open(native_file& file);
    const std::string& temporary_name() const { return temporary_; }

    // Moves the complete temporary file into the output's place; `file`
    // must be closed first. 0 or errno (the output is then untouched).
    int commit();

private:
    std::string target_;
    std::string temporary_;
    bool committed_ = false;
};

}  // namespace vortel

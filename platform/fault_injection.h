// Failures on demand for tests, through the file_ops seam: the Nth call of a
// chosen kind fails with an errno and does nothing, and every call of that
// kind is counted. A test first runs an operation with no failure to learn
// how many calls it makes, then fails each of them in turn.
//
// Only one injector may be active at a time; it installs itself for its
// lifetime. Nothing in the program uses it.
#pragma once

#include "platform/file_ops.h"

#include <cerrno>
#include <string>

namespace vortel {

enum class fault_call { open, close, read, write, seek, stat, truncate, lock, rename, unlink, sync, link, any };

class fault_injector {
public:
    // With `fail_at` 0 nothing fails and calls are only counted.
    explicit fault_injector(fault_call kind = fault_call::any, long fail_at = 0, int error = EIO);
    ~fault_injector();
    fault_injector(const fault_injector&) = delete;
    fault_injector& operator=(const fault_injector&) = delete;

    // Calls of the chosen kind so far, the failed one included.
    long calls() const { return calls_; }
    bool fired() const { return !fired_call_.empty(); }
    // The name of the call that was made to fail ("" while none was), for
    // messages that say which call of an operation was hit.
    const std::string& fired_call() const { return fired_call_; }

    // Whether the call now being made is the one to fail; counts it.
    bool strike(fault_call call, const char* name);
    int error() const { return error_; }

private:
    fault_call kind_;
    long fail_at_;
    int error_;
    long calls_ = 0;
    std::string fired_call_;
    scoped_file_ops installed_;
};

}  // namespace vortel

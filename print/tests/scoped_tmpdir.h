// Points TMPDIR at a scratch folder of its own for one test, so parallel
// test processes never share page-file names, and puts it back after.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

#include "testing/scratch_dir.h"

namespace vortel::print_testing {

class scoped_tmpdir {
public:
    scoped_tmpdir()
    {
        if (const char* previous = std::getenv("TMPDIR")) previous_ = previous;
        ::setenv("TMPDIR", scratch_.path().c_str(), 1);
    }
    ~scoped_tmpdir() { previous_ ? ::setenv("TMPDIR", previous_->c_str(), 1) : ::unsetenv("TMPDIR"); }
    scoped_tmpdir(const scoped_tmpdir&) = delete;
    scoped_tmpdir& operator=(const scoped_tmpdir&) = delete;

    const std::string& path() const { return scratch_.path(); }

private:
    testing::scratch_dir scratch_;  // made before TMPDIR moves into it
    std::optional<std::string> previous_;
};

}  // namespace vortel::print_testing

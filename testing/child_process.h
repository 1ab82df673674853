// Runs a helper program as a second process for tests that need one (locks,
// files held open elsewhere).
#pragma once

#include <string>
#include <vector>
#include <sys/types.h>

namespace vortel::testing {

// Runs the program to its end and gives its exit status (-1 if it could not
// run or did not exit normally).
int run_program(const std::string& program, const std::vector<std::string>& arguments);

// A program that keeps running while the test goes on. It is started with a
// pipe on its standard input; closing that pipe asks it to end.
class background_program {
public:
    background_program(const std::string& program, const std::vector<std::string>& arguments);
    ~background_program();
    background_program(const background_program&) = delete;
    background_program& operator=(const background_program&) = delete;

    // Waits until the program prints a line and returns it ("" at its end).
    std::string read_line();
    // Closes its input and waits for it; gives its exit status.
    int finish();

private:
    pid_t pid_ = -1;
    int input_ = -1;
    int output_ = -1;
};

}  // namespace vortel::testing

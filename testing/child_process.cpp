#include "testing/child_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace vortel::testing {
namespace {

std::vector<char*> argv_of(const std::string& program, const std::vector<std::string>& arguments)
{
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    return argv;
}

int wait_for(pid_t pid)
{
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

int run_program(const std::string& program, const std::vector<std::string>& arguments)
{
    std::vector<char*> argv = argv_of(program, arguments);
    pid_t pid;
    if (::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return -1;
    return wait_for(pid);
}

background_program::background_program(const std::string& program, const std::vector<std::string>& arguments)
{
    int to_child[2], from_child[2];
    if (::pipe2(to_child, O_CLOEXEC) != 0) return;
    if (::pipe2(from_child, O_CLOEXEC) != 0) {
        ::close(to_child[0]);
        ::close(to_child[1]);
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, to_child[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, from_child[1], STDOUT_FILENO);
    std::vector<char*> argv = argv_of(program, arguments);
    if (::posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(to_child[0]);
    ::close(from_child[1]);
    input_ = to_child[1];
    output_ = from_child[0];
}

background_program::~background_program() { finish(); }

std::string background_program::read_line()
{
    std::string line;
    char c;
    while (output_ >= 0 && ::read(output_, &c, 1) == 1 && c != '\n') line += c;
    return line;
}

int background_program::finish()
{
    if (input_ >= 0) ::close(input_);
    if (output_ >= 0) ::close(output_);
    input_ = output_ = -1;
    if (pid_ < 0) return -1;
    int status = wait_for(pid_);
    pid_ = -1;
    return status;
}

}  // namespace vortel::testing

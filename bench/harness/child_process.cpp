#include "harness/child_process.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace velmora::bench {
namespace {

struct Pipe {
    int read = -1;
    int write = -1;
    bool open() {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0)
            return false;
        read = fds[0];
        write = fds[1];
        return true;
    }
};

void closeFd(int& fd) {
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

std::vector<char*> pointers(std::vector<std::string>& texts) {
    std::vector<char*> result;
    for (std::string& text : texts)
        result.push_back(text.data());
    result.push_back(nullptr);
    return result;
}

} // namespace

ChildProcess::~ChildProcess() {
    stop();
}

Started ChildProcess::start(const std::vector<std::string>& arguments,
                            const std::vector<std::string>& environment) {
    Pipe in;
    Pipe out;
    Pipe err;
    if (!in.open() || !out.open() || !err.open())
        return std::string("pipe: ") + std::strerror(errno);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in.read, STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out.write, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err.write, STDERR_FILENO);

    std::vector<std::string> argumentTexts = arguments;
    std::vector<std::string> environmentTexts;
    for (char** entry = environ; *entry; ++entry)
        environmentTexts.emplace_back(*entry);
    environmentTexts.insert(environmentTexts.end(), environment.begin(), environment.end());
    const int failed =
        posix_spawn(&pid_, argumentTexts.front().c_str(), &actions, nullptr,
                    pointers(argumentTexts).data(), pointers(environmentTexts).data());
    posix_spawn_file_actions_destroy(&actions);
    closeFd(in.read);
    closeFd(out.write);
    closeFd(err.write);
    input_ = in.write;
    output_ = out.read;
    error_ = err.read;
    if (failed != 0) {
        pid_ = -1;
        return arguments.front() + ": " + std::strerror(failed);
    }
    ::signal(SIGPIPE, SIG_IGN); // a child that died must not take us with it
    return {};
}

bool ChildProcess::writeLine(const std::string& line) {
    const std::string text = line + '\n';
    return input_ >= 0 &&
           ::write(input_, text.data(), text.size()) == static_cast<ssize_t>(text.size());
}

bool ChildProcess::running() {
    if (pid_ < 0)
        return false;
    int status = 0;
    const pid_t done = ::waitpid(pid_, &status, WNOHANG);
    if (done == pid_)
        reap(status);
    return done == 0;
}

void ChildProcess::reap(int status) {
    if (WIFSIGNALED(status))
        ended_ = std::string("killed by signal SIG") + sigabbrev_np(WTERMSIG(status));
    else
        ended_ = "exited with status " + std::to_string(WEXITSTATUS(status));
    pid_ = -1;
}

void ChildProcess::stop(int graceMs) {
    if (running()) {
        ::kill(pid_, SIGTERM);
        constexpr int kStepMs = 10;
        for (int waited = 0; waited < graceMs && running(); waited += kStepMs)
            std::this_thread::sleep_for(std::chrono::milliseconds(kStepMs));
        if (running()) {
            ::kill(pid_, SIGKILL);
            int status = 0;
            ::waitpid(pid_, &status, 0);
            reap(status);
        }
    }
    closeFd(input_);
    closeFd(output_);
    closeFd(error_);
}

} // namespace velmora::bench

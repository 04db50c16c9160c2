#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

extern char** environ;

namespace ketrel::test {

// A child process with its standard input and output on pipes (its standard error too, when
// asked: messages then come in with the output).
class Process {
  public:
    explicit Process(const std::vector<std::string>& argv, bool withErrors = false) {
        int in[2], out[2];
        if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        posix_spawn_file_actions_adddup2(&fa, in[0], 0);
        posix_spawn_file_actions_adddup2(&fa, out[1], 1);
        if (withErrors) posix_spawn_file_actions_adddup2(&fa, out[1], 2);
        std::vector<char*> args;
        for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        if (posix_spawn(&pid_, args[0], &fa, nullptr, args.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&fa);
        close(in[0]);
        close(out[1]);
        stdin_ = in[1];
        stdout_ = out[0];
    }
    ~Process() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (stdin_ >= 0) close(stdin_);
        if (stdout_ >= 0) close(stdout_);
    }
    bool started() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }
    // True when the process ended within the time (and is reaped).
    bool exitedWithin(std::chrono::milliseconds limit) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < end) {
            if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
                pid_ = -1;
                return true;
            }
            usleep(10000);
        }
        return false;
    }

    void write(const std::string& text) {
        [[maybe_unused]] ssize_t n = ::write(stdin_, text.data(), text.size());
    }
    // The next line of output without its line end; empty when none came in time.
    std::string readLine(int timeoutMs = 5000) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            const auto nl = buffered_.find('\n');
            if (nl != std::string::npos) {
                std::string line = buffered_.substr(0, nl);
                buffered_.erase(0, nl + 1);
                return line;
            }
            if (!fill(end)) return {};
        }
    }
    // Everything until the process closes its output, then its exit status; one that has not
    // ended within the time is killed (status 137).
    int finish(std::string* output = nullptr, int timeoutMs = 20000) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (fill(end)) {
        }
        if (output) *output = buffered_;
        if (std::chrono::steady_clock::now() >= end) kill(pid_, SIGKILL);
        return wait();
    }
    int signalAndWait(int sig) {
        kill(pid_, sig);
        return wait();
    }

  private:
    // Adds what comes before the end; false once the output or the time is over.
    bool fill(std::chrono::steady_clock::time_point end) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              end - std::chrono::steady_clock::now())
                              .count();
        pollfd p{stdout_, POLLIN, 0};
        if (left <= 0 || poll(&p, 1, static_cast<int>(left)) <= 0) return false;
        char chunk[4096];
        const ssize_t n = read(stdout_, chunk, sizeof chunk);
        if (n > 0) buffered_.append(chunk, static_cast<std::size_t>(n));
        return n > 0;
    }
    int wait() {
        int status = 0;
        if (waitpid(pid_, &status, 0) != pid_) return -1;
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    pid_t pid_ = -1;
    int stdin_ = -1;
    int stdout_ = -1;
    std::string buffered_;
};

}  // namespace ketrel::test

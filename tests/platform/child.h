#pragma once

// A child process for the tests and the benchmarks, with our environment plus some settings;
// ended with the object.

#include <errno.h>
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

inline bool Fail(std::string* error, const std::string& text) {
    if (error) *error = text;
    return false;
}

class Child {
  public:
    using Deadline = std::chrono::steady_clock::time_point;

    Child() = default;
    // A program of ours under test: input and output on pipes; killed outright with the object.
    explicit Child(const std::vector<std::string>& argv, bool withErrors = false)
        : stopSignal_(SIGKILL) {
        start(argv, {}, true, withErrors ? "" : "/dev/null", true);
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    ~Child() {
        stop();
        if (out_ >= 0) ::close(out_);
        if (in_ >= 0) ::close(in_);
    }

    // 0 once started, else the error. A setting "NAME=" takes the variable away; an empty
    // errFile sends the errors to the output, whose read end stays open while the child runs.
    int start(std::vector<std::string> argv, const std::vector<std::string>& settings = {},
              bool readOutput = false, const std::string& errFile = "/dev/null",
              bool withInput = false) {
        std::vector<std::string> env;
        for (char** e = environ; *e; ++e) env.push_back(*e);
        for (const auto& s : settings) {
            const std::string name = s.substr(0, s.find('=') + 1);
            std::erase_if(env, [&](const std::string& e) { return e.starts_with(name); });
            if (s.back() != '=') env.push_back(s);
        }
        std::vector<char*> args, envp;
        for (auto& a : argv) args.push_back(a.data());
        for (auto& e : env) envp.push_back(e.data());
        args.push_back(nullptr);
        envp.push_back(nullptr);
        int fds[2] = {-1, -1}, in[2] = {-1, -1};
        if (readOutput && pipe2(fds, O_CLOEXEC) != 0) return errno;
        if (withInput && pipe2(in, O_CLOEXEC) != 0) return errno;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (withInput) {
            posix_spawn_file_actions_adddup2(&actions, in[0], 0);
        } else {
            posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        }
        if (readOutput) {
            posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
        } else {
            posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        }
        if (errFile.empty()) {
            posix_spawn_file_actions_adddup2(&actions, 1, 2);
        } else {
            posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(),
                                             O_WRONLY | O_CREAT | O_APPEND, 0600);
        }
        const int rc = posix_spawnp(&pid_, args[0], &actions, nullptr, args.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        if (readOutput) ::close(fds[1]);
        if (withInput) ::close(in[0]);
        out_ = fds[0];
        in_ = in[1];
        if (rc != 0) pid_ = -1;
        return rc;
    }

    // As when the session ends or a program crashes: it goes away under its clients. One that
    // is stuck (the fault a test looks for) is killed after a while.
    void stop() {
        if (pid_ <= 0) return;
        kill(pid_, stopSignal_);
        if (!exitedWithin(std::chrono::seconds(10))) signalAndWait(SIGKILL);
    }

    // The next line of its output without the line end; empty when none came before the end.
    std::string readLine(Deadline end) {
        for (;;) {
            const auto newline = buffer_.find('\n');
            if (newline != std::string::npos) {
                std::string line = buffer_.substr(0, newline);
                buffer_.erase(0, newline + 1);
                return line;
            }
            if (!fill(end)) return {};
        }
    }
    std::string readLine(std::chrono::milliseconds limit = std::chrono::seconds(5)) {
        return readLine(std::chrono::steady_clock::now() + limit);
    }

    void write(const std::string& text) {
        [[maybe_unused]] ssize_t n = ::write(in_, text.data(), text.size());
    }
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
    // Everything until the process closes its output, then its exit status; one that has not
    // ended within the time is killed (status 137).
    int finish(std::string* output = nullptr,
               std::chrono::milliseconds limit = std::chrono::seconds(20)) {
        const Deadline end = std::chrono::steady_clock::now() + limit;
        while (fill(end)) {
        }
        if (output) *output = buffer_;
        return signalAndWait(std::chrono::steady_clock::now() >= end ? SIGKILL : 0);
    }
    // Sends the signal (none: 0) and gives the exit status, 128 + the signal for a killed one.
    int signalAndWait(int sig) {
        if (sig) kill(pid_, sig);
        int status = 0;
        while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

  private:
    // Adds what comes before the end; false once the output or the time is over.
    bool fill(Deadline end) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            end - std::chrono::steady_clock::now());
        pollfd p{out_, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) return false;
        char chunk[4096];
        const ssize_t n = ::read(out_, chunk, sizeof chunk);
        if (n > 0) buffer_.append(chunk, static_cast<std::size_t>(n));
        return n > 0;
    }

    pid_t pid_ = -1;
    int out_ = -1;
    int in_ = -1;
    int stopSignal_ = SIGTERM;
    std::string buffer_;
};

}  // namespace ketrel::test

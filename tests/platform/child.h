#pragma once

// A child process for the tests and the benchmarks: our environment plus some settings, no
// standard input, its output (when asked) on a pipe read by lines, its errors in a file. Ended
// with the object.

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
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    ~Child() {
        stop();
        if (out_ >= 0) ::close(out_);
    }

    // 0 once started, else the error. A setting "NAME=" takes the variable away. The read end of
    // the output stays open while the child runs, so that a late line never kills it.
    int start(std::vector<std::string> argv, const std::vector<std::string>& settings = {},
              bool readOutput = false, const std::string& errFile = "/dev/null") {
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
        int fds[2] = {-1, -1};
        if (readOutput && pipe2(fds, O_CLOEXEC) != 0) return errno;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        if (readOutput) {
            posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
        } else {
            posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        }
        posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(),
                                         O_WRONLY | O_CREAT | O_APPEND, 0600);
        const int rc = posix_spawnp(&pid_, args[0], &actions, nullptr, args.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        if (readOutput) ::close(fds[1]);
        out_ = fds[0];
        if (rc != 0) pid_ = -1;
        return rc;
    }

    // As when the session ends or a program crashes: it goes away under its clients.
    void stop() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        while (waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
        }
        pid_ = -1;
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
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                end - std::chrono::steady_clock::now());
            pollfd p{out_, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) return {};
            char chunk[256];
            const ssize_t n = ::read(out_, chunk, sizeof chunk);
            if (n <= 0) return {};
            buffer_.append(chunk, static_cast<std::size_t>(n));
        }
    }

  private:
    pid_t pid_ = -1;
    int out_ = -1;
    std::string buffer_;
};

}  // namespace ketrel::test

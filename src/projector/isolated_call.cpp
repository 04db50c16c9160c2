#include "projector/isolated_call.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

namespace ketrel::projector {

namespace {

using Clock = std::chrono::steady_clock;

[[noreturn]] void RunChild(const std::function<int(int)>& work, int readEnd, int writeEnd) {
    close(readEnd);
    const int null = open("/dev/null", O_RDWR | O_CLOEXEC);
    if (null >= 0) {
        dup2(null, STDIN_FILENO);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
    }
    // A parent that gave up closes its end; the child then ends on the broken pipe.
    signal(SIGPIPE, SIG_DFL);
    int status = 1;
    try {
        status = work(writeEnd);
    } catch (...) {
        status = 1;
    }
    // _exit: no atexit handlers or stdio buffers of the parent's run in the child.
    _exit(status);
}

// Reaps the child, killing it when it has not ended by the deadline.
int Reap(pid_t pid, Clock::time_point deadline, bool* killed) {
    int status = 0;
    for (;;) {
        const pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == pid) return status;
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) return -1;  // already reaped elsewhere (SIGCHLD ignored)
        if (Clock::now() >= deadline) {
            kill(pid, SIGKILL);
            *killed = true;
            while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
            return status;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

}  // namespace

bool WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

IsolatedResult RunIsolated(const std::function<int(int fd)>& work,
                           std::chrono::milliseconds timeout, std::size_t maxOutput) {
    IsolatedResult result;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return result;
    const pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        return result;
    }
    if (pid == 0) RunChild(work, fds[0], fds[1]);
    close(fds[1]);

    const Clock::time_point deadline = Clock::now() + timeout;
    bool killed = false;
    bool tooLarge = false;
    char buffer[65536];
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            kill(pid, SIGKILL);
            killed = true;
            break;
        }
        pollfd p{fds[0], POLLIN, 0};
        const int ready = poll(&p, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0) {
            kill(pid, SIGKILL);
            break;
        }
        if (ready == 0) continue;  // the deadline is checked at the top
        const ssize_t n = read(fds[0], buffer, sizeof(buffer));
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0) break;  // end of output (or a read error: nothing more will come)
        if (result.output.size() + static_cast<std::size_t>(n) > maxOutput) {
            kill(pid, SIGKILL);
            tooLarge = true;
            break;
        }
        result.output.append(buffer, static_cast<std::size_t>(n));
    }
    close(fds[0]);

    bool killedWhileReaping = false;
    const int status = Reap(pid, deadline, &killedWhileReaping);
    killed = killed || killedWhileReaping;

    if (tooLarge) {
        result.outcome = IsolatedResult::Outcome::TooLarge;
    } else if (killed) {
        result.outcome = IsolatedResult::Outcome::TimedOut;
    } else if (status >= 0 && WIFSIGNALED(status)) {
        result.outcome = IsolatedResult::Outcome::Crashed;
    } else if (status >= 0 && WIFEXITED(status)) {
        result.exitCode = WEXITSTATUS(status);
        result.outcome = result.exitCode == 0 ? IsolatedResult::Outcome::Completed
                                              : IsolatedResult::Outcome::Failed;
    } else {
        // Reaped by someone else: the output's own end marker decides.
        result.exitCode = 0;
        result.outcome = IsolatedResult::Outcome::Completed;
    }
    if (result.outcome != IsolatedResult::Outcome::Completed) result.output.clear();
    return result;
}

}  // namespace ketrel::projector

#include "platform/program_launcher.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

extern char** environ;

namespace ketrel {

namespace {

// What the two forked processes tell the caller through the pipe.
struct Report {
    int kind;  // kStarted: value is the pid; kFailed: value is errno
    int value;
};
constexpr int kStarted = 1;
constexpr int kFailed = 2;

void WriteReport(int fd, int kind, int value) {
    const Report r{kind, value};
    while (::write(fd, &r, sizeof r) < 0 && errno == EINTR) {
    }
}

// Closes every descriptor from `from` up to and including `to`, by the system call when the
// kernel has it. Only system calls: this runs between fork and exec.
void CloseRange(unsigned from, unsigned to) {
    if (from > to) return;
#ifdef SYS_close_range
    if (syscall(SYS_close_range, from, to, 0) == 0) return;
#endif
    rlimit limit{};
    unsigned last = 4096;
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
        limit.rlim_cur < 65536) {
        last = static_cast<unsigned>(limit.rlim_cur);
    }
    for (unsigned fd = from; fd <= to && fd < last; ++fd) ::close(static_cast<int>(fd));
}

// The started program gets a clean slate: default signal handling, no blocked signals, no
// descriptor of ours (the serial port above all), standard input from /dev/null.
[[noreturn]] void ExecDetached(char* const* argv, char* const* fallback, int reportFd) {
    struct sigaction byDefault {};
    byDefault.sa_handler = SIG_DFL;
    for (int sig = 1; sig < NSIG; ++sig) sigaction(sig, &byDefault, nullptr);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    const int nul = ::open("/dev/null", O_RDONLY);
    if (nul > 0) {
        dup2(nul, 0);
        ::close(nul);
    }
    CloseRange(3, static_cast<unsigned>(reportFd) - 1);
    CloseRange(static_cast<unsigned>(reportFd) + 1, UINT_MAX);
    execve(argv[0], argv, environ);
    int error = errno;
    // A file marked executable that is no program (a document on a drive that marks every
    // file executable) is opened instead, as a double click would.
    if (error == ENOEXEC && fallback) {
        execve(fallback[0], fallback, environ);
        error = errno;
    }
    WriteReport(reportFd, kFailed, error);
    _exit(127);
}

struct Argv {
    explicit Argv(std::vector<std::string> words) : strings(std::move(words)) {
        for (auto& s : strings) pointers.push_back(s.data());
        pointers.push_back(nullptr);
    }
    char* const* get() { return pointers.data(); }
    std::vector<std::string> strings;
    std::vector<char*> pointers;
};

// Runs argv detached: a child that starts the program and exits at once, so the program is
// adopted by init (or the session's subreaper) and we only reap the short-lived child.
// Returns the program's pid, or -1 with errno set.
pid_t SpawnDetached(char* const* argv, char* const* fallback) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return -1;
    // Kept clear of 0..2, which the program's standard streams take.
    for (int& fd : fds) {
        if (fd < 3) {
            const int moved = fcntl(fd, F_DUPFD_CLOEXEC, 3);
            ::close(fd);
            fd = moved;
        }
    }
    if (fds[0] < 0 || fds[1] < 0) {
        for (int fd : fds) {
            if (fd >= 0) ::close(fd);
        }
        errno = EMFILE;
        return -1;
    }
    // No signal handler of ours may run in the forked processes before exec.
    sigset_t all, old;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &old);
    const pid_t child = fork();
    if (child == 0) {
        ::close(fds[0]);
        setsid();  // Ctrl-C in our terminal must not reach the program
        const pid_t program = fork();
        if (program == 0) ExecDetached(argv, fallback, fds[1]);
        WriteReport(fds[1], program > 0 ? kStarted : kFailed, program > 0 ? program : errno);
        _exit(0);
    }
    const int forkError = errno;
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
    ::close(fds[1]);
    if (child < 0) {
        ::close(fds[0]);
        errno = forkError;
        return -1;
    }
    while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
    // The pipe ends when the program has been exec'd (close-on-exec) or has failed.
    pid_t started = -1;
    int error = 0;
    Report r{};
    for (;;) {
        const ssize_t n = ::read(fds[0], &r, sizeof r);
        if (n < 0 && errno == EINTR) continue;
        if (n != static_cast<ssize_t>(sizeof r)) break;
        if (r.kind == kStarted) started = r.value;
        if (r.kind == kFailed) error = r.value;
    }
    ::close(fds[0]);
    if (error != 0 || started < 0) {
        errno = error != 0 ? error : ECHILD;
        return -1;
    }
    return started;
}

std::string Absolute(const std::string& path) {
    if (!path.empty() && path[0] == '/') return path;
    char cwd[PATH_MAX];
    if (!getcwd(cwd, sizeof cwd)) return path;
    return std::string(cwd) + "/" + path;
}

}  // namespace

std::string ProgramLauncher::FindInPath(const std::string& name) {
    const char* env = std::getenv("PATH");
    const std::string path = env && *env ? env : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find(':', start);
        if (end == std::string::npos) end = path.size();
        const std::string dir = path.substr(start, end - start);
        if (!dir.empty()) {
            const std::string candidate = dir + "/" + name;
            struct stat st {};
            if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
                access(candidate.c_str(), X_OK) == 0) {
                return candidate;
            }
        }
        start = end + 1;
    }
    return {};
}

void ProgramLauncher::warn(const std::string& text) {
    std::lock_guard lock(mutex_);
    if (text == lastWarning_) return;
    lastWarning_ = text;
    err_ << "ketrel: " << text << std::endl;
}

ProgramLauncher::Started ProgramLauncher::open(const std::string& path) {
    if (path.empty()) return {};
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        warn("the camera program " + path + " does not exist");
        return {};
    }
    // Absolute, so the opener never takes a name that begins with "-" for an option.
    const std::string file = Absolute(path);
    const bool runs = S_ISREG(st.st_mode) && access(file.c_str(), X_OK) == 0;
    const std::string opener = FindInPath("xdg-open");
    if (!runs && opener.empty()) {
        warn("cannot open " + path + ": xdg-open is not installed");
        return {};
    }
    Argv direct({file});
    Argv withOpener({opener, file});
    const pid_t pid = runs
                          ? SpawnDetached(direct.get(), opener.empty() ? nullptr : withOpener.get())
                          : SpawnDetached(withOpener.get(), nullptr);
    if (pid < 0) {
        warn("cannot start " + path + ": " + std::strerror(errno));
        return {};
    }
    return {pid, !runs};
}

}  // namespace ketrel

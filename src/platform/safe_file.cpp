#include "platform/safe_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <vector>

namespace ketrel {

namespace {

constexpr const char* kNotRegular = "not a regular file";
constexpr int kMaxLinks = 40;

std::string DirectoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The path a write through path ends up at: symbolic links followed.
std::string ResolveLinks(const std::string& path) {
    std::string current = path;
    for (int i = 0; i < kMaxLinks; ++i) {
        struct stat st {};
        if (lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
        std::vector<char> target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1);
        const ssize_t n = readlink(current.c_str(), target.data(), target.size() - 1);
        if (n < 0) return current;
        const std::string link(target.data(), static_cast<std::size_t>(n));
        current = !link.empty() && link[0] == '/' ? link : DirectoryOf(current) + "/" + link;
    }
    return current;
}

}  // namespace

bool IsSameFile(const std::string& a, const std::string& b) {
    struct stat sa {
    }, sb{};
    return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

bool WriteFileWhole(const std::string& path, std::string_view data, std::string& reason) {
    const std::string target = ResolveLinks(path);
    struct stat old {};
    const bool exists = stat(target.c_str(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode)) {
        reason = kNotRegular;
        return false;
    }
    std::string temp = target + ".tmp-XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0) {
        reason = std::strerror(errno);
        return false;
    }
    bool ok = true;
    std::size_t done = 0;
    while (ok && done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            reason = std::strerror(n < 0 ? errno : EIO);
            ok = false;
        } else {
            done += static_cast<std::size_t>(n);
        }
    }
    if (ok && fsync(fd) != 0) {
        reason = std::strerror(errno);
        ok = false;
    }
    // mkstemp makes the file private; a file replaced keeps its mode, a new one is readable.
    fchmod(fd, exists ? (old.st_mode & 07777) : 0644);
    if (::close(fd) != 0 && ok) {
        reason = std::strerror(errno);
        ok = false;
    }
    if (ok && rename(temp.c_str(), target.c_str()) != 0) {
        reason = std::strerror(errno);
        ok = false;
    }
    if (!ok) unlink(temp.c_str());
    return ok;
}

ReadFailure ReadRegularFile(const std::string& path, std::size_t maxSize, std::string& out,
                            std::string& reason) {
    out.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        reason = std::strerror(errno);
        return errno == ENOENT ? ReadFailure::Missing : ReadFailure::Other;
    }
    ReadFailure failure = ReadFailure::None;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        reason = kNotRegular;
        failure = ReadFailure::NotRegular;
    } else if (static_cast<std::uintmax_t>(st.st_size) > maxSize) {
        failure = ReadFailure::TooLarge;
    }
    char buffer[65536];
    while (failure == ReadFailure::None) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n == 0) break;
        if (n < 0) {
            reason = std::strerror(errno);
            failure = ReadFailure::Other;
            break;
        }
        out.append(buffer, static_cast<std::size_t>(n));
        // It may have grown since it was looked at.
        if (out.size() > maxSize) failure = ReadFailure::TooLarge;
    }
    if (failure == ReadFailure::TooLarge) {
        reason = "larger than " + std::to_string(maxSize) + " bytes";
        out.clear();
    }
    ::close(fd);
    return failure;
}

}  // namespace ketrel

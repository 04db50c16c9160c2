#include "fake_login1.h"

#include <dbus/dbus.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace ketrel::test {

PrivateBus::~PrivateBus() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    while (waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
    }
}

bool PrivateBus::start(std::string* error) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    // It complains that a test may not raise its descriptor limit; nothing a test needs.
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    char* argv[] = {const_cast<char*>("dbus-daemon"),       const_cast<char*>("--session"),
                    const_cast<char*>("--nofork"),          const_cast<char*>("--nopidfile"),
                    const_cast<char*>("--print-address=1"), nullptr};
    const int rc = posix_spawnp(&pid_, "dbus-daemon", &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (rc != 0) {
        ::close(fds[0]);
        pid_ = -1;
        *error = "dbus-daemon cannot be started (is it installed?)";
        return false;
    }
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (address_.find('\n') == std::string::npos && std::chrono::steady_clock::now() < end) {
        pollfd p{fds[0], POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0) continue;
        char buffer[256];
        const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
        if (n <= 0) break;
        address_.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fds[0]);
    const auto newline = address_.find('\n');
    if (newline == std::string::npos) {
        *error = "dbus-daemon gave no address";
        return false;
    }
    address_.resize(newline);
    return true;
}

FakeLogin1::~FakeLogin1() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (connection_) {
        auto* c = static_cast<DBusConnection*>(connection_);
        dbus_connection_close(c);
        dbus_connection_unref(c);
    }
}

bool FakeLogin1::start(const std::string& address, std::string* error) {
    dbus_threads_init_default();
    DBusError e;
    dbus_error_init(&e);
    DBusConnection* c = dbus_connection_open_private(address.c_str(), &e);
    if (c) connection_ = c;
    if (!c || !dbus_bus_register(c, &e) ||
        dbus_bus_request_name(c, "org.freedesktop.login1", DBUS_NAME_FLAG_DO_NOT_QUEUE, &e) !=
            DBUS_REQUEST_NAME_REPLY_PRIMARY_OWNER) {
        *error = e.message ? e.message : "cannot own org.freedesktop.login1";
        dbus_error_free(&e);
        return false;
    }
    thread_ = std::thread([this] { serve(); });
    return true;
}

std::vector<FakeLogin1::Call> FakeLogin1::waitForCalls(std::size_t count,
                                                       std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, limit, [&] { return calls_.size() >= count; });
    return calls_;
}

void FakeLogin1::serve() {
    auto* c = static_cast<DBusConnection*>(connection_);
    while (!stop_ && dbus_connection_read_write(c, 20)) {
        while (DBusMessage* m = dbus_connection_pop_message(c)) {
            const char* member = dbus_message_get_member(m);
            if (dbus_message_get_type(m) == DBUS_MESSAGE_TYPE_METHOD_CALL &&
                dbus_message_has_path(m, "/org/freedesktop/login1") &&
                dbus_message_has_interface(m, "org.freedesktop.login1.Manager")) {
                Call call{member ? member : "", dbus_message_get_signature(m), true};
                dbus_bool_t interactive = TRUE;
                if (dbus_message_get_args(m, nullptr, DBUS_TYPE_BOOLEAN, &interactive,
                                          DBUS_TYPE_INVALID)) {
                    call.interactive = interactive;
                }
                DBusMessage* reply =
                    refuse_ ? dbus_message_new_error(m, DBUS_ERROR_ACCESS_DENIED,
                                                     "Interactive authentication required.")
                            : dbus_message_new_method_return(m);
                dbus_connection_send(c, reply, nullptr);
                dbus_connection_flush(c);
                dbus_message_unref(reply);
                {
                    std::lock_guard lock(mutex_);
                    calls_.push_back(call);
                }
                changed_.notify_all();
            }
            dbus_message_unref(m);
        }
    }
}

}  // namespace ketrel::test

#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

// Xlib's Display, without pulling Xlib's macros into every includer.
typedef struct _XDisplay Display;

namespace ketrel {

// The program's own connection to an X server, for the keys and the display modes. It is
// opened once and never shared with a toolkit. Every use holds the connection's lock, so the
// user-interface thread (which enumerates the displays) and the receive thread (which presses
// keys and changes modes) never use it at once.
//
// X errors caused by requests on this connection are counted instead of reaching Xlib's
// default handler, which would end the process. When the server goes away the connection is
// marked lost (again without ending the process) and reopened at the next use.
class X11Connection {
  public:
    // Null when the display cannot be opened (no server, no DISPLAY, not authorised).
    static std::shared_ptr<X11Connection> Open(const std::string& displayName);
    ~X11Connection();
    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;

    const std::string& name() const { return name_; }

    // Exclusive use of the connection while it lives.
    class Access {
      public:
        Access(Access&&) = default;
        ~Access() = default;
        // Null when the server is gone and could not be reached again.
        Display* display() const { return display_; }
        explicit operator bool() const { return display_ != nullptr; }
        // Waits until the server has handled every request so far; the number of X errors
        // they caused since the access began (or since the last call).
        int sync();

      private:
        friend class X11Connection;
        Access(X11Connection& owner, std::unique_lock<std::mutex> lock);
        X11Connection* owner_;
        std::unique_lock<std::mutex> lock_;
        Display* display_ = nullptr;
    };

    Access access();

    // True once the server went away, until the connection is opened again.
    bool lost() const { return lost_.load(); }

  private:
    explicit X11Connection(std::string name) : name_(std::move(name)) {}
    bool connect();  // with mutex_ held
    void disconnect();
    int errorsSoFar() const;
    static void OnIoErrorExit(Display* display, void* self);

    std::string name_;
    std::mutex mutex_;
    Display* display_ = nullptr;
    int slot_ = -1;
    std::atomic<bool> lost_{false};
    int errorsSeen_ = 0;
};

}  // namespace ketrel

#pragma once

#include <string>

namespace ketrel {

class Notifier;
class SerialLink;

namespace iot {

// The gateway's Wi-Fi settings: each operation is one exchange with a status reply, and its
// outcome is a message box.
class Gateway {
  public:
    Gateway(SerialLink& link, Notifier& notifier) : link_(link), notifier_(notifier) {}

    // The texts as typed (UTF-8, not trimmed). A text that takes more than 16 bytes in the
    // user's character set is not sent; the user is told why.
    void WriteName(const std::string& text);
    void WritePassword(const std::string& text);
    // Back to the gateway's own default name and password.
    void ClearToDefaults();

  private:
    void writeText(int id, const char* what, const std::string& text);

    SerialLink& link_;
    Notifier& notifier_;
};

}  // namespace iot
}  // namespace ketrel

#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace ketrel {

// The keys of the unit's information lines, in the order they are matched.
inline constexpr std::array<std::string_view, 9> kInfoKeys{
    "IDNumber", "Model", "deviceid", "dhcp", "cip", "netmask", "gateway", "dnsaddr", "serverip"};

// Receives what the unit reports, on the receive thread. Implementations must not block: the
// window posts to its own thread, the command line prints.
class FrameSink {
  public:
    virtual ~FrameSink() = default;
    // key is one of kInfoKeys; value is the text as the unit sent it.
    virtual void infoLine(const std::string& key, const std::string& value) = 0;
};

// Trims the text; empty gives no parts; otherwise the pieces between delimiters, empty ones
// included.
std::vector<std::string> SplitString(std::string_view text, char delimiter);

// Hands a "key=value" line with a known key to the sink; anything else is ignored.
// Returns whether the line reached the sink.
bool HandleInfoLine(std::string_view line, FrameSink& sink);

// "启用" for exactly "1", otherwise "禁用".
std::string DhcpText(const std::string& value);

}  // namespace ketrel

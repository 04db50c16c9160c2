// The frame dispatch over any byte stream arriving in any pieces, with the ring filled the way
// the receive thread fills it: each read stops at the ring's end, a pass dispatches after every
// read that brought bytes, and a pass that handled a frame is followed by another. Checked against
// a plain model of the ring, its scan and the information lines (one known key, one "=", the
// value as it stands): the same events, the same ring after every pass, and what reaches the sink
// is valid UTF-8.
//
// The input is the stream as chunks [length][bytes...], each chunk one read.
#include <cstring>

#include "common/pc_actions.h"
#include "fuzz_support.h"
#include "link/frame.h"
#include "link/frame_dispatch.h"
#include "link/info_lines.h"
#include "platform/app_state.h"
#include "platform/text_util.h"

using namespace ketrel;
using fuzz::Check;

namespace {

constexpr const char* kCameraPath = " /opt/camera ";

// What the unit's frames made happen, one line each: "key PageUp", "open /path", "info k=v".
class Recorder : public PcActions, public FrameSink {
  public:
    void pressKey(PcKey key) override { events.push_back(std::string("key ") + PcKeyName(key)); }
    void shutdown() override { events.push_back("shutdown"); }
    void restart() override { events.push_back("restart"); }
    void openProgram(const std::string& path) override { events.push_back("open " + path); }
    void setResolution(int width) override {
        events.push_back("resolution " + std::to_string(width));
    }
    void infoLine(const std::string& key, const std::string& value) override {
        events.push_back("info " + key + "=" + value);
    }
    std::vector<std::string> events;
};

bool KnownInfoKey(std::string_view key) {
    return std::find(kInfoKeys.begin(), kInfoKeys.end(), key) != kInfoKeys.end();
}

bool ValidUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const std::size_t len = c < 0x80         ? 1
                                : (c >> 5) == 6  ? 2
                                : (c >> 4) == 14 ? 3
                                : (c >> 3) == 30 ? 4
                                                 : 0;
        if (len == 0 || i + len > s.size()) return false;
        std::uint32_t cp = len == 1 ? c : c & (0x7F >> len);
        for (std::size_t k = 1; k < len; ++k) {
            const auto d = static_cast<unsigned char>(s[i + k]);
            if ((d & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (d & 0x3F);
        }
        const std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < least[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += len;
    }
    return true;
}

// The PC commands a payload starts with, and what each makes happen.
const std::pair<const char*, const char*> kCommands[] = {
    {"ComputerShutdown", "shutdown"},
    {"ComputerRestart", "restart"},
    {"ComputerPageUp", "key PageUp"},
    {"ComputerPageDown", "key PageDown"},
    {"ComputerSpace", "key Space"},
    {"ComputerPlayPause", "key PlayPause"},
    {"ComputerStop", "key Stop"},
    {"ComputerOpenCamera", "open /opt/camera"},
    {"ChangeResolution960_720", "resolution 960"},
    {"ChangeResolution1920_720", "resolution 1920"},
};

// What one payload must do, written from the rules rather than from the dispatcher.
void ExpectedEvents(const std::uint8_t* payload, std::vector<std::string>& out) {
    std::size_t len = 0;
    while (len < frame::kPayloadSize && payload[len] != 0) ++len;
    const std::string text(reinterpret_cast<const char*>(payload), len);
    for (const auto& [name, event] : kCommands) {
        if (text.rfind(name, 0) == 0) {
            out.push_back(event);
            return;
        }
    }
    const std::string line = Trim(SanitizeUtf8(text));
    if (std::count(line.begin(), line.end(), '=') != 1) return;
    if (!KnownInfoKey(line.substr(0, line.find('=')))) return;
    Check(ValidUtf8(line));
    out.push_back("info " + line);
}

// The scan as the rules state it, on a ring of its own.
int ModelDispatch(frame::Ring& ring, std::vector<std::string>& events) {
    int handled = 0;
    std::size_t step = 1;
    for (std::size_t pos = 0; pos <= frame::kLastFrameStart;) {
        if (ring[pos] == '{' && ring[pos + 63] == '}') {
            ExpectedEvents(&ring[pos + 1], events);
            std::fill(ring.begin() + static_cast<std::ptrdiff_t>(pos),
                      ring.begin() + static_cast<std::ptrdiff_t>(pos + 64), 0);
            ++handled;
            step = 64;
            pos += 64;
        } else {
            pos += step;
        }
    }
    return handled;
}

// The receive side: the ring, its write index and the bytes queued on the port.
struct Receiver {
    frame::Ring ring{};
    std::size_t writeIndex = 0;
    std::string queued;
    bool dirty = false;

    // One pass: read what is queued up to the ring's end, then dispatch if anything came or the
    // last pass handled a frame. False when the pass did nothing.
    template <typename Dispatch>
    bool pass(Dispatch&& dispatch) {
        const std::size_t n = std::min(queued.size(), frame::kRingSize - writeIndex);
        std::memcpy(&ring[writeIndex], queued.data(), n);
        queued.erase(0, n);
        writeIndex = (writeIndex + n) % frame::kRingSize;
        if (n == 0 && !dirty) return false;
        dirty = dispatch(ring) > 0;
        return true;
    }
};

}  // namespace

void ketrel::fuzz::FuzzOne(Input& input) {
    Recorder recorder;
    SharedText path(kCameraPath);
    FrameDispatcher dispatcher(recorder, recorder, path);
    Receiver real, model;
    std::vector<std::string> expected;
    auto both = [&] {
        const bool a = real.pass([&](frame::Ring& r) { return dispatcher.DispatchUnitFrames(r); });
        const bool b = model.pass([&](frame::Ring& r) { return ModelDispatch(r, expected); });
        Check(a == b);
        Check(real.ring == model.ring);
        Check(recorder.events == expected);
        return a;
    };
    for (const std::string& chunk : input.chunks()) {
        real.queued += chunk;
        model.queued += chunk;
        both();
        // A read that stopped at the ring's end leaves the rest queued: the next pass reads it.
        while (!real.queued.empty()) both();
    }
    for (int guard = 0; both(); ++guard) Check(guard < 64);
}

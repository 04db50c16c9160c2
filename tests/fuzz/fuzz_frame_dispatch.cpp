// The frame dispatch over any byte stream arriving in any pieces, with the ring filled the way
// the receive thread fills it: each read stops at the ring's end, a pass dispatches after every
// read that brought bytes, and a pass that handled a frame is followed by another.
//
// Byte 0 chooses the mode:
//   even: a raw stream, as chunks [length][bytes...], each chunk one read. Checked against a
//         plain model of the ring and its scan: the same events, the same ring after every pass.
//   odd:  a stream of whole frames only (payloads built from the input), cut into pieces of the
//         sizes the rest of the input gives. Every frame must act exactly once, in order.
#include <cstring>

#include "fuzz_support.h"
#include "link/frame.h"
#include "link/frame_dispatch.h"
#include "platform/app_state.h"
#include "platform/text_util.h"

using namespace ketrel;
using fuzz::Check;

namespace {

constexpr const char* kCameraPath = " /opt/camera ";

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
    if (fuzz::KnownInfoKey(line.substr(0, line.find('=')))) out.push_back("info " + line);
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

// The payloads a frame starts with: each command, then information lines and near misses.
const std::vector<std::string> kPayloads = [] {
    std::vector<std::string> p;
    for (const auto& command : kCommands) p.push_back(command.first);
    for (const char* other :
         {"Model=", "IDNumber=", "deviceid=", "dhcp=1", " cip = ", "netmask=", "gateway",
          "dnsaddr==", "serverip=", "Computer", "{", "}", "\xE4\xB8\xAD", "\xFF", " ", "=", "x"}) {
        p.push_back(other);
    }
    return p;
}();

void RawMode(fuzz::Input& input) {
    fuzz::Recorder recorder;
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

void FramesMode(fuzz::Input& input) {
    const std::string_view rest = input.rest();
    const auto* data = reinterpret_cast<const std::uint8_t*>(rest.data());
    const std::size_t size = rest.size();
    // Frames first: each takes two input bytes (a payload piece and a suffix length).
    std::size_t i = 0;
    const std::size_t frames = size > 0 ? data[i++] % 80 : 0;
    std::string stream;
    std::vector<std::string> expected;
    for (std::size_t f = 0; f < frames && i + 1 < size; ++f, i += 2) {
        std::string text = kPayloads[data[i] % kPayloads.size()];
        // The rest of the payload: a serial number, or bytes of the input itself.
        if (data[i + 1] & 0x80) {
            text += std::to_string(f);
        } else {
            const std::size_t take = std::min<std::size_t>(data[i + 1] & 0x3F, size - i - 2);
            text.append(reinterpret_cast<const char*>(data + i + 2), take);
        }
        std::string frameBytes(frame::kFrameSize, '\0');
        frameBytes.front() = '{';
        frameBytes.back() = '}';
        std::memcpy(&frameBytes[1], text.data(), std::min(text.size(), frame::kPayloadSize));
        ExpectedEvents(reinterpret_cast<const std::uint8_t*>(frameBytes.data() + 1), expected);
        stream += frameBytes;
    }
    fuzz::Recorder recorder;
    SharedText path(kCameraPath);
    FrameDispatcher dispatcher(recorder, recorder, path);
    Receiver real;
    auto dispatch = [&](frame::Ring& r) { return dispatcher.DispatchUnitFrames(r); };
    std::size_t sent = 0;
    while (sent < stream.size()) {
        std::size_t piece = i < size ? data[i++] : 64;
        if (piece == 0) piece = 1;
        piece = std::min(piece, stream.size() - sent);
        real.queued += stream.substr(sent, piece);
        sent += piece;
        // One poll of the port, and the passes it takes to read all of it.
        for (bool more = true; more;) {
            more = real.pass(dispatch) && (!real.queued.empty() || real.dirty);
        }
    }
    for (int guard = 0; real.pass(dispatch); ++guard) Check(guard < 64);
    Check(recorder.events == expected);
}

}  // namespace

void ketrel::fuzz::FuzzOne(Input& input) {
    if (input.size() < 1) return;
    (input.byte() & 1) ? FramesMode(input) : RawMode(input);
}

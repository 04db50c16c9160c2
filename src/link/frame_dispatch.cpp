#include "link/frame_dispatch.h"

#include <cstring>

#include "platform/app_state.h"
#include "platform/text_util.h"

namespace ketrel {

int FrameDispatcher::DispatchUnitFrames(frame::Ring& ring) {
    int handled = 0;
    std::size_t pos = 0;
    std::size_t step = 1;
    while (pos <= frame::kLastFrameStart) {
        if (ring[pos] == frame::kOpen && ring[pos + frame::kFrameSize - 1] == frame::kClose) {
            HandlePayload(&ring[pos + 1]);
            std::memset(&ring[pos], 0, frame::kFrameSize);
            ++handled;
            step = frame::kFrameSize;
            pos += frame::kFrameSize;
        } else {
            pos += step;
        }
    }
    return handled;
}

void FrameDispatcher::HandlePayload(const std::uint8_t* payload) {
    // Always zero-terminated, whatever the unit sent.
    char text[frame::kFrameSize] = {};
    std::memcpy(text, payload, frame::kPayloadSize);
    const std::string_view view(text);

    for (const auto& c : frame::kCommands) {
        if (!StartsWith(view, c.name)) continue;
        switch (c.command) {
            case frame::PcCommand::Shutdown:
                actions_.shutdown();
                break;
            case frame::PcCommand::Restart:
                actions_.restart();
                break;
            case frame::PcCommand::PageUp:
                actions_.pressKey(PcKey::PageUp);
                break;
            case frame::PcCommand::PageDown:
                actions_.pressKey(PcKey::PageDown);
                break;
            case frame::PcCommand::Space:
                actions_.pressKey(PcKey::Space);
                break;
            case frame::PcCommand::PlayPause:
                actions_.pressKey(PcKey::PlayPause);
                break;
            case frame::PcCommand::Stop:
                actions_.pressKey(PcKey::Stop);
                break;
            case frame::PcCommand::OpenCamera:
                actions_.openProgram(Trim(openAppPath_.get()));
                break;
            case frame::PcCommand::Resolution960:
                actions_.setResolution(960);
                break;
            case frame::PcCommand::Resolution1920:
                actions_.setResolution(1920);
                break;
        }
        return;
    }
    HandleInfoLine(SanitizeUtf8(view), sink_);
}

}  // namespace ketrel

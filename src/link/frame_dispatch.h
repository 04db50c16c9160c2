#pragma once

#include "common/pc_actions.h"
#include "link/frame.h"
#include "link/info_lines.h"

namespace ketrel {

class SharedText;

// Finds the unit's frames in the receive ring and acts on them: PC commands go to the actions,
// everything else is an information line for the sink.
class FrameDispatcher {
  public:
    FrameDispatcher(PcActions& actions, FrameSink& sink, const SharedText& openAppPath)
        : actions_(actions), sink_(sink), openAppPath_(openAppPath) {}

    // One pass over the ring from position 0: step 1 until the first frame, then 64. Each
    // handled frame is zeroed so it never acts twice. Returns the number of frames handled.
    int DispatchUnitFrames(frame::Ring& ring);

    // The action of one payload (the 62 bytes between the braces).
    void HandlePayload(const std::uint8_t* payload);

  private:
    PcActions& actions_;
    FrameSink& sink_;
    const SharedText& openAppPath_;
};

}  // namespace ketrel

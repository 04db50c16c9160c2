#include "iot/wait_iot_ack.h"

#include "iot/iot_reply.h"

namespace ketrel::iot {

bool WaitIoTAck(IoTInput& input, LinkClock& clock, int pollCount, Word* fields,
                std::size_t expectedCount) {
    IoTAckBuffer buffer;
    if (pollCount - 1 <= 0) return false;
    const Deadline deadline(clock, PollBudget(pollCount - 1));
    for (;;) {
        clock.sleepFor(kPollSleep);
        while (input.queuedInput() > 0) {
            std::uint8_t byte = 0;
            if (!input.readByte(byte)) break;
            buffer.append(byte);
        }
        if (buffer.endsWithLineFeed() && ParseIoTAck(buffer.text(), fields, expectedCount)) {
            return true;
        }
        if (deadline.passed()) return false;
    }
}

}  // namespace ketrel::iot

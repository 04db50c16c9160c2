#include "wait_iot_ack.h"

#include "iot_reply.h"

namespace ketrel::iot {

bool WaitIoTAck(IoTInput& input, int pollCount, Word* fields, std::size_t expectedCount) {
    IoTAckBuffer buffer;
    int countdown = pollCount - 1;
    if (countdown <= 0) return false;
    for (;;) {
        input.sleepOnePoll();
        while (input.queuedInput() > 0) {
            std::uint8_t byte = 0;
            if (!input.readByte(byte)) break;
            buffer.append(byte);
        }
        if (buffer.endsWithLineFeed() && ParseIoTAck(buffer.text(), fields, expectedCount)) {
            return true;
        }
        if (--countdown == 0) return false;
    }
}

}  // namespace ketrel::iot

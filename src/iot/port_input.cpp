#include "iot/wait_iot_ack.h"
#include "link/serial_port.h"

namespace ketrel::iot {

int PortInput::queuedInput() { return port_.queuedInput(); }

bool PortInput::readByte(std::uint8_t& byte) { return port_.read(&byte, 1) == 1; }

bool WaitIoTAck(SerialPort& port, LinkClock& clock, int pollCount, Word* fields,
                std::size_t expectedCount) {
    PortInput input(port);
    return WaitIoTAck(input, clock, pollCount, fields, expectedCount);
}

}  // namespace ketrel::iot

#include <chrono>
#include <thread>

#include "serial_port.h"
#include "wait_iot_ack.h"

namespace ketrel::iot {

void PortInput::sleepOnePoll() { std::this_thread::sleep_for(std::chrono::milliseconds(1)); }

int PortInput::queuedInput() { return port_.queuedInput(); }

bool PortInput::readByte(std::uint8_t& byte) { return port_.read(&byte, 1) == 1; }

bool WaitIoTAck(SerialPort& port, int pollCount, Word* fields, std::size_t expectedCount) {
    PortInput input(port);
    return WaitIoTAck(input, pollCount, fields, expectedCount);
}

}  // namespace ketrel::iot

#pragma once

#include <cstddef>
#include <cstdint>

#include "iot/iot_line.h"
#include "link/link_clock.h"

namespace ketrel {

class SerialPort;

namespace iot {

// What a wait reads from: the port, or a scripted source in tests.
class IoTInput {
  public:
    virtual ~IoTInput() = default;
    // Bytes waiting to be read; 0 or less when there are none or the port cannot say.
    virtual int queuedInput() = 0;
    virtual bool readByte(std::uint8_t& byte) = 0;
};

// The port as a wait reads it, one byte at a time.
class PortInput : public IoTInput {
  public:
    explicit PortInput(SerialPort& port) : port_(port) {}
    int queuedInput() override;
    bool readByte(std::uint8_t& byte) override;

  private:
    SerialPort& port_;
};

// Waits for one "IoTAckData" line of expectedCount fields, for at most pollCount - 1 ticks of
// the clock. Each poll sleeps 1 ms, then takes every queued byte into the 128-byte buffer; once
// the last byte received is a line feed, the buffer's text is parsed from its first byte.
// Anything before the reply, or after its line feed, keeps the reply from being taken. On true
// fields[0..expectedCount-1] hold the reply; on false fields is untouched. The receive
// thread must be paused.
bool WaitIoTAck(IoTInput& input, LinkClock& clock, int pollCount, Word* fields,
                std::size_t expectedCount);
bool WaitIoTAck(SerialPort& port, LinkClock& clock, int pollCount, Word* fields,
                std::size_t expectedCount);

}  // namespace iot
}  // namespace ketrel

// The reply wait's buffer handling on any sequence of bytes arriving over any number of polls:
// the 128-byte buffer is never overrun, the wait never makes more than pollCount - 1 polls,
// and its answer is the one a plain model of the buffer gives.
//
// Input: byte 0 chooses the field count (3 or 10), bytes 1-2 the poll count (0..1023), then
// chunks of [length][bytes...], one chunk arriving per poll.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <string>
#include <vector>

#include "iot/iot_reply.h"
#include "iot/wait_iot_ack.h"

using ketrel::iot::Word;

namespace {

constexpr Word kUntouched = 0x5A5A;

void Check(bool condition) {
    if (!condition) std::abort();
}

class FuzzInput : public ketrel::iot::IoTInput, public ketrel::LinkClock {
  public:
    explicit FuzzInput(std::vector<std::string> chunks) : chunks_(std::move(chunks)) {}
    TimePoint now() override { return now_; }
    void sleepFor(Duration d) override {
        now_ += d;
        if (polls_ < chunks_.size())
            queue_.insert(queue_.end(), chunks_[polls_].begin(), chunks_[polls_].end());
        ++polls_;
    }
    int queuedInput() override { return static_cast<int>(queue_.size()); }
    bool readByte(std::uint8_t& byte) override {
        if (queue_.empty()) return false;
        byte = static_cast<std::uint8_t>(queue_.front());
        queue_.pop_front();
        read_.push_back(static_cast<char>(byte));
        return true;
    }
    std::size_t polls() const { return polls_; }
    const std::string& read() const { return read_; }

  private:
    std::vector<std::string> chunks_;
    std::deque<char> queue_;
    TimePoint now_{};
    std::size_t polls_ = 0;
    std::string read_;
};

// The buffer as the wait keeps it: written in a circle, never cleared.
std::string ModelText(const std::string& received) {
    std::string buffer(ketrel::iot::IoTAckBuffer::kSize, '\0');
    for (std::size_t i = 0; i < received.size(); ++i) buffer[i % buffer.size()] = received[i];
    return buffer.substr(0, buffer.find('\0'));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    const std::size_t expected = (data[0] & 1) ? 10 : 3;
    const int pollCount = (data[1] | (data[2] << 8)) & 0x3FF;
    std::vector<std::string> chunks;
    for (std::size_t i = 3; i < size;) {
        const std::size_t n = data[i++];
        const std::size_t take = n < size - i ? n : size - i;
        chunks.emplace_back(reinterpret_cast<const char*>(data + i), take);
        i += take;
    }
    FuzzInput input(chunks);
    std::vector<Word> fields(expected, kUntouched);
    const bool accepted = ketrel::iot::WaitIoTAck(input, input, pollCount, fields.data(), expected);

    // At most pollCount - 1 ticks of 1 ms polls.
    const auto budget = ketrel::PollBudget(pollCount > 1 ? pollCount - 1 : 0);
    Check(input.polls() <= static_cast<std::size_t>(budget / ketrel::kPollSleep) + 1);
    const std::string& received = input.read();
    if (!accepted) {
        for (Word w : fields) Check(w == kUntouched);
        return 0;
    }
    // Accepted right after a poll whose last byte was a line feed, on what the buffer held.
    Check(!received.empty() && received.back() == '\n');
    std::vector<Word> model(expected, 0);
    Check(ketrel::iot::ParseIoTAck(ModelText(received), model.data(), expected));
    Check(model == fields);
    return 0;
}

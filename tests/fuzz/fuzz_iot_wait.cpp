// The reply wait's buffer handling on any sequence of bytes arriving over any number of polls:
// the 128-byte buffer is never overrun, the wait never makes more than pollCount - 1 polls,
// and its answer is the one a plain model of the buffer gives.
//
// Input: byte 0 chooses the field count (3 or 10), bytes 1-2 the poll count (0..1023), then
// chunks of [length][bytes...], one chunk arriving per poll.
#include <deque>

#include "fuzz_support.h"
#include "iot/iot_reply.h"
#include "iot/wait_iot_ack.h"

using ketrel::iot::Word;

namespace {

class FuzzInput : public ketrel::iot::IoTInput, public ketrel::LinkClock {
  public:
    explicit FuzzInput(std::vector<std::string> chunks) : chunks_(std::move(chunks)) {}
    TimePoint now() override { return now_; }
    void sleepFor(Duration d) override {
        now_ += d;
        if (polls < chunks_.size())
            queue_.insert(queue_.end(), chunks_[polls].begin(), chunks_[polls].end());
        ++polls;
    }
    int queuedInput() override { return static_cast<int>(queue_.size()); }
    bool readByte(std::uint8_t& byte) override {
        if (queue_.empty()) return false;
        byte = static_cast<std::uint8_t>(queue_.front());
        queue_.pop_front();
        read.push_back(static_cast<char>(byte));
        return true;
    }
    std::size_t polls = 0;
    std::string read;

  private:
    std::vector<std::string> chunks_;
    std::deque<char> queue_;
    TimePoint now_{};
};

}  // namespace

void ketrel::fuzz::FuzzOne(Input& in) {
    if (in.size() < 3) return;
    const std::size_t expected = (in.byte() & 1) ? 10 : 3;
    const int low = in.byte();
    const int pollCount = (low | in.byte() << 8) & 0x3FF;
    FuzzInput input(in.chunks());
    constexpr Word kUntouched = 0x5A5A;
    std::vector<Word> fields(expected, kUntouched);
    const bool accepted = iot::WaitIoTAck(input, input, pollCount, fields.data(), expected);

    // At most pollCount - 1 ticks of 1 ms polls.
    const auto budget = PollBudget(pollCount > 1 ? pollCount - 1 : 0);
    Check(input.polls <= static_cast<std::size_t>(budget / kPollSleep) + 1);
    if (!accepted) return Check(fields == std::vector<Word>(expected, kUntouched));
    // Accepted right after a poll whose last byte was a line feed, on what the buffer held: the
    // buffer is written in a circle and never cleared.
    Check(!input.read.empty() && input.read.back() == '\n');
    std::string buffer(iot::IoTAckBuffer::kSize, '\0');
    for (std::size_t i = 0; i < input.read.size(); ++i) buffer[i % buffer.size()] = input.read[i];
    std::vector<Word> model(expected, 0);
    Check(iot::ParseIoTAck(buffer.substr(0, buffer.find('\0')), model.data(), expected));
    Check(model == fields);
}

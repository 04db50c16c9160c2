// The IoT reply parser and the reply wait, on any bytes. The parser must agree with a plain model
// of its rules, never write past the caller's fields, and never touch them when it refuses. The
// wait, over any number of polls, must never overrun its 128-byte buffer, never make more than
// pollCount - 1 polls, and answer as a plain model of the buffer does.
//
// Byte 0 chooses: even, the parser (byte 1 the field count, the rest the text); odd, the wait
// (byte 1 the field count, 3 or 10; bytes 2-3 the poll count, 0..1023; then chunks of
// [length][bytes...], one chunk arriving per poll).
#include <deque>

#include "fuzz_support.h"
#include "iot/iot_reply.h"
#include "iot/wait_iot_ack.h"

using namespace ketrel;
using fuzz::Check;
using iot::Word;

namespace {

bool Model(std::string_view text, std::size_t expected, std::vector<Word>& out) {
    if (expected == 0 || expected > 10) return false;
    bool tooLong = false;
    const auto pieces = fuzz::ModelTokens(text, ':', std::string::npos, &tooLong);
    if (pieces.size() != 2 || pieces[0].size() >= 128 || pieces[1].size() >= 128) return false;
    if (pieces[0] != "IoTAckData") return false;
    const auto fields = fuzz::ModelTokens(pieces[1], ',', 31, &tooLong);
    if (tooLong || fields.size() > 10 || fields.size() != expected) return false;
    for (const auto& f : fields) {
        std::size_t i = f.find_first_not_of(" \t\n\v\f\r");
        unsigned long long value = 0;
        for (; i < f.size() && f[i] >= '0' && f[i] <= '9'; ++i) {
            value = (value * 10 + static_cast<unsigned>(f[i] - '0')) % 65536;
        }
        out.push_back(static_cast<Word>(value));
    }
    return true;
}

class FuzzInput : public iot::IoTInput, public LinkClock {
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

void ParserMode(fuzz::Input& in) {
    // Counts 0..12 include the ones no caller may ask for.
    const std::size_t expected = in.byte() % 13;
    const std::string_view text = in.rest();
    // Exactly as many fields as asked, on the heap, so a write past them is caught.
    constexpr Word kUntouched = 0xA5A5;
    std::vector<Word> fields(expected, kUntouched);
    const bool accepted = iot::ParseIoTAck(text, fields.data(), expected);
    std::vector<Word> model;
    Check(accepted == Model(text, expected, model));
    Check(fields == (accepted ? model : std::vector<Word>(expected, kUntouched)));
}

void WaitMode(fuzz::Input& in) {
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

}  // namespace

void ketrel::fuzz::FuzzOne(Input& input) {
    if (input.size() < 2) return;
    (input.byte() & 1) ? WaitMode(input) : ParserMode(input);
}

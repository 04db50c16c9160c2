#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "iot/iot_line.h"
#include "iot/iot_reply.h"
#include "iot/wait_iot_ack.h"

namespace ketrel::iot {
namespace {

using namespace std::chrono_literals;

// Hands the wait one chunk of bytes per poll, as a port would have queued them by then, on a
// clock that moves only when the wait sleeps.
class ScriptedInput : public IoTInput, public LinkClock {
  public:
    explicit ScriptedInput(std::vector<std::string> perPoll) : perPoll_(std::move(perPoll)) {}
    TimePoint now() override { return now_; }
    void sleepFor(Duration d) override {
        now_ += d;
        if (polls_ < perPoll_.size()) {
            for (char c : perPoll_[polls_]) queue_.push_back(static_cast<std::uint8_t>(c));
        }
        ++polls_;
    }
    int queuedInput() override {
        ++queries_;
        return static_cast<int>(queue_.size());
    }
    bool readByte(std::uint8_t& byte) override {
        if (queue_.empty()) return false;
        byte = queue_.front();
        queue_.pop_front();
        return true;
    }
    std::size_t polls() const { return polls_; }
    std::size_t queries() const { return queries_; }
    std::size_t left() const { return queue_.size(); }

  private:
    std::vector<std::string> perPoll_;
    std::deque<std::uint8_t> queue_;
    TimePoint now_{};
    std::size_t polls_ = 0;
    std::size_t queries_ = 0;
};

constexpr Word kUntouched = 0xBEEF;

// The 1 ms polls a wait of pollCount makes: pollCount - 1 ticks of 15.625 ms.
std::size_t PollsWithin(int pollCount) {
    return static_cast<std::size_t>((PollBudget(pollCount - 1) + kPollSleep - 1us) / kPollSleep);
}

const std::string kOk = "IoTAckData:250,1,1\r\n";

// A wait accepts one whole reply at the start of what came and stops at the first poll after
// which a line feed is the last byte; anything else runs out its polls and writes no field.
TEST(WaitIoTAck, AcceptsOnlyOneWholeReplyAtTheStart) {
    struct Case {
        std::vector<std::string> perPoll;
        std::size_t expectedCount;
        std::vector<Word> fields;  // empty: refused
    };
    const Case cases[] = {
        {{kOk}, 3, {250, 1, 1}},
        {{"IoTAckData:250,1,1\n"}, 3, {250, 1, 1}},
        {{"IoTAckData:25", "", "", "0,1,1\r", "\n"}, 3, {250, 1, 1}},
        {{"IoTAckData:250,,1,,1\r\n"}, 3, {250, 1, 1}},
        {{"IoTAckData:65536,65537,131071\r\n"}, 3, {0, 1, 65535}},
        {{"IoTAckData:0,4660,22136,39612,57072,0,0,0,0,8\r\n"},
         10,
         {0, 4660, 22136, 39612, 57072, 0, 0, 0, 0, 8}},
        {{"IoTAckData:" + std::string(30, '0') + "7,1,1\r\n"}, 3, {7, 1, 1}},
        {{"IoTAckData:250,1\r\n"}, 3, {}},
        {{kOk + ">"}, 3, {}},
        {{kOk, ">"}, 3, {250, 1, 1}},
        {{"OK\r\n" + kOk}, 3, {}},
        {{"IoTAckData:250,1,1"}, 3, {}},
        {{"iotAckData:250,1,1\r\n"}, 3, {}},
        {{"IoTAckData:1,2,3,4,5,6,7,8,9,10,11\r\n"}, 10, {}},
        {{"IoTAckData:" + std::string(31, '0') + "7,1,1\r\n"}, 3, {}},
        {{std::string("IoTAckData:250,1,1\r\n\0\n", 22)}, 3, {250, 1, 1}},  // a zero ends the text
        {{}, 3, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.perPoll.empty() ? "nothing" : c.perPoll[0]);
        ScriptedInput input(c.perPoll);
        std::vector<Word> fields(kDataFields + 1, kUntouched);
        const int polls = 20;
        ASSERT_EQ(WaitIoTAck(input, input, polls, fields.data(), c.expectedCount),
                  !c.fields.empty());
        if (c.fields.empty()) {
            for (Word w : fields) EXPECT_EQ(w, kUntouched) << "fields touched by a failed wait";
            EXPECT_EQ(input.polls(), PollsWithin(polls)) << "polls - 1 ticks";
            continue;
        }
        EXPECT_EQ(std::vector<Word>(fields.begin(), fields.begin() + c.fields.size()), c.fields);
        EXPECT_EQ(fields[c.expectedCount], kUntouched) << "a field past the count was written";
        std::string stream;
        std::size_t complete = 0;
        for (std::size_t i = 0; i < c.perPoll.size() && !complete; ++i) {
            stream += c.perPoll[i];
            if (!stream.empty() && stream.back() == '\n') complete = i + 1;
        }
        EXPECT_EQ(input.polls(), complete);
    }
}

TEST(WaitIoTAck, ReplyOnTheLastPollCountsAndOneLaterDoesNot) {
    // 300 and 500 polls give a person 4.7 s and 7.8 s to answer, whatever the sleeps last.
    EXPECT_EQ(PollsWithin(kStatusPolls), 4672u);
    EXPECT_EQ(PollsWithin(kDataPolls), 7797u);
    for (int polls : {2, 300}) {
        std::vector<std::string> script(PollsWithin(polls));
        script.back() = kOk;
        ScriptedInput last(script);
        Word fields[3] = {};
        EXPECT_TRUE(WaitIoTAck(last, last, polls, fields, 3)) << polls;
        script.push_back(kOk);
        script[script.size() - 2].clear();
        ScriptedInput late(script);
        EXPECT_FALSE(WaitIoTAck(late, late, polls, fields, 3)) << polls;
        EXPECT_EQ(late.left(), 0u) << "the late reply was never read";
    }
}

TEST(ParseIoTAck, RefusesCountsTheCallerCannotHold) {
    Word fields[kMaxFields] = {};
    EXPECT_FALSE(ParseIoTAck("IoTAckData:1\r\n", fields, 0));
    EXPECT_FALSE(ParseIoTAck("IoTAckData:1,2,3,4,5,6,7,8,9,10,11\r\n", fields, 11));
    EXPECT_FALSE(ParseIoTAck("IoTAckData:" + std::string(128, '1') + "\n", fields, 1))
        << "a piece of 128 characters is outside the limits";
}

}  // namespace
}  // namespace ketrel::iot

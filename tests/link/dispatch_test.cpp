#include <gtest/gtest.h>

#include <cstring>

#include "link/frame_dispatch.h"
#include "link/info_lines.h"
#include "platform/app_state.h"
#include "platform/text_util.h"
#include "recording_actions.h"
#include "unitsim/unit_simulator.h"

namespace ketrel {
namespace {

using Events = std::vector<std::string>;

class DispatchTest : public ::testing::Test {
  protected:
    void put(std::size_t pos, const std::string& payload) {
        const std::string f = sim::UnitSimulator::MakeFrame(payload);
        std::memcpy(&ring[pos], f.data(), f.size());
    }
    int pass() { return dispatcher.DispatchUnitFrames(ring); }

    frame::Ring ring{};
    SharedText openAppPath{"  /opt/camera/run me  "};
    test::RecordingActions rec;
    FrameDispatcher dispatcher{rec, rec, openAppPath};
};

// Names that only resemble a command (case, a missing part, a leading space) are ignored.
TEST_F(DispatchTest, EachCommandNameActsByPrefixInTableOrder) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"ComputerShutdown", "shutdown"},
        {"ComputerShutdown now please", "shutdown"},
        {"ComputerRestart", "restart"},
        {"ComputerPageUp", "key PageUp"},
        {"ComputerPageDown", "key PageDown"},
        {"ComputerSpace", "key Space"},
        {"ComputerPlayPause", "key PlayPause"},
        {"ComputerStop", "key Stop"},
        {"ComputerStopXYZ", "key Stop"},
        {"ComputerOpenCamera", "open /opt/camera/run me"},
        {"ChangeResolution960_720", "resolution 960"},
        {"ChangeResolution1920_720", "resolution 1920"},
        {"Model=KT-M4", "info Model=KT-M4"},
        {"computerPageDown", ""},
        {"ComputerPage", ""},
        {" ComputerPageDown", ""},
        {"Compu", ""},
    };
    for (const auto& [payload, expected] : cases) {
        test::RecordingActions r;
        FrameDispatcher d(r, r, openAppPath);
        frame::Ring ring{};
        const std::string f = sim::UnitSimulator::MakeFrame(payload);
        std::memcpy(ring.data(), f.data(), f.size());
        EXPECT_EQ(d.DispatchUnitFrames(ring), 1) << payload;
        EXPECT_EQ(r.events(), expected.empty() ? Events{} : Events{expected}) << payload;
        EXPECT_EQ(ring, frame::Ring{}) << "a handled frame is cleared: " << payload;
    }
}

// Where frames lie in the ring decides which pass finds them: one pass steps 64 bytes past each
// frame it handles, and a frame not yet closed waits for its "}".
TEST_F(DispatchTest, FramesFoundPassByPass) {
    struct Case {
        const char* name;
        std::vector<std::pair<std::size_t, const char*>> frames;
        std::size_t strayBrace;   // a "{" whose 64-byte run does not end in "}" (0: none)
        std::vector<int> passes;  // frames handled by each pass
        Events events;
    };
    const Case cases[] = {
        {"same frame twice",
         {{100, "ComputerPageDown"}, {164, "ComputerPageDown"}},
         0,
         {2, 0},
         {"key PageDown", "key PageDown"}},
        {"not 64 apart",
         {{0, "ComputerPageUp"}, {74, "ComputerPageDown"}},
         0,
         {1, 1},
         {"key PageUp", "key PageDown"}},
        {"stray brace before", {{5, "ComputerStop"}}, 3, {1, 0}, {"key Stop"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::RecordingActions r;
        FrameDispatcher d(r, r, openAppPath);
        frame::Ring ring{};
        for (const auto& [pos, payload] : c.frames) {
            const std::string f = sim::UnitSimulator::MakeFrame(payload);
            std::memcpy(&ring[pos], f.data(), f.size());
        }
        if (c.strayBrace) ring[c.strayBrace] = '{';
        std::vector<int> passes;
        for (std::size_t i = 0; i < c.passes.size(); ++i)
            passes.push_back(d.DispatchUnitFrames(ring));
        EXPECT_EQ(passes, c.passes);
        EXPECT_EQ(r.events(), c.events);
        EXPECT_EQ(ring[c.strayBrace], c.strayBrace ? '{' : 0) << "a stray brace is not cleared";
    }
    // A frame not yet closed acts once its close arrives.
    put(0, "ComputerRestart");
    ring[63] = 0;
    EXPECT_EQ(pass(), 0);
    ring[63] = '}';
    EXPECT_EQ(pass(), 1);
    EXPECT_EQ(rec.events(), Events{"restart"});
}

TEST_F(DispatchTest, FramesAreFoundWhereverTheyFitInsideTheRing) {
    // 1984 is where the 32nd of a run of back-to-back frames lands; it must act like the others.
    for (const std::size_t start : {0u, 1983u, 1984u}) {
        frame::Ring r{};
        const std::string f = sim::UnitSimulator::MakeFrame("ComputerSpace");
        std::memcpy(&r[start], f.data(), f.size());
        EXPECT_EQ(dispatcher.DispatchUnitFrames(r), 1) << start;
    }
    // A frame that would cross the end of the ring is not read across it.
    frame::Ring late{};
    const std::string f = sim::UnitSimulator::MakeFrame("ComputerSpace");
    std::memcpy(&late[1985], f.data(), f.size() - 1);
    late[0] = '}';
    EXPECT_EQ(dispatcher.DispatchUnitFrames(late), 0);
    EXPECT_EQ(late[1985], '{') << "a frame that is never handled is never cleared";
    EXPECT_EQ(rec.events(), (Events{"key Space", "key Space", "key Space"}));
}

TEST_F(DispatchTest, ThirtyThreeBackToBackFramesAllAct) {
    // The ring fills with whole frames from position 0; none may be lost at its end.
    for (std::size_t k = 0; k < frame::kRingSize / frame::kFrameSize; ++k)
        put(64 * k, "ComputerPageDown");
    EXPECT_EQ(pass(), 32);
    put(0, "ComputerPageDown");
    EXPECT_EQ(pass(), 1);
    EXPECT_EQ(rec.count(), 33u);
}

TEST_F(DispatchTest, PayloadWithoutTerminatorStaysInsideTheFrame) {
    // 62 non-zero payload bytes and a "}" right after: the text must end at the payload.
    ring[0] = '{';
    std::memset(&ring[1], 'A', 62);
    ring[63] = '}';
    std::memcpy(&ring[1], "Model=", 6);
    ring[64] = 'Z';  // must not become part of the value
    EXPECT_EQ(pass(), 1);
    EXPECT_EQ(rec.events(), Events{"info Model=" + std::string(56, 'A')});
}

TEST_F(DispatchTest, InvalidUtf8FromTheUnitReachesTheSinkAsValidText) {
    put(0, "Model=\xff\xfeX");
    pass();
    EXPECT_EQ(rec.events(), Events{"info Model=\xEF\xBF\xBD\xEF\xBF\xBDX"});
    // Each byte of a malformed form becomes one U+FFFD; C1 controls are escaped on a terminal.
    const std::string r = "\xEF\xBF\xBD";
    for (const auto& [bytes, sane] : std::vector<std::pair<std::string, std::string>>{
             {"\xE4\xB8\xAD\xF0\x9F\x98\x80", "\xE4\xB8\xAD\xF0\x9F\x98\x80"},
             {"\xC1\xBF", r + r},                  // overlong
             {"\xED\xA0\x80", r + r + r},          // a surrogate
             {"\xF4\x90\x80\x80", r + r + r + r},  // past U+10FFFF
             {"\xE4\xB8", r + r}}) {               // cut short
        EXPECT_EQ(SanitizeUtf8(bytes), sane) << testing::PrintToString(bytes);
    }
    EXPECT_EQ(TerminalText("\xC2\x80\xC2\x9F\xC2\xA0"), "\\u0080\\u009f\xC2\xA0");
}

TEST(InfoLines, OnlyKnownKeysWithOneEqualsReachTheSink) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"  Model=KT-M4  ", "info Model=KT-M4"},
        {"Model =KT", ""},  // the key ends with a space
        {"cip=1.2.3.4=5", ""},
        {"cip=10.0.0.7", "info cip=10.0.0.7"},
        {"dhcp=", "info dhcp="},
        {"IDNumber=0000123", "info IDNumber=0000123"},
        {"model=KT", ""},  // keys match exactly
        {"Firmware=1.0", ""},
        {"no equals here", ""},
        {"serverip= 10.1.1.1", "info serverip= 10.1.1.1"},
    };
    for (const auto& [line, expected] : cases) {
        test::RecordingActions r;
        HandleInfoLine(line, r);
        EXPECT_EQ(r.events(), expected.empty() ? Events{} : Events{expected}) << line;
    }
}

TEST(InfoLines, DhcpIsEnabledOnlyForExactlyOne) {
    EXPECT_EQ(DhcpText("1"), "启用");
    for (const char* v : {"0", "", " 1", "1 ", "11", "yes"}) EXPECT_EQ(DhcpText(v), "禁用") << v;
}

}  // namespace
}  // namespace ketrel

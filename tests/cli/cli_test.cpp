// The command line against the simulator executable, as a user or a script runs them.
#include <gtest/gtest.h>

#include <signal.h>

#include "common/texts.h"
#include "process.h"
#include "test_support.h"

namespace ketrel {
namespace {

class CliTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(sim.started());
        port = sim.readLine();
        ASSERT_EQ(port.rfind("/dev/pts/", 0), 0u) << "first line: " << port;
    }
    std::vector<std::string> ketrel(std::vector<std::string> args) {
        std::vector<std::string> argv = {KETREL_EXE, "--dir", dir.path(), "--port", port};
        argv.insert(argv.end(), args.begin(), args.end());
        return argv;
    }

    test::TempDir dir;
    test::Process sim{{UNITSIM_EXE, "--model", "KT-TEST", "--cip", "10.0.0.7"}};
    std::string port;
};

TEST_F(CliTest, InfoPrintsEveryInformationLine) {
    test::Process info(ketrel({"info", "--seconds", "0.5"}));
    std::string out;
    EXPECT_EQ(info.finish(&out), 0);
    EXPECT_NE(out.find("Model=KT-TEST\n"), std::string::npos) << out;
    EXPECT_NE(out.find("cip=10.0.0.7\n"), std::string::npos) << out;
    EXPECT_NE(out.find("serverip="), std::string::npos) << out;
    sim.write("lines\n");
    EXPECT_EQ(sim.readLine(), "GetInfo");
}

TEST_F(CliTest, InfoFromASilentUnitSaysSoAndFails) {
    sim.write("fault no-answer\n");
    test::Process info(ketrel({"info", "--seconds", "0.5"}), true);
    std::string out;
    EXPECT_EQ(info.finish(&out), 1);
    EXPECT_EQ(out, std::string(texts::kInfoNoAnswer) + "\n");
}

TEST_F(CliTest, ListenDryRunPrintsEachActionAsItHappens) {
    test::Process listen(ketrel({"listen", "--dry-run"}));
    // The unit's lines are heard only once the port is open; wait for one to come through.
    bool listening = false;
    for (int i = 0; i < 100 && !listening; ++i) {
        sim.write("frame Model=ready\n");
        listening = listen.readLine(100) == "info Model=ready";
    }
    ASSERT_TRUE(listening);
    while (!listen.readLine(50).empty()) {
    }
    // The listener holds the port, so a second program cannot open it.
    test::Process probe(ketrel({"info", "--seconds", "0"}));
    EXPECT_EQ(probe.finish(), 1);
    sim.write("pc ComputerPageDown\n");
    EXPECT_EQ(listen.readLine(), "key PageDown");
    sim.write(
        "frame ChangeResolution1920_720\nswipe 0000123\nframe Model =bad\n"
        "frame ComputerShutdown\n");
    EXPECT_EQ(listen.readLine(), "resolution 1920x720");
    EXPECT_EQ(listen.readLine(), "info IDNumber=0000123");
    EXPECT_EQ(listen.readLine(), "shutdown");
    EXPECT_EQ(listen.signalAndWait(SIGTERM), 0);
}

TEST_F(CliTest, ListenEndsWithAMessageWhenTheUnitGoesAway) {
    test::Process listen(ketrel({"listen", "--dry-run"}));
    test::WaitUntil([] { return false; }, std::chrono::milliseconds(300));
    sim.write("quit\n");
    EXPECT_EQ(listen.finish(), 1);
}

TEST(CliUsage, ExitStatuses) {
    test::TempDir dir;
    const std::vector<std::pair<std::vector<std::string>, int>> cases = {
        {{KETREL_EXE, "--dir", dir.path(), "--port", "/dev/ketrel-none", "info"}, 1},
        {{KETREL_EXE, "--dir", dir.path(), "frobnicate"}, 2},
        {{KETREL_EXE, "--dir", dir.path(), "info", "--seconds", "x"}, 2},
        {{KETREL_EXE, "--dir", dir.path(), "listen", "--loud"}, 2},
        {{KETREL_EXE, "--port"}, 2},
        {{KETREL_EXE, "--help"}, 0},
        {{KETREL_EXE, "--version"}, 0},
    };
    for (const auto& [argv, status] : cases) {
        test::Process p(argv);
        EXPECT_EQ(p.finish(), status) << argv.back();
    }
}

}  // namespace
}  // namespace ketrel

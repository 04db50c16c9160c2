#include "projector/isolated_call.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <thread>

namespace ketrel::projector {
namespace {

using Outcome = IsolatedResult::Outcome;
using namespace std::chrono_literals;

int Write(int fd, const std::string& text) {
    return WriteAll(fd, text.data(), text.size()) ? 0 : 9;
}

TEST(RunIsolated, ReportsHowTheChildEnded) {
    struct Case {
        const char* what;
        std::function<int(int)> work;
        Outcome outcome;
        int exitCode;
        std::string output;
        std::chrono::milliseconds timeout = 10s;  // only the hanging child needs to meet it
    };
    const std::vector<Case> cases = {
        {"completes", [](int fd) { return Write(fd, "answer"); }, Outcome::Completed, 0, "answer"},
        {"silent", [](int) { return 0; }, Outcome::Completed, 0, ""},
        // What a failed child wrote is not an answer.
        {"fails", [](int fd) { return Write(fd, "half") + 3; }, Outcome::Failed, 3, ""},
        {"throws", [](int) -> int { throw std::runtime_error("x"); }, Outcome::Failed, 1, ""},
        {"killed",
         [](int fd) {
             Write(fd, "half");
             raise(SIGKILL);
             return 0;
         },
         Outcome::Crashed, -1, ""},
        {"hangs",
         [](int) {
             for (;;) pause();
             return 0;
         },
         Outcome::TimedOut, -1, "", 300ms},
        {"floods",
         [](int fd) {
             const std::string block(1 << 16, 'x');
             for (;;) Write(fd, block);
             return 0;
         },
         Outcome::TooLarge, -1, ""},
        // Closing the pipe early does not end the wait before the child has ended.
        {"closes early",
         [](int fd) {
             Write(fd, "a");
             close(fd);
             return 0;
         },
         Outcome::Completed, 0, "a"},
    };
    for (const auto& c : cases) {
        const IsolatedResult r = RunIsolated(c.work, c.timeout, 1 << 20);
        EXPECT_EQ(r.outcome, c.outcome) << c.what;
        EXPECT_EQ(r.exitCode, c.exitCode) << c.what;
        EXPECT_EQ(r.output, c.output) << c.what;
    }
}

TEST(RunIsolated, TheChildsStandardErrorStaysInTheChild) {
    ::testing::internal::CaptureStderr();
    ::testing::internal::CaptureStdout();
    const IsolatedResult r = RunIsolated(
        [](int fd) {
            std::fprintf(stderr, "diagnostic from the child\n");
            std::printf("output from the child\n");
            std::fflush(nullptr);
            return Write(fd, "ok");
        },
        2000ms, 1024);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(r.output, "ok");
}

}  // namespace
}  // namespace ketrel::projector

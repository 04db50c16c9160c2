#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>

namespace ketrel::projector {

// The end of work done in a child process.
struct IsolatedResult {
    enum class Outcome {
        Completed,  // the child wrote its output and exited with status 0
        Failed,     // the child exited with another status, or no child could be started
        Crashed,    // the child ended on a signal
        TimedOut,   // the child took too long and was killed
        TooLarge,   // the child wrote more than allowed and was killed
    };
    Outcome outcome = Outcome::Failed;
    int exitCode = -1;
    std::string output;  // everything the child wrote to its output descriptor
};

// Runs work(fd) in a forked child whose standard output and error go to /dev/null; the child
// writes its result to fd and its return value becomes its exit status. Used for libraries
// that read files from outside and are not trusted with them: a crash, a hang or chatter on
// stderr stays in the child. The work must not rely on other threads of this process (only
// the calling thread exists in the child).
IsolatedResult RunIsolated(const std::function<int(int fd)>& work,
                           std::chrono::milliseconds timeout, std::size_t maxOutput);

// Writes all of data to fd (retrying short writes); false on an error.
bool WriteAll(int fd, const char* data, std::size_t size);

}  // namespace ketrel::projector

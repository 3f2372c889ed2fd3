// A test program run as a child process: its standard output is read line
// by line, and it is killed and reaped when the TestChild goes away, so a
// failing test leaves nothing running.
#pragma once

#include "platform/processes/SerialNumber.h"

#include <sys/types.h>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace corvane::testing {

class TestChild {
public:
    // Runs argv[0] (a path) with the arguments; null when it cannot start.
    static std::unique_ptr<TestChild> start(const std::vector<std::string>& argv);
    ~TestChild();
    TestChild(const TestChild&) = delete;
    TestChild& operator=(const TestChild&) = delete;

    pid_t pid() const { return pid_; }
    SerialNumber serialNumber() const { return SerialNumber::forProcess(pid_); }

    // The next output line that starts with prefix (earlier lines are
    // skipped); empty when none comes within timeout or the output ends.
    std::string waitForLine(const std::string& prefix,
                            std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // The window ids of a "ready 0x... 0x..." line.
    std::vector<std::uint32_t> waitUntilReady(
        std::chrono::milliseconds timeout = std::chrono::seconds(10));

    // Waits for the child to end; its wait status, or -1 on time-out.
    int waitForExit(std::chrono::milliseconds timeout);
    bool hasExited() const { return reaped_; }

    void freeze();  // SIGSTOP
    void thaw();    // SIGCONT
    void kill();    // SIGKILL and reap

private:
    TestChild() = default;
    pid_t pid_ = -1;
    int output_ = -1;
    std::string buffer_;
    bool reaped_ = false;
};

// The path of a program built beside the tests.
std::string testProgram(const char* name);

}  // namespace corvane::testing

#include "tests/clients/TestChild.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <sstream>
#include <thread>

namespace corvane::testing {

using Clock = std::chrono::steady_clock;

std::unique_ptr<TestChild> TestChild::start(const std::vector<std::string>& argv)
{
    int pipeFds[2];
    if (argv.empty() || ::pipe2(pipeFds, O_CLOEXEC) != 0)
        return nullptr;
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        return nullptr;
    }
    if (pid == 0) {
        ::setpgid(0, 0);  // its own group, so whatever it starts ends with it
        ::dup2(pipeFds[1], STDOUT_FILENO);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    ::setpgid(pid, pid);  // also here: whichever of the two runs first
    ::close(pipeFds[1]);
    std::unique_ptr<TestChild> child(new TestChild);
    child->pid_ = pid;
    child->output_ = pipeFds[0];
    return child;
}

TestChild::~TestChild()
{
    kill();
    if (output_ >= 0)
        ::close(output_);
}

std::string TestChild::waitForLine(const std::string& prefix, std::chrono::milliseconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        for (size_t end; (end = buffer_.find('\n')) != std::string::npos;) {
            std::string line = buffer_.substr(0, end);
            buffer_.erase(0, end + 1);
            if (line.rfind(prefix, 0) == 0)
                return line;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0 || output_ < 0)
            return {};
        pollfd fd{output_, POLLIN, 0};
        if (::poll(&fd, 1, static_cast<int>(left.count())) <= 0)
            continue;
        char chunk[512];
        const ssize_t n = ::read(output_, chunk, sizeof chunk);
        if (n <= 0) {
            ::close(output_);
            output_ = -1;
            return {};
        }
        buffer_.append(chunk, static_cast<size_t>(n));
    }
}

std::vector<std::uint32_t> TestChild::waitUntilReady(std::chrono::milliseconds timeout)
{
    std::istringstream line(waitForLine("ready", timeout));
    std::string word;
    line >> word;
    std::vector<std::uint32_t> ids;
    while (line >> word)
        ids.push_back(static_cast<std::uint32_t>(std::strtoul(word.c_str(), nullptr, 16)));
    return ids;
}

int TestChild::waitForExit(std::chrono::milliseconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    while (!reaped_) {
        int status = 0;
        const pid_t r = ::waitpid(pid_, &status, WNOHANG);
        if (r == pid_) {
            reaped_ = true;
            return status;
        }
        if (r < 0 || Clock::now() >= deadline)
            return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return 0;
}

void TestChild::freeze()
{
    if (!reaped_)
        ::kill(pid_, SIGSTOP);
}

void TestChild::thaw()
{
    if (!reaped_)
        ::kill(pid_, SIGCONT);
}

void TestChild::kill()
{
    if (pid_ <= 0 || reaped_)
        return;  // once reaped, its identifier may name someone else's group
    ::kill(-pid_, SIGKILL);  // the group: grandchildren too (a script's commands)
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    reaped_ = true;
}

std::string testProgram(const char* name)
{
    return std::string(CORVANE_TEST_PROGRAM_DIR) + "/" + name;
}

}  // namespace corvane::testing

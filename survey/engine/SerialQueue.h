// A queue that runs operations one at a time, in the order added, on one
// worker thread of its own. It starts suspended or running; operations added
// while it is suspended wait until resume().
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace corvane::survey {

class SerialQueue {
public:
    SerialQueue();
    // Operations not yet started are dropped; the running one is waited for.
    ~SerialQueue();
    SerialQueue(const SerialQueue&) = delete;
    SerialQueue& operator=(const SerialQueue&) = delete;

    void addOperation(std::function<void()> operation);
    void setSuspended(bool suspended);
    bool isSuspended() const;
    // Blocks until every operation added so far has run. Only for callers
    // that do not also have to serve the operations (tests, tools).
    void waitUntilAllOperationsAreFinished();

private:
    void run();

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::function<void()>> pending_;
    bool suspended_ = false;
    bool running_ = false;  // an operation is executing
    bool stopping_ = false;
    std::thread worker_;
};

}  // namespace corvane::survey

#include "survey/engine/SerialQueue.h"

namespace corvane::survey {

SerialQueue::SerialQueue() : worker_([this] { run(); }) {}

SerialQueue::~SerialQueue()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        pending_.clear();
    }
    changed_.notify_all();
    worker_.join();
}

void SerialQueue::addOperation(std::function<void()> operation)
{
    {
        std::lock_guard lock(mutex_);
        pending_.push_back(std::move(operation));
    }
    changed_.notify_all();
}

void SerialQueue::setSuspended(bool suspended)
{
    {
        std::lock_guard lock(mutex_);
        suspended_ = suspended;
    }
    changed_.notify_all();
}

bool SerialQueue::isSuspended() const
{
    std::lock_guard lock(mutex_);
    return suspended_;
}

void SerialQueue::waitUntilAllOperationsAreFinished()
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return stopping_ || (pending_.empty() && !running_); });
}

void SerialQueue::run()
{
    std::unique_lock lock(mutex_);
    while (true) {
        changed_.wait(lock, [this] { return stopping_ || (!suspended_ && !pending_.empty()); });
        if (stopping_)
            return;
        std::function<void()> operation = std::move(pending_.front());
        pending_.pop_front();
        running_ = true;
        lock.unlock();
        operation();
        lock.lock();
        running_ = false;
        changed_.notify_all();
    }
}

}  // namespace corvane::survey

#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace nimbra::link {

// Keeps each exchange with the station whole. A caller waits a bounded time for it and
// gives up rather than racing another exchange. Built on a condition variable rather
// than std::timed_mutex, whose timed wait ThreadSanitizer cannot follow.
class TransferLock {
public:
    static constexpr std::chrono::milliseconds kWaitLimit{1200};

    bool tryLockFor(std::chrono::milliseconds limit) {
        std::unique_lock lock(mutex_);
        if (!released_.wait_for(lock, limit, [this] { return !busy_; })) {
            return false;
        }
        busy_ = true;
        return true;
    }

    void unlock() {
        {
            std::lock_guard lock(mutex_);
            busy_ = false;
        }
        released_.notify_one();
    }

private:
    std::mutex mutex_;
    std::condition_variable released_;
    bool busy_ = false;
};

// Holds the transfer lock for one scope if it was obtained within the wait limit.
class TransferGuard {
public:
    explicit TransferGuard(TransferLock& lock)
        : lock_(lock), owned_(lock.tryLockFor(TransferLock::kWaitLimit)) {}
    ~TransferGuard() {
        if (owned_) {
            lock_.unlock();
        }
    }
    TransferGuard(const TransferGuard&) = delete;
    TransferGuard& operator=(const TransferGuard&) = delete;

    explicit operator bool() const { return owned_; }

private:
    TransferLock& lock_;
    bool owned_;
};

}  // namespace nimbra::link

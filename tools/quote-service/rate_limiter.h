#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace quote_service {

// Grants at most a number of requests in any 60 seconds, and none while a penalty lasts.
// Safe from any thread.
class RateLimiter {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    // The time, and a wait until a time point with the lock released meanwhile (none: a wait
    // that Close() ends). Tests pass a fake whose wait moves its time forward.
    struct Clock {
        std::function<TimePoint()> now;
        std::function<void(std::unique_lock<std::mutex>&, TimePoint)> waitUntil;
    };
    static Clock SteadyClock();

    explicit RateLimiter(int perMinute, Clock clock = SteadyClock());

    TimePoint Now() const { return clock_.now(); }

    // Takes a slot, waiting for one; false at once when none frees up by the deadline.
    bool Acquire(TimePoint deadline);

    // Grants nothing from now on: every Acquire, waiting or not, gives false.
    void Close();

    // Grants nothing for the seconds from now (the upstream said 429).
    void Penalize(std::chrono::seconds seconds);

    // Seconds until a slot is free, rounded up; 0 when one is free now.
    int SecondsUntilFree();

private:
    TimePoint FreeAt(TimePoint now);

    const int perMinute_;
    const Clock clock_;
    std::mutex mutex_;
    std::deque<TimePoint> granted_;  // the grants of the last 60 seconds, oldest first
    TimePoint blockedUntil_{};
    std::condition_variable wake_;
    bool closed_ = false;
};

}  // namespace quote_service

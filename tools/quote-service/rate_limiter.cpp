#include "tools/quote-service/rate_limiter.h"

#include <algorithm>

namespace quote_service {

namespace {
constexpr std::chrono::seconds kWindow{60};
}

RateLimiter::Clock RateLimiter::SteadyClock() {
    return {[] { return std::chrono::steady_clock::now(); }, nullptr};
}

RateLimiter::RateLimiter(int perMinute, Clock clock)
    : perMinute_(std::max(perMinute, 1)), clock_(std::move(clock)) {}

RateLimiter::TimePoint RateLimiter::FreeAt(TimePoint now) {
    while (!granted_.empty() && granted_.front() + kWindow <= now) {
        granted_.pop_front();
    }
    const TimePoint free = int(granted_.size()) < perMinute_ ? now : granted_.front() + kWindow;
    return std::max(free, blockedUntil_);
}

bool RateLimiter::Acquire(TimePoint deadline) {
    std::unique_lock lock(mutex_);
    // A slot never frees up earlier than computed, so a wait past the deadline is not begun;
    // another thread may take the slot meanwhile, hence the loop.
    while (!closed_) {
        const TimePoint now = clock_.now();
        const TimePoint free = FreeAt(now);
        if (free <= now) {
            granted_.push_back(now);
            return true;
        }
        if (free > deadline) {
            return false;
        }
        if (clock_.waitUntil) {
            clock_.waitUntil(lock, free);
        } else {
            wake_.wait_until(lock, free);
        }
    }
    return false;
}

void RateLimiter::Close() {
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
    }
    wake_.notify_all();
}

void RateLimiter::Penalize(std::chrono::seconds seconds) {
    std::lock_guard lock(mutex_);
    blockedUntil_ = std::max(blockedUntil_, clock_.now() + seconds);
}

int RateLimiter::SecondsUntilFree() {
    std::lock_guard lock(mutex_);
    const TimePoint now = clock_.now();
    return int(std::chrono::ceil<std::chrono::seconds>(FreeAt(now) - now).count());
}

}  // namespace quote_service

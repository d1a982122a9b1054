#include "tools/ardentix-get/stop_signal.h"

#include <signal.h>

#include <atomic>

namespace ardentix::cli {
namespace {

std::atomic<bool> stopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "used from a signal handler");

void OnStopSignal(int) {
    stopRequested.store(true);
}

}  // namespace

void InstallStopHandlers() {
    struct sigaction action = {};
    action.sa_handler = OnStopSignal;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool StopRequested() {
    return stopRequested.load();
}

}  // namespace ardentix::cli

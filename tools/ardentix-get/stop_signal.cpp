#include "tools/ardentix-get/stop_signal.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <atomic>
#include <cerrno>

namespace ardentix::cli {
namespace {

std::atomic<bool> stopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "used from a signal handler");

// The handler writes a byte here; a socket notifier on the read end turns it into an event.
int wakePipe[2] = {-1, -1};

void OnStopSignal(int) {
    const int savedErrno = errno;
    stopRequested.store(true);
    if (wakePipe[1] >= 0) {
        [[maybe_unused]] const auto written = ::write(wakePipe[1], "x", 1);
    }
    errno = savedErrno;
}

}  // namespace

void InstallStopHandlers() {
    if (::pipe2(wakePipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        wakePipe[0] = wakePipe[1] = -1;  // the flag alone still stops the run after the page
    }
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

void WhenStopRequested(QObject& context, std::function<void()> stop) {
    if (wakePipe[0] < 0) {
        return;
    }
    auto* notifier = new QSocketNotifier(wakePipe[0], QSocketNotifier::Read, &context);
    QObject::connect(notifier, &QSocketNotifier::activated, &context,
                     [notifier, stop = std::move(stop)] {
                         notifier->setEnabled(false);
                         stop();
                     });
}

}  // namespace ardentix::cli

#pragma once

#include <functional>

class QObject;

namespace ardentix::cli {

inline constexpr int kInterruptedStatus = 130;

// SIGINT and SIGTERM set a flag that the run checks after each page and before each code, and
// wake the event loop a page request waits in. The handler then gives the signal back its
// default action, so that a second Ctrl-C ends the program at once. Files replaced by rename
// are whole or untouched then; a file written in place (a device, a named pipe, a file in a
// folder that refuses new files, standard output) may be cut.
void InstallStopHandlers();

bool StopRequested();

// Calls stop once, from the event loop, when a stop signal has come (also when it came before
// this call). The watch ends with context.
void WhenStopRequested(QObject& context, std::function<void()> stop);

}  // namespace ardentix::cli

#pragma once

namespace ardentix::cli {

inline constexpr int kInterruptedStatus = 130;

// SIGINT and SIGTERM set a flag that the run checks after each page and before each code. The
// handler then gives the signal back its default action, so that a second Ctrl-C ends the
// program at once (no file is written then either: files are replaced by rename only).
void InstallStopHandlers();

bool StopRequested();

}  // namespace ardentix::cli

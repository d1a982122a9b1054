#pragma once

#include "tools/ardentix-get/cli_options.h"

namespace ardentix::cli {

class TerminalPrompts;

// Downloads and saves every code in turn, as the window's download and save buttons do, over
// one network manager. Returns the exit status: 0 all saved, 1 any failed or saved incomplete,
// kInterruptedStatus when a stop signal came (the request in flight is aborted, the code in
// progress writes nothing, later codes are not asked).
int RunDownloads(const DownloadOptions& options, TerminalPrompts& prompts);

}  // namespace ardentix::cli

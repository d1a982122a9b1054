#pragma once

#include "tools/ardentix-get/cli_options.h"

namespace ardentix::cli {

class TerminalPrompts;

// Parses one saved chart page behind rowsBefore stored rows and prints the rows it added as
// the export writes them (divisors 1 and 1, yymmdd dates) on standard output; then, on
// standard error, whether it announces a further page and the parser's message, if any.
// Returns 0 when the page parsed, 1 otherwise.
int RunPage(const PageOptions& options, TerminalPrompts& prompts);

}  // namespace ardentix::cli

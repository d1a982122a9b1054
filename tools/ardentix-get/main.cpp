// ardentix-get: downloads quotes and saves them as the window does, from a script.
#include <QCoreApplication>
#include <cstdio>

#include "tools/ardentix-get/cli_options.h"
#include "tools/ardentix-get/download_command.h"
#include "tools/ardentix-get/page_command.h"
#include "tools/ardentix-get/stop_signal.h"
#include "tools/ardentix-get/terminal_prompts.h"

using namespace ardentix::cli;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const Command command = ParseCommandLine(app.arguments(), QDate::currentDate());
    if (const auto* answer = std::get_if<Answer>(&command)) {
        std::fputs(answer->text.toUtf8().constData(), stdout);
        return 0;
    }
    if (const auto* usage = std::get_if<UsageError>(&command)) {
        WriteLine(stderr, QStringLiteral("ardentix-get: ") + usage->message);
        return 2;
    }
    TerminalPrompts prompts;
    if (const auto* page = std::get_if<PageOptions>(&command)) {
        return RunPage(*page, prompts);
    }
    InstallStopHandlers();
    return RunDownloads(std::get<DownloadOptions>(command), prompts);
}

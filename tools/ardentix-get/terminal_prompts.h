#pragma once

#include <QString>
#include <cstdio>

#include "app/prompts.h"

namespace ardentix::cli {

// One line of text on a stream, in the terminal's encoding (UTF-8).
void WriteLine(std::FILE* stream, const QString& line);

// The tool's prompts: every message becomes "ardentix-get: SUBJECT: <title>: <text>" on standard
// error, where the subject is the code (or page file) being worked on. The tool asks nothing, so
// a question answers Cancel and the save dialog is cancelled.
class TerminalPrompts : public Prompts {
public:
    void setSubject(const QString& subject) { subject_ = subject; }

    void ShowMessage(const QString& text, int style, const QString& title) override;
    bool AskOkCancel(const QString&, int, const QString&) override { return false; }
    std::optional<QString> AskSaveFileName(const SaveDialogRequest&) override {
        return std::nullopt;
    }

private:
    QString subject_;
};

}  // namespace ardentix::cli

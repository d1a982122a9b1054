#include "tools/ardentix-get/terminal_prompts.h"

namespace ardentix::cli {

void WriteLine(std::FILE* stream, const QString& line) {
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, bytes.size(), stream);
    std::fflush(stream);
}

void TerminalPrompts::ShowMessage(const QString& text, int, const QString& title) {
    QString line = QStringLiteral("ardentix-get: ") + subject_ + QStringLiteral(": ");
    if (!title.isEmpty()) {
        line += title + QStringLiteral(": ");
    }
    WriteLine(stderr, line + text);
}

}  // namespace ardentix::cli

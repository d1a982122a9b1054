#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace cli_test {

struct ToolRun {
    int status = -1;  // -1 when the program did not exit normally
    QByteArray out;
    QString err;
};

// Runs ardentix-get to its end in the given working folder, with input on its standard input.
ToolRun RunTool(const QStringList& arguments, const QString& workingDirectory = {},
                const QByteArray& input = {});

// The names of the entries in a folder, hidden ones included.
QStringList Entries(const QString& folder);

}  // namespace cli_test

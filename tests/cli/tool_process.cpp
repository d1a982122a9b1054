#include "tool_process.h"

#include <QDir>
#include <QFile>
#include <QProcess>

namespace cli_test {

ToolRun RunTool(const QStringList& arguments, const QString& workingDirectory,
                const QByteArray& input) {
    QProcess process;
    if (!workingDirectory.isEmpty()) {
        process.setWorkingDirectory(workingDirectory);
    }
    process.start(QStringLiteral(ARDENTIX_GET_PROGRAM), arguments);
    process.write(input);
    process.closeWriteChannel();
    ToolRun run;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.out = process.readAllStandardOutput();
    run.err = QString::fromUtf8(process.readAllStandardError());
    if (process.exitStatus() == QProcess::NormalExit) {
        run.status = process.exitCode();
    }
    return run;
}

QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

}  // namespace cli_test

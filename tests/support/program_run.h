#pragma once

#include <QProcess>

namespace ardentix::testing {

struct ProgramRun {
    int status = -1;  // -1 when the program did not exit normally
    QByteArray out;
    QString err;
};

// Runs a program to its end in the given working folder, with input on its standard input.
inline ProgramRun RunProgram(const QString& program, const QStringList& arguments,
                             const QString& workingDirectory = {}, const QByteArray& input = {},
                             int waitMs = 120000) {
    QProcess process;
    process.setWorkingDirectory(workingDirectory);
    process.start(program, arguments);
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(waitMs)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(), QString::fromUtf8(process.readAllStandardError())};
}

}  // namespace ardentix::testing

#include "service_harness.h"

#include <QProcess>
#include <stdexcept>

namespace service_test {

RunningService::RunningService() : server_(50, std::chrono::milliseconds(0), {}) {
    port_ = server_.Bind("127.0.0.1", 0);
    if (port_ <= 0) {
        throw std::runtime_error("no free loopback port");
    }
    thread_ = std::thread([this] { server_.ListenAfterBind(); });
}

RunningService::~RunningService() {
    server_.Stop();
    thread_.join();
}

ProgramRun RunProgram(const QString& program, const QStringList& arguments,
                      const QString& workingDirectory, const QByteArray& input) {
    QProcess process;
    process.setWorkingDirectory(workingDirectory);
    process.start(program, arguments);
    process.write(input);
    process.closeWriteChannel();
    ProgramRun run;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.out = process.readAllStandardOutput();
    run.err = QString::fromUtf8(process.readAllStandardError());
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return run;
}

}  // namespace service_test

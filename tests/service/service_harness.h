#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <thread>

#include "tools/quote-service/quote_server.h"

namespace service_test {

// A quote service on a free loopback port, serving from a thread until destroyed.
class RunningService {
public:
    RunningService();
    ~RunningService();

    int port() const { return port_; }

private:
    quote_service::QuoteServer server_;
    int port_ = -1;
    std::thread thread_;
};

struct ProgramRun {
    int status = -1;  // -1 when the program did not exit normally
    QByteArray out;
    QString err;
};

// Runs a program to its end in the given working folder, with input on its standard input.
ProgramRun RunProgram(const QString& program, const QStringList& arguments,
                      const QString& workingDirectory = {}, const QByteArray& input = {});

}  // namespace service_test

#pragma once

#include <QString>
#include <thread>

#include "tools/quote-service/quote_server.h"

namespace ardentix::testing {

// The local quote service on a free loopback port, serving from a thread until destroyed; given
// a secret, it answers only the queries that carry it.
class QuoteService {
public:
    explicit QuoteService(std::string secret = {})
        : thread_([this, secret] {
              if (!secret.empty()) {
                  server_.RequireSecret(secret);
              }
              server_.ListenAfterBind();
          }) {}
    ~QuoteService() {
        server_.Stop();
        thread_.join();
    }
    QString host() const { return QStringLiteral("127.0.0.1:%1").arg(port_); }
    int port() const { return port_; }

private:
    quote_service::QuoteServer server_{50, std::chrono::milliseconds(0), {}};
    int port_ = server_.Bind("127.0.0.1", 0);
    std::thread thread_;
};

}  // namespace ardentix::testing

#pragma once

#include <QString>
#include <memory>
#include <thread>

#include "tools/quote-service/quote_server.h"

namespace ardentix::testing {

// The local quote service on a free loopback port, serving from a thread until destroyed:
// generated histories, or those of the gateway when given one; given a secret, it answers only
// the queries that carry it.
class QuoteService {
public:
    explicit QuoteService(std::unique_ptr<quote_service::JQuantsGateway> gateway = nullptr,
                          std::string secret = {})
        : server_(50, std::chrono::milliseconds(0), {}, std::move(gateway)),
          port_(server_.Bind("127.0.0.1", 0)),
          thread_([this, secret] {
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
    quote_service::QuoteServer server_;
    int port_;
    std::thread thread_;
};

}  // namespace ardentix::testing

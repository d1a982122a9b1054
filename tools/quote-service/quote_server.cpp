#include "tools/quote-service/quote_server.h"

#include <memory>
#include <thread>

#include "tools/quote-service/chart_pages.h"
#include "tools/quote-service/chart_query.h"
#include "tools/quote-service/client_secret.h"
#include "tools/quote-service/demo_codes.h"

namespace quote_service {

namespace {

constexpr char kContentType[] = "text/html; charset=EUC-JP";
constexpr std::chrono::seconds kSlowAnswer{45};

std::string Bytes(const QByteArray& page) {
    return page.toStdString();
}

// Sends the page as it stands. A body set with set_content would be compressed for a client
// that accepts it, and brotli at its default quality costs about 15 ms a page; a body of
// announced length goes out uncompressed, as the pages of a plain web server do.
void SendPage(httplib::Response& response, std::string bytes) {
    auto body = std::make_shared<std::string>(std::move(bytes));
    response.set_content_provider(
        body->size(), kContentType, [body](size_t offset, size_t length, httplib::DataSink& sink) {
            sink.write(body->data() + offset, std::min(length, body->size() - offset));
            return true;
        });
}

// Announces the whole page's length, sends its first half and gives up, which closes the
// connection in the middle of the body.
void SendHalf(httplib::Response& response, const QByteArray& page) {
    auto body = std::make_shared<std::string>(Bytes(page));
    response.set_content_provider(body->size(), kContentType,
                                  [body](size_t offset, size_t, httplib::DataSink& sink) {
                                      if (offset > 0) {
                                          return false;
                                      }
                                      sink.write(body->data(), body->size() / 2);
                                      return true;
                                  });
}

}  // namespace

QuoteServer::QuoteServer(int rowsPerPage, std::chrono::milliseconds latency, DataFolder data,
                         std::unique_ptr<JQuantsGateway> gateway)
    : rowsPerPage_(rowsPerPage),
      latency_(latency),
      data_(std::move(data)),
      gateway_(std::move(gateway)) {
    // Headers and body go out in separate writes; without this a client that reuses the
    // connection waits for a delayed acknowledgement on every page (about 40 ms each).
    server_.set_tcp_nodelay(true);
    // The library's default also sets SO_REUSEPORT, which lets a second service listen on the
    // same port and take part of its requests. SO_REUSEADDR alone still lets a restarted service
    // take the port while connections of the stopped one wait out TIME_WAIT.
    server_.set_socket_options([](socket_t sock) {
        const int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
    });
    server_.Get("/t", [this](const httplib::Request& request, httplib::Response& response) {
        AnswerChart(request, response);
    });
}

int QuoteServer::Bind(const std::string& host, int port) {
    if (port == 0) {
        return server_.bind_to_any_port(host);
    }
    return server_.bind_to_port(host, port) ? port : -1;
}

bool QuoteServer::ListenAfterBind() {
    {
        std::lock_guard lock(mutex_);
        if (stopping_) {
            return true;
        }
        listen_ = Listen::Starting;
    }
    const bool served = server_.listen_after_bind();
    std::lock_guard lock(mutex_);
    listen_ = Listen::Ended;
    return served;
}

void QuoteServer::Stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    stopped_.notify_all();
    // The server ignores stop() until its accept loop runs, so a stop that comes right after
    // the start waits for the loop rather than being lost.
    while (true) {
        {
            std::lock_guard lock(mutex_);
            if (listen_ != Listen::Starting || server_.is_running()) {
                break;
            }
        }
        std::this_thread::yield();
    }
    server_.stop();
}

void QuoteServer::RequireSecret(std::string secret) {
    server_.set_pre_routing_handler(SecretGuard(std::move(secret)));
}

bool QuoteServer::Wait(std::chrono::milliseconds duration) {
    std::unique_lock lock(mutex_);
    return !stopped_.wait_for(lock, duration, [this] { return stopping_; });
}

void QuoteServer::AnswerChart(const httplib::Request& request, httplib::Response& response) {
    if (latency_.count() > 0 && !Wait(latency_)) {
        return;
    }
    const auto query = ParseChartQuery(request.params);
    if (!query) {
        SendPage(response, Bytes(BadQueryPage()));
        return;
    }
    if (gateway_) {
        const ChartAnswer answer = gateway_->Answer(*query);
        if (!answer.plainText) {
            return SendPage(response, Bytes(answer.body));
        }
        response.status = answer.status;
        if (answer.retryAfter > 0) {
            response.set_header("Retry-After", std::to_string(answer.retryAfter));
        }
        response.set_content(Bytes(answer.body), "text/plain; charset=utf-8");
        return;
    }
    const auto demo = DemoCodeOf(ListingOf(query->symbol).code);
    if (!demo) {
        SendPage(response, Bytes(ChartPageFor(*query, data_, rowsPerPage_)));
        return;
    }
    switch (*demo) {
        case DemoCode::EmptyBody:
            response.set_content(std::string(), kContentType);
            return;
        case DemoCode::TwoBytes:
            SendPage(response, std::string("\r\n"));
            return;
        case DemoCode::NoTable:
            SendPage(response, Bytes(NoTablePage()));
            return;
        case DemoCode::DashRows:
        case DemoCode::EndlessPaging:
            SendPage(response,
                     Bytes(DashPageFor(*query, rowsPerPage_, *demo == DemoCode::EndlessPaging)));
            return;
        case DemoCode::CutShort:
            SendHalf(response, GeneratedPageFor(*query, rowsPerPage_));
            return;
        case DemoCode::Slow:
            if (Wait(kSlowAnswer)) {
                SendPage(response, Bytes(GeneratedPageFor(*query, rowsPerPage_)));
            }
            return;
    }
}

}  // namespace quote_service

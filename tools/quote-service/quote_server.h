#pragma once

#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>

#include "tools/quote-service/data_folder.h"
#include "tools/quote-service/jquants_gateway.h"

namespace quote_service {

// The HTTP side of the service: GET /t answers the chart query, every other path 404. With a
// gateway, every chart query is the gateway's; else the data folder's or the generated ones.
class QuoteServer {
public:
    QuoteServer(int rowsPerPage, std::chrono::milliseconds latency, DataFolder data,
                std::unique_ptr<JQuantsGateway> gateway = nullptr);
    QuoteServer(const QuoteServer&) = delete;
    QuoteServer& operator=(const QuoteServer&) = delete;

    // Binds to the host and port (0: a free port). Returns the port, or -1 when it cannot, with
    // errno EADDRINUSE when another socket listens on that port.
    int Bind(const std::string& host, int port);

    // Serves until Stop(); false when the server could not serve.
    bool ListenAfterBind();

    // Wakes every answer that is waiting and ends ListenAfterBind(). Safe from any thread.
    void Stop();

    // From now on every request must carry the secret (client_secret.h). Call before serving.
    void RequireSecret(std::string secret);

private:
    void AnswerChart(const httplib::Request& request, httplib::Response& response);

    // Waits for the duration; false when Stop() came first.
    bool Wait(std::chrono::milliseconds duration);

    const int rowsPerPage_;
    const std::chrono::milliseconds latency_;
    const DataFolder data_;
    const std::unique_ptr<JQuantsGateway> gateway_;
    httplib::Server server_;
    std::mutex mutex_;
    std::condition_variable stopped_;
    bool stopping_ = false;
    enum class Listen { NotYet, Starting, Ended } listen_ = Listen::NotYet;
};

}  // namespace quote_service

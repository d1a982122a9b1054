#pragma once

#include <httplib.h>

#include <QByteArray>
#include <QString>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace ardentix::testing {

// A real HTTP server on a loopback port that answers GET /t with canned responses, one per
// request in order (the last one repeats), and records the target of every request.
class CannedServer {
public:
    // CloseMidBody drops the connection 20 ms after half the body, Stall answers after 20 s
    // and Drip sends one byte every 50 ms; the server's end cuts both waits short.
    enum class Mode { Normal, CloseMidBody, Stall, Drip };

    CannedServer() {
        server_.Get("/t", [this](const httplib::Request& req, httplib::Response& res) {
            const Response r = Next(req.target);
            res.status = r.status;
            if (r.retryAfter >= 0) {
                res.set_header("Retry-After", std::to_string(r.retryAfter));
            }
            if (r.mode == Mode::Stall) {
                Wait(std::chrono::seconds(20));
            }
            if (r.mode == Mode::Normal || r.mode == Mode::Stall) {
                return res.set_content(r.body, r.type);
            }
            const bool drip = r.mode == Mode::Drip;
            res.set_content_provider(
                r.body.size(), r.type, [this, r, drip](size_t at, size_t, httplib::DataSink& sink) {
                    const size_t end = drip ? at + 1 : r.body.size() / 2;
                    const bool pause = drip || at == end;  // before each byte; before the close
                    return !(pause && Wait(std::chrono::milliseconds(drip ? 50 : 20))) &&
                           at < end && sink.write(r.body.data() + at, end - at);
                });
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        // stop() is ignored until the accept loop runs, so wait for it.
        while (!server_.is_running()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    ~CannedServer() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        server_.stop();
        thread_.join();
    }

    static constexpr const char* kPage = "text/html; charset=EUC-JP";
    static constexpr const char* kWords = "text/plain; charset=utf-8";

    void Push(QByteArray body, Mode mode = Mode::Normal, int status = 200, const char* type = kPage,
              int retryAfter = -1) {
        std::lock_guard lock(mutex_);
        responses_.push_back({body.toStdString(), mode, status, type, retryAfter});
    }
    void Push(std::initializer_list<QByteArray> pages) {  // normal answers, in order
        for (const QByteArray& page : pages) {
            Push(page);
        }
    }

    std::vector<QString> targets() const {
        std::lock_guard lock(mutex_);
        return targets_;
    }

    QString host() const { return QStringLiteral("127.0.0.1:%1").arg(port_); }
    int port() const { return port_; }

private:
    struct Response {
        std::string body;
        Mode mode = Mode::Normal;
        int status = 200;
        std::string type = kPage;
        int retryAfter = -1;
    };

    Response Next(const std::string& target) {
        std::lock_guard lock(mutex_);
        targets_.push_back(QString::fromStdString(target));
        Response r = responses_.empty() ? Response{} : responses_.front();
        if (responses_.size() > 1) {
            responses_.pop_front();
        }
        return r;
    }

    bool Wait(std::chrono::milliseconds time) {  // true when the server is ending
        std::unique_lock lock(mutex_);
        return wake_.wait_for(lock, time, [this] { return stopping_; });
    }

    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::deque<Response> responses_;
    std::vector<QString> targets_;
};

}  // namespace ardentix::testing

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
    enum class Mode { Normal, CloseMidBody, Stall, Drip };
    struct Response {
        QByteArray body;
        Mode mode = Mode::Normal;
        int status = 200;
    };

    CannedServer() {
        server_.Get("/t", [this](const httplib::Request& req, httplib::Response& res) {
            Response r = Next(req.target);
            Serve(r, res);
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

    void Push(QByteArray body, Mode mode = Mode::Normal, int status = 200) {
        std::lock_guard lock(mutex_);
        responses_.push_back({std::move(body), mode, status});
    }

    std::vector<QString> targets() const {
        std::lock_guard lock(mutex_);
        return targets_;
    }

    QString host() const { return QStringLiteral("127.0.0.1:%1").arg(port_); }
    int port() const { return port_; }

private:
    Response Next(const std::string& target) {
        std::lock_guard lock(mutex_);
        targets_.push_back(QString::fromStdString(target));
        if (responses_.empty()) {
            return {};
        }
        Response r = responses_.front();
        if (responses_.size() > 1) {
            responses_.pop_front();
        }
        return r;
    }

    void Serve(const Response& r, httplib::Response& res) {
        const std::string body = r.body.toStdString();
        res.status = r.status;
        switch (r.mode) {
            case Mode::Normal:
                res.set_content(body, "text/html; charset=EUC-JP");
                break;
            case Mode::CloseMidBody: {
                const size_t half = body.size() / 2;
                res.set_content_provider(
                    body.size(), "text/html; charset=EUC-JP",
                    [body, half](size_t offset, size_t, httplib::DataSink& sink) {
                        if (offset < half) {
                            sink.write(body.data() + offset, half - offset);
                            return true;
                        }
                        return false;  // drop the connection before the rest
                    });
                break;
            }
            case Mode::Drip:  // one byte every 50 ms
                res.set_content_provider(
                    body.size(), "text/html; charset=EUC-JP",
                    [this, body](size_t offset, size_t, httplib::DataSink& sink) {
                        std::unique_lock lock(mutex_);
                        if (wake_.wait_for(lock, std::chrono::milliseconds(50),
                                           [this] { return stopping_; })) {
                            return false;
                        }
                        lock.unlock();
                        sink.write(body.data() + offset, 1);
                        return true;
                    });
                break;
            case Mode::Stall: {
                std::unique_lock lock(mutex_);
                wake_.wait_for(lock, std::chrono::seconds(20), [this] { return stopping_; });
                res.set_content(body, "text/html; charset=EUC-JP");
                break;
            }
        }
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

#pragma once

#include <httplib.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tools/quote-service/upstream_bar.h"

namespace ardentix::testing {

// J-Quants' daily bars on a loopback port, answered from a table of bars as its documentation
// describes them: key checked, pages of `pageSize` rows, gzip for a client that asks.
class FakeJQuants {
public:
    static constexpr const char* kKey = "fake-key-5d1e0c";
    // The next answer is a 429 (with or without Retry-After: 7) or a 500, once; the other
    // modes break every answer in their way. Stall sends a valid page a byte every 50 ms.
    // Set between requests.
    // clang-format off
    enum class Mode { Normal, RateLimitOnce, RateLimitBare, ServerError, Malformed, StringNumbers,
                      MissingField, MissingFactor, RepeatedKey, EndlessKeys, Oversize, Stall };
    // clang-format on

    // 72030: decimal prices, a day without trading and a 1:2 split; 2024-03-01: three issues.
    std::vector<quote_service::UpstreamBar> bars = {
        {QDate(2024, 2, 26), "72030", 2440.5, 2460, 2430, 2450.5, 1200300},
        {QDate(2024, 2, 27), "72030", {}, {}, {}, {}, {}},
        {QDate(2024, 2, 28), "72030", 2460, 2480, 2450, 2470, 980000},
        {QDate(2024, 2, 29), "72030", 1240, 1250.5, 1230, 1245.5, 2100000, 0.5},
        {QDate(2024, 3, 1), "13010", 3850, 3900, 3840, 3880, 12000},
        {QDate(2024, 3, 1), "72030", 1250, 1260, 1240, 1255, 1900000},
        {QDate(2024, 3, 1), "86970", 2750.5, 2760, 2740, 2755, 850000}};
    int pageSize = 2;
    std::atomic<Mode> mode = Mode::Normal;
    std::atomic<bool> holding = false;  // requests wait (counted) until it is false again

    // Over TLS when given a certificate and its key; on a free port unless one is given (port()
    // is -1 when that one cannot be had).
    explicit FakeJQuants(const QString& cert = {}, const QString& key = {}, int port = 0) {
        server_ = cert.isEmpty() ? std::make_unique<httplib::Server>()
                                 : std::make_unique<httplib::SSLServer>(cert.toStdString().c_str(),
                                                                        key.toStdString().c_str());
        scheme_ = cert.isEmpty() ? "http" : "https";
        server_->Get("/v2/equities/bars/daily",
                     [this](const auto& req, auto& res) { Answer(req, res); });
        port_ = port == 0                                  ? server_->bind_to_any_port("127.0.0.1")
                : server_->bind_to_port("127.0.0.1", port) ? port
                                                           : -1;
        thread_ = std::thread([this] { server_->listen_after_bind(); });
        while (port_ > 0 && !server_->is_running()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    ~FakeJQuants() {
        stopping_ = true;
        server_->stop();
        thread_.join();
    }

    QString url() const { return QStringLiteral("%1://127.0.0.1:%2/v2").arg(scheme_).arg(port_); }
    int port() const { return port_; }
    int requests() const { return requests_; }
    bool allAskedForGzip() const { return allGzip_; }

private:
    void Answer(const httplib::Request& req, httplib::Response& res) {
        ++requests_;
        while (holding && !stopping_) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        allGzip_ =
            allGzip_ && req.get_header_value("Accept-Encoding").find("gzip") != std::string::npos;
        const std::string key = req.get_header_value("x-api-key");
        if (key != kKey) {  // echoes the key, as a careless upstream might
            return Send(res, 403,
                        QJsonObject{{"message", "Invalid API key: " + QString(key.c_str())}});
        }
        Mode m = mode;
        if ((m == Mode::RateLimitOnce || m == Mode::RateLimitBare || m == Mode::ServerError) &&
            mode.compare_exchange_strong(m, Mode::Normal)) {
            if (m == Mode::RateLimitOnce) {
                res.set_header("Retry-After", "7");
            }
            return Send(res, m == Mode::ServerError ? 500 : 429, QJsonObject{{"message", "later"}});
        }
        const std::string code = req.get_param_value("code"), date = req.get_param_value("date");
        // A history misses its closes, a day's issues their codes.
        const char* drop = m == Mode::MissingFactor  ? "AdjFactor"
                           : m != Mode::MissingField ? ""
                           : code.empty()            ? "Code"
                                                     : "C";
        QJsonArray rows;
        for (const auto& b : bars) {
            if ((!code.empty() && b.code.startsWith(code.c_str())) ||
                (!date.empty() && b.date.toString(Qt::ISODate).toStdString() == date)) {
                rows.append(Row(b, m, drop));
            }
        }
        const std::string from = req.get_param_value("pagination_key");
        const int start = from.empty() ? 0 : std::atoi(from.c_str() + 1);
        QJsonArray data;
        for (int i = start; i < std::min<int>(rows.size(), start + pageSize); ++i) {
            data.append(rows[i]);
        }
        QJsonObject page{{"data", data}};
        if (start + pageSize < rows.size() || m == Mode::EndlessKeys || m == Mode::RepeatedKey) {
            page["pagination_key"] =
                m == Mode::RepeatedKey ? "again" : "p" + QString::number(start + pageSize);
        }
        if (m == Mode::Oversize) {
            page["padding"] = QString(2 << 20, ' ');  // fine JSON, past the test's cap
        }
        Send(res, 200, page);
    }

    QJsonObject Row(const quote_service::UpstreamBar& b, Mode m, const char* drop) const {
        QJsonObject row{{"Date", b.date.toString(Qt::ISODate)}, {"Code", b.code}, {"UL", "0"}};
        row["AdjFactor"] = b.adjFactor;
        const std::pair<const char*, std::optional<double>> figures[] = {
            {"O", b.open}, {"H", b.high}, {"L", b.low}, {"C", b.close}, {"Vo", b.volume}};
        for (const auto& [name, x] : figures) {
            row[name] = !x                         ? QJsonValue()
                        : m == Mode::StringNumbers ? QJsonValue(QString::number(*x))
                                                   : QJsonValue(*x);
        }
        row.remove(drop);
        return row;
    }

    void Send(httplib::Response& res, int status, const QJsonObject& object) {
        res.status = status;
        std::string body = QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString();
        body.resize(mode == Mode::Malformed ? body.size() / 2 : body.size());
        if (mode != Mode::Stall) {
            return res.set_content(body, "application/json");
        }
        // An announced length goes out uncompressed, so each byte leaves at once.
        res.set_content_provider(body.size(), "application/json",
                                 [this, body](size_t at, size_t, httplib::DataSink& sink) {
                                     std::this_thread::sleep_for(std::chrono::milliseconds(50));
                                     return !stopping_ && sink.write(body.data() + at, 1);
                                 });
    }

    std::unique_ptr<httplib::Server> server_;
    QString scheme_;
    int port_ = 0;
    std::thread thread_;
    std::atomic<bool> stopping_ = false, allGzip_ = true;
    std::atomic<int> requests_ = 0;
};

}  // namespace ardentix::testing

#include "tools/quote-service/jquants_client.h"

#include <httplib.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QUrl>
#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <set>
#include <thread>

#include "tools/quote-service/rate_limiter.h"

namespace quote_service {

namespace {

using Kind = UpstreamFailure::Kind;

// Seconds to wait after a 429 that does not say, and the most an answer may ask for.
constexpr int kDefaultRetryAfter = 60;
constexpr int kLongestRetryAfter = 3600;

struct Reply {
    int status = 0;
    std::string body;
    std::string retryAfter;
    std::optional<UpstreamFailure> failure;
};

// One GET within the settings' bounds: the client is stopped when the deadline passes and the
// body is dropped once it outgrows the cap.
Reply Get(httplib::ClientImpl& client, const std::string& path, const httplib::Params& params,
          const std::string& key, const JQuantsSettings& settings, const QString& host) {
    Reply reply;
    bool oversize = false;
    bool late = false;
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    std::thread watchdog([&] {
        std::unique_lock lock(mutex);
        if (!finished.wait_for(lock, settings.deadline, [&] { return done; })) {
            late = true;
            client.stop();
        }
    });
    const httplib::Headers headers{{"x-api-key", key}, {"Accept-Encoding", "gzip"}};
    auto result = client.Get(path, params, headers, [&](const char* data, size_t length) {
        oversize = reply.body.size() + length > size_t(settings.bodyCap);
        if (!oversize) {
            reply.body.append(data, length);
        }
        return !oversize;
    });
    {
        std::lock_guard lock(mutex);
        done = true;
    }
    finished.notify_one();
    watchdog.join();

    if (result) {
        reply.status = result->status;
        reply.retryAfter = result->get_header_value("Retry-After");
        return reply;
    }
    const auto broken = [&reply](const QString& detail) {
        reply.failure = UpstreamFailure{Kind::Broken, 0, {}, detail};
        return reply;
    };
    if (oversize) {
        return broken(QStringLiteral("the answer is larger than %1 bytes").arg(settings.bodyCap));
    }
    if (late) {
        return broken(
            QStringLiteral("no whole answer within %1 ms").arg(settings.deadline.count()));
    }
    const QString error = QString::fromStdString(httplib::to_string(result.error()));
    switch (result.error()) {
        case httplib::Error::Connection:
        case httplib::Error::ConnectionTimeout:
        case httplib::Error::BindIPAddress:
        case httplib::Error::SSLConnection:
        case httplib::Error::SSLLoadingCerts:
        case httplib::Error::SSLServerVerification:
            reply.failure = UpstreamFailure{Kind::Unreachable, 0, host, error};
            return reply;
        default:
            return broken(QStringLiteral("the answer broke off (%1)").arg(error));
    }
}

UpstreamFailure StatusFailure(const Reply& reply, const std::string& key) {
    const auto body = QJsonDocument::fromJson(QByteArray::fromStdString(reply.body));
    QString message = body.object().value(QStringLiteral("message")).toString();
    message = message.replace(QString::fromStdString(key), QStringLiteral("(key)")).left(200);
    const QString detail = QStringLiteral("HTTP %1 %2").arg(reply.status).arg(message).trimmed();
    if (reply.status == 401 || reply.status == 403) {
        return {Kind::KeyRefusedOrPlan, 0, {}, detail};
    }
    if (reply.status == 429) {
        bool given = false;
        const int seconds = QByteArray::fromStdString(reply.retryAfter).trimmed().toInt(&given);
        return {Kind::RateLimited,
                given && seconds > 0 ? std::min(seconds, kLongestRetryAfter) : kDefaultRetryAfter,
                {},
                detail};
    }
    return {reply.status >= 500 ? Kind::ServerError : Kind::Broken, 0, {}, detail};
}

// Adds the page's bars; `next` becomes the next page's key, empty after the last page.
// Returns what is wrong with the page, empty when nothing is.
QString ReadPage(const std::string& body, std::vector<UpstreamBar>& bars, std::string& next) {
    QJsonParseError error;
    const auto document = QJsonDocument::fromJson(QByteArray::fromStdString(body), &error);
    if (!document.isObject()) {
        return QStringLiteral("the answer is not a JSON object (%1)").arg(error.errorString());
    }
    const QJsonObject page = document.object();
    const QJsonValue key = page.value(QStringLiteral("pagination_key"));
    if (!key.isUndefined() && !key.isNull() && !key.isString()) {
        return QStringLiteral("pagination_key is not a string");
    }
    next = key.toString().toStdString();
    if (!page.value(QStringLiteral("data")).isArray()) {
        return QStringLiteral("the answer has no data array");
    }
    for (const QJsonValue& element : page.value(QStringLiteral("data")).toArray()) {
        const QJsonObject row = element.toObject();
        UpstreamBar bar;
        const QString date = row.value(QStringLiteral("Date")).toString();
        bar.date = QDate::fromString(date, QStringLiteral("yyyy-MM-dd"));
        bar.code = row.value(QStringLiteral("Code")).toString();
        if (date.size() != 10 || !bar.date.isValid() || bar.code.isEmpty()) {
            return QStringLiteral("a row without a Date or a Code");
        }
        const QString where = bar.code + QLatin1Char(' ') + date;
        const std::pair<const char*, std::optional<double>*> figures[] = {{"O", &bar.open},
                                                                          {"H", &bar.high},
                                                                          {"L", &bar.low},
                                                                          {"C", &bar.close},
                                                                          {"Vo", &bar.volume}};
        for (const auto& [name, figure] : figures) {
            const QJsonValue value = row.value(QLatin1String(name));
            if (value.isDouble()) {
                *figure = value.toDouble();
            } else if (!value.isNull()) {
                return QStringLiteral("%1 of %2 is neither a number nor null").arg(name, where);
            }
        }
        const QJsonValue factor = row.value(QStringLiteral("AdjFactor"));
        if (!factor.isDouble() || factor.toDouble() <= 0) {
            return QStringLiteral("AdjFactor of %1 is not a positive number").arg(where);
        }
        bar.adjFactor = factor.toDouble();
        bars.push_back(std::move(bar));
    }
    return {};
}

}  // namespace

QString UserText(const UpstreamFailure& failure) {
    switch (failure.kind) {
        case Kind::NoKey:
            return QStringLiteral("J-Quants の API キーが設定されていません。%1 に置いてください。")
                .arg(failure.place);
        case Kind::KeyRefusedOrPlan:
            return QStringLiteral(
                "J-Quants がアクセスを拒否しました。API キーが正しくないか、ご利用のプランでは"
                "この期間の株価を取得できません。");
        case Kind::RateLimited:
            return QStringLiteral(
                       "J-Quants の回数制限のため、約%1秒後にもう一度ダウンロードしてください")
                .arg(failure.retryAfter);
        case Kind::Unreachable:
            return QStringLiteral("J-Quants に接続できません (%1)").arg(failure.place);
        case Kind::Broken:
            return QStringLiteral(
                "J-Quants から読み取れない応答が返りました。しばらくしてから"
                "もう一度お試しください。");
        case Kind::ServerError:
            return QStringLiteral(
                "J-Quants 側でエラーが起きています。しばらくしてからもう一度"
                "お試しください。");
    }
    return {};
}

QString BaseUrlProblem(const QString& url) {
    const QUrl parsed(url, QUrl::StrictMode);
    const QString host = parsed.host();
    if (!parsed.isValid() || host.isEmpty() || parsed.hasQuery() || parsed.hasFragment()) {
        return QStringLiteral("not a base URL: %1").arg(url);
    }
    static const QRegularExpression kLoopbackV4(QStringLiteral("^127(\\.[0-9]{1,3}){3}$"));
    const bool loopback = host == QLatin1String("localhost") || host == QLatin1String("::1") ||
                          kLoopbackV4.match(host).hasMatch();
    if (parsed.scheme() == QLatin1String("https") ||
        (parsed.scheme() == QLatin1String("http") && loopback)) {
        return {};
    }
    return QStringLiteral("only https, or plain http to this machine, can reach J-Quants: %1")
        .arg(url);
}

JQuantsClient::JQuantsClient(JQuantsSettings settings, KeySource key, RateLimiter* limiter)
    : settings_(std::move(settings)), key_(std::move(key)), limiter_(limiter) {}

UpstreamAnswer JQuantsClient::History(const QString& code) const {
    return Fetch("code", code.toStdString());
}

UpstreamAnswer JQuantsClient::Day(QDate date) const {
    return Fetch("date", date.toString(Qt::ISODate).toStdString());
}

UpstreamAnswer JQuantsClient::Fetch(const std::string& name, const std::string& value) const {
    UpstreamAnswer answer;
    const QUrl url(settings_.baseUrl);
    const auto fail = [&answer](UpstreamFailure failure) {
        answer.bars.clear();
        answer.failure = std::move(failure);
        return answer;
    };
    if (const QString problem = BaseUrlProblem(settings_.baseUrl); !problem.isEmpty()) {
        return fail({Kind::Unreachable, 0, url.host(), problem});
    }
    std::unique_ptr<httplib::ClientImpl> client;
    if (url.scheme() == QLatin1String("https")) {
        auto tls = std::make_unique<httplib::SSLClient>(url.host().toStdString(), url.port(443));
        tls->enable_server_certificate_verification(true);
        if (!settings_.caFile.isEmpty()) {
            tls->set_ca_cert_path(settings_.caFile.toStdString());
        }
        client = std::move(tls);
    } else {
        client = std::make_unique<httplib::ClientImpl>(url.host().toStdString(), url.port(80));
    }
    client->set_connection_timeout(settings_.connectTimeout);
    client->set_read_timeout(settings_.ioTimeout);
    client->set_write_timeout(settings_.ioTimeout);
    const std::string path =
        url.path().chopped(url.path().endsWith('/')).toStdString() + "/equities/bars/daily";

    std::set<std::string> keysSeen;
    std::string next;
    while (answer.requests < settings_.maxPages) {
        const std::string key = QByteArray::fromStdString(key_()).trimmed().toStdString();
        if (key.empty()) {
            return fail({Kind::NoKey, 0, settings_.keyPlace, QStringLiteral("no API key")});
        }
        if (limiter_ && !limiter_->Acquire(limiter_->Now() + settings_.slotWait)) {
            return fail({Kind::RateLimited,
                         std::max(limiter_->SecondsUntilFree(), 1),
                         {},
                         QStringLiteral("no request slot free in time")});
        }
        httplib::Params params{{name, value}};
        if (!next.empty()) {
            params.emplace("pagination_key", next);
        }
        ++answer.requests;
        Reply reply = Get(*client, path, params, key, settings_, url.host());
        if (!reply.failure && reply.status != 200) {
            reply.failure = StatusFailure(reply, key);
        }
        if (reply.failure) {
            if (reply.failure->kind == Kind::RateLimited && limiter_) {
                limiter_->Penalize(std::chrono::seconds(reply.failure->retryAfter));
            }
            return fail(*reply.failure);
        }
        if (const QString problem = ReadPage(reply.body, answer.bars, next); !problem.isEmpty()) {
            return fail({Kind::Broken, 0, {}, problem});
        }
        if (next.empty()) {
            for (const UpstreamBar& bar : answer.bars) {
                answer.newestDate = std::max(answer.newestDate, bar.date);
            }
            return answer;
        }
        if (!keysSeen.insert(next).second) {
            return fail({Kind::Broken, 0, {}, QStringLiteral("pagination_key repeats")});
        }
    }
    return fail(
        {Kind::Broken, 0, {}, QStringLiteral("more than %1 pages").arg(settings_.maxPages)});
}

}  // namespace quote_service

#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "tools/quote-service/chart_query.h"
#include "tools/quote-service/jquants_client.h"
#include "tools/quote-service/quote_store.h"
#include "tools/quote-service/rate_limiter.h"

namespace quote_service {

// What the service sends for a chart query: a chart page, or a failure's words as plain text.
struct ChartAnswer {
    int status = 200;
    QByteArray body;
    bool plainText = false;  // the body is words for the user, not a page
    int retryAfter = 0;      // seconds; given with a 503
};

// The API key as it stands now: from the key file when it exists and only its owner may read
// it, else from JQUANTS_API_KEY. When an existing key file was not used, refusal says why for
// the log and words for the user.
struct ApiKey {
    std::string key;
    QString refusal;
    QString words;
};
ApiKey ReadApiKey(const QString& keyFile);

struct GatewaySettings {
    JQuantsSettings client;  // client.keyPlace is the key file
    int perMinute = 5;
    int rowsPerPage = 50;
    std::chrono::milliseconds patience{10000};  // the longest a chart query waits for J-Quants
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTimeUtc(); };
    std::function<void(const QString&)> log;  // one line each; none: standard error
};

// Answers chart queries from the local store, filling it from J-Quants: a code's whole history
// when it is first asked for, then every issue's day for each day the store lacks. Requests
// that outlast a query's patience go on in the background. Safe from any thread.
class JQuantsGateway {
public:
    JQuantsGateway(GatewaySettings settings, std::unique_ptr<QuoteStore> store);
    ~JQuantsGateway();
    JQuantsGateway(const JQuantsGateway&) = delete;
    JQuantsGateway& operator=(const JQuantsGateway&) = delete;

    ChartAnswer Answer(const ChartQuery& query);

private:
    // One piece of upstream work (a code's history, or the store's missing days) that every
    // query needing it waits for.
    struct Job {
        bool done = false;
        std::optional<UpstreamFailure> failure;  // while not done: a 429 being waited out
        QString storeError;
    };
    using Work = std::function<void(Job&)>;

    std::shared_ptr<Job> Start(const QString& name, Work work);
    void Publish(Job& job, std::optional<UpstreamFailure> failure, QString storeError = {});
    // Runs the attempt again after a 429 (the limiter waits it out), a few times at most.
    void Attempt(Job& job, const QString& what,
                 const std::function<std::optional<UpstreamFailure>()>& attempt);
    std::optional<UpstreamFailure> FetchHistory(Job& job, const QString& code);
    std::optional<UpstreamFailure> FetchDays(Job& job);
    StoreResult<> CatchUpOrRelease(const QString& code, QDate complete, QDate newest);
    // Whether the store should ask for days now: it lacks some, or a newer one may exist.
    bool DaysDue(const QString& code);

    ChartAnswer Page(const ChartQuery& query, const QString& code);
    ChartAnswer Failure(const UpstreamFailure& failure);
    ChartAnswer Words(int status, const QString& words, int retryAfter = 0) const;
    void Log(const QString& line) const;

    const GatewaySettings settings_;
    const std::unique_ptr<QuoteStore> store_;
    RateLimiter limiter_;
    const JQuantsClient client_;

    std::mutex mutex_;
    std::condition_variable changed_;
    bool stopping_ = false;
    std::map<QString, std::shared_ptr<Job>> jobs_;  // by code; the days under ""
    std::list<std::pair<std::shared_ptr<Job>, std::thread>> threads_;
    QDateTime daysFailedAt_;
    QString lastRefusal_;
    QString lastRefusalWords_;
};

}  // namespace quote_service

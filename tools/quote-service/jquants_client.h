#pragma once

#include <QDate>
#include <QString>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tools/quote-service/upstream_bar.h"

namespace quote_service {

class RateLimiter;

struct JQuantsSettings {
    QString baseUrl = QStringLiteral("https://api.jquants.com/v2");
    QString caFile;  // certificates to trust instead of the system's (tests)
    QString keyPlace = QStringLiteral("~/.config/ardentix/jquants-api-key");  // for the user
    std::chrono::milliseconds connectTimeout{5000};
    std::chrono::milliseconds ioTimeout{10000};  // each read or write
    std::chrono::milliseconds deadline{60000};   // each request as a whole
    std::chrono::milliseconds slotWait{180000};  // for the rate limiter's slot
    qsizetype bodyCap = qsizetype(64) << 20;     // decompressed
    int maxPages = 40;
};

struct UpstreamFailure {
    enum class Kind { NoKey, KeyRefusedOrPlan, RateLimited, Unreachable, Broken, ServerError };
    Kind kind = Kind::Broken;
    int retryAfter = 0;  // seconds, RateLimited
    QString place;       // the host for Unreachable, the key file for NoKey
    QString detail;      // what happened, for the log; never the key
};

// The words the user sees for a failure.
QString UserText(const UpstreamFailure& failure);

struct UpstreamAnswer {
    std::vector<UpstreamBar> bars;
    QDate newestDate;  // the newest Date among the bars
    int requests = 0;  // HTTP requests sent, pages included
    std::optional<UpstreamFailure> failure;
};

// Why the URL cannot be J-Quants' base URL, empty when it can: https, or plain http to a
// loopback host.
QString BaseUrlProblem(const QString& url);

// Daily bars from J-Quants, one call at a time per thread; safe to share between threads.
// Every request takes a slot of the rate limiter when one is given.
class JQuantsClient {
public:
    // The key is asked for before every request, so a key put in place later is used; an
    // empty key means none is configured.
    using KeySource = std::function<std::string()>;

    JQuantsClient(JQuantsSettings settings, KeySource key, RateLimiter* limiter = nullptr);

    // The whole history of a code that the plan covers, every page of it.
    UpstreamAnswer History(const QString& code) const;

    // Every issue's bar of a day.
    UpstreamAnswer Day(QDate date) const;

private:
    UpstreamAnswer Fetch(const std::string& name, const std::string& value) const;

    const JQuantsSettings settings_;
    const KeySource key_;
    RateLimiter* const limiter_;
};

}  // namespace quote_service

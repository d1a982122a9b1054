#include "tools/quote-service/jquants_gateway.h"

#include <QRegularExpression>
#include <cstdio>

#include "tools/quote-service/chart_pages.h"
#include "tools/quote-service/listings.h"
#include "tools/quote-service/private_file.h"
#include "tools/quote-service/store_history.h"
#include "tools/quote-service/trading_calendar.h"

namespace quote_service {

namespace {

using Kind = UpstreamFailure::Kind;

constexpr int kAttempts = 3;
constexpr int kBusyRetryAfter = 10;  // seconds, when the wait is for a slow answer
constexpr int kDaysBackoffSeconds = 60;
// About what a code's history costs (a request and its pages), in day requests.
constexpr qint64 kHistoryCost = 4;
constexpr qsizetype kKeyFileCap = 4096;
const QString kStoreWords = QStringLiteral("株価を保存するデータベースを使えません");

// The exchange's calendar day at the time.
QDate TokyoDate(const QDateTime& time) {
    return time.toUTC().addSecs(9 * 3600).date();
}

// Whether a newer day is due to be asked for: at most once an hour.
bool RefreshDue(const QDateTime& checked, const QDateTime& now) {
    return !checked.isValid() || checked.secsTo(now) >= 3600;
}

}  // namespace

ApiKey ReadApiKey(const QString& keyFile) {
    ApiKey result;
    const PrivateFile file = ReadPrivateFile(keyFile, kKeyFileCap, true);
    if (file.state == PrivateFile::State::Read && !file.bytes.isEmpty()) {
        result.key = file.bytes.toStdString();
        return result;
    }
    if (file.state == PrivateFile::State::NotPrivate) {
        result.refusal = QStringLiteral("the key file %1 can be read by other users (chmod 600 it)")
                             .arg(keyFile);
        result.words =
            QStringLiteral(
                "J-Quants の API キーのファイル %1 は他のユーザーも読めるため使いません。"
                "chmod 600 %1 としてください。")
                .arg(keyFile);
    } else if (file.state == PrivateFile::State::Unreadable) {
        result.refusal =
            QStringLiteral("the key file %1 cannot be read: %2").arg(keyFile, file.reason);
        result.words = QStringLiteral("J-Quants の API キーのファイル %1 を読めません（%2）。")
                           .arg(keyFile, file.reason);
    }
    // Qt's reading, unlike getenv, is safe while another thread sets the environment.
    result.key = qgetenv("JQUANTS_API_KEY").trimmed().toStdString();
    return result;
}

JQuantsGateway::JQuantsGateway(GatewaySettings settings, std::unique_ptr<QuoteStore> store)
    : settings_(std::move(settings)),
      store_(std::move(store)),
      limiter_(settings_.perMinute),
      client_(
          settings_.client,
          [this] {
              ApiKey key = ReadApiKey(settings_.client.keyPlace);
              std::lock_guard lock(mutex_);
              if (key.refusal != lastRefusal_ && !key.refusal.isEmpty()) {
                  Log(key.refusal);
              }
              lastRefusal_ = key.refusal;
              lastRefusalWords_ = key.words;
              return key.key;
          },
          &limiter_) {}

JQuantsGateway::~JQuantsGateway() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    limiter_.Close();
    changed_.notify_all();
    for (auto& [job, thread] : threads_) {
        thread.join();
    }
}

void JQuantsGateway::Log(const QString& line) const {
    if (settings_.log) {
        settings_.log(line);
    } else {
        std::fprintf(stderr, "quote-service: %s\n", qPrintable(line));
    }
}

std::shared_ptr<JQuantsGateway::Job> JQuantsGateway::Start(const QString& name, Work work) {
    std::lock_guard lock(mutex_);
    if (const auto running = jobs_.find(name); running != jobs_.end()) {
        return running->second;
    }
    for (auto it = threads_.begin(); it != threads_.end();) {
        if (it->first->done) {
            it->second.join();  // it has published and is ending
            it = threads_.erase(it);
        } else {
            ++it;
        }
    }
    auto job = jobs_[name] = std::make_shared<Job>();
    threads_.emplace_back(job, std::thread([this, name, job, work = std::move(work)] {
                              work(*job);
                              std::lock_guard lock(mutex_);
                              job->done = true;
                              jobs_.erase(name);
                              changed_.notify_all();
                          }));
    return job;
}

void JQuantsGateway::Publish(Job& job, std::optional<UpstreamFailure> failure, QString storeError) {
    std::lock_guard lock(mutex_);
    job.failure = std::move(failure);
    job.storeError = std::move(storeError);
    changed_.notify_all();
}

void JQuantsGateway::Attempt(Job& job, const QString& what,
                             const std::function<std::optional<UpstreamFailure>()>& attempt) {
    for (int i = 0; i < kAttempts; ++i) {
        auto failure = attempt();
        const bool again = failure && failure->kind == Kind::RateLimited;
        if (failure) {
            Log(QStringLiteral("%1: J-Quants: %2%3")
                    .arg(what, failure->detail,
                         failure->place.isEmpty() ? QString() : " (" + failure->place + ')'));
        }
        if (job.storeError.isEmpty()) {
            Publish(job, std::move(failure));
        }
        std::lock_guard lock(mutex_);
        if (!again || stopping_) {
            return;
        }
    }
}

std::optional<UpstreamFailure> JQuantsGateway::FetchHistory(Job& job, const QString& code) {
    if (const auto held = store_->IsHeld(code); held.ok() && held.value) {
        return std::nullopt;  // an ask that came just before this one fetched it
    }
    const UpstreamAnswer answer = client_.History(code);
    if (answer.failure) {
        return answer.failure;
    }
    Log(QStringLiteral("%1: its history, %2 bars in %3 requests")
            .arg(code)
            .arg(answer.bars.size())
            .arg(answer.requests));
    auto stored = store_->StoreBars(answer.bars, code);
    const auto newest = store_->NewestDate();
    const auto complete = store_->CompleteThrough();
    if (stored.ok() && newest.ok() && complete.ok() && answer.newestDate.isValid()) {
        // The history reaches the upstream's newest day: no newer one exists as of now.
        if (answer.newestDate >= newest.value) {
            stored = store_->SetNewestDate(answer.newestDate);
            if (stored.ok()) {
                stored = store_->SetLastRefreshCheck(settings_.now());
            }
            if (stored.ok() && answer.newestDate != newest.value) {
                stored = store_->SetNewestLearnt(settings_.now());
            }
        }
        if (stored.ok() && !complete.value.isValid()) {
            stored = store_->SetCompleteThrough(answer.newestDate);
        } else if (stored.ok()) {
            stored =
                CatchUpOrRelease(code, complete.value, std::max(newest.value, answer.newestDate));
        }
    }
    for (const QString& error : {stored.error, newest.error, complete.error}) {
        if (!error.isEmpty()) {
            Log(error);
            Publish(job, std::nullopt, error);
            break;
        }
    }
    return std::nullopt;
}

// The codes held before this one lack the days after `complete`, which day requests bring at a
// request a trading day. When a long gap opens (the first code held was one no longer traded,
// or the store was away for months) and there are fewer codes than that, those codes are
// released instead: each asks for its history again when next asked.
StoreResult<> JQuantsGateway::CatchUpOrRelease(const QString& code, QDate complete, QDate newest) {
    qint64 gap = 0;
    for (QDate day = complete.addDays(1); day <= newest; day = day.addDays(1)) {
        gap += IsTradingDay(day) ? 1 : 0;
    }
    if (gap == 0) {
        return {};
    }
    const auto held = store_->HeldCount();
    if (!held.ok() || gap <= kHistoryCost * (held.value - 1)) {
        return {{}, held.error};
    }
    Log(QStringLiteral("%1 trading days behind: %2 held codes will ask for their history again")
            .arg(gap)
            .arg(held.value - 1));
    return store_->ReleaseHeldBut(code, newest);
}

// The days asked for: first every trading day the held codes lack up to the newest day the
// upstream has given (N); then, when a check for newer days is due, the trading days after N
// that can have appeared since N was learnt. The upstream's newest day moves one calendar day
// per calendar day (each plan serves a fixed delay), so those are the days up to N moved on by
// the calendar days since then: after k trading days away the store catches up with k
// requests, and the check itself comes at most once an hour. A day after N that comes back
// empty or refused is not there yet (or a holiday the calendar does not know), and is asked
// again at a later check; one with rows becomes N. Counting from the last check instead would
// stop at the first weekend: N stays on Friday while the checks go on.
std::optional<UpstreamFailure> JQuantsGateway::FetchDays(Job& job) {
    const auto newest = store_->NewestDate();
    const auto complete = store_->CompleteThrough();
    const auto checked = store_->LastRefreshCheck();
    const auto learnt = store_->NewestLearnt();
    for (const QString& error : {newest.error, complete.error, checked.error, learnt.error}) {
        if (!error.isEmpty()) {
            Publish(job, std::nullopt, error);
            return std::nullopt;
        }
    }
    if (!newest.value.isValid()) {
        return std::nullopt;
    }
    const QDateTime now = settings_.now();
    QDate last = newest.value;
    const bool check = RefreshDue(checked.value, now);
    const QDateTime since = learnt.value.isValid() ? learnt.value : checked.value;
    if (check && since.isValid()) {
        last = last.addDays(std::max<qint64>(0, TokyoDate(since).daysTo(TokyoDate(now))));
    }
    QDate newestDay = newest.value;
    int requests = 0;
    const QDate first = (complete.value.isValid() ? complete.value : newest.value).addDays(1);
    for (QDate day = first; day <= last; day = day.addDays(1)) {
        if (!IsTradingDay(day)) {
            continue;
        }
        const UpstreamAnswer answer = client_.Day(day);
        requests += answer.requests;
        const bool past = day > newestDay;
        if (answer.failure && past && answer.failure->kind == Kind::KeyRefusedOrPlan) {
            break;  // past what the plan serves
        }
        if (answer.failure) {
            if (check && answer.failure->kind != Kind::RateLimited) {
                store_->SetLastRefreshCheck(now);  // an upstream away is asked again in an hour
            }
            return answer.failure;
        }
        auto stored = store_->StoreBars(answer.bars);
        if (stored.ok() && !answer.bars.empty() && past) {
            newestDay = day;
            stored = store_->SetNewestDate(day);
            if (stored.ok()) {
                stored = store_->SetNewestLearnt(now);
            }
        }
        if (stored.ok() && day <= newestDay) {
            stored = store_->SetCompleteThrough(day);
        }
        if (!stored.ok()) {
            Log(stored.error);
            Publish(job, std::nullopt, stored.error);
            return std::nullopt;
        }
    }
    Log(QStringLiteral("days up to %1: %2 requests")
            .arg(newestDay.toString(Qt::ISODate))
            .arg(requests));
    if (check) {
        if (const auto stored = store_->SetLastRefreshCheck(now); !stored.ok()) {
            Log(stored.error);
        }
    }
    return std::nullopt;
}

bool JQuantsGateway::DaysDue(const QString& code) {
    {
        std::lock_guard lock(mutex_);
        if (daysFailedAt_.isValid() &&
            daysFailedAt_.secsTo(settings_.now()) < kDaysBackoffSeconds) {
            return false;
        }
    }
    const auto newest = store_->NewestDate();
    const auto complete = store_->CompleteThrough();
    const auto checked = store_->LastRefreshCheck();
    const auto bars = store_->BarsOf(code);
    if (!newest.ok() || !complete.ok() || !checked.ok() || !bars.ok() || !newest.value.isValid()) {
        return false;  // nothing to bring up to date, or the page's own reading says why
    }
    const bool lacking = complete.value < newest.value &&
                         (bars.value->empty() || bars.value->back().date < newest.value);
    return lacking || RefreshDue(checked.value, settings_.now());
}

ChartAnswer JQuantsGateway::Answer(const ChartQuery& query) {
    const Listing listing = ListingOf(query.symbol);
    if (listing.market != kPrimaryMarket) {
        return Words(500, QStringLiteral("J-Quants の株価は東京証券取引所の銘柄だけです"));
    }
    static const QRegularExpression kCode(QStringLiteral("^[0-9A-Z]{4,5}$"));
    const QString code = UpstreamCode(QString::fromStdString(listing.code));
    if (!kCode.match(code).hasMatch()) {
        return {200, HistoryPageFor(query, {}, settings_.rowsPerPage)};
    }
    const auto held = store_->IsHeld(code);
    if (!held.ok()) {
        Log(held.error);
        return Words(500, kStoreWords);
    }
    std::shared_ptr<Job> job;
    if (!held.value) {
        job = Start(code, [this, code](Job& job) {
            Attempt(job, code, [this, &job, &code] { return FetchHistory(job, code); });
        });
    } else if (DaysDue(code)) {
        job = Start(QString(), [this](Job& job) {
            Attempt(job, QStringLiteral("days"), [this, &job] { return FetchDays(job); });
            std::lock_guard lock(mutex_);
            if (job.failure) {
                daysFailedAt_ = settings_.now();
            }
        });
    }
    if (job) {
        std::unique_lock lock(mutex_);
        const auto deadline = std::chrono::steady_clock::now() + settings_.patience;
        const auto limited = [&job] {
            return job->failure && job->failure->kind == Kind::RateLimited;
        };
        changed_.wait_until(lock, deadline, [&] { return job->done || limited() || stopping_; });
        if (const bool rateLimited = limited(); !job->done || rateLimited) {
            lock.unlock();
            if (held.value) {
                Log(QStringLiteral("%1: served from the store while J-Quants is slow or limited, "
                                   "may be stale")
                        .arg(code));
                return Page(query, code);
            }
            const int seconds =
                std::max(limiter_.SecondsUntilFree(), rateLimited ? 1 : kBusyRetryAfter);
            return Failure({Kind::RateLimited, seconds, {}, {}});
        }
        if (!job->storeError.isEmpty()) {
            return Words(500, kStoreWords);
        }
        if (job->failure && !held.value) {
            lock.unlock();
            return Failure(*job->failure);
        }
        if (job->failure) {
            Log(QStringLiteral("%1: served from the store, may be stale").arg(code));
        }
    }
    return Page(query, code);
}

ChartAnswer JQuantsGateway::Page(const ChartQuery& query, const QString& code) {
    const auto bars = store_->BarsOf(code);
    if (!bars.ok()) {
        Log(bars.error);
        return Words(500, kStoreWords);
    }
    return {200,
            HistoryPageFor(query, HistoryFromStore(*bars.value, query.end), settings_.rowsPerPage)};
}

ChartAnswer JQuantsGateway::Failure(const UpstreamFailure& failure) {
    switch (failure.kind) {
        case Kind::RateLimited:
            return Words(503, UserText(failure), failure.retryAfter);
        case Kind::NoKey: {
            const QString words = [this] {
                std::lock_guard lock(mutex_);
                return lastRefusalWords_;  // what the key source found for this very request
            }();
            return Words(500, words.isEmpty() ? UserText(failure) : words);
        }
        default:
            return Words(502, UserText(failure));
    }
}

ChartAnswer JQuantsGateway::Words(int status, const QString& words, int retryAfter) const {
    return {status, words.toUtf8(), true, retryAfter};
}

}  // namespace quote_service

#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <variant>
#include <vector>

#include "tools/quote-service/upstream_bar.h"

struct sqlite3;

namespace quote_service {

// The J-Quants code of a chart query's code: "7203" -> "72030"; any other code as it is.
QString UpstreamCode(const QString& code);

// A code's bars, oldest first, shared with the store's cache.
using StoredBars = std::shared_ptr<const std::vector<UpstreamBar>>;

// What a store call gives: its value, or why it failed.
template <typename T = std::monostate>
struct StoreResult {
    T value{};
    QString error;  // empty when the call succeeded

    bool ok() const { return error.isEmpty(); }
};

// The local store of daily bars: an SQLite database that several services may share. It keeps
// the raw figures and factors only; adjusted prices are derived when a page is built. Every
// call is safe from any thread. A write that finds another connection writing waits up to the
// busy timeout, then fails saying the store is busy.
class QuoteStore {
public:
    // Opens the store at path, creating the file, its folder and its tables when missing.
    static StoreResult<std::unique_ptr<QuoteStore>> Open(
        const QString& path, std::chrono::milliseconds busyTimeout = std::chrono::seconds(5));
    ~QuoteStore();
    QuoteStore(const QuoteStore&) = delete;
    QuoteStore& operator=(const QuoteStore&) = delete;

    // Writes the bars (replacing those of the same code and day) in one transaction, and with
    // them marks heldCode as held: its history request has been answered, these are its bars.
    StoreResult<> StoreBars(const std::vector<UpstreamBar>& bars,
                            const std::optional<QString>& heldCode = std::nullopt);
    StoreResult<bool> IsHeld(const QString& code);
    StoreResult<qint64> HeldCount();
    // In one transaction: every code but keptCode is no longer held (its bars stay; its next
    // ask asks for its history again), and the store is complete through the date.
    StoreResult<> ReleaseHeldBut(const QString& keptCode, QDate completeThrough);

    // Every stored bar of the code, oldest first.
    StoreResult<StoredBars> BarsOf(const QString& code);

    // The newest day the upstream has given; an invalid date before it gave any.
    StoreResult<QDate> NewestDate();
    StoreResult<> SetNewestDate(QDate date);

    // The day up to which every held code's bars are whole: its history request or a day
    // request brought each of its days up to it; an invalid date before any code is held.
    StoreResult<QDate> CompleteThrough();
    StoreResult<> SetCompleteThrough(QDate date);

    // When the upstream was last asked for a day newer than NewestDate(); invalid when never.
    StoreResult<QDateTime> LastRefreshCheck();
    StoreResult<> SetLastRefreshCheck(const QDateTime& time);

    // When NewestDate() last moved: the plan's newest day moves on a calendar day a day from
    // then. Invalid when never recorded.
    StoreResult<QDateTime> NewestLearnt();
    StoreResult<> SetNewestLearnt(const QDateTime& time);

private:
    QuoteStore(sqlite3* db, const QString& path) : db_(db), path_(path) {}
    QString Failure(int code) const;
    // Runs body (SQLITE_OK or the failing code) in a transaction that holds the write lock
    // from its start; commits when body succeeds.
    StoreResult<> Write(const std::function<int()>& body);
    StoreResult<QString> MetaValue(const char* key);
    StoreResult<> SetMetaValue(const char* key, const QString& value);

    // One connection shared by every thread, under the lock: the calls are short, and one
    // connection keeps one warm page cache where one per thread of the server's pool would
    // each read the same pages from the file again.
    std::mutex mutex_;
    sqlite3* const db_;
    const QString path_;
    // The bars last read of a few codes, good until a connection writes: this one clears them,
    // another one's commit changes the data version.
    std::map<QString, StoredBars> cache_;
    qint64 cachedVersion_ = -1;
};

}  // namespace quote_service

#include "tools/quote-service/quote_store.h"

#include <sqlite3.h>

#include <QDir>
#include <QFileInfo>

namespace quote_service {

namespace {

// WAL: pages are read while another connection writes, and a killed writer leaves the last
// commit in place; synchronous=NORMAL may lose the last commits to a power cut, never the file.
const char kSchema[] =
    "PRAGMA journal_mode=WAL;"
    "PRAGMA synchronous=NORMAL;"
    "CREATE TABLE IF NOT EXISTS bars(code TEXT NOT NULL, day INTEGER NOT NULL,"
    " open REAL, high REAL, low REAL, close REAL, volume REAL, adj_factor REAL NOT NULL,"
    " PRIMARY KEY(code, day)) WITHOUT ROWID;"
    "CREATE TABLE IF NOT EXISTS held(code TEXT PRIMARY KEY) WITHOUT ROWID;"
    "CREATE TABLE IF NOT EXISTS meta(key TEXT PRIMARY KEY, value TEXT NOT NULL) WITHOUT ROWID;";

// Some 600 kB each for 20 years of daily bars.
constexpr std::size_t kCachedCodes = 32;

const char kNewestDate[] = "newest_date";
const char kLastRefreshCheck[] = "last_refresh_check";
const char kCompleteThrough[] = "complete_through";
const char kNewestLearnt[] = "newest_learnt";

// Days are stored as the number yyyymmdd.
qint64 DayKey(QDate day) {
    return day.year() * 10000 + day.month() * 100 + day.day();
}

QDate DayOfKey(qint64 key) {
    return QDate(int(key / 10000), int(key / 100 % 100), int(key % 100));
}

// A prepared statement; a statement that did not prepare fails its every step with the
// preparation's error.
class Statement {
public:
    Statement(sqlite3* db, const char* sql)
        : prepared_(sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr)) {}
    ~Statement() { sqlite3_finalize(stmt_); }

    Statement& Bind(int index, const QString& text) {
        sqlite3_bind_text(stmt_, index, text.toUtf8().constData(), -1, SQLITE_TRANSIENT);
        return *this;
    }
    Statement& Bind(int index, qint64 value) {
        sqlite3_bind_int64(stmt_, index, value);
        return *this;
    }
    Statement& Bind(int index, double value) {
        sqlite3_bind_double(stmt_, index, value);
        return *this;
    }
    Statement& Bind(int index, std::optional<double> value) {
        if (value) {
            return Bind(index, *value);
        }
        sqlite3_bind_null(stmt_, index);
        return *this;
    }

    int Step() { return stmt_ ? sqlite3_step(stmt_) : prepared_; }

    // Steps a statement that returns no rows and makes it ready to run again: SQLITE_OK or
    // the error.
    int Run() {
        const int done = Step();
        sqlite3_reset(stmt_);
        return done == SQLITE_DONE ? SQLITE_OK : done;
    }

    qint64 Int(int column) const { return sqlite3_column_int64(stmt_, column); }
    QString Text(int column) const {
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column)));
    }
    std::optional<double> Real(int column) const {
        if (sqlite3_column_type(stmt_, column) == SQLITE_NULL) {
            return std::nullopt;
        }
        return sqlite3_column_double(stmt_, column);
    }

private:
    sqlite3_stmt* stmt_ = nullptr;
    const int prepared_;
};

}  // namespace

QString UpstreamCode(const QString& code) {
    return code.size() == 4 ? code + u'0' : code;
}

StoreResult<std::unique_ptr<QuoteStore>> QuoteStore::Open(const QString& path,
                                                          std::chrono::milliseconds busyTimeout) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    sqlite3* db = nullptr;
    int rc =
        sqlite3_open_v2(path.toUtf8().constData(), &db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    std::unique_ptr<QuoteStore> store(new QuoteStore(db, path));
    if (rc == SQLITE_OK) {
        sqlite3_busy_timeout(db, int(busyTimeout.count()));
        rc = sqlite3_exec(db, kSchema, nullptr, nullptr, nullptr);
    }
    if (rc != SQLITE_OK) {
        return {nullptr, store->Failure(rc)};
    }
    return {std::move(store), {}};
}

QuoteStore::~QuoteStore() {
    sqlite3_close(db_);
}

QString QuoteStore::Failure(int code) const {
    if ((code & 0xff) == SQLITE_BUSY) {
        return QStringLiteral("the quote store %1 is busy: another service is writing to it")
            .arg(path_);
    }
    return QStringLiteral("the quote store %1: %2")
        .arg(path_, QString::fromUtf8(sqlite3_errmsg(db_)));
}

StoreResult<> QuoteStore::Write(const std::function<int()>& body) {
    int rc = sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        return {{}, Failure(rc)};
    }
    rc = body();
    if (rc == SQLITE_OK) {
        rc = sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
    }
    if (rc != SQLITE_OK) {
        const QString error = Failure(rc);
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        return {{}, error};
    }
    return {};
}

StoreResult<> QuoteStore::StoreBars(const std::vector<UpstreamBar>& bars,
                                    const std::optional<QString>& heldCode) {
    const std::lock_guard lock(mutex_);
    cache_.clear();
    return Write([&] {
        Statement insert(db_, "INSERT OR REPLACE INTO bars VALUES(?, ?, ?, ?, ?, ?, ?, ?)");
        for (const UpstreamBar& bar : bars) {
            insert.Bind(1, bar.code).Bind(2, DayKey(bar.date)).Bind(3, bar.open);
            insert.Bind(4, bar.high).Bind(5, bar.low).Bind(6, bar.close).Bind(7, bar.volume);
            if (const int rc = insert.Bind(8, bar.adjFactor).Run(); rc != SQLITE_OK) {
                return rc;
            }
        }
        return heldCode
                   ? Statement(db_, "INSERT OR IGNORE INTO held VALUES(?)").Bind(1, *heldCode).Run()
                   : SQLITE_OK;
    });
}

StoreResult<bool> QuoteStore::IsHeld(const QString& code) {
    const std::lock_guard lock(mutex_);
    Statement select(db_, "SELECT 1 FROM held WHERE code = ?");
    const int rc = select.Bind(1, code).Step();
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
        return {false, Failure(rc)};
    }
    return {rc == SQLITE_ROW, {}};
}

StoreResult<qint64> QuoteStore::HeldCount() {
    const std::lock_guard lock(mutex_);
    Statement count(db_, "SELECT count(*) FROM held");
    if (const int rc = count.Step(); rc != SQLITE_ROW) {
        return {0, Failure(rc)};
    }
    return {count.Int(0), {}};
}

StoreResult<> QuoteStore::ReleaseHeldBut(const QString& keptCode, QDate completeThrough) {
    const std::lock_guard lock(mutex_);
    return Write([&] {
        const int rc = Statement(db_, "DELETE FROM held WHERE code != ?").Bind(1, keptCode).Run();
        return rc != SQLITE_OK ? rc
                               : Statement(db_, "INSERT OR REPLACE INTO meta VALUES(?, ?)")
                                     .Bind(1, QString::fromLatin1(kCompleteThrough))
                                     .Bind(2, completeThrough.toString(Qt::ISODate))
                                     .Run();
    });
}

StoreResult<StoredBars> QuoteStore::BarsOf(const QString& code) {
    const std::lock_guard lock(mutex_);
    Statement version(db_, "PRAGMA data_version");
    if (const int rc = version.Step(); rc != SQLITE_ROW) {
        return {nullptr, Failure(rc)};
    }
    if (version.Int(0) != cachedVersion_ || cache_.size() >= kCachedCodes) {
        cache_.clear();
        cachedVersion_ = version.Int(0);
    }
    if (const auto cached = cache_.find(code); cached != cache_.end()) {
        return {cached->second, {}};
    }
    Statement select(db_,
                     "SELECT day, open, high, low, close, volume, adj_factor FROM bars"
                     " WHERE code = ? ORDER BY day");
    select.Bind(1, code);
    std::vector<UpstreamBar> bars;
    int rc;
    while ((rc = select.Step()) == SQLITE_ROW) {
        bars.push_back({DayOfKey(select.Int(0)), code, select.Real(1), select.Real(2),
                        select.Real(3), select.Real(4), select.Real(5),
                        select.Real(6).value_or(1)});
    }
    if (rc != SQLITE_DONE) {
        return {nullptr, Failure(rc)};
    }
    return {cache_[code] = std::make_shared<const std::vector<UpstreamBar>>(std::move(bars)), {}};
}

StoreResult<QString> QuoteStore::MetaValue(const char* key) {
    const std::lock_guard lock(mutex_);
    Statement select(db_, "SELECT value FROM meta WHERE key = ?");
    const int rc = select.Bind(1, QString::fromLatin1(key)).Step();
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
        return {{}, Failure(rc)};
    }
    return {rc == SQLITE_ROW ? select.Text(0) : QString(), {}};
}

StoreResult<> QuoteStore::SetMetaValue(const char* key, const QString& value) {
    const std::lock_guard lock(mutex_);
    return Write([&] {
        return Statement(db_, "INSERT OR REPLACE INTO meta VALUES(?, ?)")
            .Bind(1, QString::fromLatin1(key))
            .Bind(2, value)
            .Run();
    });
}

StoreResult<QDate> QuoteStore::NewestDate() {
    const auto text = MetaValue(kNewestDate);
    return {QDate::fromString(text.value, Qt::ISODate), text.error};
}

StoreResult<> QuoteStore::SetNewestDate(QDate date) {
    return SetMetaValue(kNewestDate, date.toString(Qt::ISODate));
}

StoreResult<QDate> QuoteStore::CompleteThrough() {
    const auto text = MetaValue(kCompleteThrough);
    return {QDate::fromString(text.value, Qt::ISODate), text.error};
}

StoreResult<> QuoteStore::SetCompleteThrough(QDate date) {
    return SetMetaValue(kCompleteThrough, date.toString(Qt::ISODate));
}

StoreResult<QDateTime> QuoteStore::LastRefreshCheck() {
    const auto text = MetaValue(kLastRefreshCheck);
    return {QDateTime::fromString(text.value, Qt::ISODateWithMs), text.error};
}

StoreResult<> QuoteStore::SetLastRefreshCheck(const QDateTime& time) {
    return SetMetaValue(kLastRefreshCheck, time.toUTC().toString(Qt::ISODateWithMs));
}

StoreResult<QDateTime> QuoteStore::NewestLearnt() {
    const auto text = MetaValue(kNewestLearnt);
    return {QDateTime::fromString(text.value, Qt::ISODateWithMs), text.error};
}

StoreResult<> QuoteStore::SetNewestLearnt(const QDateTime& time) {
    return SetMetaValue(kNewestLearnt, time.toUTC().toString(Qt::ISODateWithMs));
}

}  // namespace quote_service

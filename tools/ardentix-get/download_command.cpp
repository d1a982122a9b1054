#include "tools/ardentix-get/download_command.h"

#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <memory>

#include "app/file_replace.h"
#include "app/message_catalogue.h"
#include "export/export_reader.h"
#include "export/export_writer.h"
#include "export/row_scaling.h"
#include "locale/patterns.h"
#include "parse/date_rule.h"
#include "retrieval/download_run.h"
#include "retrieval/gateway_access.h"
#include "retrieval/page_fetcher.h"
#include "retrieval/query_tables.h"
#include "tools/ardentix-get/saved_file.h"
#include "tools/ardentix-get/stop_signal.h"
#include "tools/ardentix-get/terminal_prompts.h"
#include "tools/ardentix-get/update_merge.h"

namespace ardentix::cli {
namespace {

enum class CodeEnd { Saved, Incomplete, Failed, Interrupted };

// Counts the requests of a code and puts the host in front of a failed fetch's description:
// "Connection refused" alone does not say where the tool went. A body too short to be a page
// fails here, with message 200's words, so that its line names the host too. A page the
// service cannot serve yet (503 with Retry-After: its upstream's rate limit) is asked for once
// more after the pause it asks for, at most kMaxPause seconds; a stop signal ends the pause.
class CountingSource : public PageSource {
public:
    static constexpr int kMaxPause = 120;

    CountingSource(PageSource& source, const QString& host) : source_(source), host_(host) {}

    FetchResult Get(const QString& url) override {
        ++requests;
        FetchResult result = source_.Get(url);
        if (result.status == 503 && result.retryAfterSeconds && !StopRequested()) {
            const int seconds = std::min(*result.retryAfterSeconds, kMaxPause);
            pausing(seconds);
            if (!Pause(seconds)) {
                result = FetchResult();
                result.aborted = true;
                return result;
            }
            ++requests;
            result = source_.Get(url);
        }
        if (result.ok && result.body.size() < kMinPageBytes) {
            result = FetchResult();
            result.error = CatalogueText(200).value_or(QString());
        }
        if (!result.ok && !result.aborted) {
            result.error = host_ + QStringLiteral(": ") + result.error;
        }
        return result;
    }

    // Ends a pause at once.
    void Abort() {
        if (pause_) {
            pause_->quit();
        }
    }

    int requests = 0;
    std::function<void(int seconds)> pausing = [](int) {};

private:
    // False when a stop signal ended it.
    bool Pause(int seconds) {
        QEventLoop loop;
        QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
        pause_ = &loop;
        loop.exec();
        pause_ = nullptr;
        return !StopRequested();
    }

    PageSource& source_;
    const QString& host_;
    QEventLoop* pause_ = nullptr;
};

class Downloader {
public:
    Downloader(const DownloadOptions& options, TerminalPrompts& prompts)
        : given_(options),
          options_(options),
          prompts_(prompts),
          fetcher_(manager_),
          source_(fetcher_, options.host) {
        WhenStopRequested(manager_, [this] {
            fetcher_.Abort();
            source_.Abort();
        });
        source_.pausing = [this](int seconds) {
            Say(QStringLiteral("%1: the service asks to wait %2 s; retrying once")
                    .arg(code_)
                    .arg(seconds));
        };
        fetcher_.setExtraHeader(kSecretHeader, GatewaySecretFor(options.host));
        fetcher_.setTimeoutMs(options.timeoutSeconds * 1000);
        fetcher_.setDeadlineMs(options.timeoutSeconds * 4000);
    }

    CodeEnd Run(const QString& code) {
        options_ = given_;  // an updated file may bring its own period and date form
        prompts_.setSubject(code);
        code_ = code;
        source_.requests = 0;
        const QString path =
            options_.outFile.isEmpty()
                ? QDir(options_.outDir).filePath(DefaultExportName(options_.period, code))
                : options_.outFile;
        const CodeEnd end =
            options_.update && QFileInfo::exists(path) ? Update(code, path) : Download(code, path);
        if (end == CodeEnd::Saved || end == CodeEnd::Incomplete) {
            SayIfOld(code);
        }
        return end;
    }

    void Say(const QString& text) const {
        if (!options_.quiet) {
            WriteLine(stderr, QStringLiteral("ardentix-get: ") + text);
        }
    }

private:
    // The service's newest row (of the last Fetch) lags the end date by more than a week: a
    // plan that serves delayed prices, or a code no longer traded. A weekly row is dated by the
    // last day of its week already, a monthly one by the first of its month.
    void SayIfOld(const QString& code) const {
        const auto date = table_->rowCount > 0 ? DateOf(table_->rawRows[0]) : std::nullopt;
        const bool monthly = options_.period == Period::Monthly;
        if (date &&
            (monthly ? date->addMonths(1).addDays(-1) : *date).daysTo(options_.endDate) > 7) {
            Say(QStringLiteral("%1: the newest row is %2, more than a week before --end %3 (a "
                               "delayed plan, or a code no longer traded?)")
                    .arg(code, monthly ? date->toString(u"yyyy-MM") : Iso(*date),
                         Iso(options_.endDate)));
        }
    }

    // Downloads the code into table_. With a valid stopAt the page loop is left after the
    // first page that holds a row dated on or before it. nullopt when rows are stored.
    std::optional<CodeEnd> Fetch(const QString& code, QDate stopAt) {
        table_->Clear();
        paging_.Clear();
        const ChartQuery query{options_.host,
                               code,
                               options_.marketIndex,
                               options_.period,
                               RangeStart(options_.endDate, options_.period),
                               options_.endDate,
                               0};
        bool reached = false;
        int dated = 0;
        RunHooks hooks;
        hooks.started = [this, &code] { Say(code + QStringLiteral(": 接続中....")); };
        hooks.pageAccepted = [&](int rowCount) {
            Say(code + QStringLiteral(": ") + FormatRowCount(rowCount));
            for (; stopAt.isValid() && !reached && dated < rowCount; ++dated) {
                const auto date = DateOf(table_->rawRows[dated]);
                // The file's newest bar is not compared (it may have been written before its
                // day, week or month was over), so the pages must reach a bar older than it.
                reached = date && *date < stopAt;
            }
            return !StopRequested() && !reached;
        };
        DownloadRun run(*table_, paging_, source_, prompts_);
        const RunEnd end = run.Execute(query, hooks);
        complete_ = run.complete();
        outOfOrder_ = run.outOfOrder();
        if (StopRequested() || (end == RunEnd::Cancelled && !reached)) {
            return CodeEnd::Interrupted;
        }
        if (end != RunEnd::Succeeded && !reached) {
            return CodeEnd::Failed;
        }
        ScaleRows(*table_, options_.priceDivisor, options_.volumeDivisor);
        return std::nullopt;
    }

    // A run that ended at a failed page is saved as the window lets the user save it, and
    // called incomplete.
    CodeEnd Save(const QString& code, const QString& path) {
        const bool toStdout = options_.outFile == u"-";
        const ExportResult written =
            toStdout ? WriteToStdout() : WriteExportFile(path, *table_, options_.ymdForm);
        if (!written.ok) {
            prompts_.ShowMessage(written.error, kStyleCritical, kExportFailureTitle);
            return CodeEnd::Failed;
        }
        if (outOfOrder_) {  // said even with --quiet: the file lacks rows the service has
            Tell(code, QStringLiteral("the service sent rows out of order (a page repeated rows "
                                      "already stored); saved %1 %2, incomplete")
                           .arg(toStdout ? QStringLiteral("to standard output") : path,
                                Tally(table_->rowCount, table_->rowCount)));
            return CodeEnd::Incomplete;
        }
        Say(QStringLiteral("%1: saved %2 %3%4")
                .arg(code, toStdout ? QStringLiteral("to standard output") : path,
                     Tally(table_->rowCount, table_->rowCount))
                .arg(complete_ ? QString() : QStringLiteral(", incomplete: a page failed")));
        return complete_ ? CodeEnd::Saved : CodeEnd::Incomplete;
    }

    // Asks for pages only until they reach the file's newest row, then puts the newer rows on
    // top of the file's, restated for any split since. A file that cannot be read or joined is
    // left as it was (with --replace: replaced by a full download, kept beside it as a backup).
    CodeEnd Update(const QString& code, const QString& path) {
        QFile file(path);
        SavedFile saved;
        if (!QFileInfo(path).isFile()) {
            saved.read.error = QStringLiteral("not a regular file");
        } else if (!file.open(QIODevice::ReadOnly)) {
            saved.read.error = file.errorString();
        } else {
            saved = ReadSavedFile(file.readAll(),
                                  given_.periodGiven ? std::optional(given_.period) : std::nullopt,
                                  options_.endDate);
        }
        if (!saved.read.ok) {
            Tell(code, QStringLiteral("cannot update %1: %2; the file is left as it was")
                           .arg(path, saved.read.error));
            return CodeEnd::Failed;
        }
        const std::vector<ExportLine>& lines = saved.read.lines;
        if (given_.periodGiven && saved.period != given_.period) {
            return Refuse(code, path,
                          QStringLiteral("was written with --period %1")
                              .arg(kPeriodNames[int(saved.period)]));
        }
        if (given_.ymdFormGiven && saved.read.ymdForm >= 0 &&
            saved.read.ymdForm != given_.ymdForm) {
            return Refuse(code, path,
                          QStringLiteral("was written with --date-form %1")
                              .arg(kDateFormNames[saved.read.ymdForm]));
        }
        options_.period = saved.period;
        if (saved.read.ymdForm >= 0) {
            options_.ymdForm = saved.read.ymdForm;
        }
        if (lines.empty()) {
            return Download(code, path);  // nothing to keep
        }
        const QDate newest = lines.front().date;
        if (const std::optional<CodeEnd> failed = Fetch(code, newest)) {
            return *failed;
        }
        // After a split the service's rows are worth more than the file's restated ones, which
        // may be a yen off: take as many of them as a download gives.
        double factor = SplitFactor(newest).value_or(1);
        if (factor != 1) {
            if (const std::optional<CodeEnd> failed = Fetch(code, {})) {
                return *failed;
            }
            factor = SplitFactor(newest).value_or(1);
        }
        const UpdateMerge merge = MergeWith(lines, factor);
        switch (merge.outcome) {
            case UpdateMerge::Gap:
                if (!complete_) {
                    Tell(code, QStringLiteral("cannot update %1: %2 before the rows reached the "
                                              "file's; the file is left as it was")
                                   .arg(path, outOfOrder_ ? QStringLiteral("the service sent rows "
                                                                           "out of order")
                                                          : QStringLiteral("a page failed")));
                    return CodeEnd::Failed;
                }
                return Refuse(code, path,
                              QStringLiteral("ends on %1, before the oldest row the service gives "
                                             "(%2)")
                                  .arg(Iso(newest), Iso(OldestDownloaded())));
            case UpdateMerge::Differs:
                return Refuse(code, path,
                              QStringLiteral("differs from the service's rows at %1%2")
                                  .arg(Iso(merge.differsOn), ScaleHint(lines, factor)));
            case UpdateMerge::Joined:
                break;
        }
        if (merge.restatedRows > 0) {
            Tell(code, QStringLiteral("restated %1 older rows by the factor %2")
                           .arg(merge.restatedRows)
                           .arg(factor, 0, 'g', 6));
        }
        const QString tally = Tally(int(merge.bytes.count("\r\n")), merge.newRows);
        QByteArray before;
        for (const ExportLine& line : lines) {
            before += line.bytes;
        }
        if (merge.bytes == before) {
            Say(QStringLiteral("%1: %2 is up to date %3").arg(code, path, tally));
            return CodeEnd::Saved;
        }
        const FileWriteResult written = ReplaceFileBytes(path, merge.bytes);
        if (!written.ok) {
            prompts_.ShowMessage(written.error, kStyleCritical, kExportFailureTitle);
            return CodeEnd::Failed;
        }
        Say(QStringLiteral("%1: saved %2 %3").arg(code, path, tally));
        return CodeEnd::Saved;
    }

    // The stored rows, as the file would hold them, joined to the file's lines.
    UpdateMerge MergeWith(const std::vector<ExportLine>& lines, double factor) const {
        const ExportReadResult fetched =
            ReadExportBytes(ExportBytes(*table_, options_.ymdForm).value_or(QByteArray()),
                            options_.period, options_.endDate);
        if (!fetched.ok || fetched.lines.empty()) {
            return {UpdateMerge::Differs, {}, 0, 0, lines.front().date};
        }
        return MergeUpdate(lines, fetched.lines, factor);
    }

    // The service's adjusted close over its close on the date, as the page gave them: the
    // factor of every split after that date. nullopt when no stored row has the date (the
    // merge then finds the file's newest row missing).
    std::optional<double> SplitFactor(QDate date) const {
        for (int i = 0; i < table_->rowCount; ++i) {
            const QuoteRow& row = table_->rawRows[i];
            if (DateOf(row) == date) {
                return SplitFactorOf(row.adjClose, row.pageClose);
            }
        }
        return std::nullopt;
    }

    QDate OldestDownloaded() const {
        for (int i = table_->rowCount - 1; i >= 0; --i) {
            if (const auto date = DateOf(table_->rawRows[i])) {
                return *date;
            }
        }
        return {};
    }

    // " (written with --price-scale 10?)" when other scales make the rows agree: prices or
    // volumes a power of ten apart say more about the options than about the stock, and only
    // the page's own factor, not a ratio of prices, can tell a split.
    QString ScaleHint(const std::vector<ExportLine>& lines, double factor) {
        for (const ScaleEntry& price : kPriceScales) {
            for (const ScaleEntry& volume : kVolumeScales) {
                ScaleRows(*table_, price.divisor, volume.divisor);
                if (MergeWith(lines, factor).outcome != UpdateMerge::Joined) {
                    continue;
                }
                QStringList options;
                if (price.divisor != options_.priceDivisor) {
                    options << QStringLiteral("--price-scale %1").arg(price.divisor);
                }
                if (volume.divisor != options_.volumeDivisor) {
                    options << QStringLiteral("--volume-scale %1").arg(volume.divisor);
                }
                ScaleRows(*table_, options_.priceDivisor, options_.volumeDivisor);
                return QStringLiteral(" (written with %1?)").arg(options.join(u' '));
            }
        }
        ScaleRows(*table_, options_.priceDivisor, options_.volumeDivisor);
        return {};
    }

    // The file is left as it was; with --replace it is replaced by a full download and kept
    // beside it as NAME.YYYYMMDD-HHMMSS.bak, never over an earlier backup.
    CodeEnd Refuse(const QString& code, const QString& path, const QString& why) {
        if (!options_.replace) {
            Tell(code, QStringLiteral("%1 %2: the file is left as it was (--replace replaces it "
                                      "by a full download)")
                           .arg(path, why));
            return CodeEnd::Failed;
        }
        Tell(code, QStringLiteral("%1 %2: replacing it by a full download").arg(path, why));
        if (const std::optional<CodeEnd> failed = Fetch(code, {})) {
            return *failed;
        }
        const QString stem =
            path + QDateTime::currentDateTime().toString(QStringLiteral(".yyyyMMdd-HHmmss"));
        QString backup = stem + QStringLiteral(".bak");
        for (int n = 2; QFileInfo::exists(backup); ++n) {
            backup = stem + QStringLiteral("-%1.bak").arg(n);
        }
        QFile old(path);
        if (!old.copy(backup)) {
            Tell(code, QStringLiteral("cannot keep %1 as %2 (%3): the file is left as it was")
                           .arg(path, backup, old.errorString()));
            return CodeEnd::Failed;
        }
        Tell(code, QStringLiteral("the old file is kept as %1").arg(backup));
        return Save(code, path);
    }

    static QString Iso(QDate date) { return date.toString(Qt::ISODate); }

    std::optional<QDate> DateOf(const QuoteRow& row) const {
        return RowDate(row.ymd, options_.period, options_.endDate);
    }

    CodeEnd Download(const QString& code, const QString& path) {
        if (const std::optional<CodeEnd> failed = Fetch(code, {})) {
            return *failed;
        }
        return Save(code, path);
    }

    // "(500 rows, 10 requests)"; with --update "(503 rows, 3 new, 1 request)".
    QString Tally(int rows, int newRows) const {
        const QString added = options_.update ? QStringLiteral(", %1 new").arg(newRows) : QString();
        return QStringLiteral("(%1 rows%2, %3 request%4)")
            .arg(rows)
            .arg(added)
            .arg(source_.requests)
            .arg(source_.requests == 1 ? "" : "s");
    }

    // What the user must know of a code even with --quiet.
    static void Tell(const QString& code, const QString& text) {
        WriteLine(stderr, QStringLiteral("ardentix-get: %1: %2").arg(code, text));
    }

    ExportResult WriteToStdout() {
        QFile out;
        out.open(stdout, QIODevice::WriteOnly);
        ExportResult written = WriteExportTo(out, *table_, options_.ymdForm);
        if (written.ok && !out.flush()) {
            written = {false, out.errorString()};
        }
        if (!written.ok) {
            written.error.prepend(QStringLiteral("標準出力に書き込めませんでした: "));
        }
        return written;
    }

    const DownloadOptions& given_;
    DownloadOptions options_;  // the given options, or an updated file's
    TerminalPrompts& prompts_;
    QNetworkAccessManager manager_;
    PageFetcher fetcher_;
    CountingSource source_;
    QString code_;  // the code of the run
    std::unique_ptr<QuoteTable> table_ = std::make_unique<QuoteTable>();
    PagingState paging_;
    bool complete_ = false;  // the last Fetch ended at no failed page
    // The last Fetch ended at a page that held only rows already stored.
    bool outOfOrder_ = false;
};

}  // namespace

int RunDownloads(const DownloadOptions& options, TerminalPrompts& prompts) {
    Downloader downloader(options, prompts);
    int ends[3] = {};  // saved, incomplete, failed
    bool interrupted = false;
    for (const QString& code : options.codes) {
        const CodeEnd end = StopRequested() ? CodeEnd::Interrupted : downloader.Run(code);
        if (end == CodeEnd::Interrupted) {
            interrupted = true;
            break;
        }
        ++ends[int(end)];
    }
    if (interrupted) {
        WriteLine(stderr, QStringLiteral("ardentix-get: interrupted"));
    }
    const auto [saved, incomplete, failed] = ends;
    downloader.Say(incomplete == 0 ? QStringLiteral("%1 saved, %2 failed").arg(saved).arg(failed)
                                   : QStringLiteral("%1 saved, %2 incomplete, %3 failed")
                                         .arg(saved)
                                         .arg(incomplete)
                                         .arg(failed));
    if (interrupted) {
        return kInterruptedStatus;
    }
    return failed + incomplete > 0 ? 1 : 0;
}

}  // namespace ardentix::cli

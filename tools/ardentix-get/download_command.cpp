#include "tools/ardentix-get/download_command.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <memory>

#include "app/file_replace.h"
#include "export/export_reader.h"
#include "export/export_writer.h"
#include "export/row_scaling.h"
#include "locale/patterns.h"
#include "parse/date_rule.h"
#include "retrieval/download_run.h"
#include "retrieval/page_fetcher.h"
#include "retrieval/query_tables.h"
#include "tools/ardentix-get/stop_signal.h"
#include "tools/ardentix-get/terminal_prompts.h"
#include "tools/ardentix-get/update_merge.h"

namespace ardentix::cli {
namespace {

enum class CodeEnd { Saved, Incomplete, Failed, Interrupted };

// Counts the requests of a code and puts the host in front of a failed fetch's description:
// "Connection refused" alone does not say where the tool went.
class CountingSource : public PageSource {
public:
    CountingSource(PageSource& source, const QString& host) : source_(source), host_(host) {}

    FetchResult Get(const QString& url) override {
        ++requests;
        FetchResult result = source_.Get(url);
        if (!result.ok && !result.aborted) {
            result.error = host_ + QStringLiteral(": ") + result.error;
        }
        return result;
    }

    int requests = 0;

private:
    PageSource& source_;
    const QString& host_;
};

class Downloader {
public:
    Downloader(const DownloadOptions& options, TerminalPrompts& prompts)
        : options_(options),
          prompts_(prompts),
          fetcher_(manager_),
          source_(fetcher_, options.host) {
        WhenStopRequested(manager_, [this] { fetcher_.Abort(); });
    }

    CodeEnd Run(const QString& code) {
        prompts_.setSubject(code);
        source_.requests = 0;
        const QString path =
            options_.outFile.isEmpty()
                ? QDir(options_.outDir).filePath(DefaultExportName(options_.period, code))
                : options_.outFile;
        if (options_.update && QFileInfo::exists(path)) {
            return Update(code, path);
        }
        return Download(code, path);
    }

    void Say(const QString& text) const {
        if (!options_.quiet) {
            WriteLine(stderr, QStringLiteral("ardentix-get: ") + text);
        }
    }

private:
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
                const auto date =
                    RowDate(table_->rawRows[dated].ymd, options_.period, options_.endDate);
                // A weekly or monthly file's newest bar is not compared (it may have been in
                // progress), so the pages must reach a bar older than it.
                reached =
                    date && (options_.period == Period::Daily ? *date <= stopAt : *date < stopAt);
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

    // Asks for pages only until they reach the file's newest row, then puts the newer rows
    // on top of the file's. The file is replaced by a full download when the rows both hold
    // differ, and left as it was when it cannot be read or the new rows cannot be joined.
    CodeEnd Update(const QString& code, const QString& path) {
        const ExportReadResult saved = ReadSaved(path);
        if (!saved.ok) {
            Tell(code, QStringLiteral("cannot update %1: %2; the file is left as it was")
                           .arg(path, saved.error));
            return CodeEnd::Failed;
        }
        if (const std::optional<CodeEnd> failed =
                Fetch(code, saved.lines.empty() ? QDate() : saved.lines.front().date)) {
            return *failed;
        }
        if (saved.lines.empty()) {
            return Save(code, path);  // nothing to keep: the download was a full one
        }
        const ExportReadResult fetched =
            ReadExportBytes(ExportBytes(*table_, options_.ymdForm).value_or(QByteArray()),
                            options_.period, options_.endDate);
        if (!fetched.ok || fetched.lines.empty()) {
            Tell(code, QStringLiteral("the rows downloaded cannot be joined to %1 (%2): "
                                      "downloading it in full")
                           .arg(path, fetched.error));
            return Download(code, path);
        }
        const UpdateMerge merge = MergeUpdate(saved.lines, fetched.lines, options_.period);
        switch (merge.outcome) {
            case UpdateMerge::Gap:
                if (!complete_) {
                    Tell(code, QStringLiteral("cannot update %1: a page failed before the rows "
                                              "reached the file's; the file is left as it was")
                                   .arg(path));
                    return CodeEnd::Failed;
                }
                Tell(code, QStringLiteral("%1 is older than the rows downloaded reach: replaced "
                                          "by them")
                               .arg(path));
                return Save(code, path);
            case UpdateMerge::Differs:
                Tell(code, QStringLiteral("%1 differs from the service's rows at %2 (a split "
                                          "since it was written?): downloading it in full")
                               .arg(path, merge.differsOn.toString(Qt::ISODate)));
                return Download(code, path);
            case UpdateMerge::Joined:
                break;
        }
        const QString tally = Tally(int(merge.bytes.count("\r\n")), merge.newRows);
        if (merge.newRows == 0) {
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

    CodeEnd Download(const QString& code, const QString& path) {
        if (const std::optional<CodeEnd> failed = Fetch(code, {})) {
            return *failed;
        }
        return Save(code, path);
    }

    // A regular file's export rows.
    ExportReadResult ReadSaved(const QString& path) const {
        QFile file(path);
        ExportReadResult read;
        if (!QFileInfo(path).isFile()) {
            read.error = QStringLiteral("not a regular file");
        } else if (!file.open(QIODevice::ReadOnly)) {
            read.error = file.errorString();
        } else {
            read = ReadExportBytes(file.readAll(), options_.period, options_.endDate);
        }
        return read;
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
        return written;
    }

    const DownloadOptions& options_;
    TerminalPrompts& prompts_;
    QNetworkAccessManager manager_;
    PageFetcher fetcher_;
    CountingSource source_;
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

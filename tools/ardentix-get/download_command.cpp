#include "tools/ardentix-get/download_command.h"

#include <QDir>
#include <QFile>
#include <QNetworkAccessManager>
#include <memory>

#include "export/export_writer.h"
#include "export/row_scaling.h"
#include "locale/patterns.h"
#include "retrieval/download_run.h"
#include "retrieval/page_fetcher.h"
#include "retrieval/query_tables.h"
#include "tools/ardentix-get/stop_signal.h"
#include "tools/ardentix-get/terminal_prompts.h"

namespace ardentix::cli {
namespace {

enum class CodeEnd { Saved, Incomplete, Failed, Interrupted };

// Puts the host in front of a failed fetch's description: "Connection refused" alone does not
// say where the tool went.
class HostNamingSource : public PageSource {
public:
    HostNamingSource(PageSource& source, const QString& host) : source_(source), host_(host) {}

    FetchResult Get(const QString& url) override {
        FetchResult result = source_.Get(url);
        if (!result.ok && !result.aborted) {
            result.error = host_ + QStringLiteral(": ") + result.error;
        }
        return result;
    }

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
        table_->Clear();
        paging_.Clear();
        const ChartQuery query{options_.host,
                               code,
                               options_.marketIndex,
                               options_.period,
                               RangeStart(options_.endDate, options_.period),
                               options_.endDate,
                               0};
        RunHooks hooks;
        hooks.started = [this, &code] { Say(code + QStringLiteral(": 接続中....")); };
        hooks.pageAccepted = [this, &code](int rowCount) {
            Say(code + QStringLiteral(": ") + FormatRowCount(rowCount));
            return !StopRequested();
        };
        DownloadRun run(*table_, paging_, source_, prompts_);
        const RunEnd end = run.Execute(query, hooks);
        if (end == RunEnd::Cancelled || StopRequested()) {
            return CodeEnd::Interrupted;
        }
        if (end != RunEnd::Succeeded) {
            return CodeEnd::Failed;
        }
        return Save(code, run.complete());
    }

    void Say(const QString& text) const {
        if (!options_.quiet) {
            WriteLine(stderr, QStringLiteral("ardentix-get: ") + text);
        }
    }

private:
    // A run that ended at a failed page is saved as the window lets the user save it, and
    // called incomplete.
    CodeEnd Save(const QString& code, bool complete) {
        ScaleRows(*table_, options_.priceDivisor, options_.volumeDivisor);
        const bool toStdout = options_.outFile == u"-";
        const QString path =
            options_.outFile.isEmpty()
                ? QDir(options_.outDir).filePath(DefaultExportName(options_.period, code))
                : options_.outFile;
        const ExportResult written =
            toStdout ? WriteToStdout() : WriteExportFile(path, *table_, options_.ymdForm);
        if (!written.ok) {
            prompts_.ShowMessage(written.error, kStyleCritical, kExportFailureTitle);
            return CodeEnd::Failed;
        }
        Say(QStringLiteral("%1: saved %2 (%3 rows)%4")
                .arg(code, toStdout ? QStringLiteral("to standard output") : path)
                .arg(table_->rowCount)
                .arg(complete ? QString() : QStringLiteral(", incomplete: a page failed")));
        return complete ? CodeEnd::Saved : CodeEnd::Incomplete;
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
    HostNamingSource source_;
    std::unique_ptr<QuoteTable> table_ = std::make_unique<QuoteTable>();
    PagingState paging_;
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

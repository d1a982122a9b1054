#include "tools/ardentix-get/download_command.h"

#include <QDir>
#include <QNetworkAccessManager>
#include <memory>

#include "locale/patterns.h"
#include "retrieval/download_run.h"
#include "retrieval/page_fetcher.h"
#include "retrieval/query_tables.h"
#include "tools/ardentix-get/stop_signal.h"
#include "tools/ardentix-get/terminal_prompts.h"
#include "export/export_writer.h"
#include "export/row_scaling.h"

namespace ardentix::cli {
namespace {

enum class CodeEnd { Saved, Failed, Interrupted };

class Downloader {
public:
    Downloader(const DownloadOptions& options, TerminalPrompts& prompts)
        : options_(options), prompts_(prompts), fetcher_(manager_) {}

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
        hooks.pageAccepted = [this, &code](int rowCount) {
            Say(code + QStringLiteral(": ") + FormatRowCount(rowCount));
            return !StopRequested();
        };
        DownloadRun run(*table_, paging_, fetcher_, prompts_);
        const RunEnd end = run.Execute(query, hooks);
        if (end == RunEnd::Cancelled || StopRequested()) {
            return CodeEnd::Interrupted;
        }
        if (end != RunEnd::Succeeded) {
            return CodeEnd::Failed;
        }
        return Save(code);
    }

    void Say(const QString& text) const {
        if (!options_.quiet) {
            WriteLine(stderr, QStringLiteral("ardentix-get: ") + text);
        }
    }

private:
    CodeEnd Save(const QString& code) {
        ScaleRows(*table_, options_.priceDivisor, options_.volumeDivisor);
        const QString path =
            options_.outFile.isEmpty()
                ? QDir(options_.outDir).filePath(DefaultExportName(options_.period, code))
                : options_.outFile;
        const ExportResult written = WriteExportFile(path, *table_, options_.ymdForm);
        if (!written.ok) {
            prompts_.ShowMessage(written.error, kStyleCritical, kExportFailureTitle);
            return CodeEnd::Failed;
        }
        Say(QStringLiteral("%1: saved %2 (%3 rows)").arg(code, path).arg(table_->rowCount));
        return CodeEnd::Saved;
    }

    const DownloadOptions& options_;
    TerminalPrompts& prompts_;
    QNetworkAccessManager manager_;
    PageFetcher fetcher_;
    std::unique_ptr<QuoteTable> table_ = std::make_unique<QuoteTable>();
    PagingState paging_;
};

}  // namespace

int RunDownloads(const DownloadOptions& options, TerminalPrompts& prompts) {
    Downloader downloader(options, prompts);
    int saved = 0;
    int failed = 0;
    bool interrupted = false;
    for (const QString& code : options.codes) {
        const CodeEnd end = StopRequested() ? CodeEnd::Interrupted : downloader.Run(code);
        if (end == CodeEnd::Interrupted) {
            interrupted = true;
            break;
        }
        ++(end == CodeEnd::Saved ? saved : failed);
    }
    if (interrupted) {
        WriteLine(stderr, QStringLiteral("ardentix-get: interrupted"));
    }
    downloader.Say(QStringLiteral("%1 saved, %2 failed").arg(saved).arg(failed));
    if (interrupted) {
        return kInterruptedStatus;
    }
    return failed > 0 ? 1 : 0;
}

}  // namespace ardentix::cli

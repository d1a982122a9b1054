#include "tools/ardentix-get/page_command.h"

#include <QDate>
#include <QFile>
#include <cstdio>
#include <memory>

#include "app/message_catalogue.h"
#include "export/export_writer.h"
#include "export/row_scaling.h"
#include "parse/page_parser.h"
#include "retrieval/download_run.h"
#include "tools/ardentix-get/terminal_prompts.h"

namespace ardentix::cli {
int RunPage(const PageOptions& options, TerminalPrompts& prompts) {
    prompts.setSubject(options.file);
    QFile file(options.file);
    if (!file.open(QIODevice::ReadOnly)) {
        WriteLine(stderr, QStringLiteral("ardentix-get: %1: cannot read: %2")
                              .arg(options.file, file.errorString()));
        return 1;
    }
    auto table = std::make_unique<QuoteTable>();
    PagingState paging;
    if (!TakePageBody(paging, file.readAll(), prompts)) {
        return 1;
    }
    table->rowCount = options.rowsBefore;
    const PageOutcome outcome =
        ParsePage(*table, paging, paging.pageLastIndex, options.period, QDate::currentDate());
    ScaleRows(*table, 1, 1);
    const QByteArray rows = ExportBytes(*table, 0, options.rowsBefore).value_or(QByteArray());
    std::fwrite(rows.constData(), 1, rows.size(), stdout);
    std::fflush(stdout);
    WriteLine(stderr, paging.hasNextPage ? QStringLiteral("next page: yes")
                                         : QStringLiteral("next page: no"));
    if (!outcome.ok) {
        zidodu::ShowMsg(prompts, outcome.messageNumber, kStyleInformation, outcome.messageTitle);
        return 1;
    }
    return 0;
}

}  // namespace ardentix::cli

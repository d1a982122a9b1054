#include "tools/ardentix-get/page_command.h"

#include <QFile>
#include <algorithm>
#include <cstdio>
#include <memory>

#include "app/message_catalogue.h"
#include "parse/page_parser.h"
#include "tools/ardentix-get/terminal_prompts.h"
#include "ui/export_writer.h"
#include "ui/row_scaling.h"

namespace ardentix::cli {
namespace {

// The export bytes of rows first .. rowCount-1 only.
QByteArray ExportBytesFrom(const QuoteTable& table, int first) {
    auto part = std::make_unique<QuoteTable>();
    const int count = std::max(0, table.rowCount - first);
    std::copy_n(table.rawRows.begin() + first, count, part->rawRows.begin());
    std::copy_n(table.shownRows.begin() + first, count, part->shownRows.begin());
    part->rowCount = count;
    return ExportBytes(*part, 0);
}

}  // namespace

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
    paging.pageBytes = file.readAll();
    // The fetch's rule: the parser reads up to the byte count minus 2, and a body under three
    // bytes is no page.
    paging.pageLastIndex = int(paging.pageBytes.size()) - 2;
    if (paging.pageLastIndex <= 0) {
        zidodu::ShowMsg(prompts, 200, kStyleInformation, QStringLiteral("インターネット接続失敗!"));
        return 1;
    }
    table->rowCount = options.rowsBefore;
    const PageOutcome outcome = ParsePage(*table, paging, paging.pageLastIndex, options.period);
    ScaleRows(*table, 1, 1);
    const QByteArray rows = ExportBytesFrom(*table, options.rowsBefore);
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

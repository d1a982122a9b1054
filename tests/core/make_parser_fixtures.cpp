// Writes the parser's sample pages (tests/data/*.html) and the page fuzzer's seeds
// (fuzz/corpus/*). Run from the repository root after changing the page builder:
//   <build dir>/tests/core/make_parser_fixtures .
// A seed starts with the fuzzer's header: period, first row count (two bytes, little-endian)
// and a signed shift of the last index (0: the byte count minus 2).
#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <cstdio>

#include "page_builder.h"

using namespace ardentix;
using namespace ardentix::testing;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <repository root>\n", argv[0]);
        return 2;
    }
    using enum Period;
    const QDir root(QString::fromLocal8Bit(argv[1]));
    const QDate friday(2003, 12, 5);
    const QString next = QStringLiteral("次の50件");
    const QByteArray notice = QStringEncoder("EUC-JP").encode(
        QStringLiteral("<html><head><title>時系列データ</title></head>\n<body>\n"
                       "<p>該当する銘柄はありません。</p>\n</body></html>\n"));
    const auto few = [&](Period period, int count) {
        return SampleRows(period, friday, count, 4, 2);
    };
    const auto seed = [](Period period, const QByteArray& page, int firstRow = 0, qint8 shift = 0) {
        const char header[] = {char(period), char(firstRow & 0xff), char(firstRow >> 8), shift};
        return QByteArray(header, 4) + page;
    };
    const PageRow first = few(Daily, 1)[0];
    PageRow dash = first, bigVolume = first, bareClose = first, brokenEnd = first;
    dash.open = "-";
    bigVolume.volume = "3,000,000,000";
    bareClose.close = "1,234";
    brokenEnd.adjClose = "7</td";
    const PageRow heading = {"日付", "始値", "高値", "安値", "終値", "出来高", "調整後"};

    const std::pair<const char*, QByteArray> files[] = {
        {"tests/data/daily_50.html",
         BuildPage({.rows = SampleRows(Daily, friday, 50, 1, 30), .nextLink = next})},
        {"tests/data/weekly_next.html",
         BuildPage({.rows = SampleRows(Weekly, friday, 50, 2, 1000), .nextLink = next})},
        {"tests/data/monthly_last.html",
         BuildPage({.rows = SampleRows(Monthly, friday, 14, 3, 5)})},
        {"tests/data/no_table.html", notice},
        {"fuzz/corpus/empty", {}},
        {"fuzz/corpus/header_only", seed(Daily, {})},
        {"fuzz/corpus/daily_5", seed(Daily, BuildPage({.rows = few(Daily, 5)}))},
        {"fuzz/corpus/weekly_next",
         seed(Weekly, BuildPage({.rows = few(Weekly, 3), .nextLink = next}))},
        {"fuzz/corpus/monthly_near_cap", seed(Monthly, BuildPage({.rows = few(Monthly, 4)}), 498)},
        {"fuzz/corpus/no_table", seed(Daily, notice)},
        {"fuzz/corpus/marker_first",
         seed(Daily,
              "<tralign=right><td>2003/12/5/</td><td>1</td><td>1</td><td>1</td><td>1</td>"
              "<td>1</td><td>1</td></table>")},
        {"fuzz/corpus/no_table_end", seed(Daily, BuildPage({.rows = few(Daily, 3),
                                                            .rowBreak = "\r\n",
                                                            .heading = false,
                                                            .tableEnd = false}))},
        {"fuzz/corpus/skip_and_heading", seed(Daily, BuildPage({.rows = {first, dash, heading}}))},
        {"fuzz/corpus/volume_overflow",
         seed(Daily, BuildPage({.rows = {bigVolume}, .rowBreak = "\r"}))},
        {"fuzz/corpus/bare_close_broken_end",
         seed(Weekly,
              BuildPage({.rows = {bareClose, brokenEnd}, .rowBreak = "", .heading = false}))},
        {"fuzz/corpus/last_index_shifted", seed(Daily, BuildPage({.rows = few(Daily, 2)}), 3, 100)},
        {"fuzz/corpus/last_index_negative",
         seed(Monthly, BuildPage({.rows = few(Monthly, 1)}), 0, -128)}};
    int failures = 0;
    for (const auto& [name, bytes] : files) {
        QFile file(root.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
            std::fprintf(stderr, "cannot write %s\n", name);
            ++failures;
        }
    }
    return failures ? 1 : 0;
}

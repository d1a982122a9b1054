// Writes the parser's checked-in sample pages (tests/data/*.html) and the seeds of the page
// fuzzer (fuzz/corpus/*). Run once from the repository root after changing the page builder:
//   cmake --build <build dir> --target make_parser_fixtures
//   <build dir>/tests/core/make_parser_fixtures .
// The seeds start with the fuzzer's four header bytes: period, first row count (two bytes,
// little-endian) and a signed shift of the last index (0: the byte count minus 2).
#include <QByteArray>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <cstdio>

#include "page_builder.h"

using namespace ardentix;
using namespace ardentix::testing;

namespace {

bool Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

QByteArray Seed(Period period, int firstRow, qint8 lastShift, const QByteArray& page) {
    QByteArray seed;
    seed += char(int(period));
    seed += char(firstRow & 0xff);
    seed += char(firstRow >> 8);
    seed += char(lastShift);
    return seed + page;
}

QByteArray NoticePage() {
    return QStringEncoder("EUC-JP").encode(
        QStringLiteral("<html><head><title>時系列データ</title></head>\n<body>\n"
                       "<p>該当する銘柄はありません。</p>\n</body></html>\n"));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <repository root>\n", argv[0]);
        return 2;
    }
    const QDir root(QString::fromLocal8Bit(argv[1]));
    const QDate friday(2003, 12, 5);
    const QString next = QStringLiteral("次の50件");

    const QByteArray daily =
        BuildPage({.rows = SampleRows(Period::Daily, friday, 50, 1, 30), .nextLink = next});
    const QByteArray weekly =
        BuildPage({.rows = SampleRows(Period::Weekly, friday, 50, 2, 1000), .nextLink = next});
    const QByteArray monthly = BuildPage({.rows = SampleRows(Period::Monthly, friday, 14, 3, 5)});

    bool ok = Write(root.filePath("tests/data/daily_50.html"), daily) &&
              Write(root.filePath("tests/data/weekly_next.html"), weekly) &&
              Write(root.filePath("tests/data/monthly_last.html"), monthly) &&
              Write(root.filePath("tests/data/no_table.html"), NoticePage());

    const auto few = [&](Period period, int count) {
        return SampleRows(period, friday, count, 4, 2);
    };
    PageRow dash = few(Period::Daily, 1)[0];
    dash.open = QStringLiteral("-");
    PageRow heading = {QStringLiteral("日付"),  QStringLiteral("始値"), QStringLiteral("高値"),
                       QStringLiteral("安値"),  QStringLiteral("終値"), QStringLiteral("出来高"),
                       QStringLiteral("調整後")};
    PageRow bigVolume = few(Period::Daily, 1)[0];
    bigVolume.volume = QStringLiteral("3,000,000,000");
    PageRow bareClose = few(Period::Daily, 1)[0];
    bareClose.close = QStringLiteral("1,234");
    PageRow brokenEnd = few(Period::Daily, 1)[0];
    brokenEnd.adjClose = QStringLiteral("7</td");

    const QString corpus = root.filePath("fuzz/corpus/");
    const struct {
        const char* name;
        QByteArray bytes;
    } seeds[] = {
        {"empty", {}},
        {"header_only", Seed(Period::Daily, 0, 0, {})},
        {"daily_5", Seed(Period::Daily, 0, 0, BuildPage({.rows = few(Period::Daily, 5)}))},
        {"weekly_next",
         Seed(Period::Weekly, 0, 0, BuildPage({.rows = few(Period::Weekly, 3), .nextLink = next}))},
        {"monthly_near_cap",
         Seed(Period::Monthly, 498, 0, BuildPage({.rows = few(Period::Monthly, 4)}))},
        {"no_table", Seed(Period::Daily, 0, 0, NoticePage())},
        {"marker_first", Seed(Period::Daily, 0, 0,
                              "<tralign=right><td>2003/12/5/</td><td>1</td><td>1</td><td>1"
                              "</td><td>1</td><td>1</td><td>1</td></table>")},
        {"no_table_end", Seed(Period::Daily, 0, 0,
                              BuildPage({.rows = few(Period::Daily, 3),
                                         .rowBreak = "\r\n",
                                         .heading = false,
                                         .tableEnd = false}))},
        {"skip_and_heading",
         Seed(Period::Daily, 0, 0, BuildPage({.rows = {few(Period::Daily, 1)[0], dash, heading}}))},
        {"volume_overflow",
         Seed(Period::Daily, 0, 0, BuildPage({.rows = {bigVolume}, .rowBreak = "\r"}))},
        {"bare_close_broken_end",
         Seed(Period::Weekly, 0, 0,
              BuildPage({.rows = {bareClose, brokenEnd}, .rowBreak = "", .heading = false}))},
        {"last_index_shifted",
         Seed(Period::Daily, 3, qint8(100), BuildPage({.rows = few(Period::Daily, 2)}))},
        {"last_index_negative",
         Seed(Period::Monthly, 0, qint8(-128), BuildPage({.rows = few(Period::Monthly, 1)}))},
    };
    for (const auto& seed : seeds) {
        ok = Write(corpus + QLatin1String(seed.name), seed.bytes) && ok;
    }
    return ok ? 0 : 1;
}

#include "tools/quote-service/page_writer.h"

#include <QStringEncoder>

namespace quote_service {

namespace {

QString Escaped(const QString& text) {
    return text.toHtmlEscaped();
}

QString Head(const QString& heading) {
    return QStringLiteral(
               "<html>\n<head>\n"
               "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=EUC-JP\">\n"
               "<title>%1 - 株価時系列</title>\n</head>\n<body>\n<h1>%1</h1>\n")
        .arg(Escaped(heading));
}

QString Tail() {
    return QStringLiteral("</body>\n</html>\n");
}

QByteArray ToEucJp(const QString& text) {
    QStringEncoder encoder("EUC-JP");
    return encoder.encode(text);
}

QString DateCell(QDate d, BarPeriod period) {
    return period == BarPeriod::Monthly
               ? QStringLiteral("%1年%2月").arg(d.year()).arg(d.month())
               : QStringLiteral("%1年%2月%3日").arg(d.year()).arg(d.month()).arg(d.day());
}

}  // namespace

QString Grouped(qint64 value) {
    const bool negative = value < 0;
    QString digits = QString::number(negative ? -value : value);
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3) {
        digits.insert(at, u',');
    }
    return negative ? u'-' + digits : digits;
}

PageRow RowOf(const PriceBar& bar, BarPeriod period) {
    return {
        DateCell(bar.date, period), Grouped(bar.open),   Grouped(bar.high),     Grouped(bar.low),
        Grouped(bar.close),         Grouped(bar.volume), Grouped(bar.adjClose),
    };
}

NoticeRow SplitNoticeOf(const StockSplit& split) {
    return {DateCell(split.date, BarPeriod::Daily),
            QStringLiteral("分割: %1株 -> %2株").arg(split.before).arg(split.after)};
}

QByteArray WriteChartPage(const ChartPage& page) {
    QString html = Head(page.heading);
    html += QStringLiteral(
        "<table border=1 cellpadding=2 cellspacing=0>\n"
        "<tr bgcolor=\"#dddddd\">\n"
        "<th>日付</th><th>始値</th><th>高値</th><th>安値</th><th>終値</th>"
        "<th>出来高</th><th>調整後終値*</th>\n"
        "</tr>\n");
    for (std::size_t r = 0; r < page.rows.size(); ++r) {
        html += QStringLiteral("<tr\nalign=right>");
        for (int i = 0; i < 7; ++i) {
            const QString cell = Escaped(page.rows[r][i]);
            html += i == 4 ? QStringLiteral("<td><b>%1</b></td>").arg(cell)
                           : QStringLiteral("<td>%1</td>").arg(cell);
        }
        html += QStringLiteral("\n</tr>\n");
        if (const auto notice = page.noticesAfter.find(r); notice != page.noticesAfter.end()) {
            // The text is the service's own and goes out as it stands: its "->" unescaped.
            html += QStringLiteral("<tr\nalign=right><td>%1</td><td colspan=6>%2</td>\n</tr>\n")
                        .arg(Escaped(notice->second.date), notice->second.text);
        }
    }
    html += QStringLiteral("</table>\n");
    html += QStringLiteral("<p><small>* 株式分割等を考慮した終値です。</small></p>\n");
    if (page.nextCount > 0) {
        html += QStringLiteral("<p><a href=\"%1\">次の%2件</a></p>\n")
                    .arg(Escaped(page.nextHref))
                    .arg(page.nextCount);
    }
    html += Tail();
    return ToEucJp(html);
}

QByteArray WriteNoticePage(const QString& heading, const QString& notice) {
    return ToEucJp(Head(heading) + QStringLiteral("<p>%1</p>\n").arg(Escaped(notice)) + Tail());
}

}  // namespace quote_service

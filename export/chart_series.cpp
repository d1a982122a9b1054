#include "export/chart_series.h"

#include "export/row_scaling.h"

namespace ardentix {
namespace {

// ymd is "yymmdd", monthly "yymm00"; anything else (an empty date) stands as it is.
QString AxisLabel(const QString& ymd, Period period) {
    if (ymd.size() != 6) {
        return ymd;
    }
    const QString yearMonth = ymd.left(2) + u'/' + ymd.mid(2, 2);
    return period == Period::Monthly ? yearMonth : yearMonth + u'/' + ymd.mid(4, 2);
}

QString TipText(const QuoteRow& row) {
    static const QStringList kHeadings = {QString(),
                                          QStringLiteral("\n開始値 "),
                                          QStringLiteral("\n高値 "),
                                          QStringLiteral("\n安値 "),
                                          QStringLiteral("\n終値 "),
                                          QStringLiteral("\n出来高 ")};
    const QStringList texts = ListTexts(row);
    QString tip;
    for (qsizetype i = 0; i < texts.size(); ++i) {
        tip += kHeadings[i] + texts[i];
    }
    return tip;
}

}  // namespace

std::vector<ChartBar> ChartBars(std::span<const QuoteRow> listedRows, Period period) {
    std::vector<ChartBar> bars;
    bars.reserve(listedRows.size());
    for (auto row = listedRows.rbegin(); row != listedRows.rend(); ++row) {
        bars.push_back({AxisLabel(row->ymd, period), row->open, row->high, row->low, row->close,
                        row->volume, TipText(*row)});
    }
    return bars;
}

QString PictureCaption(const QString& listCaption, std::span<const ChartBar> bars) {
    QString line = listCaption.trimmed();
    if (!bars.empty()) {
        line += QStringLiteral("  ") + bars.front().label + u'〜' + bars.back().label;
    }
    return line;
}

}  // namespace ardentix

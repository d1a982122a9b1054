#include "ui/result_list.h"

#include <QList>
#include <QTreeWidget>
#include <QTreeWidgetItem>

#include "locale/patterns.h"
#include "parse/quote_table.h"

namespace ardentix {

void FillResultList(QTreeWidget* list, const QuoteTable& table) {
    QList<QTreeWidgetItem*> lines;
    lines.reserve(table.rowCount);
    for (int i = 0; i < table.rowCount; ++i) {
        const QuoteRow& row = table.shownRows[i];
        auto* line = new QTreeWidgetItem(
            QStringList{FormatKanjiDate(row.ymd), FormatGrouped(qint64(row.open)),
                        FormatGrouped(qint64(row.high)), FormatGrouped(qint64(row.low)),
                        FormatGrouped(qint64(row.close)), FormatGrouped(row.volume)});
        for (int column = 1; column < 6; ++column) {
            line->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
        }
        lines << line;
    }
    list->addTopLevelItems(lines);
}

}  // namespace ardentix

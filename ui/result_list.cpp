#include "ui/result_list.h"

#include <QList>
#include <QTreeWidget>
#include <QTreeWidgetItem>

#include "export/row_scaling.h"
#include "parse/quote_table.h"

namespace ardentix {

void FillResultList(QTreeWidget* list, const QuoteTable& table) {
    QList<QTreeWidgetItem*> lines;
    lines.reserve(table.rowCount);
    for (int i = 0; i < table.rowCount; ++i) {
        auto* line = new QTreeWidgetItem(ListTexts(table.shownRows[i]));
        for (int column = 1; column < 6; ++column) {
            line->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
        }
        lines << line;
    }
    list->addTopLevelItems(lines);
}

}  // namespace ardentix

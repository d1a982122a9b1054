#include "ui/window_setup.h"

#include <QComboBox>
#include <QFont>
#include <QHeaderView>
#include <QStringList>
#include <QTreeWidget>

#include "app/message_catalogue.h"
#include "retrieval/query_tables.h"

namespace ardentix {

QString WindowTitle() {
    return QStringLiteral("Ardentix Version%1.%2.%3")
        .arg(ARDENTIX_VERSION_MAJOR)
        .arg(ARDENTIX_VERSION_MINOR)
        .arg(ARDENTIX_VERSION_PATCH);
}

QString NoteText() {
    QStringList lines;
    for (int number : {300, 301, 303}) {
        lines << CatalogueText(number).value_or(QString());
    }
    return lines.join(u'\n');
}

void InstallFontSubstitutions() {
    const QString family = QStringLiteral("MS UI Gothic");
    if (QFont::substitutes(family).isEmpty()) {
        QFont::insertSubstitutions(family,
                                   {QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAGothic"),
                                    QStringLiteral("VL Gothic")});
    }
}

void FillMarkets(QComboBox* list) {
    list->clear();
    for (const auto& market : kMarkets) {
        list->addItem(QString::fromUtf16(market.name));
    }
    list->setCurrentIndex(0);
}

void FillScaleList(QComboBox* list, std::span<const ScaleEntry> entries) {
    list->clear();
    for (const auto& entry : entries) {
        list->addItem(QString::fromUtf16(entry.text), QVariant(entry.divisor));
    }
    list->setCurrentIndex(0);
}

void SetupListColumns(QTreeWidget* list) {
    static const char16_t* const kHeaders[] = {u"日付", u"開始値", u"高値",
                                               u"安値", u"終値",   u"出来高"};
    list->clear();
    list->setColumnCount(0);
    QStringList headers;
    for (const char16_t* header : kHeaders) {
        headers << QString::fromUtf16(header);
    }
    list->setHeaderLabels(headers);

    const float unit = static_cast<float>(list->width()) / 14.0f;
    for (int column = 0; column < list->columnCount(); ++column) {
        list->setColumnWidth(column, qRound((column == 0 ? 3.0f : 2.0f) * unit));
        if (column > 0) {
            list->headerItem()->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
        }
    }
}

void FillYmdForms(QComboBox* list, qint32 ymdForm) {
    list->clear();
    list->addItem(QStringLiteral("年月日を「yymmdd」で出力"));
    list->addItem(QStringLiteral("年月日「yy年mm月dd日」で出力"));
    list->setCurrentIndex(ymdForm == 0 ? 0 : 1);
}

}  // namespace ardentix

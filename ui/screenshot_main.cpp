// Renders the real main window, with a few sample rows listed, to the PNG named on the command
// line.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPixmap>
#include <QTemporaryDir>
#include <cstdio>

#include "ui/frmMain.h"
#include "ui/widget_prompts.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: ardentix_screenshot <output.png>\n");
        return 2;
    }
    QTemporaryDir settings;
    ardentix::WidgetPrompts prompts;
    auto window = ardentix::frmMain::Create(
        {settings.path(), QString(), [] { return QDate(2024, 5, 17); }, prompts});
    if (!window) {
        return 1;
    }
    window->findChild<QLineEdit*>(QStringLiteral("txtCD"))->setText(QStringLiteral("9999"));
    window->findChild<QComboBox*>(QStringLiteral("cmbCat"))->setCurrentIndex(1);
    auto& table = window->quoteTable();
    const ardentix::QuoteRow rows[] = {
        {QStringLiteral("240517"), 1234, 1250, 1200, 1245, 1234567, 1245},
        {QStringLiteral("240516"), 1210, 1238, 1195, 1230, 987654, 1230},
        {QStringLiteral("240515"), 1188, 1215, 1180, 1209, 2500, 1209},
    };
    for (const auto& row : rows) {
        table.rawRows[table.rowCount++] = row;
    }
    window->ShowList();
    window->show();
    QApplication::processEvents();
    if (!window->grab().save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "ardentix_screenshot: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}

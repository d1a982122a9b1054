// Renders the real main window, with a few sample rows listed, to the PNG named on the command
// line; given two more names, also the overwrite question and the save dialog that the save
// button then opens; given a fourth name, a quote host, a code and an end date, also the chart
// window after a daily download of that code from that host.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QTemporaryDir>
#include <cstdio>

#include "app/qt_translations.h"
#include "export/export_writer.h"
#include "ui/chart_window.h"
#include "ui/frmMain.h"
#include "ui/widget_prompts.h"

namespace {

bool SavePicture(QWidget& widget, const QString& path) {
    widget.show();
    QApplication::processEvents();
    if (!widget.grab().save(path)) {
        std::fprintf(stderr, "ardentix_screenshot: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

// Saves each box as a picture instead of waiting for the user: the question is answered OK,
// the dialog cancelled.
class PicturePrompts : public ardentix::Prompts {
public:
    QWidget* parent = nullptr;
    QString boxPng;
    QString dialogPng;
    bool ok = true;

    void ShowMessage(const QString& text, int style, const QString& title) override {
        if (boxPng.isEmpty()) {
            std::fprintf(stderr, "ardentix_screenshot: %s\n", qPrintable(text));
            ok = false;
            return;
        }
        ok = SavePicture(*ardentix::NewMessageBox(parent, text, style, title), boxPng) && ok;
    }
    bool AskOkCancel(const QString& text, int style, const QString& title) override {
        ShowMessage(text, style, title);
        return true;
    }
    std::optional<QString> AskSaveFileName(const ardentix::SaveDialogRequest& request) override {
        const auto dialog = ardentix::NewSaveDialog(parent, request);
        ok = SavePicture(*dialog, dialogPng) && ok;
        return std::nullopt;
    }
};

// Downloads the daily bars of code up to end from host and saves the chart window of them.
bool SaveChart(const QString& path, const QString& host, const QString& code, QDate end) {
    QTemporaryDir settings;
    PicturePrompts prompts;  // a box during the run is a failure
    auto window =
        ardentix::frmMain::Create({settings.path(), host, [end] { return end; }, prompts});
    if (!window) {
        return false;
    }
    window->findChild<QLineEdit*>(QStringLiteral("txtCD"))->setText(code);
    window->findChild<QComboBox*>(QStringLiteral("cmbCat"))->setCurrentIndex(1);
    window->show();
    window->cmdDwn_Click();
    window->ShowChart();
    auto* chart = window->findChild<ardentix::ChartWindow*>();
    if (!prompts.ok || !chart) {
        std::fprintf(stderr, "ardentix_screenshot: no rows from %s\n", qPrintable(host));
        return false;
    }
    return SavePicture(*chart, path);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2 && argc != 4 && argc != 8) {
        std::fprintf(stderr,
                     "usage: ardentix_screenshot <window.png> [<question.png> <dialog.png> "
                     "[<chart.png> <host:port> <code> <yyyy-mm-dd>]]\n");
        return 2;
    }
    ardentix::InstallJapanese(app);
    QTemporaryDir settings;
    PicturePrompts prompts;
    auto window = ardentix::frmMain::Create(
        {settings.path(), QString(), [] { return QDate(2024, 5, 17); }, prompts});
    if (!window) {
        return 1;
    }
    const QString code = QStringLiteral("9999");
    window->findChild<QLineEdit*>(QStringLiteral("txtCD"))->setText(code);
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
    if (!SavePicture(*window, QString::fromLocal8Bit(argv[1]))) {
        return 1;
    }
    if (argc >= 4) {
        // The proposed file exists already, so the save button asks before its dialog.
        QFile(QDir(settings.path())
                  .filePath(ardentix::DefaultExportName(window->SelectedPeriod(), code)))
            .open(QIODevice::WriteOnly);
        prompts.parent = window.get();
        prompts.boxPng = QString::fromLocal8Bit(argv[2]);
        prompts.dialogPng = QString::fromLocal8Bit(argv[3]);
        window->findChild<QPushButton*>(QStringLiteral("cmdPath"))->click();
    }
    if (argc == 8 && !SaveChart(QString::fromLocal8Bit(argv[4]), QString::fromLocal8Bit(argv[5]),
                                QString::fromLocal8Bit(argv[6]),
                                QDate::fromString(QString::fromLocal8Bit(argv[7]), Qt::ISODate))) {
        return 1;
    }
    return prompts.ok ? 0 : 1;
}

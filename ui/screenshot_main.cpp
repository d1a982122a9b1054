// Renders the real main window, with a few sample rows listed, to the PNG named on the command
// line, and the window with its date picker's calendar open to the second; given two more
// names, also the overwrite question and the save dialog that the save button then opens; given
// two more names, a quote host, a code and an end date, also the chart window after a daily
// download of that code from that host, and the picture its save command writes.
#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
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

// The window with its date picker's calendar open, as the screen shows both.
bool SaveCalendar(QWidget& window, const QString& path) {
    auto* picker = window.findChild<QDateEdit*>(QStringLiteral("dtpYmd"));
    // A press on the arrow at the right end opens the calendar.
    const QPointF arrow(picker->width() - 6, picker->height() / 2.0);
    QMouseEvent press(QEvent::MouseButtonPress, arrow, picker->mapToGlobal(arrow), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(picker, &press);
    QWidget* popup = picker->calendarWidget()->window();
    QApplication::processEvents();
    const QRect shown = window.frameGeometry().united(popup->frameGeometry());
    const QPixmap screen = popup->isVisible()
                               ? QGuiApplication::primaryScreen()->grabWindow(
                                     0, shown.x(), shown.y(), shown.width(), shown.height())
                               : QPixmap();
    popup->hide();
    if (screen.isNull() || !screen.save(path)) {
        std::fprintf(stderr, "ardentix_screenshot: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

// Saves each box as a picture instead of waiting for the user: the question is answered OK,
// the dialog cancelled unless saveAs names the file to choose.
class PicturePrompts : public ardentix::Prompts {
public:
    QWidget* parent = nullptr;
    QString boxPng;
    QString dialogPng;
    std::optional<QString> saveAs;
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
        if (saveAs) {
            return saveAs;
        }
        const auto dialog = ardentix::NewSaveDialog(parent, request);
        ok = SavePicture(*dialog, dialogPng) && ok;
        return std::nullopt;
    }
};

// Downloads the daily bars of code up to end from host and saves the chart window of them,
// then has the chart save its own picture to savedPath.
bool SaveChart(const QString& path, const QString& savedPath, const QString& host,
               const QString& code, QDate end) {
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
    if (!SavePicture(*chart, path)) {
        return false;
    }
    prompts.saveAs = savedPath;
    chart->saveAction()->trigger();
    return prompts.ok && QFile::exists(savedPath);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 3 && argc != 5 && argc != 10) {
        std::fprintf(stderr,
                     "usage: ardentix_screenshot <window.png> <calendar.png> [<question.png> "
                     "<dialog.png> [<chart.png> <saved.png> <host:port> <code> <yyyy-mm-dd>]]\n");
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
    if (!SavePicture(*window, QString::fromLocal8Bit(argv[1])) ||
        !SaveCalendar(*window, QString::fromLocal8Bit(argv[2]))) {
        return 1;
    }
    if (argc >= 5) {
        // The proposed file exists already, so the save button asks before its dialog.
        QFile(QDir(settings.path())
                  .filePath(ardentix::DefaultExportName(window->SelectedPeriod(), code)))
            .open(QIODevice::WriteOnly);
        prompts.parent = window.get();
        prompts.boxPng = QString::fromLocal8Bit(argv[3]);
        prompts.dialogPng = QString::fromLocal8Bit(argv[4]);
        window->findChild<QPushButton*>(QStringLiteral("cmdPath"))->click();
    }
    if (argc == 10 && !SaveChart(QString::fromLocal8Bit(argv[5]), QString::fromLocal8Bit(argv[6]),
                                 QString::fromLocal8Bit(argv[7]), QString::fromLocal8Bit(argv[8]),
                                 QDate::fromString(QString::fromLocal8Bit(argv[9]), Qt::ISODate))) {
        return 1;
    }
    return prompts.ok ? 0 : 1;
}

#include <QApplication>
#include <QDate>
#include <QDir>
#include <cstdio>

#include "app/file_locations.h"
#include "app/qt_translations.h"
#include "retrieval/gateway_access.h"
#include "ui/frmMain.h"
#include "ui/widget_prompts.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // The per-user configuration folder is named after the application: ~/.config/ardentix.
    QCoreApplication::setApplicationName(QStringLiteral("ardentix"));
    QGuiApplication::setDesktopFileName(QStringLiteral(ARDENTIX_APP_ID));
    if (!ardentix::InstallJapanese(app)) {
        std::fprintf(stderr, "ardentix: qtbase_ja.qm is missing; Qt's own texts stay English\n");
    }
    const ardentix::FileLocations files = ardentix::LocateFiles(
        QCoreApplication::applicationDirPath(), QStringLiteral(ARDENTIX_INSTALL_BINDIR));
    // A settings folder that cannot be made ends in the settings file's own failure message.
    // The export folder is made when the save dialog first opens on it.
    QDir().mkpath(files.settingsDirectory);
    ardentix::WidgetPrompts prompts;
    ardentix::WindowContext context{files.settingsDirectory, ardentix::DefaultQuoteHost(),
                                    [] { return QDate::currentDate(); }, prompts};
    context.exportDirectory = files.exportDirectory;
    auto window = ardentix::frmMain::Create(context);
    if (!window) {
        return 1;
    }
    prompts.SetParentWindow(window.get());
    window->show();
    return app.exec();
}

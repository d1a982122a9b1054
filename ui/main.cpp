#include <QApplication>
#include <QDate>

#include "ui/frmMain.h"
#include "ui/widget_prompts.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ardentix::WidgetPrompts prompts;
    auto window = ardentix::frmMain::Create({QCoreApplication::applicationDirPath(),
                                             QStringLiteral(ARDENTIX_QUOTE_HOST),
                                             [] { return QDate::currentDate(); }, prompts});
    if (!window) {
        return 1;
    }
    prompts.SetParentWindow(window.get());
    window->show();
    return app.exec();
}

#pragma once

class QCoreApplication;

namespace ardentix {

// Makes Japan's locale the default, so every widget writes dates, months, weekdays and sizes
// in Japanese and starts the week on Sunday, and installs Qt's own Japanese texts (dialogs,
// standard buttons) on the application, whatever the system's language. Call it before the
// first widget is built: a widget keeps the default locale of its birth. False when
// qtbase_ja.qm is not in Qt's translations folder.
bool InstallJapanese(QCoreApplication& app);

}  // namespace ardentix

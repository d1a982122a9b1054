#pragma once

class QCoreApplication;

namespace ardentix {

// Installs Qt's own Japanese texts (dialogs, standard buttons) on the application, whatever
// the system's language. False when qtbase_ja.qm is not in Qt's translations folder.
bool InstallQtTranslations(QCoreApplication& app);

}  // namespace ardentix

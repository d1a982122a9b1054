#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace ardentix {

// Message-box style words.
inline constexpr int kStyleInformation = 64;  // information icon, OK
inline constexpr int kStyleCritical = 16;     // critical icon, OK
inline constexpr int kStyleQuestion = 33;     // question icon, OK and Cancel

struct SaveDialogRequest {
    QString title;
    QString filterDescription;  // "CSVファイル (*.csv)"
    QStringList patterns;       // {"*.csv", "*.txt"}
    QString initialDirectory;
    QString proposedName;
};

// Every modal box and the save dialog go through this one interface: the program installs
// the widget-backed one, tests a scripted one.
class Prompts {
public:
    virtual ~Prompts() = default;

    // A modal box with one OK button; returns when it is closed.
    virtual void ShowMessage(const QString& text, int style, const QString& title) = 0;

    // A modal OK/Cancel question; true for OK, false for Cancel or a closed box.
    virtual bool AskOkCancel(const QString& text, int style, const QString& title) = 0;

    // The save dialog; nullopt when the user cancelled it.
    virtual std::optional<QString> AskSaveFileName(const SaveDialogRequest& request) = 0;
};

}  // namespace ardentix

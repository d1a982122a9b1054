#pragma once

#include <QPointer>
#include <QWidget>

#include "app/prompts.h"

namespace ardentix {

// The program's prompts: message boxes and the save dialog, modal to the given window (or to
// nothing before the window exists).
class WidgetPrompts : public Prompts {
public:
    void SetParentWindow(QWidget* window) { parent_ = window; }

    void ShowMessage(const QString& text, int style, const QString& title) override;
    bool AskOkCancel(const QString& text, int style, const QString& title) override;
    std::optional<QString> AskSaveFileName(const SaveDialogRequest& request) override;

private:
    QPointer<QWidget> parent_;
};

}  // namespace ardentix

#pragma once

#include <QPointer>
#include <QWidget>
#include <memory>

#include "app/prompts.h"

class QFileDialog;
class QMessageBox;

namespace ardentix {

// The boxes the prompts show, built but not shown.
std::unique_ptr<QMessageBox> NewMessageBox(QWidget* parent, const QString& text, int style,
                                           const QString& title);
std::unique_ptr<QFileDialog> NewSaveDialog(QWidget* parent, const SaveDialogRequest& request);

// The program's prompts: message boxes and the save dialog, modal to the window the user works
// in (the chart window's save dialog opens over the chart), else to the given window (or to
// nothing before the window exists).
class WidgetPrompts : public Prompts {
public:
    void SetParentWindow(QWidget* window) { parent_ = window; }

    void ShowMessage(const QString& text, int style, const QString& title) override;
    bool AskOkCancel(const QString& text, int style, const QString& title) override;
    std::optional<QString> AskSaveFileName(const SaveDialogRequest& request) override;

private:
    QWidget* Parent() const;

    QPointer<QWidget> parent_;
};

}  // namespace ardentix

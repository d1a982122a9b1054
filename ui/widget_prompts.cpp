#include "ui/widget_prompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QIdentityProxyModel>
#include <QLocale>
#include <QMessageBox>

namespace ardentix {

namespace {

// The style word: the low four bits choose the buttons, the next three the icon.
QMessageBox::Icon IconOf(int style) {
    switch (style & 0x70) {
        case 16:
            return QMessageBox::Critical;
        case 32:
            return QMessageBox::Question;
        case 48:
            return QMessageBox::Warning;
        case 64:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

QMessageBox::StandardButtons ButtonsOf(int style) {
    if ((style & 0x0F) == 1) {
        return QMessageBox::Ok | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

// Qt's file list writes its sizes and dates in the system's language ("0 bytes", "7 Dec 2026"
// under LANG=C), not in the default locale the rest of the program follows ("0 バイト",
// "2026/12/07").
class LocalSizesAndDates : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override {
        constexpr int kSizeColumn = 1;
        constexpr int kModifiedColumn = 3;
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (role == Qt::DisplayRole && files) {
            const QModelIndex source = mapToSource(index);
            if (index.column() == kSizeColumn && !files->isDir(source)) {
                return QLocale().formattedDataSize(files->size(source));
            }
            if (index.column() == kModifiedColumn) {
                return QLocale().toString(files->lastModified(source), QLocale::ShortFormat);
            }
        }
        return QIdentityProxyModel::data(index, role);
    }
};

}  // namespace

std::unique_ptr<QMessageBox> NewMessageBox(QWidget* parent, const QString& text, int style,
                                           const QString& title) {
    // An empty title would be replaced by the application's name on its way to the window
    // system; a blank one shows as no title text.
    const QString shown = title.isEmpty() ? QStringLiteral(" ") : title;
    return std::make_unique<QMessageBox>(IconOf(style), shown, text, ButtonsOf(style), parent);
}

std::unique_ptr<QFileDialog> NewSaveDialog(QWidget* parent, const SaveDialogRequest& request) {
    auto dialog = std::make_unique<QFileDialog>(parent, request.title, request.initialDirectory);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    // The export asks its own overwrite question.
    dialog->setOption(QFileDialog::DontConfirmOverwrite);
    // Qt's own dialog reads in Japanese through the loaded translations; a desktop's native
    // one would follow the desktop's language instead.
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    // The description already names its pattern; the patterns themselves stay out of sight.
    dialog->setOption(QFileDialog::HideNameFilterDetails);
    dialog->setProxyModel(new LocalSizesAndDates(dialog.get()));
    dialog->setNameFilter(request.filterDescription + QStringLiteral(" (") +
                          request.patterns.join(u' ') + u')');
    dialog->selectFile(request.proposedName);
    return dialog;
}

QWidget* WidgetPrompts::Parent() const {
    QWidget* active = QApplication::activeWindow();
    return active ? active : parent_.data();
}

void WidgetPrompts::ShowMessage(const QString& text, int style, const QString& title) {
    NewMessageBox(Parent(), text, style, title)->exec();
}

bool WidgetPrompts::AskOkCancel(const QString& text, int style, const QString& title) {
    return NewMessageBox(Parent(), text, style, title)->exec() == QMessageBox::Ok;
}

std::optional<QString> WidgetPrompts::AskSaveFileName(const SaveDialogRequest& request) {
    const auto dialog = NewSaveDialog(Parent(), request);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog->selectedFiles().constFirst();
}

}  // namespace ardentix

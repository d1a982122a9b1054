#include "ui/export_command.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

#include "app/message_catalogue.h"
#include "app/prompts.h"
#include "export/export_writer.h"

namespace ardentix {
namespace {

bool OnlySpaces(const QString& text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c == u' '; });
}

}  // namespace

ExportCommand::End ExportCommand::Run(const Inputs& inputs, const QuoteTable& table,
                                      const std::function<void(const QString&)>& pathChosen) {
    if (dialogDirectory_.isEmpty()) {
        dialogDirectory_ = inputs.programDirectory;
    }
    const QString proposedName = DefaultExportName(inputs.period, inputs.code);
    if (!ConfirmOverwrite(QDir(inputs.programDirectory).filePath(proposedName), table.rowCount)) {
        return End::StoppedBeforeDialog;
    }
    SaveDialogRequest request;
    request.title = QStringLiteral("作成データファイル名");
    request.filterDescription = QStringLiteral("CSVファイル (*.csv)");
    request.patterns = {QStringLiteral("*.csv"), QStringLiteral("*.txt")};
    request.initialDirectory = dialogDirectory_;
    // An installed copy's first export may be the first use of the documents folder.
    QDir().mkpath(dialogDirectory_);
    request.proposedName = proposedName;
    const std::optional<QString> chosen = prompts_.AskSaveFileName(request);
    if (!chosen) {
        exportPath_.clear();
    } else if (!OnlySpaces(*chosen)) {
        exportPath_ = *chosen;
        if (pathChosen) {
            pathChosen(exportPath_);
        }
    }
    return WriteExport(table, inputs.ymdForm) ? End::Written : End::NotWritten;
}

bool ExportCommand::ConfirmOverwrite(const QString& path, int rowCount) {
    if (rowCount <= 0) {
        zidodu::ShowMsg(prompts_, 210, kStyleInformation,
                        QStringLiteral("株価テキストファイル作成"));
        return false;
    }
    if (QFileInfo(path).isFile()) {
        const QString question =
            QStringLiteral(
                "このファイルはすでにあります。上書き（あるいは別ファイル作成）しますか？") +
            QStringLiteral("\r\nファイル名：") + path;
        return prompts_.AskOkCancel(question, kStyleQuestion, QString());
    }
    return true;
}

bool ExportCommand::WriteExport(const QuoteTable& table, int ymdForm) {
    if (exportPath_.isEmpty()) {
        return false;
    }
    const ExportResult result = WriteExportFile(exportPath_, table, ymdForm);
    if (!result.ok) {
        prompts_.ShowMessage(result.error, kStyleCritical, kExportFailureTitle);
    }
    return result.ok;
}

}  // namespace ardentix

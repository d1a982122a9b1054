#pragma once

#include <QString>
#include <functional>
#include <optional>

#include "parse/period.h"
#include "parse/quote_table.h"

namespace ardentix {

class Prompts;

// The save button's work: the overwrite question about the proposed name, the save dialog and
// the file. Keeps the path chosen last and the dialog's folder between presses.
class ExportCommand {
public:
    struct Inputs {
        Period period = Period::Daily;
        QString code;              // the code box as it stands
        QString programDirectory;  // where the proposed name lives
        int ymdForm = 0;
    };
    enum class End {
        StoppedBeforeDialog,  // no rows, or the overwrite question was cancelled
        Written,
        NotWritten,  // the dialog was cancelled or the write failed
    };

    explicit ExportCommand(Prompts& prompts) : prompts_(prompts) {}

    // pathChosen runs as soon as the dialog returned a non-blank name, before the file is
    // written (the window shows the name there).
    End Run(const Inputs& inputs, const QuoteTable& table,
            const std::function<void(const QString&)>& pathChosen);

    // False after message 210 when there are no rows, or when the user declines to replace
    // an existing file at path.
    bool ConfirmOverwrite(const QString& path, int rowCount);

    // False when exportPath is empty (nothing shown) or the file could not be written (a box
    // with the failure's description).
    bool WriteExport(const QuoteTable& table, int ymdForm);

    const QString& exportPath() const { return exportPath_; }

private:
    Prompts& prompts_;
    QString exportPath_;
    QString dialogDirectory_;
};

}  // namespace ardentix

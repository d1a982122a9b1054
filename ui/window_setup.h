#pragma once

#include <QString>
#include <QtGlobal>
#include <span>

#include "export/row_scaling.h"

class QComboBox;
class QTreeWidget;

namespace ardentix {

// The pieces of the window's start state, in the order the window sets them.

// "Ardentix Version" followed by major.minor.revision of the build.
QString WindowTitle();

// Catalogue texts 300, 301 and 303, one per line.
QString NoteText();

// Makes the controls' "MS UI Gothic" show in an installed Japanese font.
void InstallFontSubstitutions();

// The market list in market-table order, entry 0 selected.
void FillMarkets(QComboBox* list);

// A scale list in table order, each entry carrying its divisor as item data; entry 0 selected.
void FillScaleList(QComboBox* list, std::span<const ScaleEntry> entries);

// The six columns of the result list: a unit is a fourteenth of the list's width, the date
// takes 3 units and each figure 2; the figures are right-aligned, headers included.
void SetupListColumns(QTreeWidget* list);

// The two date forms of the output file. A stored value other than 0 selects the second.
void FillYmdForms(QComboBox* list, qint32 ymdForm);

}  // namespace ardentix

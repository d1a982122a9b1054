#pragma once

class QTreeWidget;

namespace ardentix {

struct QuoteTable;

// Adds one line per shown row: the date as 年月日, then the five figures grouped by three and
// right-aligned.
void FillResultList(QTreeWidget* list, const QuoteTable& table);

}  // namespace ardentix

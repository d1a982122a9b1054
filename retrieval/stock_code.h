#pragma once

#include <QString>

namespace ardentix {

// The code as the user typed it, with full-width digits and letters (as an input method types
// them) folded to ASCII by Unicode NFKC. Nothing else changes: spaces stay where they were.
QString FoldCode(const QString& typed);

// True when the code holds a control character (a newline, a tab): no code does.
bool HasControlCharacter(const QString& code);

}  // namespace ardentix

#include "retrieval/stock_code.h"

#include <algorithm>

namespace ardentix {

QString FoldCode(const QString& typed) {
    return typed.normalized(QString::NormalizationForm_KC);
}

bool HasControlCharacter(const QString& code) {
    return std::ranges::any_of(code, [](QChar c) { return c.category() == QChar::Other_Control; });
}

}  // namespace ardentix

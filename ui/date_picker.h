#pragma once

#include <QDateEdit>

namespace ardentix {

// A date field whose Tab key leaves the field, as in every other control of the window,
// instead of stepping through year, month and day (the arrow keys still do that).
class DatePicker : public QDateEdit {
    Q_OBJECT

public:
    using QDateEdit::QDateEdit;

protected:
    bool focusNextPrevChild(bool next) override { return QWidget::focusNextPrevChild(next); }
};

}  // namespace ardentix

// A date editor that Tab leaves at once, as it leaves every other control, instead of
// stepping through the day, month and year first.
#pragma once

#include <QDateEdit>

namespace pellmark {

class DatePicker : public QDateEdit {
    Q_OBJECT
public:
    using QDateEdit::QDateEdit;

protected:
    bool focusNextPrevChild(bool next) override { return QWidget::focusNextPrevChild(next); }
};

} // namespace pellmark

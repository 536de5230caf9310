// A date editor that Tab leaves at once, as it leaves every other control, instead of
// stepping through the day, month and year first; a click into the day, month or year
// selects it, so that what is typed replaces it.
#pragma once

#include <QDateEdit>

namespace pellmark {

class DatePicker : public QDateEdit {
    Q_OBJECT
public:
    explicit DatePicker(QWidget* parent = nullptr);

protected:
    bool focusNextPrevChild(bool next) override { return QWidget::focusNextPrevChild(next); }
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace pellmark

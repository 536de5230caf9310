// A date editor that Tab leaves at once, as it leaves every other control, instead of
// stepping through the day, month and year first; a click into the day, month or year
// selects it, so that what is typed replaces it. Its calendar greys out the days that
// cannot be chosen.
#pragma once

#include <QCalendarWidget>
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

// The stock calendar draws the days outside its range like any other, only refusing clicks.
class RangeCalendar : public QCalendarWidget {
    Q_OBJECT
public:
    explicit RangeCalendar(QWidget* parent = nullptr);

protected:
    void paintCell(QPainter* painter, const QRect& rect, QDate date) const override;
};

} // namespace pellmark

#include "gui/DatePicker.h"

#include <QEvent>
#include <QLineEdit>
#include <QPainter>

namespace pellmark {

DatePicker::DatePicker(QWidget* parent) : QDateEdit(parent) {
    // A date is typed one part at a time, and the parts typed so far may name a day out of
    // range (the 28th of this month, when today is the 7th); the range applies to the
    // whole date once the typing is done, not to each key.
    setKeyboardTracking(false);
    setCalendarPopup(true);
    setCalendarWidget(new RangeCalendar(this));
    lineEdit()->installEventFilter(this);
}

bool DatePicker::eventFilter(QObject* watched, QEvent* event) {
    // Dragging over the text still selects what it covers.
    if (watched == lineEdit() && event->type() == QEvent::MouseButtonRelease &&
        !lineEdit()->hasSelectedText())
        setSelectedSection(currentSection());
    return QDateEdit::eventFilter(watched, event);
}

// Without week numbers, as the editor's own calendar shows it.
RangeCalendar::RangeCalendar(QWidget* parent) : QCalendarWidget(parent) {
    setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
}

void RangeCalendar::paintCell(QPainter* painter, const QRect& rect, QDate date) const {
    if (date >= minimumDate() && date <= maximumDate()) {
        QCalendarWidget::paintCell(painter, rect, date);
        return;
    }
    painter->save();
    painter->fillRect(rect, palette().brush(QPalette::Base));
    painter->setPen(palette().color(QPalette::Disabled, QPalette::Text));
    painter->drawText(rect, Qt::AlignCenter, locale().toString(date.day()));
    painter->restore();
}

} // namespace pellmark

#include "gui/DatePicker.h"

#include <QEvent>
#include <QLineEdit>

namespace pellmark {

DatePicker::DatePicker(QWidget* parent) : QDateEdit(parent) {
    // A date is typed one part at a time, and the parts typed so far may name a day out of
    // range (the 28th of this month, when today is the 7th); the range applies to the
    // whole date once the typing is done, not to each key.
    setKeyboardTracking(false);
    lineEdit()->installEventFilter(this);
}

bool DatePicker::eventFilter(QObject* watched, QEvent* event) {
    // Dragging over the text still selects what it covers.
    if (watched == lineEdit() && event->type() == QEvent::MouseButtonRelease &&
        !lineEdit()->hasSelectedText())
        setSelectedSection(currentSection());
    return QDateEdit::eventFilter(watched, event);
}

} // namespace pellmark

#include "gui/Gauge.h"

#include <QPainter>

#include <algorithm>

namespace pellmark {

namespace {

const QColor kBar = Qt::darkBlue;
const QColor kBackground = Qt::white;
const QColor kBorder = Qt::black;
// The picture under white text drawn by exclusive-or: white turns black, navy turns this.
const QColor kTextOverBackground = Qt::black;
const QColor kTextOverBar = QColor(255, 255, 127);

} // namespace

Gauge::Gauge(QWidget* parent) : QWidget(parent) {}

int Gauge::percent() const {
    const long long range = maximum_ - minimum();
    if (range == 0)
        return 0;
    return static_cast<int>((static_cast<long long>(progress_) - minimum()) * 100 / range);
}

void Gauge::setMaximum(int maximum) {
    maximum_ = std::max(maximum, minimum());
    progress_ = std::min(progress_, maximum_);
    update();
}

void Gauge::setProgress(int progress) {
    const int shownBefore = percent();
    progress_ = std::clamp(progress, minimum(), maximum_);
    if (percent() != shownBefore)
        update();
}

QSize Gauge::sizeHint() const {
    return {100, 14};
}

void Gauge::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect inner = rect().adjusted(1, 1, -1, -1);
    painter.setPen(kBorder);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));

    // Filled by the shown percentage, so that the bar changes exactly when the text does.
    QRect filled = inner;
    filled.setWidth(inner.width() * percent() / 100);
    QRect empty = inner;
    empty.setLeft(filled.right() + 1);
    painter.fillRect(filled, kBar);
    painter.fillRect(empty, kBackground);

    const QString text = QStringLiteral("%1%").arg(percent());
    painter.setClipRect(empty);
    painter.setPen(kTextOverBackground);
    painter.drawText(inner, Qt::AlignCenter, text);
    painter.setClipRect(filled);
    painter.setPen(kTextOverBar);
    painter.drawText(inner, Qt::AlignCenter, text);
}

} // namespace pellmark

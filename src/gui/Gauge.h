// The progress gauge of the status bar: a bordered bar filled from the left with the
// percentage centred on it, dark over the empty part and light over the filled part.
#pragma once

#include <QWidget>

namespace pellmark {

class Gauge : public QWidget {
    Q_OBJECT
public:
    explicit Gauge(QWidget* parent = nullptr);

    int minimum() const { return 0; }
    int maximum() const { return maximum_; }
    int progress() const { return progress_; }
    // The integer part of the share done, 0 when the range is empty.
    int percent() const;

    // Never below the minimum; a progress above the new maximum comes down with it.
    void setMaximum(int maximum);
    // Clamped to minimum..maximum.
    void setProgress(int progress);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int maximum_ = 100;
    int progress_ = 0;
};

} // namespace pellmark

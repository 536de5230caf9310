// The modal message boxes of the windows and the report shown when a handler fails,
// behind an interface so that tests can record them instead of showing them.
#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace pellmark {

// The boxes are shown without a nested event loop: each call returns at once and the
// callback runs when the user has closed the box.
class MessageBoxes {
public:
    using Closed = std::function<void()>;
    using Answered = std::function<void(bool yes)>;

    virtual ~MessageBoxes() = default;
    // Titled "Warning", warning icon, OK.
    virtual void Warning(const QString& text, Closed closed = {}) = 0;
    // Titled "Information", information icon, OK.
    virtual void Information(const QString& text, Closed closed = {}) = 0;
    // A question with Yes and No.
    virtual void Confirm(const QString& text, Answered answered) = 0;
    // The failure report: stop icon, the application title, the message as WithFullStop gives it.
    virtual void ErrorReport(const QString& message) = 0;
};

// The message with a full stop added when its last character sorts after the full stop.
QString WithFullStop(const QString& message);

// QMessageBox on the screen, application-modal and centred on the screen.
class ScreenMessageBoxes : public MessageBoxes {
public:
    // The boxes belong to parent, so none outlives the window that asked for it.
    explicit ScreenMessageBoxes(QWidget* parent) : parent_(parent) {}

    void Warning(const QString& text, Closed closed = {}) override;
    void Information(const QString& text, Closed closed = {}) override;
    void Confirm(const QString& text, Answered answered) override;
    void ErrorReport(const QString& message) override;

private:
    QWidget* parent_;
};

} // namespace pellmark

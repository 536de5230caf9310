// A MessageBoxes that records every box instead of showing it, answers questions with
// a preset answer, and closes each box at once.
#pragma once

#include "gui/MessageBoxes.h"

#include <QList>
#include <QString>

#include <functional>

class FakeMessageBoxes : public pellmark::MessageBoxes {
public:
    enum class Kind { Warning, Information, Confirm, ErrorReport };
    struct Box {
        Kind kind;
        QString text;
    };

    QList<Box> shown;
    bool answer = true;
    std::function<void(const Box&)> onShown; // while the box shows, before it is closed

    void Warning(const QString& text, Closed closed = {}) override {
        shown.append({Kind::Warning, text});
        Shown();
        if (closed)
            closed();
    }
    void Information(const QString& text, Closed closed = {}) override {
        shown.append({Kind::Information, text});
        Shown();
        if (closed)
            closed();
    }
    void Confirm(const QString& text, Answered answered) override {
        shown.append({Kind::Confirm, text});
        answered(answer);
        Shown();
    }
    void ErrorReport(const QString& message) override {
        shown.append({Kind::ErrorReport, pellmark::WithFullStop(message)});
        Shown();
    }

    QStringList texts(Kind kind) const {
        QStringList found;
        for (const Box& box : shown)
            if (box.kind == kind)
                found.append(box.text);
        return found;
    }

private:
    void Shown() {
        if (onShown)
            onShown(shown.last());
    }
};

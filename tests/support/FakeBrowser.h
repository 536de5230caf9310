// A browser that answers each navigation from a script, a few milliseconds later from the event
// loop, and keeps what it was asked: the posts, when each was asked for, and how each ended.
#pragma once

#include "net/PageBrowser.h"

#include <QTimer>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

// One scripted answer: a page, a failure, or a navigation that cannot start.
struct FakeAnswer {
    std::string body;
    pellmark::NavigationFailure failure{};
    bool starts = true;
};

class FakeBrowser : public pellmark::PageBrowser {
public:
    FakeBrowser() {
        pending_.setSingleShot(true);
        connect(&pending_, &QTimer::timeout, this, [this] {
            ++answered;
            Show(ScriptedAnswer(navigations.size() - 1));
            emit documentComplete();
        });
    }

    bool Navigate(const std::string&, std::string_view postData, std::string_view) override {
        Stop();
        if (!ScriptedAnswer(navigations.size()).starts)
            return false;
        posts.emplace_back(postData);
        navigations.push_back(std::chrono::steady_clock::now());
        pending_.start(answerDelay);
        if (afterNavigate)
            afterNavigate(static_cast<int>(navigations.size()));
        return true;
    }
    void Stop() override {
        if (pending_.isActive())
            ++abandoned;
        pending_.stop();
    }
    const std::string& BodyHtml() const override { return body_; }
    const pellmark::NavigationFailure& Failure() const override { return failure_; }

    // A page completes that the fetch did not ask for, as one from another user of the
    // browser, or an answer that comes after all.
    void CompleteUnasked(const FakeAnswer& answer) {
        Show(answer);
        emit documentComplete();
    }

    // The answers in order; the last one answers every later navigation too.
    std::vector<FakeAnswer> script;
    std::chrono::milliseconds answerDelay{5};
    // Called within each navigation that started, with its number counted from 1.
    std::function<void(int)> afterNavigate;

    std::vector<std::string> posts;
    std::vector<std::chrono::steady_clock::time_point> navigations;
    int answered = 0;
    int abandoned = 0;

private:
    FakeAnswer ScriptedAnswer(std::size_t index) const {
        if (script.empty())
            return {};
        return script[std::min(index, script.size() - 1)];
    }
    void Show(const FakeAnswer& answer) {
        body_ = answer.body;
        failure_ = answer.failure;
    }

    QTimer pending_;
    std::string body_;
    pellmark::NavigationFailure failure_;
};

// The window's way of asking: every day, in the category ticked as the day starts (a category
// changed during a run applies to the days after), with the full tries, learning nothing.
#pragma once

#include "run/AskingRules.h"

#include <functional>

namespace pellmark {

class PlainAsking : public AskingRules {
public:
    explicit PlainAsking(std::function<Category()> category) : category_(std::move(category)) {}

    bool Ask(const DayItem&) const override { return true; }
    DayRequest Request(const DayItem& item) const override {
        return {item.symbol, item.dateLabel, category_()};
    }
    void Learn(const DayResult&) override {}

private:
    std::function<Category()> category_;
};

} // namespace pellmark

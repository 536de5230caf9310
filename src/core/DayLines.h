// What one symbol-day's page comes to: whether the day has data, and its quote lines when
// it has. The one place a run learns that a day had nothing to save.
#pragma once

#include "core/Lines.h"

namespace pellmark {

struct DayLines {
    bool hasData = false;
    Lines lines; // one line per quote; empty without data
};

} // namespace pellmark

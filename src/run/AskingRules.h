// What a run asks of its front's rules for each day: whether the day is asked at all, the
// request that asks it (its form and tries), and what its answer teaches. The window asks every
// day alike (PlainAsking.h); pellmark-batch asks as its folder's market record and the run's
// answers say (folder/FolderRules.h).
#pragma once

#include "core/DayItem.h"
#include "net/DayRequest.h"
#include "run/DayResult.h"

namespace pellmark {

class AskingRules {
public:
    virtual ~AskingRules() = default;

    // False: the day is handled as skipped, without a fetch.
    virtual bool Ask(const DayItem& item) const = 0;
    // Asked as the day starts, so that what the rules know by then decides.
    virtual DayRequest Request(const DayItem& item) const = 0;
    // Every day handled, skipped ones too, once its file is saved and before the front hears
    // of it.
    virtual void Learn(const DayResult& result) = 0;
};

} // namespace pellmark

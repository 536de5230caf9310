// Quote pages bent the way a broken or hostile service, or a proxy in between, may bend them:
// each still holds the day's quotes, but costs a page reader far more than its size suggests.
#pragma once

#include "QuotePage.h"

#include <string>
#include <string_view>

namespace pellmark {

enum class HostileLayout {
    NoParenRecords, // count records without " (", and a foot that holds one
    NestedDivs,     // the records inside count nested <div> elements
    ManyAttributes, // the records inside one tag with count attributes
    UnclosedFonts,  // count <font> tags that are never closed before the records
    // 1,000 <b> tags told apart by their ids, then count paragraphs: each reopens them all
    ReopenedFormatting,
};

std::string HostilePageHtml(HostileLayout layout, int count, std::string_view stk,
                            std::string_view dateLabel, ServiceMoment now = NowUtc());

} // namespace pellmark

// The errors file of pellmark-batch: failed items in the window's errors-list form,
// appended as they come, or a retry file rewritten with what still fails.
#pragma once

#include "core/DayItem.h"

#include <QString>

#include <vector>

namespace pellmark {

// Each item followed by CR LF, after a line break when the file ends in a line without one.
// False, with the reason in error, when the file cannot be written.
bool AppendFailedItems(const QString& path, const std::vector<DayItem>& items, QString& error);

// Replaces the file whole (empty when there are no items).
bool RewriteFailedItems(const QString& path, const std::vector<DayItem>& items, QString& error);

} // namespace pellmark

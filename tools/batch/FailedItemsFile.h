// The errors file of pellmark-batch: failed items in the window's errors-list form,
// appended as they come, or a retry file rewritten with what still fails. Runs that share
// the file take turns through a lock, and a failed write leaves the file as it was.
#pragma once

#include "core/DayItem.h"
#include "core/Result.h"

#include <QString>

#include <cstddef>
#include <vector>

namespace pellmark {

// Each item followed by CR LF, after a CR LF when the file ends in a line without a break.
Done AppendFailedItems(const QString& path, const std::vector<DayItem>& items);

// Replaces the first linesRead lines, those the retry took its items from, with keptLines
// and the items (each followed by CR LF); lines appended since by other runs are kept after
// them, once.
Done RewriteFailedItems(const QString& path, std::size_t linesRead,
                        const std::vector<DayItem>& items,
                        const std::vector<std::string>& keptLines = {});

} // namespace pellmark

// The text of the save-folder field: a folder path that ends with the path separator,
// ready to have a file name appended.
#pragma once

#include <QString>

namespace pellmark {

QString WithTrailingSeparator(const QString& folder);

// The program's own folder when files can be written there, else the user's documents.
QString DefaultSaveFolder(const QString& programFolder);

} // namespace pellmark

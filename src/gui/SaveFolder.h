// The text of the save-folder field: a folder path that ends with the path separator,
// ready to have a file name appended, and the folder the field starts with.
#pragma once

#include <QString>

namespace pellmark {

QString WithTrailingSeparator(const QString& folder);

// Whether the program's folder (a canonical path) is one the user put the program in: the
// user owns it and may write into it, and it is none of the system's own folders, which
// root owns too (a packaged program lives in /usr/bin).
bool IsUsersOwnFolder(const QString& folder, uint owner, bool writable, uint user);

// The program's own folder when it is the user's own, else the user's documents folder,
// or the home folder where there is no documents folder.
QString DefaultSaveFolder(const QString& programFolder);

} // namespace pellmark

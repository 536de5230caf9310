#include "gui/SaveFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <array>

#include <unistd.h>

namespace pellmark {

namespace {

// Where the system keeps its programs, libraries, settings and the package manager's data.
constexpr std::array kSystemFolders{"/usr",    "/opt", "/bin", "/sbin", "/lib",  "/lib32", "/lib64",
                                    "/libx32", "/etc", "/var", "/boot", "/snap", "/nix"};

bool IsSystemFolder(const QString& folder) {
    if (folder == QStringLiteral("/"))
        return true;
    for (const char* system : kSystemFolders) {
        const QString top = QString::fromLatin1(system);
        if (folder == top || folder.startsWith(top + u'/'))
            return true;
    }
    return false;
}

QString UsersDocuments() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    // Saving into a folder that is not there would fail for every file of the first run.
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

} // namespace

QString WithTrailingSeparator(const QString& folder) {
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

bool IsUsersOwnFolder(const QString& folder, uint owner, bool writable, uint user) {
    return owner == user && writable && !IsSystemFolder(folder);
}

QString DefaultSaveFolder(const QString& programFolder) {
    const QFileInfo program(programFolder);
    if (program.isDir() && IsUsersOwnFolder(program.canonicalFilePath(), program.ownerId(),
                                            program.isWritable(), geteuid()))
        return WithTrailingSeparator(programFolder);
    return WithTrailingSeparator(UsersDocuments());
}

} // namespace pellmark

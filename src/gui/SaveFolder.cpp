#include "gui/SaveFolder.h"

#include <QFileInfo>
#include <QStandardPaths>

namespace pellmark {

QString WithTrailingSeparator(const QString& folder) {
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

QString DefaultSaveFolder(const QString& programFolder) {
    const QFileInfo program(programFolder);
    if (program.isDir() && program.isWritable())
        return WithTrailingSeparator(programFolder);
    return WithTrailingSeparator(
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
}

} // namespace pellmark

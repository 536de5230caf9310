#include "core/WholeFile.h"

#include "core/WholeFileStream.h"

#include <QFile>

namespace pellmark {

Done WriteWholeFile(const QString& path, std::string_view bytes) {
    WholeFileStream file(path);
    file.Write(bytes);
    return file.Commit();
}

Result<std::string> ReadWholeFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Failure{file.errorString().toStdString()};
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Failure{file.errorString().toStdString()};
    return bytes.toStdString();
}

} // namespace pellmark

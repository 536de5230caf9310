// What the batch tests share, in-process or as a process: a scratch folder to run in, its
// files, and what a run said.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

inline QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

struct BatchFolder {
    QString path(const QString& name) const { return folder.filePath(name); }
    // The day files of the save folder "days".
    QStringList days() const {
        return QDir(folder.filePath("days")).entryList({"*.txt"}, QDir::Files);
    }

    QTemporaryDir folder;
    QByteArray err; // progress and messages
    QByteArray out; // the failed days, when there is no errors file
};

// What the batch tests share, in-process or as a process: a scratch folder to run in, its
// files, what a run said, and the rows of tables both kinds run.
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

// A row of a table shared by suites, or nothing when the suite leaves the row out.
struct ChosenRow {
    template <typename T> ChosenRow& operator<<(const T& value) {
        if (data)
            *data << value;
        return *this;
    }
    QTestData* data;
};

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

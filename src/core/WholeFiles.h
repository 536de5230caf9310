// Many files written in one go, each whole or not at all, for the cost of one sync of the file
// system instead of one per file (the CSVs of an export): each file is first written to a
// hidden temporary beside its place, then the file system is synced once, then each
// temporary takes its file's name and the folder is synced.
//
//     WholeFiles csvs(outDir);
//     if (const Done added = csvs.Add("AUDUSD.csv", bytes); !added) ...   // AUDUSD.csv not written
//     for (const WholeFiles::Unwritten& file : csvs.Commit().unwritten) ...
#pragma once

#include "core/Result.h"

#include <QString>
#include <QStringList>

#include <string>
#include <string_view>
#include <vector>

namespace pellmark {

class WholeFiles {
public:
    explicit WholeFiles(QString folder);
    // Whatever was added and not committed is removed: a stop or a failure leaves no
    // temporary behind, and the old files as they were.
    ~WholeFiles();
    WholeFiles(const WholeFiles&) = delete;
    WholeFiles& operator=(const WholeFiles&) = delete;

    // Writes bytes to a temporary for folder/name; each write and the close are checked. When
    // that failed (the system's reason: "No space left on device"), nothing of it is left.
    Done Add(const QString& name, std::string_view bytes);

    struct Unwritten {
        QString path; // a file that keeps its old content (or stays absent), or the folder
        std::string reason;
    };
    struct Outcome {
        QStringList written; // in the order added
        std::vector<Unwritten> unwritten;
    };
    // Puts every file added in its place, once all of them are on the disk. When the sync
    // fails, no file is replaced and each is named with the reason. Once only.
    Outcome Commit();

private:
    struct Pending {
        QString path;
        QByteArray temporary;
    };
    void RemoveTemporaries();

    QString folder_;
    std::vector<Pending> pending_;
};

} // namespace pellmark

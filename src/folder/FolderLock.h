// One update of a save folder at a time: a run that fetches into a folder to bring it up to date
// (--update, --heal) holds this lock on the folder itself for its whole life, so that a second
// one started meanwhile (a cron line and a timer, a run by hand during the night's) ends at once
// instead of fetching every day a second time. The window holds it on its save folder while a
// run or a retry writes there. Nothing is written to take it.
#pragma once

#include <QString>

#include <string>

namespace pellmark {

// What a run that finds the folder held says: "FOLDER is being updated by another run:
// nothing fetched".
std::string FolderBusyReason(const std::string& folder);

class FolderLock {
public:
    // Takes the lock if no other run holds it; never waits.
    explicit FolderLock(const QString& folder);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    // Another run holds the folder.
    bool Busy() const { return busy_; }

private:
    int fd_ = -1;
    bool busy_ = false;
};

} // namespace pellmark

// A SQLite connection and its prepared statements, with every failure given back as a reason
// in the programs' words: the system's ("No space left on device") when a write or sync
// failed, else SQLite's ("database is locked").
#pragma once

#include "core/Result.h"

#include <QString>

#include <memory>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace pellmark {

class SqliteStatement {
public:
    SqliteStatement(sqlite3* database, sqlite3_stmt* statement);
    void Bind(int index, long long value);
    void Bind(int index, double value);
    void Bind(int index, std::string_view text); // the text must outlive the next Step()
    // True while it gives a row; false once done, with the statement reset for its next use.
    Result<bool> Step();
    // Step() until done.
    Done Run();
    long long Integer(int column) const;
    std::string Text(int column) const;

private:
    struct Finalise {
        void operator()(sqlite3_stmt* statement) const;
    };
    sqlite3* database_;
    std::unique_ptr<sqlite3_stmt, Finalise> statement_;
};

class SqliteDatabase {
public:
    // Opens path for reading and writing, creating it when missing; a link there is not
    // followed.
    static Result<SqliteDatabase> Open(const QString& path);
    Done Execute(const std::string& sql);
    Result<SqliteStatement> Prepare(std::string_view sql);
    // The reason of the last failure.
    std::string Reason() const;
    // The last failure was SQLITE_BUSY (another connection holds the lock), or SQLITE_NOTADB.
    bool Busy() const;
    bool NotADatabase() const;

private:
    struct Close {
        void operator()(sqlite3* database) const;
    };
    explicit SqliteDatabase(sqlite3* database) : database_(database) {}
    std::unique_ptr<sqlite3, Close> database_;
};

} // namespace pellmark

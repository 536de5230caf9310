#include "export/SqliteDatabase.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <sqlite3.h>

namespace pellmark {
namespace {

std::string ReasonOf(sqlite3* database) {
    // A write or sync the system refused says why in its own words; SQLite keeps no reason
    // for a short write, which only a full disk makes.
    const int code = sqlite3_extended_errcode(database) & 0xff;
    if (code == SQLITE_FULL)
        return std::strerror(ENOSPC);
    if (code == SQLITE_IOERR && sqlite3_system_errno(database) != 0)
        return std::strerror(sqlite3_system_errno(database));
    return sqlite3_errmsg(database);
}

} // namespace

void SqliteStatement::Finalise::operator()(sqlite3_stmt* statement) const {
    sqlite3_finalize(statement);
}

SqliteStatement::SqliteStatement(sqlite3* database, sqlite3_stmt* statement)
    : database_(database), statement_(statement) {}

void SqliteStatement::Bind(int index, long long value) {
    sqlite3_bind_int64(statement_.get(), index, value);
}

void SqliteStatement::Bind(int index, double value) {
    sqlite3_bind_double(statement_.get(), index, value);
}

void SqliteStatement::Bind(int index, std::string_view text) {
    sqlite3_bind_text(statement_.get(), index, text.data(), static_cast<int>(text.size()),
                      SQLITE_STATIC);
}

Result<bool> SqliteStatement::Step() {
    const int stepped = sqlite3_step(statement_.get());
    if (stepped == SQLITE_ROW)
        return true;
    const std::string reason = stepped == SQLITE_DONE ? std::string() : ReasonOf(database_);
    sqlite3_reset(statement_.get());
    if (stepped != SQLITE_DONE)
        return Failure{reason};
    return false;
}

Done SqliteStatement::Run() {
    for (;;) {
        const Result<bool> row = Step();
        if (!row)
            return Failure{row.reason()};
        if (!*row)
            return {};
    }
}

long long SqliteStatement::Integer(int column) const {
    return sqlite3_column_int64(statement_.get(), column);
}

std::string SqliteStatement::Text(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_.get(), column));
    return text == nullptr ? std::string() : std::string(text);
}

void SqliteDatabase::Close::operator()(sqlite3* database) const {
    sqlite3_close_v2(database);
}

Result<SqliteDatabase> SqliteDatabase::Open(const QString& path) {
    sqlite3* database = nullptr;
    const int opened = sqlite3_open_v2(QFile::encodeName(path).constData(), &database,
                                       SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE |
                                           SQLITE_OPEN_NOFOLLOW | SQLITE_OPEN_NOMUTEX,
                                       nullptr);
    SqliteDatabase result(database);
    if (opened != SQLITE_OK)
        return Failure{database == nullptr ? "out of memory" : ReasonOf(database)};
    sqlite3_extended_result_codes(database, 1);
    return result;
}

Done SqliteDatabase::Execute(const std::string& sql) {
    if (sqlite3_exec(database_.get(), sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
        return Failure{Reason()};
    return {};
}

Result<SqliteStatement> SqliteDatabase::Prepare(std::string_view sql) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(database_.get(), sql.data(), static_cast<int>(sql.size()), &statement,
                           nullptr) != SQLITE_OK)
        return Failure{Reason()};
    return SqliteStatement(database_.get(), statement);
}

std::string SqliteDatabase::Reason() const {
    return ReasonOf(database_.get());
}

bool SqliteDatabase::Busy() const {
    return (sqlite3_extended_errcode(database_.get()) & 0xff) == SQLITE_BUSY;
}

bool SqliteDatabase::NotADatabase() const {
    return (sqlite3_extended_errcode(database_.get()) & 0xff) == SQLITE_NOTADB;
}

} // namespace pellmark

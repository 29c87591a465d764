#include "store/Database.h"

#include "store/Connection.h"

#include <sqlite3.h>

#include <utility>

static_assert(EngineCode::Busy == SQLITE_BUSY && EngineCode::Locked == SQLITE_LOCKED &&
                  EngineCode::ReadOnly == SQLITE_READONLY && EngineCode::Interrupt == SQLITE_INTERRUPT &&
                  EngineCode::Corrupt == SQLITE_CORRUPT && EngineCode::CantOpen == SQLITE_CANTOPEN &&
                  EngineCode::NotADatabase == SQLITE_NOTADB,
              "the engine's result codes");

void ThrowEngineFailure(sqlite3* db, int code)
{
    throw StoreError::Engine(code, db ? sqlite3_errmsg(db) : sqlite3_errstr(code));
}

namespace {

// What the file's schema may do on this handle; see the header. Each call fails only on an
// engine that does not know the option, and a handle without them is not handed out.
int GuardAgainstTheSchema(sqlite3* db)
{
    const int options[][2] = {
        {SQLITE_DBCONFIG_DEFENSIVE, 1},
        {SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0},
        {SQLITE_DBCONFIG_ENABLE_VIEW, 0},
    };
    for (const auto& [option, value] : options) {
        const int rc = sqlite3_db_config(db, option, value, nullptr);
        if (rc != SQLITE_OK)
            return rc;
    }
    return SQLITE_OK;
}

// Engine instructions between two looks at the clock: a look costs far less than they do.
const int kInstructionsPerLook = 10000;

int PastDeadline(void* deadline)
{
    return std::chrono::steady_clock::now() >= *static_cast<std::chrono::steady_clock::time_point*>(deadline);
}

} // namespace

Database::Database(const std::string& utf8Path, Opening opening)
{
    std::string name = utf8Path;
    int flags = 0;
    switch (opening) {
    case Opening::ReadWrite: flags = SQLITE_OPEN_READWRITE; break;
    case Opening::Create: flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE; break;
    case Opening::ReadOnly: flags = SQLITE_OPEN_READONLY; break;
    case Opening::ReadOnlyImmutable:
        name = ReadOnlyFileUri(utf8Path);
        flags = SQLITE_OPEN_READONLY | SQLITE_OPEN_URI;
        break;
    }
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(name.c_str(), &db, flags, nullptr);
    if (rc == SQLITE_OK)
        rc = GuardAgainstTheSchema(db);
    if (rc != SQLITE_OK) {
        // The engine hands out a handle even when the opening fails; it must be closed,
        // and the destructor does not run for a constructor that throws.
        const StoreError failure = StoreError::Engine(rc, db ? sqlite3_errmsg(db) : sqlite3_errstr(rc), utf8Path);
        sqlite3_close(db);
        throw failure;
    }
    db_ = db;
}

Database::~Database() { close(); }

Database::Database(Database&& other) noexcept
    : db_(std::exchange(other.db_, nullptr)), deadline_(std::move(other.deadline_))
{
}

Database& Database::operator=(Database&& other) noexcept
{
    if (this != &other) {
        close();
        db_ = std::exchange(other.db_, nullptr);
        deadline_ = std::move(other.deadline_);
    }
    return *this;
}

void Database::close()
{
    // Statements still open (a reader the caller keeps) close the handle when they end; the
    // deadline goes with this object, so they run on without it.
    if (db_) {
        if (deadline_)
            sqlite3_progress_handler(db_, 0, nullptr, nullptr);
        sqlite3_close_v2(std::exchange(db_, nullptr));
    }
    deadline_.reset();
}

bool Database::isReadOnly() const { return sqlite3_db_readonly(db_, "main") == 1; }

void Database::setBusyTimeout(int milliseconds) { sqlite3_busy_timeout(db_, milliseconds); }

void Database::limitTime(std::chrono::milliseconds limit)
{
    deadline_ = std::make_unique<std::chrono::steady_clock::time_point>(std::chrono::steady_clock::now() + limit);
    sqlite3_progress_handler(db_, kInstructionsPerLook, PastDeadline, deadline_.get());
}

void Database::exec(const std::string& sql)
{
    char* error = nullptr;
    const int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error);
    if (rc != SQLITE_OK) {
        const std::string message = error ? error : sqlite3_errstr(rc);
        sqlite3_free(error);
        throw StoreError::Engine(rc, message);
    }
}

bool Database::inTransaction() const { return db_ && !sqlite3_get_autocommit(db_); }

void Database::rollbackQuietly() noexcept
{
    if (inTransaction())
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

std::vector<std::string> Database::check()
{
    std::vector<std::string> findings;
    RowReader rows(*this, "PRAGMA quick_check");
    while (rows.next())
        findings.emplace_back(rows.utf8At(0));
    return findings;
}

void Database::copyInto(Database& target)
{
    sqlite3_backup* copy = sqlite3_backup_init(target.db_, "main", db_, "main");
    if (!copy)
        ThrowEngineFailure(target.db_, sqlite3_errcode(target.db_));
    const int rc = sqlite3_backup_step(copy, -1);
    sqlite3_backup_finish(copy);
    if (rc != SQLITE_DONE)
        throw StoreError::Engine(rc, sqlite3_errstr(rc));
}

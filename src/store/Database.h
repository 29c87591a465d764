#pragma once
// The one owner of an SQLite handle: every opening of a database file, by the program,
// its backup check and its database tool, goes through here. Move-only; the handle is
// closed with the object.
//
// A DB.mdb or a backup may come from any tool, so every handle treats the file's schema as
// untrusted: defensive mode (no writes to the schema's own tables from SQL), functions and
// virtual tables the engine does not mark harmless refused inside the schema (trusted_schema
// off), and views stored in the file never run (the program uses none). Triggers stay on: the
// delivered TText has one of its own; the soundness check refuses any other (SchemaCheck).
#include "store/StoreError.h"

#include <chrono>
#include <memory>
#include <string>
#include <vector>

struct sqlite3;

class Database {
public:
    enum class Opening {
        ReadWrite,         // an existing file, for reading and writing; never created
        Create,            // a new file, created when missing
        ReadOnly,          // an existing file, for reading
        ReadOnlyImmutable, // for reading as it lies: nothing is written, neither to it
                           // nor to a journal beside it, and no journal is played back
    };

    Database() = default;
    // Opens `utf8Path` (the path as the engine takes it, in UTF-8); throws StoreError.
    Database(const std::string& utf8Path, Opening opening);
    ~Database();
    Database(Database&& other) noexcept;
    Database& operator=(Database&& other) noexcept;
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    bool isOpen() const { return db_ != nullptr; }
    void close();

    // True when the engine opened the file for reading only (a write-protected file
    // opened ReadWrite is quietly opened so).
    bool isReadOnly() const;
    // How long a statement waits for another program's lock before it fails.
    void setBusyTimeout(int milliseconds);
    // Runs statements without parameters or rows, one after another; throws StoreError.
    void exec(const std::string& sql);
    // True while a transaction is open.
    bool inTransaction() const;
    // Undoes an open transaction; never throws (for destructors).
    void rollbackQuietly() noexcept;
    // From now on, a statement still running `limit` from now stops with the engine's interrupt
    // (a StoreError): for reading a file someone else made, whose size and shape nobody chose.
    void limitTime(std::chrono::milliseconds limit);
    // The engine's quick check of the file: its findings, {"ok"} for a sound file.
    std::vector<std::string> check();
    // Replaces the whole content of `target` with this database's.
    void copyInto(Database& target);

    // For the store's statements.
    sqlite3* handle() const { return db_; }

private:
    sqlite3* db_ = nullptr;
    // Where the progress handler looks; on the heap, so a move leaves it in place.
    std::unique_ptr<std::chrono::steady_clock::time_point> deadline_;
};

// The engine's failure `code` on `db` (null when there is no handle) as a StoreError.
[[noreturn]] void ThrowEngineFailure(sqlite3* db, int code);

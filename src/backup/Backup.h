#pragma once
// Backups of DB.mdb: the copies made when the program ends (BackupAtExit) and the check
// and copy that put one back (the restore dialog). The desktop is reached through the
// small interfaces below, which the program implements with Win32 and the tests fake.
#include "common/DateTime.h"
#include "common/FunPub.h"

#include <string>
#include <vector>

class Connection;
struct TConfigRecord;

// The clock: each call is its own reading of the local time.
class Clock {
public:
    virtual ~Clock() = default;
    virtual DateTime now() = 0;
};

// Files, by UTF-8 paths. A failure is reported by the result and `error` (a sentence in
// plain words with the system's reason), never by an exception.
class Files {
public:
    virtual ~Files() = default;
    virtual bool isFile(const std::string& path) = 0;
    virtual bool isFolder(const std::string& path) = 0;
    virtual bool makeFolder(const std::string& path, std::string& error) = 0;
    // Puts `from` in the place of `to` in one step (a rename that replaces).
    virtual bool moveReplacing(const std::string& from, const std::string& to, std::string& error) = 0;
    // Copies `from` to `to`; fails, touching nothing, when `to` exists.
    virtual bool copyWithoutReplacing(const std::string& from, const std::string& to, std::string& error) = 0;
    // Has the system write what it holds of the file to the disk before this returns.
    virtual bool flushToDisk(const std::string& path, std::string& error) = 0;
    // Renames `from` to `to` in one step; fails, touching nothing, when `to` exists.
    virtual bool moveWithoutReplacing(const std::string& from, const std::string& to, std::string& error) = 0;
    virtual bool remove(const std::string& path) = 0;
    // The names (without folder) of the folder's files matching "*.bk", in ascending order.
    virtual std::vector<std::string> backupNames(const std::string& folder) = 0;
};

// Where the program keeps its data: the program folder ending in a path separator.
struct BackupPlaces {
    std::string programFolder; // UTF-8
    std::string database() const { return programFolder + "DB.mdb"; }
    std::string backupFolder() const { return programFolder + "DatabackUp"; }
    std::string backupPath(const std::string& name) const;
    // Where a backup is made before it gets its name: inside the backup folder (the same disk,
    // so the rename is one step) and not a "*.bk" name, so the restore dialog never lists it.
    std::string unfinishedBackup() const;
};

// Removes what a backup cut short by a kill left behind.
void RemoveUnfinishedBackup(Files& files, const BackupPlaces& places);

// "YYYYMMDDHHMMSS" + "Bk.bk": the name of a backup made at `moment`.
std::string BackupFileName(DateTime moment);
// "Update Tconfig set TDeadDay='YYYY-MM-DD HH:MM:SS' where TID=1".
std::string StampStatement(DateTime moment);

struct BackupContext {
    Connection& connection; // _conn
    const TConfigRecord& config;
    BackupPlaces places;
    Clock& clock;
    Files& files;
    MessageBoxes& boxes;
};

// Whether the automatic policy has a backup due at `now`: TSaveDB = 1 and more than TSaveDay days
// since TDeadDay, or TDeadDay later than `now`.
bool AutomaticBackupDue(const TConfigRecord& config, DateTime now);

// The end of the Windows session: the automatic backup when it is due, and nothing else. No box
// is shown, not even for a failure (nobody may be there to answer, and a box would hold the
// shutdown): the question policy asks nothing and copies nothing, and a failed backup leaves
// the stamp as it was, so the next exit tries again.
void BackupAtSessionEnd(BackupContext& context);

// The exit-time policy: a periodic backup when more than TSaveDay days have passed since
// TDeadDay (TSaveDB = 1), then the question when TASaveDB = 1. Never raises: a failure
// is shown as a notice and the close goes on.
void BackupAtExit(BackupContext& context);

// Whether the file at `path` is a database this program can work on: an SQLite file that
// passes a quick integrity check and has TText and Tconfig with the columns the program
// reads. False with the reason in `reason` otherwise.
bool IsSoundDatabase(const std::string& path, std::string& reason);

// Puts the backup `name` in place of DB.mdb: the connection is closed, the backup is copied
// beside DB.mdb, the copy is checked (IsSoundDatabase) and then put in its place in one step;
// a journal, WAL log or index left beside DB.mdb goes first so it is never replayed onto the
// restored file. False with the reason in `error`; DB.mdb is then as it was.
bool RestoreBackup(Connection& connection, const BackupPlaces& places, const std::string& name, Files& files,
                   std::string& error);

#include "backup/Backup.h"

#include "common/UniqueResource.h"
#include "store/ConfigRecord.h"
#include "store/Connection.h"
#include "store/Statement.h"
#include "store/StoreError.h"

#include <sqlite3.h>

#include <cmath>
#include <cstdio>
#include <exception>
#include <strings.h>

namespace {

// The program is Windows-only, but its folder is given with its own separator at the end, so
// the same code forms paths in a native test folder.
char Separator(const std::string& programFolder) { return programFolder.empty() ? '\\' : programFolder.back(); }

std::string DeadDayStatement(const std::string& stampText)
{
    return "Update Tconfig set TDeadDay='" + stampText + "' where TID=1";
}

// A period has run out when more than TSaveDay days have passed. Both moments are counted in
// whole seconds, so that 7 days to the second is exactly 7 days and not a hair more.
bool PeriodHasRunOut(const TConfigRecord& config, DateTime now)
{
    const long long elapsed = std::llround((now - config.TDeadDay) * 86400.0);
    return elapsed > static_cast<long long>(config.TSaveDay) * 86400;
}

void ShowNotice(MessageBoxes& boxes, const std::string& text)
{
    try {
        boxes.notice(text, NoticeType::Exclamation);
    } catch (...) {
        // The close goes on whatever a message box does.
    }
}

// One exit's backups. It remembers what TDeadDay holds in the database before each step, so a
// step that made no copy can put the stamp of the last real backup back: the next exit then
// tries again instead of waiting a whole period after a backup that does not exist.
class ExitBackups {
public:
    explicit ExitBackups(BackupContext& context)
        : c_(context), standing_(context.config.TDeadDay == 0 ? "" : FormatDateTime(context.config.TDeadDay))
    {
    }

    // The backup step: StampBackupTime, close the connection, MakeBackupCopy. False when no
    // copy was made; the user has then been told why.
    bool Step()
    {
        std::string stamp;
        if (!StampBackupTime(stamp))
            return false;
        c_.connection.disconnect();
        return MakeBackupCopy(stamp);
    }

private:
    bool StampBackupTime(std::string& stamp)
    {
        const DateTime now = c_.clock.now();
        stamp = FormatDateTime(now);
        try {
            c_.connection.execute(StampStatement(now));
        } catch (const StoreError& e) {
            ShowNotice(c_.boxes, Texts::kBackupStampFailed + std::string(e.what()));
            return false;
        }
        return true;
    }

    bool MakeBackupCopy(const std::string& stamp)
    {
        const std::string name = BackupFileName(c_.clock.now());
        const std::string target = c_.places.backupPath(name);
        const std::string folder = c_.places.backupFolder();
        std::string error;
        if (!c_.files.isFolder(folder) && !c_.files.makeFolder(folder, error)) {
            Failed(Texts::kBackupFolderFailed + folder + ": " + error, standing_);
            return false;
        }
        if (!c_.files.copyReplacing(c_.places.database(), target, error)) {
            // A copy that stopped half way is no backup, and must not be listed for a restore.
            if (c_.files.isFile(target))
                c_.files.remove(target);
            // A file of the same name made earlier in this exit has just been replaced or
            // removed: the stamp before that backup is the one that holds now.
            Failed(Texts::kBackupCopyFailed + name + ": " + error, name == madeName_ ? beforeMade_ : standing_);
            return false;
        }
        madeName_ = name;
        beforeMade_ = standing_;
        standing_ = stamp;
        return true;
    }

    // Writes `stampText` back as TDeadDay and shows `notice`. The connection is left closed,
    // as the step leaves it.
    void Failed(std::string notice, const std::string& stampText)
    {
        try {
            c_.connection.execute(DeadDayStatement(stampText));
        } catch (const StoreError& e) {
            notice += Texts::kBackupTimeNotRestored + std::string(e.what());
        }
        c_.connection.disconnect();
        ShowNotice(c_.boxes, notice);
    }

    BackupContext& c_;
    std::string standing_; // TDeadDay as the database holds it; '' reads as 0
    std::string madeName_;
    std::string beforeMade_;
};

void BackupAtExitSteps(BackupContext& context)
{
    ExitBackups backups(context);
    if (context.config.TSaveDB == 1 && PeriodHasRunOut(context.config, context.clock.now())) {
        if (!backups.Step())
            return;
    }
    if (context.config.TASaveDB == 1 && context.boxes.question(Texts::kBackupQuestion))
        backups.Step();
}

struct DatabaseCloser {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
using DatabaseHandle = UniqueResource<sqlite3*, DatabaseCloser>;

std::string ReadFailure(int code, sqlite3* db)
{
    switch (code & 0xFF) {
    case SQLITE_CANTOPEN: return "无法打开文件";
    case SQLITE_NOTADB: return "文件不是有效的数据库";
    case SQLITE_CORRUPT: return "数据库文件已损坏";
    default: return std::string("无法读取文件 (") + (db ? sqlite3_errmsg(db) : sqlite3_errstr(code)) + ")";
    }
}

// Runs a statement to its end and hands each row to `row`. False with the reason on failure.
template <typename RowReader>
bool ReadRows(sqlite3* db, const char* sql, std::string& reason, RowReader row)
{
    sqlite3_stmt* raw = nullptr;
    int rc = sqlite3_prepare_v2(db, sql, -1, &raw, nullptr);
    const Statement statement(raw);
    if (rc == SQLITE_OK) {
        while ((rc = sqlite3_step(raw)) == SQLITE_ROW)
            row(raw);
    }
    if (rc != SQLITE_OK && rc != SQLITE_DONE) {
        reason = ReadFailure(rc, db);
        return false;
    }
    return true;
}

std::string ColumnText(sqlite3_stmt* statement, int column)
{
    const unsigned char* text = sqlite3_column_text(statement, column);
    return text ? reinterpret_cast<const char*>(text) : "";
}

struct TableColumns {
    const char* table;
    std::vector<const char*> columns;
};

// The tables and columns the program reads.
const TableColumns kTables[] = {
    {"TText", {"ID", "TText", "TSortID"}},
    {"Tconfig",
     {"TID", "THotKeyInt", "THotKeyItem", "TTitleColor", "TBGColor", "TDifRowColor", "TSelRowColor", "TSelRowColorB",
      "TSaveDB", "TASaveDB", "TSaveDay", "TDeadDay"}},
};

} // namespace

std::string BackupPlaces::backupPath(const std::string& name) const
{
    return backupFolder() + Separator(programFolder) + name;
}

std::string BackupFileName(DateTime moment)
{
    const CivilTime t = ToCivilTime(moment);
    char name[32];
    std::snprintf(name, sizeof name, "%04d%02d%02d%02d%02d%02dBk.bk", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return name;
}

std::string StampStatement(DateTime moment) { return DeadDayStatement(FormatDateTime(moment)); }

void BackupAtExit(BackupContext& context)
{
    try {
        BackupAtExitSteps(context);
    } catch (const std::exception& e) {
        ShowNotice(context.boxes, Texts::kBackupFailed + std::string(e.what()));
    } catch (...) {
        ShowNotice(context.boxes, Texts::kBackupFailed);
    }
}

bool IsSoundDatabase(const std::string& path, std::string& reason)
{
    // Immutable: the check reads the file as it will be copied, and writes nothing, neither
    // to it nor to a journal that may lie beside it.
    sqlite3* raw = nullptr;
    const int rc =
        sqlite3_open_v2(ReadOnlyFileUri(path).c_str(), &raw, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
    const DatabaseHandle db(raw);
    if (rc != SQLITE_OK) {
        reason = ReadFailure(rc, raw);
        return false;
    }
    std::vector<std::string> problems;
    if (!ReadRows(db.get(), "PRAGMA quick_check", reason,
                  [&problems](sqlite3_stmt* row) { problems.push_back(ColumnText(row, 0)); }))
        return false;
    if (problems.size() != 1 || problems[0] != "ok") {
        reason = "数据库文件已损坏";
        return false;
    }
    for (const TableColumns& table : kTables) {
        std::vector<std::string> present;
        const std::string sql = std::string("PRAGMA table_info(") + table.table + ")";
        if (!ReadRows(db.get(), sql.c_str(), reason,
                      [&present](sqlite3_stmt* row) { present.push_back(ColumnText(row, 1)); }))
            return false;
        if (present.empty()) {
            reason = std::string("缺少表 ") + table.table;
            return false;
        }
        for (const char* column : table.columns) {
            bool found = false;
            for (const std::string& name : present)
                found = found || strcasecmp(name.c_str(), column) == 0;
            if (!found) {
                reason = std::string("表 ") + table.table + " 缺少字段 " + column;
                return false;
            }
        }
    }
    return true;
}

bool RestoreBackup(Connection& connection, const BackupPlaces& places, const std::string& name, Files& files,
                   std::string& error)
{
    connection.disconnect();
    const std::string database = places.database();
    const std::string temporary = database + ".restoring";
    const std::string journal = database + "-journal";
    const std::string setAside = journal + ".restoring";
    for (const std::string& stale : {temporary, setAside})
        if (files.isFile(stale))
            files.remove(stale);

    if (!files.copyReplacing(places.backupPath(name), temporary, error)) {
        files.remove(temporary);
        return false;
    }
    // A journal beside DB.mdb belongs to the file being replaced; the engine would play it back
    // onto the restored one at the next start. It is set aside, and put back should the
    // replacement fail, so that DB.mdb stays exactly as it was.
    const bool hadJournal = files.isFile(journal);
    if (hadJournal && !files.moveReplacing(journal, setAside, error)) {
        files.remove(temporary);
        return false;
    }
    if (!files.moveReplacing(temporary, database, error)) {
        files.remove(temporary);
        std::string ignored;
        if (hadJournal)
            files.moveReplacing(setAside, journal, ignored);
        return false;
    }
    if (hadJournal)
        files.remove(setAside);
    return true;
}

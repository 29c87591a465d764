#include "backup/Backup.h"

#include "store/ConfigRecord.h"
#include "store/Connection.h"
#include "store/Database.h"
#include "store/SchemaCheck.h"
#include "store/StoreError.h"
#include "store/TeamCache.h"
#include "ui/StoreErrorText.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <exception>

namespace {

// The program is Windows-only, but its folder is given with its own separator at the end, so
// the same code forms paths in a native test folder.
char Separator(const std::string& programFolder) { return programFolder.empty() ? '\\' : programFolder.back(); }

std::string DeadDayStatement(const std::string& stampText)
{
    return "Update Tconfig set TDeadDay='" + stampText + "' where TID=1";
}

// A period has run out when more than TSaveDay days have passed. Both moments are counted in
// whole seconds, so that 7 days to the second is exactly 7 days and not a hair more. A stamp
// later than now (the clock was set ahead, or back) counts as run out: waiting for the clock
// to catch up could mean years without a backup.
bool PeriodHasRunOut(const TConfigRecord& config, DateTime now)
{
    const long long elapsed = std::llround((now - config.TDeadDay) * 86400.0);
    return elapsed < 0 || elapsed > static_cast<long long>(config.TSaveDay) * 86400;
}

void ShowNotice(MessageBoxes& boxes, const std::string& text)
{
    try {
        boxes.notice(text, NoticeType::Exclamation);
    } catch (...) {
        // The close goes on whatever a message box does.
    }
}

// The moment of `value` to the second, as its name and stamp show it.
DateTime WholeSecond(DateTime value) { return ToDateTime(ToCivilTime(value)); }

// Names enough to step past every backup of a day made within the same few seconds.
const int kNameTries = 86400;

// One backup step. The copy is made under a temporary name inside the backup folder, given
// its own moment as TDeadDay, flushed, and only then renamed to a backup name that nothing
// holds yet; after that the same moment is written into DB.mdb. A kill at any point leaves
// DB.mdb's stamp naming the last complete backup, and at most the temporary file, which the
// restore dialog does not list and the next exit removes.
class BackupStep {
public:
    explicit BackupStep(BackupContext& context) : c_(context) {}

    // False when no backup was made; the user has then been told why.
    bool Run()
    {
        const std::string folder = c_.places.backupFolder();
        std::string error;
        if (!c_.files.isFolder(folder) && !c_.files.makeFolder(folder, error)) {
            Failed(Texts::kBackupFolderFailed + folder + ": " + error);
            return false;
        }
        RemoveUnfinishedBackup(c_.files, c_.places);
        DateTime moment = WholeSecond(c_.clock.now());
        if (!FreeName(moment)) {
            Failed(Texts::kBackupCopyFailed + BackupFileName(moment) + ": " + Texts::kBackupNoFreeName);
            return false;
        }
        const std::string name = BackupFileName(moment);
        if (!MakeCopy(moment, name, error)) {
            RemoveUnfinishedBackup(c_.files, c_.places);
            Failed(Texts::kBackupCopyFailed + name + ": " + error);
            return false;
        }
        try {
            c_.connection.execute(StampStatement(moment));
        } catch (const StoreError& e) {
            Failed(Texts::kBackupMadeStampFailed + name + Texts::kBackupStampFailed + StoreErrorText(e));
            return false;
        }
        c_.connection.disconnect();
        return true;
    }

private:
    // Steps `moment` a second at a time past the names that are taken (a backup made earlier in
    // the same second, or before the clock was set back).
    bool FreeName(DateTime& moment)
    {
        for (int tries = 0; tries < kNameTries; ++tries) {
            const std::string path = c_.places.backupPath(BackupFileName(moment));
            if (!c_.files.isFile(path) && !c_.files.isFolder(path))
                return true;
            moment = WholeSecond(moment + 1.0 / 86400);
        }
        return false;
    }

    bool MakeCopy(DateTime moment, const std::string& name, std::string& error)
    {
        const std::string unfinished = c_.places.unfinishedBackup();
        try {
            // The engine copies DB.mdb as it stands committed, whatever another connection may
            // be writing meanwhile: a write under way is neither in the copy nor half in it. A
            // plain copy of the file could catch pages of a write the engine has not finished,
            // with the journal that would undo them left behind.
            Database copy(unfinished, Database::Opening::Create);
            c_.connection.database().copyInto(copy);
            // The configuration row inside the backup holds the backup's own moment, so that a
            // restored backup's period runs from then.
            copy.exec(StampStatement(moment));
        } catch (const StoreError& e) {
            error = StoreErrorText(e);
            return false;
        }
        return c_.files.flushToDisk(unfinished, error) &&
               c_.files.moveWithoutReplacing(unfinished, c_.places.backupPath(name), error);
    }

    // The connection is left closed, as the step leaves it.
    void Failed(const std::string& notice)
    {
        c_.connection.disconnect();
        ShowNotice(c_.boxes, notice);
    }

    BackupContext& c_;
};

// Boxes that show nothing and answer every question with No.
class NoBoxes : public MessageBoxes {
public:
    void notice(const std::string&, NoticeType) override {}
    bool question(const std::string&) override { return false; }
    void plain(const std::string&) override {}
};

void BackupAtExitSteps(BackupContext& context)
{
    RemoveUnfinishedBackup(context.files, context.places);
    // The clock is read only when the automatic policy is on.
    if (context.config.TSaveDB == 1 && AutomaticBackupDue(context.config, context.clock.now())) {
        if (!BackupStep(context).Run())
            return;
    }
    if (context.config.TASaveDB == 1 && context.boxes.question(Texts::kBackupQuestion))
        BackupStep(context).Run();
}

// The longest the check of a file offered as a backup may read. A real library is read in well
// under a second; a file made to keep the engine busy is refused when this runs out.
const std::chrono::seconds kCheckTime(60);

// Why the engine could not read a file offered as a backup.
std::string ReadFailure(const StoreError& error)
{
    switch (error.code() & 0xFF) {
    case EngineCode::CantOpen: return "无法打开文件";
    case EngineCode::NotADatabase: return "文件不是有效的数据库";
    case EngineCode::Corrupt: return "数据库文件已损坏";
    case EngineCode::Interrupt: return "检查用时超过 " + std::to_string(kCheckTime.count()) + " 秒，已停止";
    default: return std::string("无法读取文件 (") + error.what() + ")";
    }
}

} // namespace

std::string BackupPlaces::backupPath(const std::string& name) const
{
    return backupFolder() + Separator(programFolder) + name;
}

std::string BackupPlaces::unfinishedBackup() const { return backupPath("Unfinished.tmp"); }

void RemoveUnfinishedBackup(Files& files, const BackupPlaces& places)
{
    const std::string unfinished = places.unfinishedBackup();
    for (const char* suffix : {"", "-journal", "-wal", "-shm"})
        if (files.isFile(unfinished + suffix))
            files.remove(unfinished + suffix);
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

bool AutomaticBackupDue(const TConfigRecord& config, DateTime now)
{
    return config.TSaveDB == 1 && PeriodHasRunOut(config, now);
}

void BackupAtSessionEnd(BackupContext& context)
{
    NoBoxes none;
    BackupContext quiet{context.connection, context.config, context.places, context.clock, context.files, none};
    try {
        RemoveUnfinishedBackup(quiet.files, quiet.places);
        if (quiet.config.TSaveDB == 1 && AutomaticBackupDue(quiet.config, quiet.clock.now()))
            BackupStep(quiet).Run();
    } catch (...) {
        // The session ends whatever happened; the stamp names the last complete backup.
    }
}

void BackupAtExit(BackupContext& context)
{
    try {
        BackupAtExitSteps(context);
    } catch (const std::exception& e) {
        ShowNotice(context.boxes, Texts::kBackupFailed + FailureText(e));
    } catch (...) {
        ShowNotice(context.boxes, Texts::kBackupFailed);
    }
}

bool IsSoundDatabase(const std::string& path, std::string& reason)
{
    // Immutable: the check reads the file as it will be copied, and writes nothing, neither
    // to it nor to a journal that may lie beside it. The schema is looked at first, so that
    // nothing reads through a view or runs anything the file holds.
    try {
        Database db(path, Database::Opening::ReadOnlyImmutable);
        db.limitTime(kCheckTime);
        reason = SchemaFault(db);
        if (!reason.empty())
            return false;
        if (db.check() != std::vector<std::string>{"ok"}) {
            reason = "数据库文件已损坏";
            return false;
        }
    } catch (const StoreError& e) {
        reason = ReadFailure(e);
        return false;
    }
    return true;
}

bool RestoreBackup(Connection& connection, const BackupPlaces& places, const std::string& name, Files& files,
                   std::string& error)
{
    connection.disconnect();
    const std::string database = places.database();
    const std::string temporary = database + ".restoring";
    // What the engine keeps beside DB.mdb belongs to the file being replaced: a rollback journal,
    // or the log and index of a file another tool switched to WAL. At the next start the engine
    // would play either back onto the restored file. They are set aside, and put back should
    // the replacement fail, so that DB.mdb stays exactly as it was.
    struct Beside {
        std::string path;
        std::string setAside;
        bool moved = false;
    };
    std::vector<Beside> beside;
    for (const char* suffix : {"-journal", "-wal", "-shm"})
        beside.push_back({database + suffix, database + suffix + ".restoring"});
    files.remove(temporary);
    for (const Beside& file : beside)
        files.remove(file.setAside);
    const auto putBack = [&files, &beside, &temporary] {
        files.remove(temporary);
        std::string ignored;
        for (const Beside& file : beside)
            if (file.moved)
                files.moveReplacing(file.setAside, file.path, ignored);
    };

    if (!files.copyWithoutReplacing(places.backupPath(name), temporary, error)) {
        files.remove(temporary);
        return false;
    }
    // The copy is what goes in place, so the copy is what is checked: the file under the
    // backup's name may have changed since the dialog looked at it.
    if (!IsSoundDatabase(temporary, error)) {
        files.remove(temporary);
        return false;
    }
    // A desk keeps its team library through a restore of a backup from before it had one. The
    // database being replaced may be damaged, which can be why it is restored: the restore
    // goes on without the library then.
    try {
        CarryTeamLibrary(database, temporary);
    } catch (const std::exception&) {
    }
    if (!files.flushToDisk(temporary, error)) {
        files.remove(temporary);
        return false;
    }
    for (Beside& file : beside) {
        if (!files.isFile(file.path))
            continue;
        if (!files.moveReplacing(file.path, file.setAside, error)) {
            putBack();
            return false;
        }
        file.moved = true;
    }
    if (!files.moveReplacing(temporary, database, error)) {
        putBack();
        return false;
    }
    for (const Beside& file : beside)
        if (file.moved)
            files.remove(file.setAside);
    return true;
}

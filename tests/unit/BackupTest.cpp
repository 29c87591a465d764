#include "TestSupport.h"

#include "backup/Backup.h"
#include "store/ConfigRecord.h"
#include "store/Connection.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <utility>

namespace {

using Lines = std::vector<std::string>;

// Hands out the given readings, one per call.
class ScriptedClock : public Clock {
public:
    DateTime now() override
    {
        if (readings.empty()) {
            ADD_FAILURE() << "the clock was read once more than expected";
            return 0;
        }
        const DateTime next = readings.front();
        readings.erase(readings.begin());
        return next;
    }
    std::vector<DateTime> readings;
};

// The real files, except that flush number `failingFlush` fails as on a full disk, with only a
// piece of the copy on the disk, and a move onto `failingMoveTarget` fails.
class FlakyFiles : public HostFiles {
public:
    bool flushToDisk(const std::string& path, std::string& error) override
    {
        if (++flushes != failingFlush)
            return HostFiles::flushToDisk(path, error);
        std::ofstream(path, std::ios::binary) << "partial";
        error = "磁盘空间不足";
        return false;
    }
    bool moveReplacing(const std::string& from, const std::string& to, std::string& error) override
    {
        if (to == failingMoveTarget) {
            error = "文件正被使用";
            return false;
        }
        return HostFiles::moveReplacing(from, to, error);
    }

    int flushes = 0;
    int failingFlush = 0;
    std::string failingMoveTarget;
};

DateTime At(int year, int month, int day, int hour, int minute, int second)
{
    return ToDateTime(CivilTime{year, month, day, hour, minute, second});
}

// Monday 4 May 2026 09:00:00, the last backup in most cases here.
const DateTime kMonday = At(2026, 5, 4, 9, 0, 0);

void WriteFile(const std::string& path, const std::string& content)
{
    std::ofstream(path, std::ios::binary) << content;
}

// Creates an SQLite file at `path` holding what `sql` makes.
void MakeDatabase(const std::string& path, const char* sql)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

// TDeadDay as the file at `path` holds it, read as the next start would.
std::string StoredStamp(const std::string& path)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* statement = nullptr;
    std::string stamp = "(unreadable)";
    if (sqlite3_prepare_v2(db, "select TDeadDay from Tconfig where TID=1", -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW) {
        const unsigned char* text = sqlite3_column_text(statement, 0);
        stamp = text ? reinterpret_cast<const char*>(text) : "";
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return stamp;
}

// Every row of TText and Tconfig in the file at `path`, one line each, as the next start reads them.
std::string Content(const std::string& path)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    std::string content;
    for (const char* sql : {"select * from TText order by ID", "select * from Tconfig order by TID"}) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK)
            content += std::string("(") + sqlite3_errmsg(db) + ")\n";
        while (statement && sqlite3_step(statement) == SQLITE_ROW) {
            for (int c = 0; c < sqlite3_column_count(statement); ++c) {
                const unsigned char* text = sqlite3_column_text(statement, c);
                content += std::string(text ? reinterpret_cast<const char*>(text) : "NULL") + "|";
            }
            content += "\n";
        }
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return content;
}

class BackupTest : public ::testing::Test {
protected:
    BackupTest()
    {
        conn.setConnectionText(ConnectionTextFor(folder.deliveredDatabase()));
        conn.connect();
    }

    // One exit with the clock giving `readings`, every one of which must be taken.
    void exitAt(const std::vector<DateTime>& readings)
    {
        clock.readings = readings;
        BackupAtExit(context);
        EXPECT_TRUE(clock.readings.empty()) << clock.readings.size() << " clock readings left";
    }
    Lines backups() { return files.backupNames(places.backupFolder()); }
    std::string deadDay()
    {
        Query query(conn);
        query.open("select TDeadDay from Tconfig where TID=1");
        return query.fieldText("TDeadDay");
    }
    std::string backupBytes(const std::string& name) { return folder.readFile("DatabackUp/" + name); }
    // What the program reads of a backup and of DB.mdb: the engine's copy holds the same rows,
    // not the same bytes (its header counts its own changes).
    std::string backupContent(const std::string& name) { return Content(places.backupPath(name)); }
    std::string databaseContent() { return Content(places.database()); }

    TempFolder folder;
    Connection conn;
    TConfigRecord config;
    ScriptedClock clock;
    FlakyFiles files;
    FakeBoxes boxes;
    BackupPlaces places{folder.path("")};
    BackupContext context{conn, config, places, clock, files, boxes};
};

std::string Notice(const std::string& text) { return "notice! " + text; }
const std::string kQuestion = "question 是否要备份数据库?";

} // namespace

TEST(BackupNames, NameStampAndPathsAreFormedFromTheMoment)
{
    const DateTime moment = At(2026, 5, 6, 14, 30, 15);
    EXPECT_EQ(BackupFileName(moment), "20260506143015Bk.bk");
    EXPECT_EQ(BackupFileName(moment).size(), 19u);
    // A reading a hair before the next second is that second, as the stamp shows it.
    const DateTime lateInTheYear = At(2026, 12, 31, 23, 59, 59) + 0.9999 / 86400;
    EXPECT_EQ(BackupFileName(lateInTheYear), "20270101000000Bk.bk");
    EXPECT_EQ(StampStatement(lateInTheYear), "Update Tconfig set TDeadDay='2027-01-01 00:00:00' where TID=1");
    EXPECT_EQ(StampStatement(moment), "Update Tconfig set TDeadDay='2026-05-06 14:30:15' where TID=1");

    EXPECT_EQ(BackupPlaces{"C:\\Tools\\"}.backupPath("x.bk"), "C:\\Tools\\DatabackUp\\x.bk");
    EXPECT_EQ(BackupPlaces{"C:\\Tools\\"}.database(), "C:\\Tools\\DB.mdb");
    EXPECT_EQ(BackupPlaces{"/tmp/x/"}.backupPath("x.bk"), "/tmp/x/DatabackUp/x.bk");
}

TEST_F(BackupTest, PeriodicBackupOnlyWhenMoreThanThePeriodHasPassed)
{
    config.TSaveDB = 1;
    config.TSaveDay = 7;
    config.TDeadDay = kMonday;
    exitAt({At(2026, 5, 11, 8, 0, 0)}); // 6 days 23 hours
    exitAt({At(2026, 5, 11, 9, 0, 0)}); // 7 days to the second
    exitAt({kMonday + 7});
    exitAt({At(2026, 5, 11, 9, 0, 0) + 0.4 / 86400}); // what the stamp would show as 7 days
    EXPECT_FALSE(files.isFolder(places.backupFolder()));
    EXPECT_TRUE(conn.connected());
    EXPECT_EQ(deadDay(), "");

    // 7 days and 1 second: the decision and the backup each read the clock; the name and the
    // stamp are the backup's one reading.
    exitAt({At(2026, 5, 11, 9, 0, 1), At(2026, 5, 11, 9, 0, 2)});
    EXPECT_FALSE(conn.connected());
    ASSERT_EQ(backups(), Lines{"20260511090002Bk.bk"});
    EXPECT_EQ(backupContent("20260511090002Bk.bk"), databaseContent());
    EXPECT_EQ(deadDay(), "2026-05-11 09:00:02");
    EXPECT_EQ(boxes.take(), Lines{});
}

TEST_F(BackupTest, NoBackupYetOrPeriodZeroBacksUpAtEveryExitIntoTheSameFolder)
{
    config.TSaveDB = 1;
    config.TSaveDay = 30;
    config.TDeadDay = 0; // TDeadDay empty in the row
    exitAt({kMonday, kMonday});
    config.TSaveDay = 0;
    config.TDeadDay = kMonday;
    const DateTime later = kMonday + 1.0 / 86400;
    exitAt({later, later});
    EXPECT_EQ(backups(), (Lines{"20260504090000Bk.bk", "20260504090001Bk.bk"}));
    EXPECT_EQ(deadDay(), "2026-05-04 09:00:01");
    EXPECT_EQ(boxes.take(), Lines{});
}

TEST_F(BackupTest, QuestionAtExitAndSwitchesOtherThanOne)
{
    // Switches off, or any value but 1: nothing is read, asked or copied.
    for (int value : {0, 2}) {
        config.TSaveDB = config.TASaveDB = value;
        exitAt({});
    }
    EXPECT_TRUE(conn.connected());
    EXPECT_EQ(boxes.take(), Lines{});

    config.TASaveDB = 1;
    boxes.answer = false;
    exitAt({});
    EXPECT_EQ(boxes.take(), Lines{kQuestion});
    EXPECT_TRUE(conn.connected());
    EXPECT_FALSE(files.isFolder(places.backupFolder()));
    EXPECT_EQ(deadDay(), "");

    boxes.answer = true;
    const DateTime moment = At(2026, 5, 6, 14, 30, 15);
    exitAt({moment});
    EXPECT_EQ(boxes.take(), Lines{kQuestion});
    EXPECT_EQ(backups(), Lines{"20260506143015Bk.bk"});
    EXPECT_EQ(deadDay(), "2026-05-06 14:30:15");
}

TEST_F(BackupTest, BothSwitchesOnAndDueMakeABackupThenAskForAnother)
{
    config.TSaveDB = config.TASaveDB = 1;
    config.TSaveDay = 7;
    config.TDeadDay = kMonday;
    const DateTime due = At(2026, 5, 12, 10, 0, 0);
    const DateTime second = due + 1.0 / 86400;
    exitAt({due, due, second});
    EXPECT_EQ(boxes.take(), Lines{kQuestion});
    EXPECT_EQ(backups(), (Lines{"20260512100000Bk.bk", "20260512100001Bk.bk"}));
    EXPECT_EQ(deadDay(), "2026-05-12 10:00:01");
    // The second copy holds the second stamp; the first, its own.
    EXPECT_EQ(backupContent("20260512100001Bk.bk"), databaseContent());
    EXPECT_NE(backupContent("20260512100000Bk.bk"), databaseContent());

    // Both copies within one second: the second takes the next second's name.
    const DateTime next = At(2026, 6, 1, 8, 0, 0);
    exitAt({next, next, next});
    EXPECT_EQ(backups().size(), 4u);
    EXPECT_EQ(StoredStamp(places.backupPath("20260601080000Bk.bk")), "2026-06-01 08:00:00");
    EXPECT_EQ(backupContent("20260601080001Bk.bk"), databaseContent());
}

TEST_F(BackupTest, AFailedCopyLeavesNoFileAndPutsTheLastBackupsStampBack)
{
    conn.execute(StampStatement(kMonday));
    config.TSaveDB = config.TASaveDB = 1;
    config.TSaveDay = 7;
    config.TDeadDay = kMonday;
    const DateTime due = At(2026, 5, 12, 10, 0, 0);
    files.failingFlush = 1;
    exitAt({due, due}); // the question is not asked after the failure
    EXPECT_EQ(boxes.take(), Lines{Notice("数据库备份失败,无法写入备份文件 20260512100000Bk.bk: 磁盘空间不足")});
    EXPECT_TRUE(files.isFolder(places.backupFolder()));
    EXPECT_EQ(backups(), Lines{});
    EXPECT_FALSE(conn.connected());
    EXPECT_EQ(deadDay(), "2026-05-04 09:00:00");

    // The first backup made, the second failing: the first one's stamp holds.
    const DateTime second = due + 1.0 / 86400;
    files.flushes = 0;
    files.failingFlush = 2;
    exitAt({due, due, second});
    EXPECT_EQ(boxes.take(),
              (Lines{kQuestion, Notice("数据库备份失败,无法写入备份文件 20260512100001Bk.bk: 磁盘空间不足")}));
    EXPECT_EQ(backups(), Lines{"20260512100000Bk.bk"});
    EXPECT_EQ(deadDay(), "2026-05-12 10:00:00");

    // The same, within one second: the first backup and its stamp stay.
    const DateTime later = At(2026, 6, 1, 8, 0, 0);
    files.flushes = 0;
    exitAt({later, later, later});
    boxes.take();
    EXPECT_EQ(backups(), (Lines{"20260512100000Bk.bk", "20260601080000Bk.bk"}));
    EXPECT_EQ(deadDay(), "2026-06-01 08:00:00");

    // With no backup before, the row keeps its empty value, which reads as 0.
    conn.execute("Update Tconfig set TDeadDay='' where TID=1");
    config.TDeadDay = 0;
    files.flushes = 0;
    files.failingFlush = 1;
    exitAt({due, due});
    boxes.take();
    EXPECT_EQ(deadDay(), "");
    TConfigRecord stored;
    stored.TDeadDay = 1;
    ASSERT_EQ(ReadConfigRecord(conn, stored), ConfigLoad::Loaded);
    EXPECT_EQ(stored.TDeadDay, 0);
}

TEST_F(BackupTest, AStampOrFolderFailureStopsTheExitWithANotice)
{
    config.TSaveDB = config.TASaveDB = 1;
    config.TSaveDay = 7;
    config.TDeadDay = kMonday;
    const DateTime due = At(2026, 5, 12, 10, 0, 0);
    // Another program holds the write lock on DB.mdb: the copy reads what is committed, but the
    // stamp, written after the copy, cannot be. The backup is there, and the next exit makes another.
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open_v2(places.database().c_str(), &other, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "begin immediate", nullptr, nullptr, nullptr), SQLITE_OK);
    exitAt({due, due});
    sqlite3_exec(other, "rollback", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    Lines shown = boxes.take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(
        shown[0].rfind(Notice("数据库已备份为 20260512100000Bk.bk,但无法记录备份时间,下次退出时将再备份一次: "), 0), 0u)
        << shown[0];
    EXPECT_EQ(backups(), Lines{"20260512100000Bk.bk"});
    EXPECT_EQ(deadDay(), "");

    // A file where the folder belongs: no copy, and the stamp stays.
    conn.execute(StampStatement(kMonday));
    std::filesystem::remove_all(places.backupFolder());
    WriteFile(places.backupFolder(), "not a folder");
    files.flushes = 0;
    exitAt({due});
    shown = boxes.take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].rfind(Notice("数据库备份失败,无法创建备份文件夹 " + places.backupFolder() + ": "), 0), 0u)
        << shown[0];
    EXPECT_EQ(files.flushes, 0);
    EXPECT_EQ(deadDay(), "2026-05-04 09:00:00");
}

TEST(RestoreCheck, OnlyADatabaseOfThisProgramIsSound)
{
    TempFolder folder;
    std::string reason;
    // Characters that mean something in a URI must reach the file system as they are.
    const std::string good = folder.deliveredDatabaseIn("备份 #1?%20");
    // A journal beside the file is neither played back nor touched: the file is checked as it
    // will be copied.
    const std::string journal = good + "-journal";
    WriteFile(journal, std::string(512, 'j'));
    const std::string before = folder.readFile("备份 #1?%20/DB.mdb");
    EXPECT_TRUE(IsSoundDatabase(good, reason)) << reason;
    EXPECT_EQ(folder.readFile("备份 #1?%20/DB.mdb"), before);
    EXPECT_EQ(folder.readFile("备份 #1?%20/DB.mdb-journal"), std::string(512, 'j'));

    const auto refused = [&reason](const std::string& path) {
        reason.clear();
        EXPECT_FALSE(IsSoundDatabase(path, reason)) << path;
        return reason;
    };
    EXPECT_EQ(refused(folder.path("missing.bk")), "无法打开文件");
    EXPECT_FALSE(HostFiles().isFile(folder.path("missing.bk")));

    WriteFile(folder.path("garbage.bk"), std::string(8192, 'x'));
    EXPECT_EQ(refused(folder.path("garbage.bk")), "文件不是有效的数据库");

    ASSERT_GT(before.size(), 4096u);
    WriteFile(folder.path("cut.bk"), before.substr(0, 4096));
    EXPECT_EQ(refused(folder.path("cut.bk")), "数据库文件已损坏");

    // Damage inside a page that the engine still reads: only the integrity check finds it.
    std::vector<std::string> many(500, "这是一条用来填满数据页的模板");
    for (size_t i = 0; i < many.size(); ++i)
        many[i] += std::to_string(i);
    TempFolder full;
    full.deliveredDatabase(many);
    std::string damaged = full.readFile("DB.mdb");
    const size_t middle = damaged.size() / 4096 / 2 * 4096;
    damaged.replace(middle + 2000, 100, 100, '\xFF');
    WriteFile(folder.path("damaged.bk"), damaged);
    EXPECT_EQ(refused(folder.path("damaged.bk")), "数据库文件已损坏");

    WriteFile(folder.path("empty.bk"), "");
    EXPECT_EQ(refused(folder.path("empty.bk")), "缺少表 TText");
    MakeDatabase(folder.path("other.bk"), "create table Other (ID integer); create table TText (ID, TText, TSortID)");
    EXPECT_EQ(refused(folder.path("other.bk")), "缺少表 Tconfig");
    const std::string older = folder.deliveredDatabaseIn("older");
    MakeDatabase(older, "alter table Tconfig drop column TSaveDay");
    EXPECT_EQ(refused(older), "表 Tconfig 缺少字段 TSaveDay");
}

TEST_F(BackupTest, RestorePutsTheBackupInPlaceOfTheDatabaseOrLeavesItAsItWas)
{
    TempFolder elsewhere;
    const std::string name = "20260506143015Bk.bk";
    elsewhere.deliveredDatabase({"您好", "再见"});
    const std::string backup = elsewhere.readFile("DB.mdb");
    std::string error;
    ASSERT_TRUE(files.makeFolder(places.backupFolder(), error));
    WriteFile(places.backupPath(name), backup);
    const std::string original = folder.readFile("DB.mdb");
    ASSERT_NE(original, backup);
    const std::string journal = places.database() + "-journal";
    const std::string temporary = places.database() + ".restoring";

    // The move fails: DB.mdb and its journal as before, no file left behind.
    WriteFile(journal, "old journal");
    WriteFile(temporary, "stale");
    files.failingMoveTarget = places.database();
    EXPECT_FALSE(RestoreBackup(conn, places, name, files, error));
    EXPECT_EQ(error, "文件正被使用");
    EXPECT_FALSE(conn.connected());
    EXPECT_EQ(folder.readFile("DB.mdb"), original);
    EXPECT_EQ(folder.readFile("DB.mdb-journal"), "old journal");
    EXPECT_FALSE(files.isFile(temporary));

    // The backup cannot be read.
    files.failingMoveTarget.clear();
    error.clear();
    EXPECT_FALSE(RestoreBackup(conn, places, "missing.bk", files, error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(folder.readFile("DB.mdb"), original);
    EXPECT_FALSE(files.isFile(temporary));

    WriteFile(temporary, "stale");
    conn.connect();
    EXPECT_TRUE(RestoreBackup(conn, places, name, files, error)) << error;
    EXPECT_FALSE(conn.connected());
    EXPECT_EQ(folder.readFile("DB.mdb"), backup);
    EXPECT_FALSE(files.isFile(journal));
    EXPECT_FALSE(files.isFile(temporary));
    EXPECT_FALSE(files.isFile(journal + ".restoring"));
    EXPECT_EQ(backupBytes(name), backup);
}

TEST_F(BackupTest, AStampLaterThanNowCountsAsDue)
{
    // The clock was set a year ahead for a while, and a backup was stamped then.
    config.TSaveDB = 1;
    config.TSaveDay = 7;
    config.TDeadDay = At(2027, 5, 4, 9, 0, 0);
    exitAt({kMonday, kMonday});
    EXPECT_EQ(backups(), Lines{"20260504090000Bk.bk"});
    EXPECT_EQ(deadDay(), "2026-05-04 09:00:00");
}

TEST_F(BackupTest, ABackupNeverReplacesNorRemovesAnotherOfTheSameName)
{
    conn.execute(StampStatement(kMonday));
    config.TSaveDB = config.TASaveDB = 1;
    config.TSaveDay = 7;
    config.TDeadDay = kMonday;
    // The clock was set back: this exit's moment already names a backup.
    const DateTime due = At(2026, 5, 12, 10, 0, 0);
    const std::string earlier = folder.readFile("DB.mdb");
    std::string error;
    ASSERT_TRUE(files.makeFolder(places.backupFolder(), error));
    WriteFile(places.backupPath("20260512100000Bk.bk"), earlier);

    files.failingFlush = 1;
    exitAt({due, due});
    const Lines shown = boxes.take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].rfind(Notice("数据库备份失败,无法写入备份文件 "), 0), 0u) << shown[0];
    EXPECT_EQ(backups(), Lines{"20260512100000Bk.bk"});
    EXPECT_TRUE(backupBytes("20260512100000Bk.bk") == earlier);
    EXPECT_EQ(deadDay(), "2026-05-04 09:00:00");

    // Two good backups within that second (or the repeated hour at the end of daylight saving):
    // each takes the next free second, and each file and the stamp hold its own moment.
    files.failingFlush = 0;
    exitAt({due, due, due});
    EXPECT_EQ(boxes.take(), Lines{kQuestion});
    EXPECT_EQ(backups(), (Lines{"20260512100000Bk.bk", "20260512100001Bk.bk", "20260512100002Bk.bk"}));
    EXPECT_TRUE(backupBytes("20260512100000Bk.bk") == earlier);
    EXPECT_EQ(StoredStamp(places.backupPath("20260512100001Bk.bk")), "2026-05-12 10:00:01");
    EXPECT_EQ(deadDay(), "2026-05-12 10:00:02");
    EXPECT_EQ(backupContent("20260512100002Bk.bk"), databaseContent());
}

namespace {

// The real files, but before each operation the program folder is saved as a kill at that
// moment would leave it on the disk; before a flush also with the file only half written, as a
// kill while the engine was still copying into it would.
class KilledFiles : public HostFiles {
public:
    explicit KilledFiles(std::string programFolder) : folder_(std::move(programFolder)) {}

    bool isFile(const std::string& path) override { return Saved(), HostFiles::isFile(path); }
    bool isFolder(const std::string& path) override { return Saved(), HostFiles::isFolder(path); }
    bool makeFolder(const std::string& path, std::string& error) override
    {
        return Saved(), HostFiles::makeFolder(path, error);
    }
    bool flushToDisk(const std::string& path, std::string& error) override
    {
        HalfWritten(path);
        return Saved(), HostFiles::flushToDisk(path, error);
    }
    bool moveWithoutReplacing(const std::string& from, const std::string& to, std::string& error) override
    {
        return Saved(), HostFiles::moveWithoutReplacing(from, to, error);
    }
    bool remove(const std::string& path) override { return Saved(), HostFiles::remove(path); }

    std::vector<std::unique_ptr<TempFolder>> kills;

private:
    void HalfWritten(const std::string& path)
    {
        Saved();
        std::ifstream in(path, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        ASSERT_EQ(path.rfind(folder_, 0), 0u) << path;
        WriteFile(kills.back()->path(path.substr(folder_.size())), bytes.substr(0, bytes.size() / 2));
    }
    bool Saved()
    {
        namespace fs = std::filesystem;
        kills.push_back(std::make_unique<TempFolder>());
        fs::copy(folder_, kills.back()->path(""), fs::copy_options::recursive);
        return true;
    }
    std::string folder_;
};

} // namespace

TEST_F(BackupTest, AKillAtAnyMomentLeavesTheStampNamingASoundBackupAndOnlyBackupsListed)
{
    conn.execute(StampStatement(kMonday));
    config.TSaveDB = 1;
    config.TSaveDay = 7;
    config.TDeadDay = kMonday;
    KilledFiles killed(folder.path(""));
    BackupContext killedContext{conn, config, places, clock, killed, boxes};
    clock.readings = {At(2026, 5, 12, 10, 0, 0), At(2026, 5, 12, 10, 0, 0), At(2026, 5, 12, 10, 0, 0)};
    BackupAtExit(killedContext);
    EXPECT_EQ(boxes.take(), Lines{});
    ASSERT_EQ(backups(), Lines{"20260512100000Bk.bk"});
    ASSERT_FALSE(killed.kills.empty());

    for (size_t k = 0; k < killed.kills.size(); ++k) {
        const TempFolder& kill = *killed.kills[k];
        const BackupPlaces at{kill.path("")};
        std::string reason;
        // The stamp is the last backup's, or names a complete backup holding that same moment.
        const std::string stamp = StoredStamp(at.database());
        if (stamp != "2026-05-04 09:00:00") {
            DateTime moment = 0;
            ASSERT_TRUE(ParseDateTime(stamp, moment)) << "kill " << k << ": " << stamp;
            const std::string named = at.backupPath(BackupFileName(moment));
            EXPECT_TRUE(IsSoundDatabase(named, reason)) << "kill " << k << ": " << named << " " << reason;
            EXPECT_EQ(StoredStamp(named), stamp) << "kill " << k;
        }
        HostFiles host;
        for (const std::string& name : host.backupNames(at.backupFolder()))
            EXPECT_TRUE(IsSoundDatabase(at.backupPath(name), reason)) << "kill " << k << ": " << name << " " << reason;

        // The next exit, due or not, leaves nothing but backups in the folder.
        Connection next;
        next.setConnectionText(ConnectionTextFor(at.database()));
        TConfigRecord off;
        ScriptedClock unread;
        BackupContext nextExit{next, off, at, unread, host, boxes};
        BackupAtExit(nextExit);
        EXPECT_EQ(boxes.take(), Lines{});
        namespace fs = std::filesystem;
        std::error_code none;
        for (const fs::directory_entry& entry : fs::directory_iterator(at.backupFolder(), none))
            EXPECT_EQ(entry.path().extension(), ".bk") << "kill " << k << ": " << entry.path();
    }
}

TEST_F(BackupTest, ABackupHoldsTheCommittedStateWhateverAnotherConnectionIsWriting)
{
    // Another connection (the team library's check) is part way through a large write: with a
    // small page cache the engine has already written some of its pages into DB.mdb, with the
    // journal beside it that would undo them; with a large one, none yet.
    struct Case {
        const char* what;
        int cachePages;
    };
    for (const Case& c :
         {Case{"pages of the write already in the file", 10}, Case{"the write still in memory", 100000}}) {
        SCOPED_TRACE(c.what);
        TempFolder app;
        const BackupPlaces at{app.path("")};
        std::vector<std::string> committed;
        for (int i = 0; i < 300; ++i)
            committed.push_back("已经存好的模板 " + std::to_string(i) + std::string(200, 'x'));
        app.deliveredDatabase(committed);
        sqlite3* writer = nullptr;
        ASSERT_EQ(sqlite3_open_v2(at.database().c_str(), &writer, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
        const std::string write = "pragma cache_size=" + std::to_string(c.cachePages) +
                                  "; begin immediate; update TText set TText = TText || '改'; "
                                  "insert into TText (TText, TSortID) select TText || '新', TSortID from TText;";
        ASSERT_EQ(sqlite3_exec(writer, write.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(writer);

        Connection desk;
        desk.setConnectionText(ConnectionTextFor(at.database()));
        config.TSaveDB = 1;
        config.TSaveDay = 7;
        config.TDeadDay = kMonday;
        clock.readings = {At(2026, 5, 12, 10, 0, 0), At(2026, 5, 12, 10, 0, 0)};
        BackupContext exiting{desk, config, at, clock, files, boxes};
        BackupAtExit(exiting);
        boxes.take(); // a busy file may be said; a broken backup may not be made
        sqlite3_exec(writer, "rollback", nullptr, nullptr, nullptr);
        sqlite3_close(writer);

        const std::string stamp = StoredStamp(at.database());
        for (const std::string& name : files.backupNames(at.backupFolder())) {
            std::string reason;
            EXPECT_TRUE(IsSoundDatabase(at.backupPath(name), reason)) << name << ": " << reason;
            sqlite3* backup = nullptr;
            sqlite3_open_v2(at.backupPath(name).c_str(), &backup, SQLITE_OPEN_READONLY, nullptr);
            sqlite3_stmt* count = nullptr;
            sqlite3_prepare_v2(backup, "select count(*), sum(TText like '%改') from TText", -1, &count, nullptr);
            ASSERT_EQ(sqlite3_step(count), SQLITE_ROW) << name << ": " << sqlite3_errmsg(backup);
            EXPECT_EQ(sqlite3_column_int(count, 0), 300) << name;
            EXPECT_EQ(sqlite3_column_int(count, 1), 0) << name;
            sqlite3_finalize(count);
            sqlite3_close(backup);
        }
        EXPECT_TRUE(stamp == "" || stamp == "2026-05-12 10:00:00") << stamp;
        if (stamp != "") {
            EXPECT_EQ(files.backupNames(at.backupFolder()), Lines{"20260512100000Bk.bk"});
        }
    }
}

TEST_F(BackupTest, RestoreChecksTheCopyItPutsInPlace)
{
    // The chosen backup was sound when the dialog checked it; by the time of the copy another
    // file lies under its name.
    const std::string name = "20260506143015Bk.bk";
    std::string error;
    ASSERT_TRUE(files.makeFolder(places.backupFolder(), error));
    WriteFile(places.backupPath(name), std::string(8192, 'x'));
    const std::string original = folder.readFile("DB.mdb");
    EXPECT_FALSE(RestoreBackup(conn, places, name, files, error));
    EXPECT_EQ(error, "文件不是有效的数据库");
    EXPECT_TRUE(folder.readFile("DB.mdb") == original);
    EXPECT_FALSE(files.isFile(places.database() + ".restoring"));
}

TEST_F(BackupTest, RestoreSetsAsideTheLogOfAWalFileLeftByAnotherTool)
{
    // Another SQLite tool switched DB.mdb to WAL and ended before a checkpoint: its change
    // lies only in DB.mdb-wal.
    conn.disconnect();
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(places.database().c_str(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    EXPECT_EQ(sqlite3_exec(db,
                           "pragma journal_mode=wal; pragma wal_autocheckpoint=0;"
                           "insert into TText (TText, TSortID) values ('日志里的模板', 9)",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    ASSERT_TRUE(files.isFile(places.database() + "-wal"));

    TempFolder elsewhere;
    elsewhere.deliveredDatabase({"备份里的模板"});
    const std::string backup = elsewhere.readFile("DB.mdb");
    std::string error;
    ASSERT_TRUE(files.makeFolder(places.backupFolder(), error));
    WriteFile(places.backupPath("x.bk"), backup);
    EXPECT_TRUE(RestoreBackup(conn, places, "x.bk", files, error)) << error;
    EXPECT_FALSE(files.isFile(places.database() + "-wal"));
    EXPECT_FALSE(files.isFile(places.database() + "-shm"));

    // The next start reads the backup as it is.
    conn.connect();
    Query query(conn);
    query.open("select TText from TText order by TSortID");
    ASSERT_EQ(query.recordCount(), 1);
    EXPECT_EQ(query.fieldText("TText"), std::string("备份里的模板"));
    conn.disconnect();
    EXPECT_TRUE(folder.readFile("DB.mdb") == backup);
}

TEST_F(BackupTest, AtTheEndOfTheSessionOnlyADueAutomaticBackupIsMadeAndNothingIsShown)
{
    conn.execute(StampStatement(kMonday));
    config.TASaveDB = 1;
    config.TSaveDay = 7;
    config.TDeadDay = kMonday;
    BackupAtSessionEnd(context); // the question policy alone: nothing asked, nothing copied
    config.TSaveDB = 1;
    const DateTime due = At(2026, 5, 12, 10, 0, 0);
    files.failingFlush = 1;
    clock.readings = {due, due};
    BackupAtSessionEnd(context);
    EXPECT_EQ(backups(), Lines{});
    EXPECT_EQ(deadDay(), "2026-05-04 09:00:00");
    clock.readings = {due, due};
    BackupAtSessionEnd(context);
    EXPECT_EQ(backups(), Lines{"20260512100000Bk.bk"});
    EXPECT_EQ(deadDay(), "2026-05-12 10:00:00");
    EXPECT_EQ(boxes.take(), Lines{});
    EXPECT_TRUE(clock.readings.empty());
}

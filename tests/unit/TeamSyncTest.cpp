// The desk's copy of the team library: when it is read, how it is replaced, what a failure
// leaves, when the next check comes, and what a backup and a restore do to it.
#include "TestSupport.h"

#include "backup/Backup.h"
#include "common/Text.h"
#include "store/ConfigRecord.h"
#include "store/Connection.h"
#include "store/TeamCache.h"
#include "templates/TeamSync.h"
#include "templates/TemplateList.h"

#include <gtest/gtest.h>

namespace {

using Templates = std::vector<TeamTemplate>;

// A server with a counter and templates; `failAt` makes the read fail after that many rows,
// `down` makes the connection fail.
class FakeSource : public TeamSource {
public:
    void connect() override
    {
        if (down)
            throw TeamFailure("无法连接服务器 db01。");
    }
    long long changeCounter() override { return counter; }
    void readTemplates(const std::function<void(TeamTemplate)>& take) override
    {
        ++reads;
        for (size_t i = 0; i < rows.size(); ++i) {
            if (failAt && i == *failAt)
                throw TeamFailure("读取团队模板时连接中断了。");
            take(rows[i]);
        }
    }

    long long counter = 1;
    Templates rows;
    std::optional<size_t> failAt;
    bool down = false;
    int reads = 0;
};

class FixedRandom : public RandomSource {
public:
    explicit FixedRandom(double value) : value_(value) {}
    double next() override { return value_; }

private:
    double value_;
};

// Templates as the server hands them over: ids not in order, sort numbers its own.
Templates Rows(const std::vector<std::string>& texts, long long firstId)
{
    Templates rows;
    for (const std::string& text : texts)
        rows.push_back({firstId--, text, 100});
    return rows;
}

// The same as the cache holds them: in the order handed over, numbered from 0.
Templates Cached(Templates rows)
{
    for (size_t i = 0; i < rows.size(); ++i)
        rows[i].sortId = static_cast<long long>(i);
    return rows;
}

const DateTime kNine = ToDateTime(CivilTime{2026, 12, 7, 9, 0, 0});
const DateTime kTen = ToDateTime(CivilTime{2026, 12, 7, 10, 0, 0});

class TeamSync : public ::testing::Test {
protected:
    TeamSync()
    {
        desk.setConnectionText(ConnectionTextFor(folder.deliveredDatabase({"本机的模板"})));
        ConnectTeamLibrary(desk, FakeProtector().protect("DSN=team"), "db01");
    }
    TeamCheck check(DateTime now = kNine) { return CheckTeamLibrary(desk, source, now); }
    TeamSettings settings() { return *ReadTeamSettings(desk); }
    std::string ownTemplates()
    {
        Query query(desk);
        query.open("select group_concat(TText, '|') as Texts from TText");
        return query.fieldText("Texts");
    }

    TempFolder folder;
    Connection desk;
    FakeSource source;
};

} // namespace

TEST_F(TeamSync, ReadsOnlyWhenTheCounterMovesAndThenReplacesTheCacheWholeInTheServersOrder)
{
    source.counter = 7;
    source.rows =
        Rows({"您好，这里是客服中心。", "谢谢 😀", std::string(3000, 'x') + "尾", "说 \"好的\"，然后'等'"}, 40);
    EXPECT_EQ(check().result, TeamCheckResult::Updated);
    EXPECT_EQ(ReadTeamCache(desk), Cached(source.rows));
    EXPECT_EQ(settings().counter, 7);
    EXPECT_EQ(settings().rows, 4);
    EXPECT_EQ(settings().lastSync, kNine);

    EXPECT_EQ(check(kTen).result, TeamCheckResult::Unchanged);
    EXPECT_EQ(source.reads, 1);
    EXPECT_EQ(settings().lastSync, kTen);

    source.counter = 8;
    source.rows = Rows({"新的第一条", "您好，这里是客服中心。"}, 90);
    Templates read;
    EXPECT_EQ(CheckTeamLibrary(desk, source, kNine, [&](const Templates& rows) { read = rows; }).result,
              TeamCheckResult::Updated);
    EXPECT_EQ(source.reads, 2);
    EXPECT_EQ(ReadTeamCache(desk), Cached(source.rows));
    EXPECT_EQ(read, ReadTeamCache(desk)) << "what the window is handed is what the cache then holds";
    EXPECT_EQ(settings().rows, 2);
    EXPECT_EQ(ownTemplates(), "本机的模板");
}

TEST_F(TeamSync, AFailureKeepsTheCacheAndRecordsOneSentenceUntilTheServerAnswersAgain)
{
    source.rows = Rows({"一", "二", "三"}, 3);
    ASSERT_EQ(check().result, TeamCheckResult::Updated);
    const Templates before = ReadTeamCache(desk);

    source.counter = 2;
    source.rows = Rows({"甲", "乙", "丙"}, 9);
    source.failAt = 2;
    const TeamCheck failed = check(kTen);
    EXPECT_EQ(failed.result, TeamCheckResult::Failed);
    EXPECT_EQ(failed.error, "读取团队模板时连接中断了。");
    EXPECT_EQ(ReadTeamCache(desk), before);
    EXPECT_EQ(settings().lastError, "读取团队模板时连接中断了。");
    EXPECT_EQ(settings().lastSync, kNine);
    EXPECT_EQ(settings().counter, 1);

    source.down = true;
    EXPECT_EQ(check(kTen).result, TeamCheckResult::Failed);
    EXPECT_EQ(settings().lastError, "无法连接服务器 db01。");
    EXPECT_EQ(ReadTeamCache(desk), before);

    source.down = false;
    source.failAt.reset();
    EXPECT_EQ(check(kTen).result, TeamCheckResult::Updated);
    EXPECT_EQ(settings().lastError, "");
    EXPECT_EQ(ReadTeamCache(desk), Cached(source.rows));
}

TEST_F(TeamSync, OnceTheCloseAsksToStopTheCheckWritesNothingAndAStoreUnderWayRollsBack)
{
    source.rows = Rows({"一", "二", "三"}, 3);
    ASSERT_EQ(check().result, TeamCheckResult::Updated);
    const Templates before = ReadTeamCache(desk);
    const TeamSettings settled = settings();

    // The stop comes with the n-th time the check asks: after the counter, after the read,
    // before the store, part way through it; or the server fails once the stop has come.
    struct Case {
        const char* when;
        int stopAtAsk;
        bool down;
    };
    std::vector<std::string> many;
    for (int i = 0; i < 2000; ++i)
        many.push_back("新的团队模板 " + std::to_string(i));
    for (const Case& c : {Case{"after the counter", 1, false}, Case{"after the read", 2, false},
                          Case{"before the store", 3, false}, Case{"half way through the store", 1003, false},
                          Case{"at the last row", 2003, false}, Case{"the server failed", 1, true}}) {
        SCOPED_TRACE(c.when);
        source.counter = 2;
        source.rows = Rows(many, 5000);
        source.down = c.down;
        int asks = 0, handed = 0;
        const TeamCheck stopped = CheckTeamLibrary(
            desk, source, kTen, [&](const Templates&) { ++handed; }, [&] { return ++asks >= c.stopAtAsk; });
        EXPECT_EQ(stopped.result, TeamCheckResult::Stopped);
        EXPECT_EQ(asks, c.stopAtAsk) << "the check went on asking after the stop";
        EXPECT_EQ(handed, c.stopAtAsk >= 3 ? 1 : 0);
        EXPECT_FALSE(desk.database().inTransaction());
        EXPECT_FALSE(HostFiles().isFile(folder.path("DB.mdb-journal")));
        EXPECT_EQ(ReadTeamCache(desk), before);
        EXPECT_EQ(settings().counter, settled.counter);
        EXPECT_EQ(settings().lastSync, settled.lastSync);
        EXPECT_EQ(settings().lastError, "");
    }
    source.down = false;
    EXPECT_EQ(check(kTen).result, TeamCheckResult::Updated);
    EXPECT_EQ(ReadTeamCache(desk), Cached(source.rows));
}

TEST_F(TeamSync, ADeskWithoutATeamLibraryAsksNothingAndTheNextCheckStaysWithinAFifthOfTheInterval)
{
    ASSERT_TRUE(RemoveTeamLibrary(desk));
    source.down = true;
    EXPECT_EQ(check().result, TeamCheckResult::NoLibrary);
    EXPECT_EQ(ownTemplates(), "本机的模板");

    FixedRandom lowest(0.0), middle(0.5), highest(0.999999);
    EXPECT_EQ(NextCheckDelayMs(300, lowest), 240000);
    EXPECT_EQ(NextCheckDelayMs(300, middle), 300000);
    EXPECT_LT(NextCheckDelayMs(300, highest), 360000);
    EXPECT_GE(NextCheckDelayMs(300, highest), 359999);
    EXPECT_EQ(NextCheckDelayMs(2000000000, middle), 86400000);
}

// The backup at exit copies DB.mdb whole, the team's cache and settings with it. A restore
// brings back that older cache and its older counter, so the next check reads the server again.
TEST_F(TeamSync, ABackupHoldsTheCacheAndAfterARestoreTheNextCheckBringsItUpToDate)
{
    source.counter = 3;
    source.rows = Rows({"备份时的团队模板"}, 5);
    ASSERT_EQ(check().result, TeamCheckResult::Updated);

    class OneReading : public Clock {
    public:
        DateTime now() override { return kNine; }
    } clock;
    HostFiles files;
    FakeBoxes boxes;
    TConfigRecord config;
    config.TSaveDB = 1;
    config.TSaveDay = 0;
    BackupPlaces places{folder.path("")};
    BackupContext context{desk, config, places, clock, files, boxes};
    BackupAtExit(context);
    const std::vector<std::string> backups = files.backupNames(places.backupFolder());
    ASSERT_EQ(backups.size(), 1u) << (boxes.shown.empty() ? "" : boxes.shown[0]);

    source.counter = 4;
    source.rows = Rows({"新发布的团队模板", "第二条"}, 8);
    ASSERT_EQ(check(kTen).result, TeamCheckResult::Updated);

    std::string error;
    ASSERT_TRUE(RestoreBackup(desk, places, backups[0], files, error)) << error;
    EXPECT_EQ(ReadTeamCache(desk), Cached(Rows({"备份时的团队模板"}, 5)));
    EXPECT_EQ(settings().counter, 3);
    EXPECT_EQ(FakeProtector().unprotect(settings().protectedConnection), "DSN=team");
    EXPECT_EQ(check(kTen).result, TeamCheckResult::Updated);
    EXPECT_EQ(ReadTeamCache(desk), Cached(source.rows));
    EXPECT_EQ(ownTemplates(), "本机的模板");
}

// A backup from before the desk joined the team library brings back the desk's own templates
// of then, and leaves the library as it is: no desk is taken off it by a restore.
TEST_F(TeamSync, ARestoreOfABackupFromBeforeTheTeamLibraryKeepsTheLibrary)
{
    source.counter = 7;
    source.rows = Rows({"团队模板"}, 2);
    ASSERT_EQ(check().result, TeamCheckResult::Updated);
    desk.execute("update TTeamConfig set TCheckSeconds=60");
    TempFolder before;
    HostFiles files;
    BackupPlaces places{folder.path("")};
    std::string error;
    ASSERT_TRUE(files.makeFolder(places.backupFolder(), error)) << error;
    ASSERT_TRUE(files.copyWithoutReplacing(before.deliveredDatabase({"以前的模板"}),
                                           places.backupPath("20260101120000Bk.bk"), error))
        << error;

    ASSERT_TRUE(RestoreBackup(desk, places, "20260101120000Bk.bk", files, error)) << error;
    EXPECT_EQ(ownTemplates(), "以前的模板");
    EXPECT_EQ(ReadTeamCache(desk), Cached(source.rows));
    EXPECT_EQ(settings().counter, 7);
    EXPECT_EQ(settings().checkSeconds, 60);
    EXPECT_EQ(FakeProtector().unprotect(settings().protectedConnection), "DSN=team");
    EXPECT_EQ(check(kTen).result, TeamCheckResult::Unchanged);
}

// A new password for the same server must not cost an offline desk its rows; another server's
// rows are no use to it.
TEST_F(TeamSync, ConnectingAgainKeepsTheCacheForTheSameServerAndEmptiesItForAnother)
{
    source.rows = Rows({"一", "二"}, 2);
    ASSERT_EQ(check().result, TeamCheckResult::Updated);
    ConnectTeamLibrary(desk, FakeProtector().protect("DSN=team;Pwd=new"), "db01");
    EXPECT_EQ(ReadTeamCache(desk), Cached(source.rows));
    EXPECT_EQ(settings().rows, 2);
    EXPECT_EQ(settings().lastSync, kNine);
    EXPECT_FALSE(settings().counter);
    ConnectTeamLibrary(desk, FakeProtector().protect("DSN=other"), "db02");
    EXPECT_EQ(ReadTeamCache(desk), Templates{});
    EXPECT_EQ(settings().rows, 0);
    EXPECT_EQ(settings().lastSync, 0);
}

namespace {

// The rows as the main window's list gets them, a "|" where the team's begin.
class MarkedRows : public ListedRows {
public:
    void clear() override { rows.clear(); }
    void add(std::string_view text) override { rows.emplace_back(text); }
    void teamRowsFollow() override { rows.emplace_back("|"); }
    std::vector<std::string> rows;
};

} // namespace

TEST_F(TeamSync, TheListShowsTheTeamsRowsAfterTheDesksOwnAndASearchCoversBoth)
{
    source.rows = Rows({"团队的模板 😀", "100% 团队", "第三条"}, 3);
    ASSERT_EQ(check().result, TeamCheckResult::Updated);
    TemplateList list(desk);
    MarkedRows shown;
    list.ShowAll(shown);
    EXPECT_EQ(shown.rows, (std::vector<std::string>{"本机的模板"})) << "the team's rows only once the window asks";
    list.setTeamLibrary(true);
    list.ShowAll(shown);
    EXPECT_EQ(shown.rows, (std::vector<std::string>{"本机的模板", "|", "团队的模板 😀", "100% 团队", "第三条"}));
    list.Search("的模板", shown);
    EXPECT_EQ(shown.rows, (std::vector<std::string>{"本机的模板", "|", "团队的模板 😀"}));
    list.Search("%", shown);
    EXPECT_EQ(shown.rows, (std::vector<std::string>{"|", "100% 团队"}));
}

TEST_F(TeamSync, TheTrayLineSaysOnlineOrOfflineWithTheLastSyncAndFitsItsRoom)
{
    source.rows = Rows({"一"}, 1);
    ASSERT_EQ(check().result, TeamCheckResult::Updated);
    EXPECT_EQ(TeamHintLine(settings(), 100), "团队模板：在线，最后同步 12-07 09:00");
    source.down = true;
    check(kTen);
    EXPECT_EQ(TeamHintLine(settings(), 100), "团队模板：离线，最后同步 12-07 09:00。无法连接服务器 db01。");
    RecordTeamFailure(desk, std::string(300, 'x'));
    const std::string cut = TeamHintLine(settings(), 100);
    EXPECT_EQ(CharacterCount(cut), 100);
    EXPECT_EQ(cut.substr(cut.size() - 3), "...");
}

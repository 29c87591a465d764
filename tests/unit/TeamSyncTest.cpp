// The desk's copy of the team library: when it is read, how it is replaced, what a failure
// leaves, when the next check comes, and what a backup and a restore do to it.
#include "TestSupport.h"

#include "backup/Backup.h"
#include "common/Text.h"
#include "store/ConfigRecord.h"
#include "store/Connection.h"
#include "store/TeamCache.h"
#include "templates/TeamDeadline.h"
#include "templates/TeamSync.h"
#include "templates/TemplateList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

using Templates = std::vector<TeamTemplate>;

// A server with a version and templates; `failAt` makes the read fail after that many rows,
// `down` makes the connection fail, `claimed` is what it says of its size when it lies.
class FakeSource : public TeamSource {
public:
    void connect() override
    {
        ++connects;
        if (down)
            throw TeamFailure("无法连接服务器 db01。");
    }
    TeamLibraryVersion version() override { return {counter, generation}; }
    TeamLibrarySize size() override
    {
        if (claimed)
            return *claimed;
        TeamLibrarySize size;
        for (const TeamTemplate& row : rows) {
            ++size.templates;
            size.bytes += static_cast<long long>(row.text.size());
            size.largestBytes = std::max(size.largestBytes, static_cast<long long>(row.text.size()));
        }
        return size;
    }
    void readTemplates(size_t textBytesAtMost, const std::function<bool(TeamTemplate)>& take) override
    {
        ++reads;
        for (size_t i = 0; i < rows.size(); ++i) {
            if (failAt && i == *failAt) {
                if (failWith)
                    failWith();
                throw TeamFailure("读取团队模板时连接中断了。");
            }
            if (beforeRow)
                beforeRow(i);
            TeamTemplate row = rows[i];
            // As the ODBC read does: a long text is not fetched whole.
            if (row.text.size() > textBytesAtMost + 1)
                row.text.resize(textBytesAtMost + 1);
            ++handed;
            if (!take(row))
                return;
        }
    }

    std::optional<TeamServerSets> sets() override { return serverSets; }
    TeamLibrarySize setSize(const TeamSetState& set) override
    {
        TeamLibrarySize size;
        for (const TeamTemplate& row : setRows[set.setId]) {
            ++size.templates;
            size.bytes += static_cast<long long>(row.text.size());
        }
        return size;
    }
    void readSet(const TeamSetState& set, size_t, const std::function<bool(TeamTemplate)>& take) override
    {
        ++setReads[set.setId];
        for (const TeamTemplate& row : setRows[set.setId])
            if (!take(row))
                return;
    }
    TeamUploadResult upload(const TeamUsageUpload& counts) override
    {
        // The server's key on (desk, upload): a repeat of one committed adds nothing.
        if (uploads.count(counts.uploadId)) {
            if (uploadFails)
                throw TeamFailure("连接中断了。");
            return TeamUploadResult::AlreadyThere;
        }
        if (uploadFails && !committedBeforeFailing)
            throw TeamFailure("连接中断了。");
        uploads[counts.uploadId] = counts.counts;
        if (uploadFails)
            throw TeamFailure("连接在提交之后中断了。");
        return TeamUploadResult::Added;
    }

    long long counter = 1;
    std::string generation = "甲代";
    std::optional<TeamServerSets> serverSets; // none: a server made by an older build
    std::map<long long, Templates> setRows;
    std::map<long long, int> setReads;
    std::map<std::string, std::vector<TeamUsageCount>> uploads;
    bool uploadFails = false, committedBeforeFailing = false;
    Templates rows;
    std::optional<size_t> failAt;
    std::function<void()> failWith; // throws something else than TeamFailure
    std::optional<TeamLibrarySize> claimed;
    std::function<void(size_t)> beforeRow; // a server that stalls
    bool down = false;
    int connects = 0;
    int reads = 0;
    size_t handed = 0;
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
        ConnectTeamLibrary(desk, FakeProtector().protect("DSN=team"), "db01", "dsn=\"team\";");
    }
    TeamCheck check(DateTime now = kNine) { return CheckTeamLibrary(desk, source, now); }
    TeamSettings settings() { return *ReadTeamSettings(desk); }
    std::optional<long long> counter()
    {
        const std::optional<TeamLibraryVersion> version = settings().version;
        return version ? std::optional<long long>(version->counter) : std::nullopt;
    }
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
    EXPECT_EQ(counter(), 7);
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
    EXPECT_EQ(counter(), 1);

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
        EXPECT_EQ(settings().version, settled.version);
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
    EXPECT_EQ(counter(), 3);
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
    EXPECT_EQ(counter(), 7);
    EXPECT_EQ(settings().checkSeconds, 60);
    EXPECT_EQ(FakeProtector().unprotect(settings().protectedConnection), "DSN=team");
    EXPECT_EQ(check(kTen).result, TeamCheckResult::Unchanged);
}

// A new password for the same connection must not cost an offline desk its rows; another
// database's rows, even on the same server, are no use to it.
TEST_F(TeamSync, ConnectingAgainKeepsTheCacheForTheSameConnectionAndEmptiesItForAnother)
{
    source.rows = Rows({"一", "二"}, 2);
    ASSERT_EQ(check().result, TeamCheckResult::Updated);
    ConnectTeamLibrary(desk, FakeProtector().protect("DSN=team;Pwd=new"), "db01", "dsn=\"team\";");
    EXPECT_EQ(ReadTeamCache(desk), Cached(source.rows));
    EXPECT_EQ(settings().rows, 2);
    EXPECT_EQ(settings().lastSync, kNine);
    EXPECT_FALSE(counter());
    ConnectTeamLibrary(desk, FakeProtector().protect("DSN=team;Database=other"), "db01",
                       "database=\"other\";dsn=\"team\";");
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
    // While usage is counted the desk says so whole, on a line of its own; the line above gives way.
    RecordTeamUsageSwitch(desk, true);
    const std::string counted = TeamHintLine(settings(), 100);
    EXPECT_EQ(CharacterCount(counted), 100);
    EXPECT_EQ(counted.substr(counted.size() - std::string(kTeamUsageSentence).size() - 4),
              std::string("...\n") + kTeamUsageSentence);
}

// --- The server is untrusted: what a desk takes from it ------------------------------------

namespace {

std::string CachedTexts(const Templates& rows)
{
    std::string texts;
    for (const TeamTemplate& row : rows)
        texts += (texts.empty() ? "" : "|") + row.text;
    return texts;
}

} // namespace

// A row changed on the server by plain SQL must not type into the customer's window: a
// backspace erases the agent's draft, Ctrl+V pastes the clipboard, a bidirectional override
// shows a link as another host. Such rows are left out, the rest used, and the check says so.
TEST_F(TeamSync, RowsTheCharacterRuleRefusesAreLeftOutAndTheCheckSaysHowMany)
{
    const std::string erasing = "团队：已为您处理" + std::string(30, '\b') + "\x16";
    const std::string reversed = "www.\xE2\x80\xAEnc.elpmaxe-lanigiro\xE2\x80\xAC.com";        // U+202E … U+202C
    const std::string c1 = "团队：\xC2\x85下一行";                                             // U+0085
    const std::string kept = "第一行\r\n第二行\t制表 👨\xE2\x80\x8D👩 \xE2\x9D\xA4\xEF\xB8\x8F"; // ZWJ, VS16
    struct Case {
        const char* name;
        std::vector<std::string> server;
        std::string listed;
        std::string note;
    };
    const Case cases[] = {
        {"backspaces and Ctrl+V",
         {"团队：您好", erasing, "团队：再见"},
         "团队：您好|团队：再见",
         "团队模板中有 1 条含控制字符的模板没有使用，请组长改正后重新发布"},
        {"bidirectional override and a C1 control",
         {reversed, kept, c1},
         kept,
         "团队模板中有 2 条含控制字符的模板没有使用，请组长改正后重新发布"},
        {"only tabs, line breaks, joiners and variation selectors", {kept, "团队：您好"}, kept + "|团队：您好", ""},
        {"every row refused", {erasing}, "", "团队模板中有 1 条含控制字符的模板没有使用，请组长改正后重新发布"},
    };
    long long counter = 10;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        source.counter = ++counter;
        source.rows = Rows(c.server, 50);
        Templates handed;
        const int readsBefore = source.reads;
        ASSERT_EQ(CheckTeamLibrary(desk, source, kNine, [&](const Templates& rows) { handed = rows; }).result,
                  TeamCheckResult::Updated);
        EXPECT_EQ(CachedTexts(handed), c.listed) << "what the window lists at once";
        EXPECT_EQ(CachedTexts(ReadTeamCache(desk)), c.listed);
        EXPECT_EQ(settings().note, c.note);
        EXPECT_EQ(settings().lastError, "");
        EXPECT_EQ(TeamHintLine(settings(), 120),
                  "团队模板：在线，最后同步 12-07 09:00" + (c.note.empty() ? "" : "。" + c.note));
        // Not read again while the version stays, even when nothing was left to cache.
        EXPECT_EQ(check(kTen).result, TeamCheckResult::Unchanged);
        EXPECT_EQ(source.reads, readsBefore + 1);
        EXPECT_EQ(settings().note, c.note);
    }
}

// Limits on a row, the row count and the total: a library over them is refused whole, before
// it is fetched when the server's measure shows it, else as soon as the read passes a limit;
// the cache stays, and that version is not read again.
TEST_F(TeamSync, ALibraryOverTheLimitsIsRefusedWholeAndNotReadAgainUntilItsVersionChanges)
{
    const TeamLimits limits{12, 3, 30}; // bytes in a row, rows, bytes in all
    const std::string kept = "团队：旧";
    source.rows = Rows({kept}, 1);
    ASSERT_EQ(check().result, TeamCheckResult::Updated);

    const std::string tooLong = "团队模板库中有模板超过 12 字节，整个库没有使用，仍用上次取回的团队模板";
    const std::string tooMany = "团队模板库超过 3 条模板，整个库没有使用，仍用上次取回的团队模板";
    const std::string tooLarge = "团队模板库的文字超过 30 字节，整个库没有使用，仍用上次取回的团队模板";
    const std::string twelve = "123456789012";
    struct Case {
        const char* name;
        std::vector<std::string> server;
        bool lies;            // the server says it is small
        std::string sentence; // empty: taken
        size_t handedAtMost;  // rows fetched before the read stopped
    };
    const Case cases[] = {
        {"a row one byte too long", {"a", twelve + "3"}, false, tooLong, 0},
        {"one row too many", {"1", "2", "3", "4"}, false, tooMany, 0},
        {"one byte too many in all", {twelve, twelve, "1234567"}, false, tooLarge, 0},
        {"a long row the server hides", {"a", std::string(100000, 'x'), "c"}, true, tooLong, 2},
        {"many rows the server hides", std::vector<std::string>(50, "行"), true, tooMany, 4},
        {"a large library the server hides", std::vector<std::string>(20, twelve), true, tooLarge, 3},
        {"exactly at every limit", {twelve, twelve, "123456"}, false, "", 3},
    };
    long long counter = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        source.counter = ++counter;
        source.rows = Rows(c.server, 9);
        source.claimed = c.lies ? std::optional<TeamLibrarySize>(TeamLibrarySize{1, 1, 1}) : std::nullopt;
        source.handed = 0;
        const TeamCheck first = CheckTeamLibrary(desk, source, kTen, {}, {}, limits);
        EXPECT_LE(source.handed, c.handedAtMost);
        if (c.sentence.empty()) {
            EXPECT_EQ(first.result, TeamCheckResult::Updated);
            EXPECT_EQ(CachedTexts(ReadTeamCache(desk)), twelve + "|" + twelve + "|123456");
            EXPECT_FALSE(settings().refused);
            continue;
        }
        EXPECT_EQ(first.result, TeamCheckResult::Failed);
        EXPECT_EQ(first.error, c.sentence);
        EXPECT_EQ(CachedTexts(ReadTeamCache(desk)), kept);
        EXPECT_EQ(settings().lastError, c.sentence);
        EXPECT_EQ(settings().lastSync, kNine);
        EXPECT_EQ(TeamHintLine(settings(), 120), "团队模板：未更新，最后同步 12-07 09:00。" + c.sentence);

        // The same version after a network failure: not read again, and the sentence is back.
        source.down = true;
        check(kTen);
        source.down = false;
        const int reads = source.reads;
        source.handed = 0;
        EXPECT_EQ(CheckTeamLibrary(desk, source, kTen, {}, {}, limits).error, c.sentence);
        EXPECT_EQ(source.reads, reads);
        EXPECT_EQ(source.handed, 0u);
        EXPECT_EQ(settings().lastError, c.sentence);
    }
    // A new version within the limits is taken, and the refusal forgotten.
    source.counter = ++counter;
    source.rows = Rows({"新的"}, 3);
    source.claimed.reset();
    EXPECT_EQ(CheckTeamLibrary(desk, source, kTen, {}, {}, limits).result, TeamCheckResult::Updated);
    EXPECT_EQ(CachedTexts(ReadTeamCache(desk)), "新的");
    EXPECT_FALSE(settings().refused);
    EXPECT_EQ(settings().lastError, "");
}

// No failure of a check goes unsaid: a lack of memory, anything the source throws.
TEST_F(TeamSync, EveryFailureOfACheckIsRecordedAsOneSentence)
{
    source.rows = Rows({"一", "二"}, 2);
    ASSERT_EQ(check().result, TeamCheckResult::Updated);
    struct Case {
        const char* name;
        std::function<void()> fail;
        std::string sentence;
    };
    const Case cases[] = {
        {"memory", [] { throw std::bad_alloc(); }, "读取团队模板库时内存不够，这次没有使用，仍用上次取回的团队模板"},
        {"anything else", [] { throw std::length_error("vector"); }, "检查团队模板库时出错（vector）"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        source.counter += 1;
        source.failAt = 1;
        source.failWith = c.fail;
        const TeamCheck failed = check(kTen);
        EXPECT_EQ(failed.result, TeamCheckResult::Failed);
        EXPECT_EQ(failed.error, c.sentence);
        EXPECT_EQ(settings().lastError, c.sentence);
        EXPECT_EQ(CachedTexts(ReadTeamCache(desk)), "一|二");
    }
}

// The counter alone comes back after the tables are made again or the server's database is
// restored; the generation does not. A server without one (an older build's tables) is compared
// by its counter, as before.
TEST_F(TeamSync, TheVersionIsTheCounterWithTheGeneration)
{
    struct Step {
        long long counter;
        std::string generation;
        TeamCheckResult expected;
    };
    const Step steps[] = {
        {5, "", TeamCheckResult::Updated}, // an older build's tables
        {5, "", TeamCheckResult::Unchanged},
        {5, "甲", TeamCheckResult::Updated}, // init or publish gave it one
        {5, "甲", TeamCheckResult::Unchanged},
        {5, "乙", TeamCheckResult::Updated}, // tables dropped, init, five publishes
        {3, "甲", TeamCheckResult::Updated}, // an older backup restored on the server
        {3, "甲", TeamCheckResult::Unchanged},
    };
    int reads = 0;
    for (const Step& step : steps) {
        SCOPED_TRACE(std::to_string(step.counter) + step.generation);
        source.counter = step.counter;
        source.generation = step.generation;
        source.rows = Rows({"第 " + std::to_string(reads) + " 次读到的"}, 1);
        EXPECT_EQ(check().result, step.expected);
        if (step.expected == TeamCheckResult::Updated)
            ++reads;
        EXPECT_EQ(source.reads, reads);
        EXPECT_EQ(settings().version, (TeamLibraryVersion{step.counter, step.generation}));
    }
}

namespace {

// A server that stops answering before a chosen row until the test lets it go on.
class Stall {
public:
    std::function<void(size_t)> at(size_t row)
    {
        return [this, row](size_t i) {
            if (i != row)
                return;
            std::unique_lock<std::mutex> lock(mutex_);
            released_.wait(lock, [&] { return let_; });
        };
    }
    void letGo()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        let_ = true;
        released_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable released_;
    bool let_ = false;
};

bool NoneLeftWaiting()
{
    for (int i = 0; i < 500 && DeadlineSource::LeftWaiting() > 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return DeadlineSource::LeftWaiting() == 0;
}

} // namespace

// A server that answers one byte at a time is bounded by the check's deadline, not by the
// driver: the check gives up with one sentence, the next one goes on, and the rows the given-up
// read still brings reach nothing. Calls left waiting are bounded too.
TEST_F(TeamSync, AServerSlowerThanTheDeadlineCostsOneSentenceAndTheNextCheckGoesOn)
{
    source.rows = Rows({"旧"}, 1);
    ASSERT_EQ(check().result, TeamCheckResult::Updated);
    ASSERT_TRUE(NoneLeftWaiting());

    Stall stall;
    auto slow = std::make_shared<FakeSource>();
    slow->counter = 2;
    slow->rows = Rows({"慢一", "慢二", "慢三"}, 9);
    slow->beforeRow = stall.at(1);
    const auto started = std::chrono::steady_clock::now();
    DeadlineSource slowWithin(slow, std::chrono::milliseconds(300));
    const TeamCheck given = CheckTeamLibrary(desk, slowWithin, kTen);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(3));
    EXPECT_EQ(given.result, TeamCheckResult::Failed);
    const std::string sentence = "数据库服务器 300 毫秒内没有答完，这次检查放弃了，下次照常检查";
    EXPECT_EQ(given.error, sentence);
    EXPECT_EQ(settings().lastError, sentence);
    EXPECT_EQ(CachedTexts(ReadTeamCache(desk)), "旧");
    EXPECT_EQ(DeadlineSource::LeftWaiting(), 1);

    auto fast = std::make_shared<FakeSource>();
    fast->counter = 3;
    fast->rows = Rows({"新"}, 4);
    DeadlineSource fastWithin(fast, std::chrono::seconds(5));
    EXPECT_EQ(CheckTeamLibrary(desk, fastWithin, kTen).result, TeamCheckResult::Updated);
    EXPECT_EQ(settings().lastError, "");

    // Calls left waiting hold a thread and a connection each: past a few, a check does not
    // connect again.
    std::vector<std::shared_ptr<FakeSource>> stuck;
    for (int i = 1; i < DeadlineSource::kMostLeftWaiting; ++i) {
        stuck.push_back(std::make_shared<FakeSource>());
        stuck.back()->counter = 10 + i;
        stuck.back()->rows = Rows({"卡住"}, 1);
        stuck.back()->beforeRow = stall.at(0);
        DeadlineSource within(stuck.back(), std::chrono::milliseconds(50));
        EXPECT_EQ(CheckTeamLibrary(desk, within, kTen).result, TeamCheckResult::Failed);
    }
    EXPECT_EQ(DeadlineSource::LeftWaiting(), DeadlineSource::kMostLeftWaiting);
    auto next = std::make_shared<FakeSource>();
    DeadlineSource nextWithin(next, std::chrono::seconds(5));
    EXPECT_EQ(CheckTeamLibrary(desk, nextWithin, kTen).error,
              "数据库服务器还没有答完前几次检查，这次没有再连接，下次照常检查");
    EXPECT_EQ(next->connects, 0);

    stall.letGo();
    EXPECT_TRUE(NoneLeftWaiting());
    EXPECT_EQ(slow->handed, 2u) << "the row read after the deadline went nowhere, and the read stopped";
    EXPECT_EQ(CachedTexts(ReadTeamCache(desk)), "新");
}

// A desk listing two sets of a server that has four: only a set whose version moved is read,
// the cache lists the chosen sets in the desk's order, a set gone from the server goes from
// the desk with one sentence, the limits hold over the sets together, and an older server
// still serves the default set.
TEST_F(TeamSync, TheChosenSetsAreListedInTheDesksOrderAndOnlyASetThatMovedIsReadAgain)
{
    ConnectTeamLibrary(desk, FakeProtector().protect("DSN=team"), "db01", "dsn=\"team\";", {"售后", "售前"}, "desk1");
    const auto numbered = [](std::vector<std::string> texts, long long first) {
        Templates rows;
        for (std::string& text : texts)
            rows.push_back({first, std::move(text), 0, 0, 0}), ++first;
        return rows;
    };
    source.serverSets = TeamServerSets{{{1, "默认", {5, "g1"}, 3, 0},
                                        {2, "售前", {1, "g2"}, 1, 0},
                                        {3, "售后", {4, "g3"}, 2, 0},
                                        {4, "退换货", {1, "g4"}, 1, 0}},
                                       false};
    source.setRows = {{1, numbered({"默认一"}, 1)},
                      {2, numbered({"前一", "前二"}, 1)},
                      {3, numbered({"后一"}, 7)},
                      {4, numbered({"退一"}, 1)}};
    const auto set = [&](long long id) -> TeamSetState& { return source.serverSets->sets[id - 1]; };
    struct Step {
        const char* what;
        std::function<void()> change;
        TeamCheckResult result;
        std::string listed;             // the cache, in order
        std::map<long long, int> reads; // of each set, all steps together
        std::string note;
        TeamLimits limits;
    };
    const Step steps[] = {
        {"the first check reads both, 售后 first", [] {}, TeamCheckResult::Updated, "后一|前一|前二", {{2, 1}, {3, 1}}},
        {"nothing moved", [] {}, TeamCheckResult::Unchanged, "后一|前一|前二", {{2, 1}, {3, 1}}},
        {"another set moved",
         [&] { set(4).version.counter = 2; },
         TeamCheckResult::Unchanged,
         "后一|前一|前二",
         {{2, 1}, {3, 1}}},
        {"售前 published anew",
         [&] {
             set(2).version = {2, "g2b"};
             set(2).versionNo = 2;
             source.setRows[2] = numbered({"前二", "前三"}, 2);
         },
         TeamCheckResult::Updated,
         "后一|前二|前三",
         {{2, 2}, {3, 1}}},
        {"over the limits together, not one alone",
         [&] {
             set(3).version = {5, "g3b"};
             set(3).versionNo = 3;
             source.setRows[3] = numbered({"后一", "后二"}, 7);
         },
         TeamCheckResult::Failed,
         "后一|前二|前三",
         {{2, 2}, {3, 1}},
         "",
         TeamLimits{kMaxTemplateBytes, 3}},
        {"refused, not read again",
         [] {},
         TeamCheckResult::Failed,
         "后一|前二|前三",
         {{2, 2}, {3, 1}},
         "",
         TeamLimits{kMaxTemplateBytes, 3}},
        {"published again, within the limits",
         [&] {
             set(3).version = {6, "g3c"};
             set(3).versionNo = 4;
         },
         TeamCheckResult::Updated,
         "后一|后二|前二|前三",
         {{2, 2}, {3, 2}}},
        {"售前 removed from the server",
         [&] { source.serverSets->sets.erase(source.serverSets->sets.begin() + 1); },
         TeamCheckResult::Updated,
         "后一|后二",
         {{2, 2}, {3, 2}},
         "服务器上没有模板组「售前」，这里不列出它的模板"},
        {"an older server: the default set only",
         [&] {
             source.serverSets.reset();
             source.rows = Rows({"旧库一"}, 9);
         },
         TeamCheckResult::Updated,
         "",
         {{2, 2}, {3, 2}},
         "服务器上没有模板组「售后」「售前」"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.change();
        const TeamCheck checked = CheckTeamLibrary(desk, source, kNine, {}, {}, step.limits);
        EXPECT_EQ(checked.result, step.result) << checked.error;
        const Templates cached = ReadTeamCache(desk);
        EXPECT_EQ(CachedTexts(cached), step.listed);
        EXPECT_EQ(source.setReads, step.reads);
        EXPECT_NE(settings().note.find(step.note), std::string::npos) << settings().note;
        for (size_t i = 0; i < cached.size(); ++i)
            EXPECT_EQ(cached[i].sortId, static_cast<long long>(i));
        // Each row keeps its set and number, for the hint and the counts.
        if (const std::optional<TeamRowOrigin> origin = FindTeamRow(desk, "后二")) {
            EXPECT_EQ(origin->setName, "售后");
            EXPECT_EQ(origin->templateNo, 8);
        }
    }
    ConnectTeamLibrary(desk, FakeProtector().protect("DSN=team"), "db01", "dsn=\"team\";", {}, "other");
    ASSERT_EQ(check().result, TeamCheckResult::Updated);
    EXPECT_EQ(CachedTexts(ReadTeamCache(desk)), "旧库一");
    EXPECT_EQ(settings().deskId, "desk1") << "the same library keeps the desk's name";
    EXPECT_EQ(ReadTeamCache(desk)[0].templateNo, 0) << "an older server's rows are not counted";
}

// Usage counts reach the server once: an upload whose answer is lost is repeated under its
// name and found there; one that failed before its commit is added whole at the next try.
TEST_F(TeamSync, AnUploadOfUsageCountsIsRepeatedWholeUnderItsNameAndNeverAddedTwice)
{
    // A desk an older build set up has no name yet: its first upload makes one.
    desk.execute("update TTeamConfig set TDeskID=NULL");
    source.serverSets = TeamServerSets{{{1, "默认", {1, "g"}, 1, 0}}, true};
    source.setRows = {{1, {{11, "您好", 0, 0, 0}, {12, "再见", 0, 0, 0}}}};
    ASSERT_EQ(check().result, TeamCheckResult::Updated);
    ASSERT_TRUE(settings().usage);
    const DateTime day1 = kNine, day2 = kNine + 1;
    for (const auto& [no, day] : {std::pair{11LL, day1}, {11LL, day1}, {12LL, day2}})
        CountTeamSend(desk, kDefaultTeamSetId, no, day);
    int ids = 0;
    const auto newId = [&ids] { return "up" + std::to_string(++ids); };
    const std::vector<TeamUsageCount> first = {{"2026-12-07", 1, 11, 2}, {"2026-12-08", 1, 12, 1}};
    const std::vector<TeamUsageCount> later = {{"2026-12-08", 1, 12, 1}};
    struct Step {
        const char* what;
        bool fails, committed;
        bool reached;
        std::map<std::string, std::vector<TeamUsageCount>> onServer;
    };
    const Step steps[] = {
        {"fails before the commit", true, false, false, {}},
        {"the answer lost after the commit", true, true, false, {{"up2", first}}},
        {"the repeat finds it there", false, false, true, {{"up2", first}}},
        {"a count made meanwhile goes next", false, false, true, {{"up2", first}, {"up3", later}}},
        {"nothing left to send", false, false, false, {{"up2", first}, {"up3", later}}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        source.uploadFails = step.fails;
        source.committedBeforeFailing = step.committed;
        EXPECT_EQ(UploadTeamUsage(desk, source, newId), step.reached);
        EXPECT_EQ(source.uploads, step.onServer);
        if (step.what == steps[0].what)
            CountTeamSend(desk, kDefaultTeamSetId, 12, day2); // while the upload is sealed: the next one
    }
    EXPECT_EQ(ids, 3) << "the desk's name, then one per upload, kept across its tries";
    EXPECT_EQ(settings().deskId, "up1");

    // Bounded: a desk offline for months keeps the last 90 days; counting off drops them.
    CountTeamSend(desk, kDefaultTeamSetId, 11, day1);
    CountTeamSend(desk, kDefaultTeamSetId, 11, day1 + 91);
    EXPECT_EQ(SealTeamUsage(desk, newId)->counts, (std::vector<TeamUsageCount>{{"2027-03-08", 1, 11, 1}}));
    source.serverSets->usage = false;
    ASSERT_EQ(check(kTen).result, TeamCheckResult::Unchanged);
    CountTeamSend(desk, kDefaultTeamSetId, 11, day1 + 91);
    EXPECT_FALSE(SealTeamUsage(desk, newId));
}

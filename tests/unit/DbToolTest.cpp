// VelmoraDb: its CSV files, and its commands on real database files.
#include "Commands.h"
#include "ConnectionText.h"
#include "Csv.h"
#include "Platform.h"
#include "TemplateIntake.h"
#include "store/Connection.h"
#include "store/TeamCache.h"
#include "store/TeamError.h"
#include "TestSupport.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <utility>

namespace {

using Rows = std::vector<std::vector<std::string>>;

Rows Fields(const std::vector<CsvRow>& rows)
{
    Rows fields;
    for (const CsvRow& row : rows)
        fields.push_back(row.fields);
    return fields;
}

TEST(DbToolCsv, QuotesCommasAndLineBreaksInsideFieldsComeBackAsWritten)
{
    const Rows written = {{"TText"}, {"a,b"}, {"say \"hi\""}, {"第一行\r\n第二行"}, {""}, {"plain", "two"}};
    std::string file;
    for (const auto& fields : written)
        file += CsvRecord(fields);
    EXPECT_EQ(CsvRecord({"say \"hi\"", ""}), "\"say \"\"hi\"\"\",\"\"\r\n");

    std::vector<CsvRow> rows;
    CsvError error;
    ASSERT_TRUE(ReadCsv(file, rows, error)) << error.reason;
    EXPECT_EQ(Fields(rows), written);
    // The row after the one with a line break in it starts two lines further on.
    EXPECT_EQ(rows[3].line, 4);
    EXPECT_EQ(rows[4].line, 6);
}

TEST(DbToolCsv, ByteOrderMarkAndBareLineFeedsAreRead)
{
    std::vector<CsvRow> rows;
    CsvError error;
    ASSERT_TRUE(ReadCsv(std::string(kUtf8ByteOrderMark) + "TText\n你好\n\"a\nb\"", rows, error));
    EXPECT_EQ(Fields(rows), (Rows{{"TText"}, {"你好"}, {"a\nb"}}));
}

TEST(DbToolCsv, UnreadableRowsNameTheirLine)
{
    const std::pair<std::string, int> cases[] = {
        {"TText\r\nok\r\n\"cut short\r\nhere", 3}, // the last row ends inside its quotes
        {"TText\r\nok\r\nsay \"hi\"\r\n", 3},      // a quote in a field without quotes
        {"TText\r\n\"a\r\nb\"x\r\n", 3},           // text after the closing quote
        {"TText\r\n\xC4\xE3\xBA\xC3\r\n", 2},      // code page 936, not UTF-8
    };
    for (const auto& [file, line] : cases) {
        std::vector<CsvRow> rows;
        CsvError error;
        EXPECT_FALSE(ReadCsv(file, rows, error)) << file;
        EXPECT_EQ(error.line, line) << file;
        EXPECT_FALSE(error.reason.empty());
        EXPECT_TRUE(rows.empty());
    }
}

// --- The commands, on files in a temporary folder -----------------------------------------

// This machine, except that Velmora may be said to run.
class TestPlatform : public Platform {
public:
    bool isFile(const std::string& path) override { return path != unseen && host_.isFile(path); }
    bool readFile(const std::string& path, std::string& bytes, std::string& error) override
    {
        return host_.readFile(path, bytes, error);
    }
    bool fileSize(const std::string& path, unsigned long long& bytes, std::string& error) override
    {
        return host_.fileSize(path, bytes, error);
    }
    bool writeNewFile(const std::string& path, const std::string& bytes, std::string& error) override
    {
        return host_.writeNewFile(path, bytes, error);
    }
    void removeFile(const std::string& path) override { host_.removeFile(path); }
    std::string makeScratchFile(std::string& error) override { return host_.makeScratchFile(error); }
    std::string makeFileBeside(const std::string& path, std::string& error) override
    {
        return host_.makeFileBeside(path, error);
    }
    bool renameWithoutReplacing(const std::string& from, const std::string& to, std::string& error) override
    {
        return host_.renameWithoutReplacing(from, to, error);
    }
    bool takeImportLock(std::string&) override { return locked = true; }
    void releaseImportLock() override { locked = false; }
    bool velmoraRunning() override
    {
        lockedWhenAsked = locked;
        return running;
    }

    Protector& protector() override { return fakeProtector; }

    // Standard input as lines given in advance, a console or not.
    bool inputIsConsole() override { return console; }
    bool readInputLine(std::string& line, bool echo) override
    {
        echoes.push_back(echo);
        if (input.empty())
            return false;
        line = input.front();
        input.erase(input.begin());
        return true;
    }
    void prompt(const std::string& text) override { prompts += text; }
    TeamPolicy teamPolicy() override { return policy; }

    bool console = false;
    TeamPolicy policy;
    std::vector<std::string> input;
    std::vector<bool> echoes; // of every line asked for
    std::string prompts;
    bool running = false;
    bool locked = false, lockedWhenAsked = false;
    FakeProtector fakeProtector;
    std::string unseen; // a file whose look fails: it exists, but isFile says no

private:
    Platform& host_ = ThisPlatform();
};

class DbTool : public ::testing::Test {
protected:
    int run(const std::vector<std::string>& arguments)
    {
        output = {};
        return RunDbTool(arguments, platform, output);
    }

    void writeFile(const std::string& name, const std::string& bytes)
    {
        std::ofstream(folder.path(name), std::ios::binary) << bytes;
    }

    static void Sql(const std::string& database, const std::string& sql)
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(database.c_str(), &db), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sql;
        sqlite3_close(db);
    }

    // Texts and sort positions in stored order.
    static std::vector<std::pair<std::string, int>> Stored(const std::string& database)
    {
        std::vector<std::pair<std::string, int>> rows;
        sqlite3* db = nullptr;
        sqlite3_open(database.c_str(), &db);
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db, "select TText, TSortID from TText order by TSortID, ID", -1, &stmt, nullptr);
        while (sqlite3_step(stmt) == SQLITE_ROW)
            rows.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)), sqlite3_column_int(stmt, 1));
        sqlite3_finalize(stmt);
        sqlite3_close(db);
        return rows;
    }

    TempFolder folder;
    TestPlatform platform;
    ToolOutput output;
};

TEST_F(DbTool, ImportTrimsSkipsEmptyAndKnownTextsAndAddsAfterTheExistingOnes)
{
    const std::string db = folder.deliveredDatabase({"已有的", "第二条"});
    writeFile("in.csv", "TText\r\n  新的一条 \r\n已有的\r\n\"\t \r\n\"\r\n新的一条\r\n\"逗号,和\"\"引号\"\"\"\r\n");
    ASSERT_EQ(run({"import", db, folder.path("in.csv")}), kExitDone) << output.err;

    EXPECT_EQ(Stored(db), (std::vector<std::pair<std::string, int>>{
                              {"已有的", 0}, {"第二条", 1}, {"新的一条", 2}, {"逗号,和\"引号\"", 3}}));
    EXPECT_NE(output.out.find("导入 2 条模板，跳过 3 条"), std::string::npos) << output.out;
    EXPECT_NE(output.out.find("跳过空白的模板 1 条，第 4 行"), std::string::npos) << output.out;
    EXPECT_NE(output.out.find("跳过数据库中已有的模板 1 条，第 3 行"), std::string::npos) << output.out;
    EXPECT_NE(output.out.find("跳过与文件中前面的模板相同的 1 条，第 6 行"), std::string::npos) << output.out;
}

TEST_F(DbTool, ImportOfAFileWithAnUnreadableRowChangesNothing)
{
    const std::string db = folder.deliveredDatabase({"已有的"});
    const auto before = Stored(db);
    // Each names the line it cannot read.
    const std::pair<std::string, std::string> files[] = {
        {"TText\r\n好的\r\n\"没有结束\r\n", "in.csv 第 3 行："},
        {"TText\r\n好的\r\na,b\r\n", "in.csv 第 3 行："},
        {"Text\r\n好的\r\n", "in.csv 第 1 行："},
    };
    for (const auto& [bytes, named] : files) {
        std::remove(folder.path("in.csv").c_str());
        writeFile("in.csv", bytes);
        EXPECT_EQ(run({"import", db, folder.path("in.csv")}), kExitUnreadableCsv) << bytes;
        EXPECT_NE(output.err.find(named), std::string::npos) << output.err;
        EXPECT_NE(output.err.find("数据库没有改动"), std::string::npos) << output.err;
        EXPECT_EQ(Stored(db), before);
    }
}

TEST_F(DbTool, ImportRefusesWhileVelmoraRunsAndNeverCreatesADatabase)
{
    writeFile("in.csv", "TText\r\n好的\r\n");
    EXPECT_EQ(run({"import", folder.path("DB.mdb"), folder.path("in.csv")}), kExitFileProblem);
    EXPECT_FALSE(platform.isFile(folder.path("DB.mdb")));

    const std::string db = folder.deliveredDatabase();
    platform.running = true;
    EXPECT_EQ(run({"import", db, folder.path("in.csv")}), kExitVelmoraRunning);
    EXPECT_NE(output.err.find("Velmora 正在运行"), std::string::npos);
    // The import's own lock is taken before the look for Velmora, and let go at the end.
    EXPECT_TRUE(platform.lockedWhenAsked);
    EXPECT_FALSE(platform.locked);
    EXPECT_TRUE(Stored(db).empty());
}

TEST_F(DbTool, ExportThenImportIntoAnEmptyDatabaseGivesTheSameTemplatesInTheSameOrder)
{
    const std::string db = folder.deliveredDatabase({"第一条", "a,b", "say \"hi\"", "行一\r\n行二", "末条 😀"});
    // Stored order is TSortID, not insertion.
    Sql(db, "update TText set TSortID = 10 where TText = '第一条'");
    const auto before = Stored(db);
    ASSERT_EQ(run({"export", db, folder.path("out.csv")}), kExitDone) << output.err;
    EXPECT_EQ(folder.readFile("out.csv").rfind(std::string(kUtf8ByteOrderMark) + "TText\r\n\"a,b\"\r\n", 0), 0u);
    EXPECT_EQ(run({"export", db, folder.path("out.csv")}), kExitFileProblem) << "an existing file is kept";

    const std::string copy = folder.path("copy.mdb");
    ASSERT_EQ(run({"new", "--empty", copy}), kExitDone) << output.err;
    ASSERT_EQ(run({"import", copy, folder.path("out.csv")}), kExitDone) << output.err;
    // An emoji is a template's character like any other: imported without a word.
    EXPECT_EQ(output.out.find("😀"), std::string::npos) << output.out;
    EXPECT_EQ(output.out.find("代码页"), std::string::npos) << output.out;
    auto after = Stored(copy);
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < after.size(); ++i)
        EXPECT_EQ(after[i].first, before[i].first);
}

TEST_F(DbTool, CheckPassesADeliveredDatabaseAndNeverWritesIt)
{
    const std::string db = folder.deliveredDatabase({"你好", "再见"});
    const std::string bytes = folder.readFile("DB.mdb");
    EXPECT_EQ(run({"check", db}), kExitDone) << output.out << output.err;
    EXPECT_NE(output.out.find("没有发现问题"), std::string::npos);
    EXPECT_EQ(folder.readFile("DB.mdb"), bytes);
    // Nothing of this run is left beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path("")), {}), 1);
}

TEST_F(DbTool, CheckFailsOnDamageAMissingColumnOrAnUnreadableSetting)
{
    const std::pair<std::string, std::string> damages[] = {
        {"", "文件不是有效的数据库"},
        {"alter table Tconfig drop column TSaveDay", "表 Tconfig 缺少字段 TSaveDay"},
        {"update Tconfig set THotKeyInt = 'A键'", "THotKeyInt"},
        {"delete from Tconfig", "没有 TID = 1 的设置记录"},
    };
    for (const auto& [sql, sentence] : damages) {
        std::remove(folder.path("DB.mdb").c_str());
        const std::string db = folder.deliveredDatabase({"你好"});
        if (sql.empty()) {
            std::fstream file(db, std::ios::in | std::ios::out | std::ios::binary);
            file.write("not a database!!", 16);
        } else {
            Sql(db, sql);
        }
        EXPECT_EQ(run({"check", db}), kExitUnusable) << sql;
        EXPECT_EQ(output.out.rfind(db + "：", 0), 0u) << output.out;
        EXPECT_NE(output.out.find(sentence), std::string::npos) << output.out;
    }
}

TEST_F(DbTool, CheckNamesTemplatesThatNeedALook)
{
    const std::string db = folder.deliveredDatabase({"你好", " ", "你好", "Ärger 😀"});
    EXPECT_EQ(run({"check", db}), kExitNeedsAttention);
    EXPECT_NE(output.out.find("第 2 条模板（ID 2）是空白的"), std::string::npos) << output.out;
    EXPECT_NE(output.out.find("第 3 条模板（ID 3）与第 1 条相同"), std::string::npos) << output.out;
    EXPECT_EQ(output.out.find("第 4 条"), std::string::npos) << "its emoji needs no look: " << output.out;
}

TEST_F(DbTool, ExportShowsFormulaLikeTextsAsTextInASpreadsheetAndImportGivesThemBackExactly)
{
    const std::vector<std::string> texts = {
        "+86 138 0000 0000", "-- 请稍等 --", "=HYPERLINK(\"http://x\",\"点我\")", "@客服", "'已有引号", "''两个", "a=b",
    };
    const std::string db = folder.deliveredDatabase(texts);
    Sql(db, "insert into TText (TText, TSortID) values (char(9) || '缩进', 99)");
    ASSERT_EQ(run({"export", db, folder.path("out.csv")}), kExitDone) << output.err;
    EXPECT_EQ(folder.readFile("out.csv"),
              std::string(kUtf8ByteOrderMark) +
                  "TText\r\n'+86 138 0000 0000\r\n'-- 请稍等 --\r\n"
                  "\"'=HYPERLINK(\"\"http://x\"\",\"\"点我\"\")\"\r\n'@客服\r\n''已有引号\r\n"
                  "'''两个\r\na=b\r\n'\t缩进\r\n");

    const std::string copy = folder.path("copy.mdb");
    ASSERT_EQ(run({"new", "--empty", copy}), kExitDone) << output.err;
    ASSERT_EQ(run({"import", copy, folder.path("out.csv")}), kExitDone) << output.err;
    std::vector<std::string> imported;
    for (const auto& row : Stored(copy))
        imported.push_back(row.first);
    auto expected = texts;
    expected.push_back("\t缩进");
    EXPECT_EQ(imported, expected);
}

TEST_F(DbTool, ImportRefusesCharactersThatWouldActInTheTargetAndCheckNamesStoredOnes)
{
    const std::string db = folder.deliveredDatabase({"已有的"});
    struct Case {
        std::string bytes;      // the file's bytes from its second line
        std::string fileNamed;  // what import says of the file
        std::string sql;        // the same template written into a database by another tool
        std::string checkNamed; // what check says of the second template, after its ID
        int checkExit;
    };
    const Case cases[] = {
        {std::string("好的\r\nab\0cd\r\n", 13), "in.csv 第 3 行：这一行含有控制字符 U+0000（模板中只能有制表符和换行）",
         "'ab' || char(0) || 'cd'", "第 1 行含有控制字符 U+0000", kExitNeedsAttention},
        {"\"第一行\r\n\x1b[31m红色\"\r\n", "in.csv 第 3 行：这一行含有控制字符 U+001B",
         "'第一行' || char(13, 10, 27) || '[31m'", "第 2 行含有控制字符 U+001B", kExitNeedsAttention},
        {"好的\r\n\"行一\r\n行二\x7f\"\r\n", "in.csv 第 4 行：这一行含有控制字符 U+007F", "'x' || char(127)",
         "第 1 行含有控制字符 U+007F", kExitNeedsAttention},
        {"www.\u202Emoc.elpmaxe\u202C\r\n",
         "in.csv 第 2 行：这一行含有双向文字控制符 U+202E（它使文字显示得与实际内容不同）",
         "'a' || char(10) || 'www.' || char(8238) || 'x'", "第 2 行含有双向文字控制符 U+202E", kExitNeedsAttention},
        {"", "", "'看不' || char(8203) || '见'", "第 1 行含有看不见的零宽字符 U+200B（警告", kExitNeedsAttention},
        {"", "", "'👨' || char(8205) || '💻 ❤' || char(65039)", "", kExitDone},
    };
    for (const Case& c : cases) {
        if (!c.bytes.empty()) {
            std::remove(folder.path("in.csv").c_str());
            writeFile("in.csv", "TText\r\n" + c.bytes);
            EXPECT_EQ(run({"import", db, folder.path("in.csv")}), kExitUnreadableCsv) << c.bytes;
            EXPECT_NE(output.err.find(c.fileNamed), std::string::npos) << output.err;
            EXPECT_EQ(Stored(db), (std::vector<std::pair<std::string, int>>{{"已有的", 0}}));
        }
        Sql(db, "insert into TText (TText, TSortID) values (" + c.sql + ", 1)");
        EXPECT_EQ(run({"check", db}), c.checkExit) << output.out;
        if (!c.checkNamed.empty()) {
            // The template's ID grows from case to case: its position and line are what count.
            const size_t named = output.out.find(db + "：第 2 条模板（ID ");
            EXPECT_NE(output.out.find("）" + c.checkNamed, named), std::string::npos) << output.out;
        }
        Sql(db, "delete from TText where TSortID = 1");
    }
}

TEST_F(DbTool, ImportAndPublishHoldALibraryToItsLimitsNamingTheLineOrTemplate)
{
    // The tally with small limits, from a library that holds some already.
    const LibraryLimits small{4, 3, 10};
    struct Case {
        std::vector<std::string> texts;
        size_t heldTemplates, heldBytes;
        size_t overAt; // the text that takes it over; texts.size() when none does
        OverLimit over;
    };
    const Case cases[] = {
        {{"abcd", "abcd"}, 0, 0, 2, OverLimit::None},
        {{"ab", "abcde"}, 0, 0, 1, OverLimit::TemplateTooLong},
        {{"a", "b"}, 2, 2, 1, OverLimit::TooManyTemplates},
        {{"abcd"}, 1, 7, 0, OverLimit::LibraryTooLarge},
    };
    for (const Case& c : cases) {
        LibraryTally tally(small, c.heldTemplates, c.heldBytes);
        size_t at = 0;
        OverLimit over = OverLimit::None;
        for (; at < c.texts.size() && (over = tally.take(c.texts[at])) == OverLimit::None; ++at) {
        }
        EXPECT_EQ(at, c.overAt);
        EXPECT_EQ(over, c.over);
    }

    // The real limits, end to end: a template one byte too long, then a file larger than a whole
    // library (sparse: nothing is written, and nothing may be read).
    const std::string db = folder.deliveredDatabase({"已有的"});
    writeFile("in.csv", "TText\r\n好的\r\n\"" + std::string(kMaxTemplateBytes + 1, 'x') + "\"\r\n");
    EXPECT_EQ(run({"import", db, folder.path("in.csv")}), kExitUnreadableCsv);
    EXPECT_EQ(output.err.rfind(folder.path("in.csv") +
                                   " 第 3 行：这条模板有 65537 字节，超过了一条模板最多的 65536 字节（64 KB）",
                               0),
              0u)
        << output.err;
    std::filesystem::resize_file(folder.path("in.csv"), kMaxLibraryBytes + 1);
    EXPECT_EQ(run({"import", db, folder.path("in.csv")}), kExitUnreadableCsv);
    EXPECT_NE(output.err.find("文件有 67108865 字节，超过了模板库合计最多的 67108864 字节（64 MB），没有读取"),
              std::string::npos)
        << output.err;
    EXPECT_EQ(Stored(db), (std::vector<std::pair<std::string, int>>{{"已有的", 0}}));

    // Publish refuses before it reaches the server.
    Sql(db, "insert into TText (TText, TSortID) values ('好的', 1), (substr(hex(zeroblob(32769)), 2), 2)");
    EXPECT_EQ(run({"team", "publish", db, "Driver={x};Server=y"}), kExitNeedsAttention);
    EXPECT_NE(output.err.find(db + "：第 3 条模板：这条模板有 65537 字节，超过了一条模板最多的 65536 字节（64 KB）"),
              std::string::npos)
        << output.err;
}

TEST_F(DbTool, NewNeverRemovesAFileItDidNotCreate)
{
    // The look for an existing file fails (it says "none" though the file is there).
    const std::string db = folder.deliveredDatabase({"团队的模板"});
    const std::string bytes = folder.readFile("DB.mdb");
    platform.unseen = db;
    EXPECT_EQ(run({"new", db}), kExitFileProblem);
    EXPECT_NE(output.err.find("文件已经存在"), std::string::npos) << output.err;
    EXPECT_EQ(folder.readFile("DB.mdb"), bytes);
    // Nothing of this run is left beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path("")), {}), 1);
}

TEST_F(DbTool, ImportAfterTheLargestSortNumberRenumbersAndAddsAfterTheExistingOnes)
{
    const std::string db = folder.deliveredDatabase({"第一条", "第二条"});
    Sql(db, "update TText set TSortID = 2147483646 where TText = '第二条'");
    writeFile("in.csv", "TText\r\n新一\r\n新二\r\n新三\r\n");
    ASSERT_EQ(run({"import", db, folder.path("in.csv")}), kExitDone) << output.err;
    EXPECT_EQ(Stored(db), (std::vector<std::pair<std::string, int>>{
                              {"第一条", 0}, {"第二条", 1}, {"新一", 2}, {"新二", 3}, {"新三", 4}}));
    EXPECT_NE(output.out.find("顺序号已重新编为 0、1、2……，顺序不变"), std::string::npos) << output.out;
}

TEST_F(DbTool, CommandLineMistakesAreUsageErrors)
{
    EXPECT_EQ(run({}), kExitUsage);
    EXPECT_EQ(run({"export", "DB.mdb"}), kExitUsage);
    EXPECT_EQ(run({"drop", "DB.mdb"}), kExitUsage);
    EXPECT_EQ(run({"--help"}), kExitDone);
    EXPECT_NE(output.out.find("退出码"), std::string::npos);
    const std::string db = folder.deliveredDatabase();
    EXPECT_EQ(run({"new", db}), kExitFileProblem);
}

} // namespace

// --- The desk's team library: connect, status, off --------------------------------------

namespace {
const std::string kDeskConnection =
    "Driver={PostgreSQL Unicode};Server=db01;Port=5432;Database=kefu;Uid=velmora_desk;Pwd=s3cret-密码;";

std::optional<TeamSettings> TeamSettingsOf(const std::string& database)
{
    Connection connection;
    connection.setConnectionText(ConnectionTextFor(database));
    return ReadTeamSettings(connection);
}
} // namespace

TEST_F(DbTool, TeamConnectStoresTheConnectionProtectedStatusNeverShowsItAndOffLeavesTheDesksOwnTemplates)
{
    const std::string db = folder.deliveredDatabase({"已有的", "第二条"});
    EXPECT_EQ(run({"team", "status", db}), kExitDone);
    EXPECT_EQ(output.out, db + "：没有设置团队模板库。\n");

    ASSERT_EQ(run({"team", "connect", db, kDeskConnection}), kExitDone) << output.err;
    EXPECT_TRUE(platform.lockedWhenAsked);
    EXPECT_EQ(folder.readFile("DB.mdb").find("s3cret"), std::string::npos) << "the password lies readable in DB.mdb";
    const auto settings = TeamSettingsOf(db);
    ASSERT_TRUE(settings);
    EXPECT_EQ(platform.fakeProtector.unprotect(settings->protectedConnection), kDeskConnection);
    EXPECT_EQ(settings->checkSeconds, kDefaultTeamCheckSeconds);
    // Velmora's own check still finds the database as it expects it.
    EXPECT_EQ(run({"check", db}), kExitDone) << output.out;

    EXPECT_EQ(run({"team", "status", db}), kExitDone);
    EXPECT_EQ(output.out, db + "：团队模板库\n  服务器：db01\n  上次同步：从未同步\n  模板组：默认\n"
                               "  团队模板：0 条\n  上次错误：无\n  检查间隔：300 秒，每次最多 60 秒\n");
    EXPECT_EQ(output.out.find("s3cret"), std::string::npos);

    EXPECT_EQ(run({"team", "off", db}), kExitDone) << output.err;
    EXPECT_FALSE(TeamSettingsOf(db));
    EXPECT_EQ(Stored(db), (std::vector<std::pair<std::string, int>>{{"已有的", 0}, {"第二条", 1}}));
    EXPECT_EQ(run({"team", "status", db}), kExitDone);
    EXPECT_EQ(output.out, db + "：没有设置团队模板库。\n");
}

TEST_F(DbTool, TeamStatusShowsWhatThePolicySetsOverTheDesksOwn)
{
    const std::string db = folder.deliveredDatabase();
    platform.policy.user = {"Driver={PostgreSQL Unicode};Server=db07;Database=kefu;Uid=desk;", "售前", 30};
    ASSERT_EQ(run({"team", "connect", db, kDeskConnection}), kExitDone) << output.err;
    EXPECT_EQ(run({"team", "status", db}), kExitDone);
    for (const char* line : {"  服务器：db07（由管理员设置）\n", "  本机的设置：服务器 db01，策略取消后使用\n",
                             "  密码：管理员设置的连接没有密码", "  模板组：售前（由管理员设置）\n",
                             "  检查间隔：30 秒（由管理员设置），"})
        EXPECT_NE(output.out.find(line), std::string::npos) << line << output.out;
}

TEST_F(DbTool, TeamConnectRefusesATextWithoutDriverAVelmoraThatRunsAndAMissingFile)
{
    const std::string db = folder.deliveredDatabase();
    const std::string before = folder.readFile("DB.mdb");
    EXPECT_EQ(run({"team", "connect", db, "Server=db01;Uid=desk;Pwd=x"}), kExitUsage);
    EXPECT_NE(output.err.find("连接字符串中没有 Driver="), std::string::npos) << output.err;
    platform.running = true;
    EXPECT_EQ(run({"team", "connect", db, "DSN=团队库"}), kExitVelmoraRunning);
    EXPECT_EQ(run({"team", "off", db}), kExitVelmoraRunning);
    EXPECT_EQ(folder.readFile("DB.mdb"), before);
    platform.running = false;
    EXPECT_EQ(run({"team", "connect", folder.path("none.mdb"), "DSN=团队库"}), kExitFileProblem);
    EXPECT_FALSE(platform.isFile(folder.path("none.mdb")));
    EXPECT_EQ(run({"team", "connect", db}), kExitUsage);
}

// --- Connection texts without the password on the command line -------------------------

TEST(DbToolConnectionText, APasswordOrTheWindowsSignInIsFoundHoweverWritten)
{
    const std::pair<const char*, bool> cases[] = {
        {"Driver={PostgreSQL Unicode};Server=db01;Uid=desk;", true},
        {"Driver={PostgreSQL Unicode};Server=db01;Uid=desk;Pwd=x;", false},
        {"Driver={PostgreSQL Unicode};Server=db01;Uid=desk; PASSWORD = {a;b}", false},
        {"Driver=x;Uid=desk;Pwd=;", false}, // said to be empty: not asked for
        {"Driver=x;Uid=desk;PwdHint=y;", true},
        {"Driver=x;Database={Pwd=y;};Uid=desk", true}, // inside another value
        {"Driver={ODBC Driver 17 for SQL Server};Server=db01;Trusted_Connection=Yes;", false},
        {"Driver={ODBC Driver 17 for SQL Server};Server=db01;Trusted_Connection=no;Uid=sa;", true},
        {"Driver=x;Server=db01;Integrated Security=SSPI", false},
        {"Driver=x;Server=db01;Authentication=ActiveDirectoryIntegrated", false},
        {"Driver=x;Server=db01;Authentication=ActiveDirectoryPassword;Uid=a@b", true},
        {"DSN=团队库", true},
    };
    for (const auto& [text, needs] : cases)
        EXPECT_EQ(NeedsPassword(text), needs) << text;
}

TEST(DbToolConnectionText, AnAddedPasswordReadsBackExactlyAndIsNeverShown)
{
    const std::pair<const char*, const char*> passwords[] = {
        {"s3cret-密码", "Pwd=s3cret-密码;"}, {"semi;colon", "Pwd={semi;colon};"},
        {"br}ace{", "Pwd={br}}ace{};"},      {"}}", "Pwd={}}}}};"},
        {" spaced ", "Pwd={ spaced };"},     {"eq=ual's\"", "Pwd=eq=ual's\";"},
    };
    for (const char* base :
         {"Driver={PostgreSQL Unicode};Server=db01;Uid=desk;", "Driver={X};Server=db01;Uid=desk  "}) {
        for (const auto& [password, written] : passwords) {
            const std::string text = WithPassword(base, password);
            EXPECT_NE(text.find(std::string(";") + written), std::string::npos) << text;
            EXPECT_EQ(OdbcValue(text, "pwd"), std::optional<std::string>(password)) << text;
            EXPECT_EQ(OdbcValue(text, "Uid"), std::optional<std::string>("desk")) << text;
            EXPECT_FALSE(NeedsPassword(text)) << text;
            EXPECT_EQ(ScrubPassword(text, text).find(password), std::string::npos) << text;
        }
    }
}

TEST_F(DbTool, TeamConnectTakesTheTextFromStandardInputAndAsksForAMissingPassword)
{
    const std::string db = folder.deliveredDatabase();
    const std::string bare = "Driver={PostgreSQL Unicode};Server=db01;Database=kefu;Uid=velmora_desk;";
    const auto stored = [&] { return platform.fakeProtector.unprotect(TeamSettingsOf(db)->protectedConnection); };

    // From a pipe: the text, then the password on the next line; nothing is prompted.
    platform.input = {bare, "p;w}d 密码"};
    ASSERT_EQ(run({"team", "connect", db, "-"}), kExitDone) << output.err;
    EXPECT_EQ(stored(), bare + "Pwd={p;w}}d 密码};");
    EXPECT_EQ(platform.prompts, "");
    EXPECT_EQ((output.out + output.err).find("p;w"), std::string::npos) << output.out;

    // At a console: both asked for, the password without echo.
    platform.console = true;
    platform.echoes.clear();
    platform.input = {bare, "typed"};
    ASSERT_EQ(run({"team", "connect", db, "-"}), kExitDone) << output.err;
    EXPECT_EQ(stored(), bare + "Pwd=typed;");
    EXPECT_EQ(platform.echoes, (std::vector<bool>{true, false}));
    EXPECT_NE(platform.prompts.find("密码（输入时不显示"), std::string::npos) << platform.prompts;

    // The text on the command line with its password, or signing in as the Windows user: nothing read.
    platform.echoes.clear();
    ASSERT_EQ(run({"team", "connect", db, kDeskConnection}), kExitDone) << output.err;
    ASSERT_EQ(run({"team", "connect", db, "Driver={SQL Server};Server=db01;Trusted_Connection=yes"}), kExitDone);
    EXPECT_TRUE(platform.echoes.empty());

    // Nothing to read: refused, the desk as it was.
    platform.console = false;
    EXPECT_EQ(run({"team", "connect", db, "-"}), kExitUsage);
    EXPECT_NE(output.err.find("没有读到连接文字"), std::string::npos) << output.err;
    EXPECT_EQ(run({"team", "connect", db, bare}), kExitUsage);
    EXPECT_NE(output.err.find("连接文字中没有密码（Pwd=），标准输入已经结束"), std::string::npos) << output.err;
    EXPECT_EQ(stored(), "Driver={SQL Server};Server=db01;Trusted_Connection=yes");
}

// The cache belongs to the whole connection but its password: a new password keeps an offline
// desk's rows, another database on the same server (or another user, port, driver) is another
// team's library. A desk an older build set up keeps its rows too.
TEST_F(DbTool, TeamConnectKeepsTheCacheOnlyForTheSameConnectionWhateverItsPassword)
{
    const std::string db = folder.deliveredDatabase({"已有的"});
    const auto cachedRows = [&] {
        Connection connection;
        connection.setConnectionText(ConnectionTextFor(db));
        return ReadTeamCache(connection).size();
    };
    const auto connectWithCache = [&] {
        ASSERT_EQ(run({"team", "connect", db, kDeskConnection}), kExitDone) << output.err;
        Connection connection;
        connection.setConnectionText(ConnectionTextFor(db));
        StoreTeamTemplates(connection, {{1, "团队 A 的回复", 0}}, {4, "甲"}, "", DateTime{1});
    };
    struct Case {
        const char* name;
        std::string text;
        bool kept;
    };
    const std::string common = "Driver={PostgreSQL Unicode};Server=db01;Port=5432;";
    const Case cases[] = {
        {"a new password", common + "Database=kefu;Uid=velmora_desk;Pwd=new;", true},
        {"written otherwise",
         " uid = velmora_desk ;DATABASE=kefu;driver={postgresql unicode};Host=DB01;Port=5432;"
         "Password={a;b}}c}",
         true},
        {"without a password", common + "Database=kefu;Uid=velmora_desk;", true},
        {"another database on the same server", common + "Database=kefu_b;Uid=velmora_desk;Pwd=x;", false},
        {"the database's name in another case", common + "Database=KEFU;Uid=velmora_desk;Pwd=x;", false},
        {"another user", common + "Database=kefu;Uid=velmora_lead;Pwd=x;", false},
        {"another port", "Driver={PostgreSQL Unicode};Server=db01;Port=5433;Database=kefu;Uid=velmora_desk;", false},
        {"another driver", "Driver={PostgreSQL ANSI};Server=db01;Port=5432;Database=kefu;Uid=velmora_desk;", false},
        {"another server", "Driver={PostgreSQL Unicode};Server=db02;Port=5432;Database=kefu;Uid=velmora_desk;", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        connectWithCache();
        platform.input = {""}; // the answer when a password is asked for: none
        ASSERT_EQ(run({"team", "connect", db, c.text}), kExitDone) << output.err;
        EXPECT_EQ(cachedRows(), c.kept ? 1u : 0u);
        EXPECT_EQ(TeamSettingsOf(db)->rows, c.kept ? 1 : 0);
        EXPECT_FALSE(TeamSettingsOf(db)->version) << "the next check reads the library either way";
    }

    // An older build's settings row has none of the later columns: status reads it, and a new
    // password keeps its rows.
    connectWithCache();
    {
        Connection connection;
        connection.setConnectionText(ConnectionTextFor(db));
        connection.database().exec(
            "create table Old as select TID, TConnection, TServer, TCounter, TLastSync, TRows, TLastError, "
            "TCheckSeconds from TTeamConfig; drop table TTeamConfig; alter table Old rename to TTeamConfig;");
    }
    EXPECT_EQ(run({"team", "status", db}), kExitDone);
    EXPECT_NE(output.out.find("  团队模板：1 条\n"), std::string::npos) << output.out;
    ASSERT_EQ(run({"team", "connect", db, common + "Database=kefu;Uid=velmora_desk;Pwd=new;"}), kExitDone)
        << output.err;
    EXPECT_EQ(cachedRows(), 1u);
    ASSERT_EQ(run({"team", "connect", db, common + "Database=kefu_b;Uid=velmora_desk;Pwd=new;"}), kExitDone);
    EXPECT_EQ(cachedRows(), 0u);
}

#include "TestSupport.h"

#include "common/Text.h"
#include "store/Connection.h"
#include "ui/StoreErrorText.h"
#include "store/Schema.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <fstream>

namespace {

std::vector<std::string> AllTexts(Connection& conn, const std::string& sql, const std::vector<SqlParam>& params = {})
{
    Query query(conn);
    query.open(sql, params);
    std::vector<std::string> texts;
    for (; !query.eof(); query.next())
        texts.push_back(query.fieldText("TText"));
    return texts;
}

void WriteFile(const std::string& path, const std::string& content)
{
    std::ofstream(path, std::ios::binary) << content;
}

// The failure of connecting by `text` and reading the configuration, or "".
std::string OpenError(const std::string& text)
{
    Connection conn;
    conn.setConnectionText(text);
    try {
        conn.connect();
        Query query(conn);
        query.open("select * from Tconfig where TID=1");
    } catch (const StoreError& e) {
        return StoreErrorText(e);
    }
    return "";
}

std::string ConnectError(const std::string& path) { return OpenError(ConnectionTextFor(path)); }

} // namespace

TEST(ConnectionOpen, NeverCreatesAMissingFile)
{
    TempFolder folder;
    const std::string path = folder.path("DB.mdb");
    EXPECT_NE(ConnectError(path).find("无法打开数据库文件"), std::string::npos);
    struct stat info;
    EXPECT_NE(stat(path.c_str(), &info), 0);
}

TEST(ConnectionOpen, BadFilesFailWithTheirReasonAndStayUntouched)
{
    TempFolder folder;
    WriteFile(folder.path("empty.mdb"), "");
    EXPECT_NE(ConnectError(folder.path("empty.mdb")).find("no such table: Tconfig"), std::string::npos);
    EXPECT_EQ(folder.readFile("empty.mdb"), "");

    const std::string text(4096, 'x');
    WriteFile(folder.path("text.mdb"), text);
    EXPECT_NE(ConnectError(folder.path("text.mdb")).find("文件不是有效的数据库"), std::string::npos);
    EXPECT_EQ(folder.readFile("text.mdb"), text);
}

TEST(ConnectionOpen, RefusesAReadOnlyFile)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes to read-only files";
    TempFolder folder;
    const std::string path = folder.deliveredDatabase();
    chmod(path.c_str(), 0444);
    EXPECT_NE(ConnectError(path).find("只读"), std::string::npos);
}

TEST(ConnectionOpen, WaitsForAndThenReportsALockHeldByAnother)
{
    TempFolder folder;
    const std::string path = folder.deliveredDatabase();
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    EXPECT_NE(ConnectError(path).find("数据库文件正被其他程序占用"), std::string::npos);
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_EQ(ConnectError(path), "");
}

TEST(ConnectionOpen, AnyFolderNameOpensTheDatabaseInIt)
{
    TempFolder folder;
    for (const std::string name : {"客服;备用", "say \"hi\"", "한국어 Ä", " ; "}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(ConnectError(folder.deliveredDatabaseIn(name)), "");
    }
    // A trailing blank in the path itself survives the connection text.
    CreateDeliveredDatabase(folder.path("DB.mdb "), {});
    EXPECT_EQ(ConnectError(folder.path("DB.mdb ")), "");
}

TEST(ConnectionOpen, FindsTheDataSourceAmongOtherPairs)
{
    EXPECT_EQ(ConnectionTextFor("a\"b;c"), "Data Source=\"a\"\"b;c\"");
    TempFolder folder;
    const std::string plain = folder.deliveredDatabase();
    const std::string quoted = ConnectionTextFor(folder.deliveredDatabaseIn("x\";y")).substr(12);
    EXPECT_EQ(OpenError("Provider=Velmora;Data Source=" + plain + ";Mode=Share Deny None"), "");
    EXPECT_EQ(OpenError("Provider=\"a;b\"; data source = " + quoted + " ;Mode=x"), "");
    for (const std::string& bad :
         {"Data Source=" + quoted + "junk", "Data Source=\"" + plain, std::string("Data Source= ;")})
        EXPECT_NE(OpenError(bad), "") << bad;
}

TEST(ConnectionOpen, AFailedOpenKeepsNoHandle)
{
    TempFolder folder;
    const std::string missing = folder.path("no/such/DB.mdb");
    // The first failure may set up the engine's own lasting state.
    EXPECT_THROW(CreateDeliveredDatabase(missing, {}), StoreError);
    EXPECT_NE(ConnectError(missing), "");
    const sqlite3_int64 before = sqlite3_memory_used();
    EXPECT_THROW(CreateDeliveredDatabase(missing, {}), StoreError);
    EXPECT_NE(ConnectError(missing), "");
    EXPECT_EQ(sqlite3_memory_used(), before);
}

class StoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        conn.setConnectionText(ConnectionTextFor(folder.deliveredDatabase()));
        conn.connect();
    }
    void insert(const std::string& utf8)
    {
        conn.execute("insert into TText (TText) values (?)", {SqlParam::Text(utf8)});
    }

    TempFolder folder;
    Connection conn;
};

TEST_F(StoreTest, TextIsStoredAndReadBackAsUtf8)
{
    insert("你好 'quoted' \\ 100%");
    EXPECT_EQ(AllTexts(conn, "select * from TText"), std::vector<std::string>{std::string("你好 'quoted' \\ 100%")});

    Query raw(conn);
    raw.open("select hex(TText) as h from TText");
    EXPECT_EQ(raw.fieldText("h").substr(0, 12), "E4BDA0E5A5BD"); // 你好 in UTF-8
}

TEST_F(StoreTest, QuotedTextInAStatementArrivesIntact)
{
    conn.execute("insert into TText (TText) values (" + QuotedText(std::string("it's 你的")) + ")");
    Query query(conn);
    query.open("select * from TText where TText=" + QuotedText(std::string("it's 你的")));
    EXPECT_EQ(query.recordCount(), 1);
}

TEST_F(StoreTest, RowCountIsExactAndFieldNamesIgnoreCase)
{
    insert("a");
    insert("b");
    insert("c");
    Query query(conn);
    query.open("Select * from TText order by TSortId asc");
    EXPECT_EQ(query.recordCount(), 3);
    EXPECT_EQ(query.fieldText("ttext"), "a");
    EXPECT_EQ(query.fieldInt("TSORTID"), 0);
    EXPECT_FALSE(query.hasField("Nope"));
    EXPECT_THROW(query.fieldText("Nope"), StoreError);
}

TEST_F(StoreTest, RowReaderGivesEachRowAsStoredAndStopsAtAFailure)
{
    insert("a");
    insert("你好");
    insert("b");
    RowReader rows(conn, "Select * from TText order by TSortId asc");
    ASSERT_TRUE(rows.next());
    EXPECT_EQ(rows.utf8("ttext"), "a");
    EXPECT_THROW(rows.utf8("Nope"), StoreError);
    ASSERT_TRUE(rows.next());
    EXPECT_EQ(rows.utf8("TText"), "你好"); // UTF-8, as stored
    ASSERT_TRUE(rows.next());
    EXPECT_FALSE(rows.next());

    // The engine fails on the third row, after two were read.
    RowReader failing(conn, "Select TText, case when TText = 'b' then abs(length(TText) - 9223372036854775807 - 2) "
                            "end as x from TText order by rowid");
    ASSERT_TRUE(failing.next());
    ASSERT_TRUE(failing.next());
    EXPECT_THROW(failing.next(), StoreError);
}

TEST_F(StoreTest, NewTemplatesSortLast)
{
    conn.execute("insert into TText (TText, TSortID) values ('x', 5)");
    insert("y");
    insert("z");
    EXPECT_EQ(AllTexts(conn, "Select * from TText order by TSortId asc"), (std::vector<std::string>{"x", "y", "z"}));
}

TEST_F(StoreTest, ContainsSearchMatchesTheTextAsTyped)
{
    // 乗 is 81 5C in the code page: escaping its bytes there would turn the trail byte
    // into an escape character of the pattern.
    for (const char* text : {"it's here", "100% sure", "1000 sure", "a_b", "axb", "c:\\path", "c:path", "请稍等一下",
                             "乗客", "乗\\行", "乗%off", "好的😀", "𠮷野家"})
        insert(text);
    const std::string sql = "Select * from TText where TText like ? escape '\\'";
    auto search = [&](const std::string& utf8) { return AllTexts(conn, sql, {SqlParam::Contains(utf8)}); };
    EXPECT_EQ(search("'s"), std::vector<std::string>{"it's here"});
    EXPECT_EQ(search("0%"), std::vector<std::string>{"100% sure"});
    EXPECT_EQ(search("_"), std::vector<std::string>{"a_b"});
    EXPECT_EQ(search(":\\"), std::vector<std::string>{"c:\\path"});
    EXPECT_EQ(search("稍等"), std::vector<std::string>{std::string("请稍等一下")});
    EXPECT_EQ(search("乗"),
              (std::vector<std::string>{std::string("乗客"), std::string("乗\\行"), std::string("乗%off")}));
    EXPECT_EQ(search("乗%"), std::vector<std::string>{std::string("乗%off")});
    EXPECT_EQ(search("😀"), std::vector<std::string>{"好的😀"});
    EXPECT_EQ(search("𠮷"), std::vector<std::string>{"𠮷野家"});
    EXPECT_TRUE(search("nothing like it").empty());
}

TEST_F(StoreTest, IntegerFieldsOutsideTheIntRangeAreRefused)
{
    auto fieldInt = [&](const std::string& expression) -> std::string {
        Query query(conn);
        query.open("select " + expression + " as V");
        try {
            return std::to_string(query.fieldInt("V"));
        } catch (const StoreError& e) {
            return StoreErrorText(e);
        }
    };
    auto refused = [](const std::string& shown) { return "字段 V 的值 \"" + shown + "\" 不是有效的整数"; };
    EXPECT_EQ(fieldInt("1e30"), refused("1e+30"));
    EXPECT_EQ(fieldInt("2147483648.0"), refused("2147483648"));
    EXPECT_EQ(fieldInt("7.5"), refused("7.5"));
    EXPECT_EQ(fieldInt("3000000000"), refused("3000000000"));
    EXPECT_EQ(fieldInt("'3000000000'"), refused("3000000000"));
    EXPECT_EQ(fieldInt("'99999999999999999999'"), refused("99999999999999999999"));
    EXPECT_EQ(fieldInt("2147483647.0"), "2147483647");
    EXPECT_EQ(fieldInt("'-2147483648'"), "-2147483648");
}

TEST_F(StoreTest, AStatementAfterDisconnectReconnects)
{
    conn.disconnect();
    EXPECT_FALSE(conn.connected());
    insert("after");
    EXPECT_TRUE(conn.connected());
    conn.disconnect();
    EXPECT_EQ(AllTexts(conn, "select * from TText"), std::vector<std::string>{"after"});
}

TEST_F(StoreTest, AFailingStatementReportsTheEngineText)
{
    try {
        conn.execute("select * from Missing");
        FAIL() << "no failure";
    } catch (const StoreError& e) {
        EXPECT_STREQ(e.what(), "no such table: Missing");
    }
}

TEST_F(StoreTest, EditableRowUpdatesTheRowOrAddsItWhenMissing)
{
    EditableRow row(conn, "Tconfig", "TID=1");
    row.open();
    ASSERT_TRUE(row.found());
    row.edit();
    row.setInt("tHotKeyInt", 90);
    row.setDateTime("TDeadDay", 2.5);
    row.post();
    Query query(conn);
    query.open("select * from Tconfig where TID=1");
    EXPECT_EQ(query.fieldInt("THotKeyInt"), 90);
    EXPECT_EQ(query.fieldText("TDeadDay"), "1900-01-01 12:00:00");

    conn.execute("delete from Tconfig");
    EditableRow empty(conn, "Tconfig", "TID=1");
    empty.open();
    EXPECT_FALSE(empty.found());
    empty.edit();
    empty.setInt("TID", 1);
    empty.setInt("TSaveDay", 7);
    empty.post();
    query.open("select * from Tconfig where TID=1");
    ASSERT_EQ(query.recordCount(), 1);
    EXPECT_EQ(query.fieldInt("TSaveDay"), 7);

    EditableRow bad(conn, "Tconfig", "TID=1");
    bad.open();
    bad.edit();
    EXPECT_THROW(bad.setInt("NoSuchColumn", 1), StoreError);
}

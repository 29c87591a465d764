// The team library's SQL as text for each server, and what a failure may show of a
// connection text. SQL Server cannot run on the test machines: its text is checked here for
// what its server would refuse or get wrong; PostgreSQL's also runs in the Wine tests.
#include "store/TeamError.h"
#include "store/TeamSql.h"
#include "ui/StoreErrorText.h"

#include <gtest/gtest.h>

namespace {

std::string All(const TeamSql& sql)
{
    std::string text;
    for (const std::string& create : sql.createTables)
        text += create + "\n";
    for (const std::string& migrate : sql.migrateLibrary)
        text += migrate + "\n";
    for (const std::string* statement :
         {&sql.readCounter, &sql.readVersion, &sql.readSize, &sql.readTemplates, &sql.hasGeneration, &sql.addGeneration,
          &sql.moveCounter, &sql.moveCounterOnly, &sql.deleteTemplates, &sql.insertTemplate})
        text += *statement + "\n";
    return text;
}

} // namespace

TEST(TeamSql, SqlServerTextUsesItsOwnSyntaxAndKeepsEveryCharacter)
{
    TeamDialect dialect = TeamDialect::PostgreSql;
    ASSERT_TRUE(TeamDialectFor("Microsoft SQL Server", dialect));
    ASSERT_EQ(dialect, TeamDialect::SqlServer);
    const std::string text = All(TeamSqlFor(dialect));
    // It has no CREATE TABLE IF NOT EXISTS, no SERIAL, no ON CONFLICT, no LIMIT; a VARCHAR or TEXT
    // column would store the collation's code page and lose emoji.
    for (const char* foreign : {"TABLE IF NOT EXISTS", "SERIAL", "ON CONFLICT", "LIMIT", " TEXT ", "(MAX) UNIQUE",
                                "LOCALTIMESTAMP", "SESSION_USER", " '"})
        EXPECT_EQ(text.find(foreign), std::string::npos) << foreign;
    EXPECT_NE(text.find("IF OBJECT_ID(N'dbo.TeamText', N'U') IS NULL CREATE TABLE dbo.TeamText (ID INT IDENTITY(1,1) "
                        "PRIMARY KEY, TText NVARCHAR(MAX) NOT NULL"),
              std::string::npos);
    EXPECT_NE(text.find("IF OBJECT_ID(N'dbo.TeamVersion', N'U') IS NULL CREATE TABLE"), std::string::npos);
    EXPECT_NE(text.find("IF NOT EXISTS (SELECT 1 FROM dbo.TeamVersion WHERE ID = 1) INSERT"), std::string::npos);
    EXPECT_EQ(TeamSqlFor(dialect).readTemplates, "SELECT TText FROM dbo.TeamText ORDER BY TSortID, ID");
    EXPECT_EQ(TeamInsertRows(TeamSqlFor(dialect), 3),
              "INSERT INTO dbo.TeamText (TText, TSortID) VALUES (?, ?), (?, ?), (?, ?)");
}

TEST(TeamSql, PostgreSqlTextAndOtherServersRefused)
{
    TeamDialect dialect = TeamDialect::SqlServer;
    ASSERT_TRUE(TeamDialectFor("PostgreSQL", dialect));
    ASSERT_EQ(dialect, TeamDialect::PostgreSql);
    const TeamSql& sql = TeamSqlFor(dialect);
    const std::string text = All(sql);
    for (const char* foreign : {"NVARCHAR", "IDENTITY", "OBJECT_ID", "dbo.", "TOP "})
        EXPECT_EQ(text.find(foreign), std::string::npos) << foreign;
    ASSERT_GE(sql.createTables.size(), 5u);
    EXPECT_NE(sql.createTables[0].find("IF NOT EXISTS TeamText (ID SERIAL PRIMARY KEY, TText TEXT NOT NULL"),
              std::string::npos);
    EXPECT_NE(sql.createTables[2].find("ON CONFLICT (ID) DO NOTHING"), std::string::npos);
    EXPECT_EQ(sql.moveCounterOnly, "UPDATE TeamVersion SET Version = Version + 1 WHERE ID = 1");

    for (const char* other : {"MySQL", "Oracle", "SQLite", ""})
        EXPECT_FALSE(TeamDialectFor(other, dialect)) << other;
    const std::string refused = TeamErrorText(TeamError(TeamFault::UnsupportedServer, "", "", "MySQL"));
    EXPECT_EQ(refused, "不支持这种数据库服务器（MySQL）：团队模板库只支持 Microsoft SQL Server 和 PostgreSQL");
}

// A library made again (tables dropped, database restored) must never show a desk a version it
// holds: init gives tables without a generation one, keeping their rows, and every publish a
// new one; a desk measures the library before it fetches it.
TEST(TeamSql, TheGenerationIsMadeAtInitAndAtEveryPublishAndTheSizeIsAskedFirst)
{
    struct Case {
        TeamDialect dialect;
        std::vector<std::string> inCreate; // in order, after the tables and the counter's row
        std::string movesGeneration;       // in moveCounter
        std::string size;
    };
    const Case cases[] = {
        {TeamDialect::PostgreSql,
         {"ALTER TABLE TeamVersion ADD COLUMN IF NOT EXISTS Generation TEXT",
          "UPDATE TeamVersion SET Generation = md5(random()::text || clock_timestamp()::text || "
          "pg_backend_pid()::text) WHERE ID = 1 AND Generation IS NULL"},
         "Version = Version + 1, Generation = md5(random()::text || clock_timestamp()::text",
         "SELECT COUNT(*), COALESCE(SUM(OCTET_LENGTH(TText)), 0), COALESCE(MAX(OCTET_LENGTH(TText)), 0) FROM TeamText"},
        {TeamDialect::SqlServer,
         {"IF COL_LENGTH(N'dbo.TeamVersion', N'Generation') IS NULL ALTER TABLE dbo.TeamVersion ADD Generation "
          "NVARCHAR(64) NULL",
          "UPDATE dbo.TeamVersion SET Generation = CONVERT(NVARCHAR(64), NEWID()) WHERE ID = 1 AND Generation IS NULL"},
         "Version = Version + 1, Generation = CONVERT(NVARCHAR(64), NEWID())",
         "SELECT COUNT_BIG(*), COALESCE(SUM(CAST(DATALENGTH(TText) AS BIGINT)), 0) / 2, "
         "COALESCE(MAX(CAST(DATALENGTH(TText) AS BIGINT)), 0) / 2 FROM dbo.TeamText"},
    };
    for (const Case& c : cases) {
        const TeamSql& sql = TeamSqlFor(c.dialect);
        ASSERT_GE(sql.createTables.size(), 5u);
        // The row exists before it gets its generation; nothing drops or deletes.
        EXPECT_EQ(std::vector<std::string>(sql.createTables.begin() + 3, sql.createTables.begin() + 5), c.inCreate);
        for (const std::string& create : sql.createTables)
            for (const char* losing : {"DROP", "DELETE", "TRUNCATE"})
                EXPECT_EQ(create.find(losing), std::string::npos) << create;
        EXPECT_EQ(sql.addGeneration, c.inCreate[0]);
        EXPECT_NE(sql.moveCounter.find(c.movesGeneration), std::string::npos) << sql.moveCounter;
        EXPECT_NE(sql.readVersion.find("SELECT Version, Generation FROM "), std::string::npos);
        EXPECT_EQ(sql.moveCounterOnly.find("Generation"), std::string::npos);
        EXPECT_EQ(sql.readSize, c.size);
    }
}

// Init on a library an older build made: every statement keeps what is there, and the library
// becomes version 1 of the default set once, in its order, only while the set has no version.
TEST(TeamSql, InitAddsTheVersionTablesAndMakesAnOlderLibraryVersionOne)
{
    struct Case {
        TeamDialect dialect;
        std::vector<std::string> tables; // each made only where it is missing
        std::string defaultSet;
        std::string noVersionYet;
        std::string longRows; // the rows a block read could not hold: never fewer code units than counted
    };
    const Case cases[] = {
        {TeamDialect::PostgreSql,
         {"CREATE TABLE IF NOT EXISTS TeamSet (", "CREATE TABLE IF NOT EXISTS TeamHistory (",
          "CREATE TABLE IF NOT EXISTS TeamHistoryText (", "CREATE TABLE IF NOT EXISTS TeamOption (",
          "CREATE TABLE IF NOT EXISTS TeamUsage (", "CREATE TABLE IF NOT EXISTS TeamUpload (",
          "ALTER TABLE TeamText ADD COLUMN IF NOT EXISTS TemplateNo BIGINT"},
         "VALUES (1, '默认', 0) ON CONFLICT (SetID) DO NOTHING",
         "NOT EXISTS (SELECT 1 FROM TeamHistory WHERE SetID = 1)",
         "SELECT TSortID, TText FROM TeamHistoryText WHERE SetID = ? AND VersionNo = ? AND OCTET_LENGTH(TText) >= ?"},
        {TeamDialect::SqlServer,
         {"IF OBJECT_ID(N'dbo.TeamSet', N'U') IS NULL CREATE TABLE dbo.TeamSet (",
          "IF OBJECT_ID(N'dbo.TeamHistory', N'U') IS NULL CREATE TABLE dbo.TeamHistory (",
          "IF OBJECT_ID(N'dbo.TeamHistoryText', N'U') IS NULL CREATE TABLE dbo.TeamHistoryText (",
          "IF OBJECT_ID(N'dbo.TeamOption', N'U') IS NULL CREATE TABLE dbo.TeamOption (",
          "IF OBJECT_ID(N'dbo.TeamUsage', N'U') IS NULL CREATE TABLE dbo.TeamUsage (",
          "IF OBJECT_ID(N'dbo.TeamUpload', N'U') IS NULL CREATE TABLE dbo.TeamUpload (",
          "IF COL_LENGTH(N'dbo.TeamText', N'TemplateNo') IS NULL ALTER TABLE dbo.TeamText ADD TemplateNo BIGINT"},
         "IF NOT EXISTS (SELECT 1 FROM dbo.TeamSet WHERE SetID = 1) INSERT INTO dbo.TeamSet (SetID, Name, "
         "CurrentVersion) VALUES (1, N'默认', 0)",
         "NOT EXISTS (SELECT 1 FROM dbo.TeamHistory WHERE SetID = 1)",
         "SELECT TSortID, TText FROM dbo.TeamHistoryText WHERE SetID = ? AND VersionNo = ? AND DATALENGTH(TText) / 2 "
         ">= ?"},
    };
    for (const Case& c : cases) {
        const TeamSql& sql = TeamSqlFor(c.dialect);
        std::string creates;
        for (const std::string& create : sql.createTables) {
            creates += create + "\n";
            for (const char* losing : {"DROP", "DELETE", "TRUNCATE"})
                EXPECT_EQ(create.find(losing), std::string::npos) << create;
        }
        for (const std::string& table : c.tables)
            EXPECT_NE(creates.find(table), std::string::npos) << table;
        EXPECT_NE(creates.find(c.defaultSet), std::string::npos);
        // Numbers, rows, the version's row with the lead's user and computer, then the set's current version.
        ASSERT_EQ(sql.migrateLibrary.size(), 4u);
        for (size_t i = 0; i < 3; ++i)
            EXPECT_NE(sql.migrateLibrary[i].find(c.noVersionYet), std::string::npos) << sql.migrateLibrary[i];
        EXPECT_NE(sql.migrateLibrary[0].find("ROW_NUMBER() OVER (ORDER BY TSortID, ID)"), std::string::npos);
        EXPECT_NE(sql.migrateLibrary[1].find("SELECT 1, 1, TemplateNo - 1, TemplateNo, NULL, TText"),
                  std::string::npos);
        EXPECT_NE(sql.migrateLibrary[2].find("?, ?, NULL,"), std::string::npos);
        EXPECT_NE(sql.migrateLibrary[2].find("HAVING COUNT(*) > 0"), std::string::npos);
        EXPECT_NE(sql.migrateLibrary[3].find("SET CurrentVersion = 1 WHERE SetID = 1 AND CurrentVersion = 0"),
                  std::string::npos);
        // A version's rows: the numbers in the text, sorted from where the batch starts, a text parameter each.
        const std::string rows = TeamInsertVersionRows(sql, 2, 7, {{5, 10, "a"}, {6, 0, "b"}, {9, 3, "c"}}, 1, 2);
        EXPECT_EQ(rows.substr(rows.find("VALUES")), "VALUES (2, 7, 1, 6, NULL, ?), (2, 7, 2, 9, 3, ?)");
        EXPECT_EQ(sql.readLongVersionRows, c.longRows);
    }
}

TEST(TeamError, PasswordNeverShownAndEachStateHasItsSentence)
{
    const std::string connection =
        "Driver={PostgreSQL Unicode};Server=db01;Uid=lead; PWD = {s3;cr}}et} ;Database=kefu;";
    const std::string scrubbed = ScrubPassword(connection, connection);
    EXPECT_EQ(scrubbed, "Driver={PostgreSQL Unicode};Server=db01;Uid=lead; PWD =***;Database=kefu;");
    // A driver's message that repeats the password, braced or not, loses it too.
    EXPECT_EQ(ScrubPassword("login for s3;cr}et failed; Password=x1", connection),
              "login for *** failed; Password=***");
    EXPECT_EQ(ScrubPassword("Server=a;Password=plain", "Server=a;Password=plain"), "Server=a;Password=***");

    EXPECT_EQ(TeamFaultFromSqlState("IM002"), TeamFault::DriverMissing);
    EXPECT_EQ(TeamFaultFromSqlState("28P01"), TeamFault::LoginRefused);
    EXPECT_EQ(TeamFaultFromSqlState("08001"), TeamFault::Unreachable);
    EXPECT_EQ(TeamFaultFromSqlState("HYT00"), TeamFault::Unreachable);
    EXPECT_EQ(TeamFaultFromSqlState("42P01"), TeamFault::TableMissing);
    EXPECT_EQ(TeamFaultFromSqlState("42S02"), TeamFault::TableMissing);
    EXPECT_EQ(TeamFaultFromSqlState("22001"), TeamFault::Unexpected);
    const TeamError missing(TeamFault::TableMissing, "relation \"teamtext\" does not exist", "42P01");
    EXPECT_EQ(FailureText(missing), "数据库服务器上还没有团队模板的表，请团队负责人先运行 VelmoraDb team init"
                                    "（relation \"teamtext\" does not exist）");
}

// Database files made by another tool: what their schema may hold, and what a connection
// lets it do.
#include "Commands.h"
#include "Platform.h"
#include "TestSupport.h"
#include "backup/Backup.h"
#include "store/Connection.h"
#include "store/Database.h"
#include "store/StoreError.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <utility>

namespace {

// As any SQLite tool would write it: a plain handle, none of the program's guards.
void Sql(const std::string& database, const std::string& sql)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(database.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sql << sqlite3_errmsg(db);
    sqlite3_close(db);
}

// TText made again as a view whose rows never end, each longer than the one before.
const char* const kRecursiveView =
    "drop table TText; create view TText as with recursive r(ID, TText, TSortID) as "
    "(select 1, 'x', 0 union all select ID + 1, TText || hex(randomblob(64)), TSortID + 1 from r) select * from r";

// The team library's tables, TTeamConfig's columns left open after TLastError.
const std::string kTeamTables =
    "create table TTeamText (ID, TText, TSortID); create table TTeamConfig "
    "(TID integer primary key, TConnection, TServer, TCounter, TLastSync, TRows, TLastError";

} // namespace

TEST(SchemaCheck, ViewsTriggersAndWorkedIndexesAreRefusedByTheRestoreAndCheckPlainAdditionsPass)
{
    // The statements another tool ran, and the refusal; none when the file is sound.
    const std::pair<std::string, std::string> cases[] = {
        {kRecursiveView, "含有视图 TText"},
        {"create view Recent as select * from TText", "含有视图 Recent"},
        // Would run at the exit stamp, and put a template holding Ctrl+V in the list.
        {"create trigger stamp after update on Tconfig begin "
         "insert into TText (TText) values ('您好' || char(22)); end",
         "含有触发器 stamp（表 Tconfig）"},
        {"create trigger keep before delete on TText begin select raise(ignore); end", "含有触发器 keep（表 TText）"},
        // The delivered trigger's name on another body is another trigger.
        {"drop trigger TTextSortLast; create trigger TTextSortLast after insert on TText begin "
         "update Tconfig set TSaveDB = 0; end",
         "含有触发器 TTextSortLast（表 TText）"},
        {"create index Shout on TText (upper(TText))", "含有表达式索引 Shout（表 TText）"},
        {"create index Some on TText (TSortID) where TSortID > 0", "含有带条件的索引 Some（表 TText）"},
        {"alter table Tconfig drop column TDeadDay", "表 Tconfig 缺少字段 TDeadDay"},
        {kTeamTables + ", TCheckSeconds)", ""},
        {kTeamTables + ")", "表 TTeamConfig 缺少字段 TCheckSeconds"},
        // What a user or a later build may add: tables, columns of the team tables, plain indexes.
        {kTeamTables +
             ", TCheckSeconds, TGeneration); create table Notes (Body); create index NotesBody on Notes (Body); "
             "create unique index TextOnce on TText (TText collate nocase desc)",
         ""},
    };
    for (const auto& [sql, refusal] : cases) {
        TempFolder folder;
        const std::string db = folder.deliveredDatabase({"你好"});
        Sql(db, sql);
        std::string reason;
        EXPECT_EQ(IsSoundDatabase(db, reason), refusal.empty()) << sql;
        EXPECT_EQ(reason.rfind(refusal, 0), 0u) << reason;

        ToolOutput output;
        const auto start = std::chrono::steady_clock::now();
        const int exit = RunDbTool({"check", db}, ThisPlatform(), output);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << sql;
        EXPECT_EQ(exit, refusal.empty() ? kExitDone : kExitUnusable) << output.out << output.err;
        EXPECT_NE(output.out.find(db + "：" + refusal), std::string::npos) << output.out;
    }
}

TEST(SchemaCheck, AConnectionNeverReadsThroughAViewOfTheFileNorWritesItsSchemaAndStopsAtItsTimeLimit)
{
    TempFolder folder;
    const std::string db = folder.deliveredDatabase({"你好"});
    Sql(db, kRecursiveView);
    Database database(db, Database::Opening::ReadWrite);
    EXPECT_THROW(database.exec("pragma writable_schema = on; delete from sqlite_master where type = 'view'"),
                 StoreError);
    EXPECT_THROW(RowReader(database, "select count(*) from TText").next(), StoreError);

    database.limitTime(std::chrono::milliseconds(200));
    RowReader endless(database,
                      "with recursive r(n) as (select 1 union all select n + 1 from r) select count(*) from r");
    try {
        endless.next();
        ADD_FAILURE() << "the endless read ended";
    } catch (const StoreError& e) {
        EXPECT_EQ(e.code(), EngineCode::Interrupt) << e.what();
    }
}

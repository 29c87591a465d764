#include "store/TeamSql.h"

#include <strings.h>

bool TeamDialectFor(const std::string& serverName, TeamDialect& dialect)
{
    if (strcasecmp(serverName.c_str(), kPostgreSqlName) == 0) {
        dialect = TeamDialect::PostgreSql;
        return true;
    }
    if (strcasecmp(serverName.c_str(), kSqlServerName) == 0) {
        dialect = TeamDialect::SqlServer;
        return true;
    }
    return false;
}

namespace {

// A new generation: random, and the time to the microsecond and the server process besides, so
// that two inits or publishes never make the same one. (gen_random_uuid needs PostgreSQL 13.)
const char* const kNewGeneration = "md5(random()::text || clock_timestamp()::text || pg_backend_pid()::text)";

// Unquoted names: PostgreSQL folds them to lower case wherever they appear, so every
// statement meets the same tables however the names are spelt here.
TeamSql PostgreSql()
{
    TeamSql sql;
    sql.createTables = {
        "CREATE TABLE IF NOT EXISTS TeamText (ID SERIAL PRIMARY KEY, TText TEXT NOT NULL, TSortID INTEGER NOT NULL)",
        "CREATE TABLE IF NOT EXISTS TeamVersion (ID INTEGER PRIMARY KEY, Version BIGINT NOT NULL)",
        "INSERT INTO TeamVersion (ID, Version) VALUES (1, 0) ON CONFLICT (ID) DO NOTHING",
        "ALTER TABLE TeamVersion ADD COLUMN IF NOT EXISTS Generation TEXT",
        std::string("UPDATE TeamVersion SET Generation = ") + kNewGeneration + " WHERE ID = 1 AND Generation IS NULL",
    };
    sql.readCounter = "SELECT Version FROM TeamVersion WHERE ID = 1";
    sql.readVersion = "SELECT Version, Generation FROM TeamVersion WHERE ID = 1";
    sql.readSize = "SELECT COUNT(*), COALESCE(SUM(OCTET_LENGTH(TText)), 0), COALESCE(MAX(OCTET_LENGTH(TText)), 0) "
                   "FROM TeamText";
    sql.readTemplates = "SELECT TText FROM TeamText ORDER BY TSortID, ID";
    sql.hasGeneration = "SELECT COUNT(*) FROM information_schema.columns WHERE table_schema = current_schema() AND "
                        "table_name = 'teamversion' AND column_name = 'generation'";
    sql.addGeneration = sql.createTables[3];
    sql.moveCounter =
        std::string("UPDATE TeamVersion SET Version = Version + 1, Generation = ") + kNewGeneration + " WHERE ID = 1";
    sql.moveCounterOnly = "UPDATE TeamVersion SET Version = Version + 1 WHERE ID = 1";
    sql.deleteTemplates = "DELETE FROM TeamText";
    sql.insertTemplate = "INSERT INTO TeamText (TText, TSortID) VALUES (?, ?)";
    return sql;
}

// NVARCHAR(MAX): a VARCHAR column under a Chinese collation would store code page 936 and
// lose what it lacks (emoji among them).
TeamSql SqlServer()
{
    TeamSql sql;
    sql.createTables = {
        "IF OBJECT_ID(N'dbo.TeamText', N'U') IS NULL CREATE TABLE dbo.TeamText (ID INT IDENTITY(1,1) PRIMARY KEY, "
        "TText NVARCHAR(MAX) NOT NULL, TSortID INT NOT NULL)",
        "IF OBJECT_ID(N'dbo.TeamVersion', N'U') IS NULL CREATE TABLE dbo.TeamVersion (ID INT NOT NULL PRIMARY KEY, "
        "Version BIGINT NOT NULL)",
        "IF NOT EXISTS (SELECT 1 FROM dbo.TeamVersion WHERE ID = 1) INSERT INTO dbo.TeamVersion (ID, Version) VALUES "
        "(1, "
        "0)",
        "IF COL_LENGTH(N'dbo.TeamVersion', N'Generation') IS NULL ALTER TABLE dbo.TeamVersion ADD Generation "
        "NVARCHAR(64) NULL",
        "UPDATE dbo.TeamVersion SET Generation = CONVERT(NVARCHAR(64), NEWID()) WHERE ID = 1 AND Generation IS NULL",
    };
    sql.readCounter = "SELECT Version FROM dbo.TeamVersion WHERE ID = 1";
    sql.readVersion = "SELECT Version, Generation FROM dbo.TeamVersion WHERE ID = 1";
    // DATALENGTH counts UTF-16 bytes; half of it, the code units, is never above the UTF-8 bytes.
    sql.readSize = "SELECT COUNT_BIG(*), COALESCE(SUM(CAST(DATALENGTH(TText) AS BIGINT)), 0) / 2, "
                   "COALESCE(MAX(CAST(DATALENGTH(TText) AS BIGINT)), 0) / 2 FROM dbo.TeamText";
    sql.readTemplates = "SELECT TText FROM dbo.TeamText ORDER BY TSortID, ID";
    sql.hasGeneration = "SELECT CASE WHEN COL_LENGTH(N'dbo.TeamVersion', N'Generation') IS NULL THEN 0 ELSE 1 END";
    sql.addGeneration = sql.createTables[3];
    sql.moveCounter = "UPDATE dbo.TeamVersion SET Version = Version + 1, Generation = CONVERT(NVARCHAR(64), NEWID()) "
                      "WHERE ID = 1";
    sql.moveCounterOnly = "UPDATE dbo.TeamVersion SET Version = Version + 1 WHERE ID = 1";
    sql.deleteTemplates = "DELETE FROM dbo.TeamText";
    sql.insertTemplate = "INSERT INTO dbo.TeamText (TText, TSortID) VALUES (?, ?)";
    return sql;
}

} // namespace

const TeamSql& TeamSqlFor(TeamDialect dialect)
{
    static const TeamSql postgreSql = PostgreSql();
    static const TeamSql sqlServer = SqlServer();
    return dialect == TeamDialect::SqlServer ? sqlServer : postgreSql;
}

std::string TeamInsertRows(const TeamSql& sql, size_t rows)
{
    std::string text = sql.insertTemplate;
    for (size_t i = 1; i < rows; ++i)
        text += ", (?, ?)";
    return text;
}

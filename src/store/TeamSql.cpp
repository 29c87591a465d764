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

// Unquoted names: PostgreSQL folds them to lower case wherever they appear, so every
// statement meets the same tables however the names are spelt here.
TeamSql PostgreSql()
{
    TeamSql sql;
    sql.createTables = {
        "CREATE TABLE IF NOT EXISTS TeamText (ID SERIAL PRIMARY KEY, TText TEXT NOT NULL, TSortID INTEGER NOT NULL)",
        "CREATE TABLE IF NOT EXISTS TeamVersion (ID INTEGER PRIMARY KEY, Version BIGINT NOT NULL)",
        "INSERT INTO TeamVersion (ID, Version) VALUES (1, 0) ON CONFLICT (ID) DO NOTHING",
    };
    sql.readCounter = "SELECT Version FROM TeamVersion WHERE ID = 1";
    sql.readTemplates = "SELECT TText FROM TeamText ORDER BY TSortID, ID";
    sql.moveCounter = "UPDATE TeamVersion SET Version = Version + 1 WHERE ID = 1";
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
    };
    sql.readCounter = "SELECT Version FROM dbo.TeamVersion WHERE ID = 1";
    sql.readTemplates = "SELECT TText FROM dbo.TeamText ORDER BY TSortID, ID";
    sql.moveCounter = "UPDATE dbo.TeamVersion SET Version = Version + 1 WHERE ID = 1";
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

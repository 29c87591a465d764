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

// The statements of versions and sets, the same in both servers but for the schema's prefix
// and a few words.
struct Words {
    std::string prefix;     // "" or "dbo."
    std::string generation; // a new generation
    std::string now;        // the server's time, to the second
    std::string login;      // the server login of this connection
    std::string timeText;   // a TIMESTAMP column as 'YYYY-MM-DD HH:MM:SS' text; %s is the column
    std::string newestOnly; // the statement reading the newest version, with its one-row limit
    std::string keepName;   // 'keep' as a literal
    std::string units;      // never fewer than TText's UTF-16 code units
};

std::string TimeText(const Words& w, const std::string& column)
{
    std::string text = w.timeText;
    return text.replace(text.find("%s"), 2, column);
}

void VersionStatements(TeamSql& sql, const Words& w)
{
    const std::string& p = w.prefix;
    sql.findSet = "SELECT SetID, CurrentVersion FROM " + p + "TeamSet WHERE Name = ?";
    sql.newSetId = "SELECT COALESCE(MAX(ID), 0) + 1 FROM " + p + "TeamVersion";
    sql.insertSetCounter =
        "INSERT INTO " + p + "TeamVersion (ID, Version, Generation) VALUES (?, 0, " + w.generation + ")";
    sql.insertSet = "INSERT INTO " + p + "TeamSet (SetID, Name, CurrentVersion) VALUES (?, ?, 0)";
    sql.moveSetCounter =
        "UPDATE " + p + "TeamVersion SET Version = Version + 1, Generation = " + w.generation + " WHERE ID = ?";
    sql.readSetCounter = "SELECT Version FROM " + p + "TeamVersion WHERE ID = ?";
    sql.readNewest = w.newestOnly;
    sql.readKeep = "SELECT Value FROM " + p + "TeamOption WHERE Name = " + w.keepName;
    sql.readVersionRows = "SELECT TemplateNo, SourceID, TSortID, TText FROM " + p +
                          "TeamHistoryText WHERE SetID = ? AND VersionNo = ? ORDER BY TSortID";
    sql.readLongVersionRows = "SELECT TSortID, TText FROM " + p +
                              "TeamHistoryText WHERE SetID = ? AND VersionNo = ? AND " + w.units + " >= ?";
    sql.insertVersionRows =
        "INSERT INTO " + p + "TeamHistoryText (SetID, VersionNo, TSortID, TemplateNo, SourceID, TText) VALUES ";
    sql.insertHistory =
        "INSERT INTO " + p +
        "TeamHistory (SetID, VersionNo, PublishedAt, ServerLogin, WinUser, Computer, Source, Note, Added, "
        "Changed, Removed, Templates, LastTemplateNo) VALUES (?, ?, " +
        w.now + ", " + w.login + ", ?, ?, ?, ?, ?, ?, ?, ?, ?)";
    sql.setCurrent = "UPDATE " + p + "TeamSet SET CurrentVersion = ? WHERE SetID = ?";
    sql.copyToTeamText = "INSERT INTO " + p +
                         "TeamText (TText, TSortID, TemplateNo) SELECT TText, TSortID, TemplateNo FROM " + p +
                         "TeamHistoryText WHERE SetID = 1 AND VersionNo = ?";
    sql.pruneRows = "DELETE FROM " + p + "TeamHistoryText WHERE SetID = ? AND VersionNo <= ?";
    sql.pruneHistory = "DELETE FROM " + p + "TeamHistory WHERE SetID = ? AND VersionNo <= ?";
    sql.readHistory = "SELECT VersionNo, " + TimeText(w, "PublishedAt") +
                      ", ServerLogin, WinUser, Computer, Note, Added, Changed, Removed, Templates, Source FROM " + p +
                      "TeamHistory WHERE SetID = ? ORDER BY VersionNo DESC";
    sql.readSets = "SELECT s.SetID, s.Name, s.CurrentVersion, COALESCE(h.Templates, 0), " +
                   TimeText(w, "h.PublishedAt") + " FROM " + p + "TeamSet s LEFT JOIN " + p +
                   "TeamHistory h ON h.SetID = s.SetID AND h.VersionNo = s.CurrentVersion ORDER BY s.SetID";
    sql.removeSetRows = "DELETE FROM " + p + "TeamHistoryText WHERE SetID = ?";
    sql.removeSetHistory = "DELETE FROM " + p + "TeamHistory WHERE SetID = ?";
    sql.removeSet = "DELETE FROM " + p + "TeamSet WHERE SetID = ? AND SetID <> 1";
    sql.setOption = "UPDATE " + p + "TeamOption SET Value = ? WHERE Name = ?";
}

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
        "ALTER TABLE TeamText ADD COLUMN IF NOT EXISTS TemplateNo BIGINT",
        "CREATE TABLE IF NOT EXISTS TeamSet (SetID INTEGER PRIMARY KEY, Name TEXT NOT NULL UNIQUE, CurrentVersion "
        "INTEGER NOT NULL)",
        "INSERT INTO TeamSet (SetID, Name, CurrentVersion) VALUES (1, '默认', 0) ON CONFLICT (SetID) DO NOTHING",
        "CREATE TABLE IF NOT EXISTS TeamHistory (SetID INTEGER NOT NULL, VersionNo INTEGER NOT NULL, PublishedAt "
        "TIMESTAMP(0) NOT NULL, ServerLogin TEXT NOT NULL, WinUser TEXT NOT NULL, Computer TEXT NOT NULL, Source TEXT, "
        "Note TEXT, Added INTEGER NOT NULL, Changed INTEGER NOT NULL, Removed INTEGER NOT NULL, Templates INTEGER NOT "
        "NULL, LastTemplateNo BIGINT NOT NULL, PRIMARY KEY (SetID, VersionNo))",
        "CREATE TABLE IF NOT EXISTS TeamHistoryText (SetID INTEGER NOT NULL, VersionNo INTEGER NOT NULL, TSortID "
        "INTEGER NOT NULL, TemplateNo BIGINT NOT NULL, SourceID BIGINT, TText TEXT NOT NULL, PRIMARY KEY (SetID, "
        "VersionNo, TSortID))",
        "CREATE TABLE IF NOT EXISTS TeamOption (Name VARCHAR(40) PRIMARY KEY, Value TEXT NOT NULL)",
        "INSERT INTO TeamOption (Name, Value) VALUES ('keep', '100') ON CONFLICT (Name) DO NOTHING",
        "INSERT INTO TeamOption (Name, Value) VALUES ('usage', 'off') ON CONFLICT (Name) DO NOTHING",
        "CREATE TABLE IF NOT EXISTS TeamUsage (DeskID VARCHAR(40) NOT NULL, UploadID VARCHAR(40) NOT NULL, Day DATE "
        "NOT NULL, SetID INTEGER NOT NULL, TemplateNo BIGINT NOT NULL, Sends INTEGER NOT NULL, PRIMARY KEY (DeskID, "
        "UploadID, Day, SetID, TemplateNo))",
        "CREATE TABLE IF NOT EXISTS TeamUpload (DeskID VARCHAR(40) NOT NULL, UploadID VARCHAR(40) NOT NULL, UploadedAt "
        "TIMESTAMP(0) NOT NULL DEFAULT LOCALTIMESTAMP(0), PRIMARY KEY (DeskID, UploadID))",
    };
    // No version of the default set yet: TeamText as it stands becomes version 1.
    const std::string noVersion = " NOT EXISTS (SELECT 1 FROM TeamHistory WHERE SetID = 1)";
    sql.migrateLibrary = {
        "UPDATE TeamText SET TemplateNo = r.No FROM (SELECT ID, ROW_NUMBER() OVER (ORDER BY TSortID, ID) AS No FROM "
        "TeamText) r WHERE TeamText.ID = r.ID AND" +
            noVersion,
        "INSERT INTO TeamHistoryText (SetID, VersionNo, TSortID, TemplateNo, SourceID, TText) SELECT 1, 1, "
        "TemplateNo - 1, TemplateNo, NULL, TText FROM TeamText WHERE" +
            noVersion,
        "INSERT INTO TeamHistory (SetID, VersionNo, PublishedAt, ServerLogin, WinUser, Computer, Source, Note, Added, "
        "Changed, Removed, Templates, LastTemplateNo) SELECT 1, 1, LOCALTIMESTAMP(0), SESSION_USER, ?, ?, NULL, "
        "'升级前的团队模板库', COUNT(*), 0, 0, COUNT(*), COUNT(*) FROM TeamText WHERE" +
            noVersion + " HAVING COUNT(*) > 0",
        "UPDATE TeamSet SET CurrentVersion = 1 WHERE SetID = 1 AND CurrentVersion = 0 AND EXISTS (SELECT 1 FROM "
        "TeamHistory WHERE SetID = 1 AND VersionNo = 1)",
    };
    sql.readCounter = "SELECT Version FROM TeamVersion WHERE ID = 1";
    sql.readVersion = "SELECT Version, Generation FROM TeamVersion WHERE ID = 1";
    sql.readSize = "SELECT COUNT(*), COALESCE(SUM(OCTET_LENGTH(TText)), 0), COALESCE(MAX(OCTET_LENGTH(TText)), 0) "
                   "FROM TeamText";
    sql.readTemplates = "SELECT TText FROM TeamText ORDER BY TSortID, ID";
    // The catalogue itself: information_schema's view took a publish 4 ms.
    sql.hasGeneration = "SELECT COUNT(*) FROM pg_attribute WHERE attrelid = to_regclass('teamversion') AND attname = "
                        "'generation' AND NOT attisdropped";
    sql.addGeneration = sql.createTables[3];
    sql.moveCounter =
        std::string("UPDATE TeamVersion SET Version = Version + 1, Generation = ") + kNewGeneration + " WHERE ID = 1";
    sql.moveCounterOnly = "UPDATE TeamVersion SET Version = Version + 1 WHERE ID = 1";
    sql.deleteTemplates = "DELETE FROM TeamText";
    sql.insertTemplate = "INSERT INTO TeamText (TText, TSortID) VALUES (?, ?)";
    VersionStatements(sql,
                      {"", kNewGeneration, "LOCALTIMESTAMP(0)", "SESSION_USER", "to_char(%s, 'YYYY-MM-DD HH24:MI:SS')",
                       "SELECT VersionNo, Source, LastTemplateNo FROM TeamHistory WHERE SetID = ? ORDER BY "
                       "VersionNo DESC LIMIT 1",
                       "'keep'", "OCTET_LENGTH(TText)"});
    sql.deskSets = "SELECT s.SetID, s.Name, v.Version, v.Generation, s.CurrentVersion, (SELECT o.Value FROM TeamOption "
                   "o WHERE o.Name = 'usage') FROM TeamSet s JOIN TeamVersion v ON v.ID = s.SetID ORDER BY s.SetID";
    sql.deskSetSize = "SELECT COUNT(*), COALESCE(SUM(OCTET_LENGTH(TText)), 0), COALESCE(MAX(OCTET_LENGTH(TText)), 0) "
                      "FROM TeamHistoryText WHERE SetID = ? AND VersionNo = ?";
    sql.deskSetTemplates =
        "SELECT TemplateNo, TText FROM TeamHistoryText WHERE SetID = ? AND VersionNo = ? ORDER BY TSortID";
    sql.deskUpload = "INSERT INTO TeamUpload (DeskID, UploadID) VALUES (?, ?)";
    sql.deskUsage = "INSERT INTO TeamUsage (DeskID, UploadID, Day, SetID, TemplateNo, Sends) VALUES (?, ?, CAST(? AS "
                    "DATE), ?, ?, ?)";
    sql.usageReport =
        "SELECT h.TemplateNo, h.TText, COALESCE(u.Sends, 0), COALESCE(u.Desks, 0) FROM TeamSet s JOIN "
        "TeamHistoryText h ON h.SetID = s.SetID AND h.VersionNo = s.CurrentVersion LEFT JOIN (SELECT "
        "SetID, TemplateNo, SUM(Sends) AS Sends, COUNT(DISTINCT DeskID) AS Desks FROM TeamUsage WHERE Day "
        "> CURRENT_DATE - CAST(? AS INTEGER) GROUP BY SetID, TemplateNo) u ON u.SetID = h.SetID AND "
        "u.TemplateNo = h.TemplateNo WHERE s.Name = ? ORDER BY 3 DESC, h.TSortID";
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
        "IF COL_LENGTH(N'dbo.TeamText', N'TemplateNo') IS NULL ALTER TABLE dbo.TeamText ADD TemplateNo BIGINT NULL",
        "IF OBJECT_ID(N'dbo.TeamSet', N'U') IS NULL CREATE TABLE dbo.TeamSet (SetID INT NOT NULL PRIMARY KEY, Name "
        "NVARCHAR(100) NOT NULL UNIQUE, CurrentVersion INT NOT NULL)",
        "IF NOT EXISTS (SELECT 1 FROM dbo.TeamSet WHERE SetID = 1) INSERT INTO dbo.TeamSet (SetID, Name, "
        "CurrentVersion) VALUES (1, N'默认', 0)",
        "IF OBJECT_ID(N'dbo.TeamHistory', N'U') IS NULL CREATE TABLE dbo.TeamHistory (SetID INT NOT NULL, VersionNo "
        "INT NOT NULL, PublishedAt DATETIME2(0) NOT NULL, ServerLogin NVARCHAR(256) NOT NULL, WinUser NVARCHAR(256) "
        "NOT NULL, Computer NVARCHAR(256) NOT NULL, Source NVARCHAR(MAX) NULL, Note NVARCHAR(MAX) NULL, Added INT NOT "
        "NULL, Changed INT NOT NULL, Removed INT NOT NULL, Templates INT NOT NULL, LastTemplateNo BIGINT NOT NULL, "
        "PRIMARY KEY (SetID, VersionNo))",
        "IF OBJECT_ID(N'dbo.TeamHistoryText', N'U') IS NULL CREATE TABLE dbo.TeamHistoryText (SetID INT NOT NULL, "
        "VersionNo INT NOT NULL, TSortID INT NOT NULL, TemplateNo BIGINT NOT NULL, SourceID BIGINT NULL, TText "
        "NVARCHAR(MAX) NOT NULL, PRIMARY KEY (SetID, VersionNo, TSortID))",
        "IF OBJECT_ID(N'dbo.TeamOption', N'U') IS NULL CREATE TABLE dbo.TeamOption (Name NVARCHAR(40) NOT NULL "
        "PRIMARY KEY, Value NVARCHAR(200) NOT NULL)",
        "IF NOT EXISTS (SELECT 1 FROM dbo.TeamOption WHERE Name = N'keep') INSERT INTO dbo.TeamOption (Name, Value) "
        "VALUES (N'keep', N'100')",
        "IF NOT EXISTS (SELECT 1 FROM dbo.TeamOption WHERE Name = N'usage') INSERT INTO dbo.TeamOption (Name, Value) "
        "VALUES (N'usage', N'off')",
        "IF OBJECT_ID(N'dbo.TeamUsage', N'U') IS NULL CREATE TABLE dbo.TeamUsage (DeskID VARCHAR(40) NOT NULL, "
        "UploadID VARCHAR(40) NOT NULL, Day DATE NOT NULL, SetID INT NOT NULL, TemplateNo BIGINT NOT NULL, Sends INT "
        "NOT NULL, PRIMARY KEY (DeskID, UploadID, Day, SetID, TemplateNo))",
        "IF OBJECT_ID(N'dbo.TeamUpload', N'U') IS NULL CREATE TABLE dbo.TeamUpload (DeskID VARCHAR(40) NOT NULL, "
        "UploadID VARCHAR(40) NOT NULL, UploadedAt DATETIME2(0) NOT NULL DEFAULT SYSDATETIME(), PRIMARY KEY (DeskID, "
        "UploadID))",
    };
    const std::string noVersion = " NOT EXISTS (SELECT 1 FROM dbo.TeamHistory WHERE SetID = 1)";
    sql.migrateLibrary = {
        "UPDATE t SET TemplateNo = r.No FROM dbo.TeamText t JOIN (SELECT ID, ROW_NUMBER() OVER (ORDER BY TSortID, "
        "ID) AS No FROM dbo.TeamText) r ON r.ID = t.ID WHERE" +
            noVersion,
        "INSERT INTO dbo.TeamHistoryText (SetID, VersionNo, TSortID, TemplateNo, SourceID, TText) SELECT 1, 1, "
        "TemplateNo - 1, TemplateNo, NULL, TText FROM dbo.TeamText WHERE" +
            noVersion,
        "INSERT INTO dbo.TeamHistory (SetID, VersionNo, PublishedAt, ServerLogin, WinUser, Computer, Source, Note, "
        "Added, Changed, Removed, Templates, LastTemplateNo) SELECT 1, 1, SYSDATETIME(), SUSER_SNAME(), ?, ?, "
        "NULL, N'升级前的团队模板库', COUNT(*), 0, 0, COUNT(*), COUNT(*) FROM dbo.TeamText WHERE" +
            noVersion + " HAVING COUNT(*) > 0",
        "UPDATE dbo.TeamSet SET CurrentVersion = 1 WHERE SetID = 1 AND CurrentVersion = 0 AND EXISTS (SELECT 1 FROM "
        "dbo.TeamHistory WHERE SetID = 1 AND VersionNo = 1)",
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
    VersionStatements(sql, {"dbo.", "CONVERT(NVARCHAR(64), NEWID())", "SYSDATETIME()", "SUSER_SNAME()",
                            "CONVERT(NVARCHAR(19), %s, 120)",
                            "SELECT TOP 1 VersionNo, Source, LastTemplateNo FROM dbo.TeamHistory WHERE SetID = ? "
                            "ORDER BY VersionNo DESC",
                            "N'keep'", "DATALENGTH(TText) / 2"});
    sql.deskSets = "SELECT s.SetID, s.Name, v.Version, v.Generation, s.CurrentVersion, (SELECT o.Value FROM "
                   "dbo.TeamOption o WHERE o.Name = 'usage') FROM dbo.TeamSet s JOIN dbo.TeamVersion v ON v.ID = "
                   "s.SetID ORDER BY s.SetID";
    sql.deskSetSize = "SELECT COUNT_BIG(*), COALESCE(SUM(CAST(DATALENGTH(TText) AS BIGINT)), 0) / 2, "
                      "COALESCE(MAX(CAST(DATALENGTH(TText) AS BIGINT)), 0) / 2 FROM dbo.TeamHistoryText WHERE SetID = "
                      "? AND VersionNo = ?";
    sql.deskSetTemplates =
        "SELECT TemplateNo, TText FROM dbo.TeamHistoryText WHERE SetID = ? AND VersionNo = ? ORDER BY TSortID";
    sql.deskUpload = "INSERT INTO dbo.TeamUpload (DeskID, UploadID) VALUES (?, ?)";
    sql.deskUsage = "INSERT INTO dbo.TeamUsage (DeskID, UploadID, Day, SetID, TemplateNo, Sends) VALUES (?, ?, "
                    "CAST(? AS DATE), ?, ?, ?)";
    sql.usageReport =
        "SELECT h.TemplateNo, h.TText, COALESCE(u.Sends, 0), COALESCE(u.Desks, 0) FROM dbo.TeamSet s JOIN "
        "dbo.TeamHistoryText h ON h.SetID = s.SetID AND h.VersionNo = s.CurrentVersion LEFT JOIN (SELECT "
        "SetID, TemplateNo, SUM(CAST(Sends AS BIGINT)) AS Sends, COUNT(DISTINCT DeskID) AS Desks FROM "
        "dbo.TeamUsage WHERE Day > DATEADD(day, -CAST(? AS INT), CAST(GETDATE() AS DATE)) GROUP BY SetID, "
        "TemplateNo) u ON u.SetID = h.SetID AND u.TemplateNo = h.TemplateNo WHERE s.Name = ? ORDER BY 3 "
        "DESC, h.TSortID";
    return sql;
}

} // namespace

const TeamSql& TeamSqlFor(TeamDialect dialect)
{
    static const TeamSql postgreSql = PostgreSql();
    static const TeamSql sqlServer = SqlServer();
    return dialect == TeamDialect::SqlServer ? sqlServer : postgreSql;
}

std::string TeamInsertVersionRows(const TeamSql& sql, long long setId, long long versionNo,
                                  const std::vector<TeamVersionRow>& rows, size_t first, size_t count)
{
    std::string text = sql.insertVersionRows;
    const std::string version = std::to_string(setId) + ", " + std::to_string(versionNo) + ", ";
    for (size_t i = first; i < first + count; ++i)
        text += (i == first ? "(" : ", (") + version + std::to_string(i) + ", " + std::to_string(rows[i].templateNo) +
                ", " + (rows[i].sourceId != 0 ? std::to_string(rows[i].sourceId) : "NULL") + ", ?)";
    return text;
}

std::string TeamInsertRows(const TeamSql& sql, size_t rows)
{
    std::string text = sql.insertTemplate;
    for (size_t i = 1; i < rows; ++i)
        text += ", (?, ?)";
    return text;
}

std::string TeamUsageRows(const TeamSql& sql, size_t rows)
{
    std::string text = sql.deskUsage;
    for (size_t i = 1; i < rows; ++i)
        text += ", (?, ?, CAST(? AS DATE), ?, ?, ?)";
    return text;
}

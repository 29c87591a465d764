#include "store/TeamCache.h"

#include "store/Connection.h"
#include "store/Database.h"

namespace {

// ID is the server's; it is not the key here, so that a server handing out an id twice
// cannot make the whole cache fail to store. TLastSync is stored as TDeadDay is: "YYYY-MM-DD HH:MM:SS", empty for
// never.
const char* const kCreateTeamTables = R"sql(
CREATE TABLE IF NOT EXISTS TTeamText (
    ID INTEGER NOT NULL,
    TText TEXT NOT NULL,
    TSortID INTEGER NOT NULL
);
CREATE INDEX IF NOT EXISTS TTeamTextOrder ON TTeamText (TSortID);
CREATE TABLE IF NOT EXISTS TTeamConfig (
    TID INTEGER PRIMARY KEY,
    TConnection BLOB,
    TServer TEXT,
    TCounter INTEGER,
    TLastSync TEXT,
    TRows INTEGER,
    TLastError TEXT,
    TCheckSeconds INTEGER
);
)sql";

bool HasTeamTables(Database& database)
{
    RowReader found(database, "select count(*) from sqlite_master where type='table' and name in ('TTeamText', "
                              "'TTeamConfig')");
    return found.next() && found.utf8At(0) == "2";
}

bool HasTeamTables(Connection& connection) { return HasTeamTables(connection.database()); }

long long LongField(const Query& query, const std::string& name) { return std::stoll(query.fieldText(name)); }

} // namespace

std::optional<TeamSettings> ReadTeamSettings(Connection& connection)
{
    if (!HasTeamTables(connection))
        return std::nullopt;
    Query query(connection);
    query.open("select * from TTeamConfig where TID=1");
    if (query.eof())
        return std::nullopt;
    TeamSettings settings;
    settings.protectedConnection = query.fieldText("TConnection");
    settings.server = query.fieldText("TServer");
    if (!query.fieldText("TCounter").empty())
        settings.counter = LongField(query, "TCounter");
    settings.lastSync = query.fieldDateTime("TLastSync");
    settings.rows = query.fieldInt("TRows");
    settings.lastError = query.fieldText("TLastError");
    const int seconds = query.fieldInt("TCheckSeconds");
    settings.checkSeconds = seconds > 0 ? seconds : kDefaultTeamCheckSeconds;
    return settings;
}

void ConnectTeamLibrary(Connection& connection, const std::string& protectedConnection, const std::string& server)
{
    Transaction transaction(connection);
    connection.database().exec(kCreateTeamTables);
    const std::optional<TeamSettings> before = ReadTeamSettings(connection);
    if (!before || before->server != server)
        connection.execute("delete from TTeamText");
    Query count(connection);
    count.open("select count(*) as Rows from TTeamText");
    const int rows = count.fieldInt("Rows");
    const int seconds = before ? before->checkSeconds : kDefaultTeamCheckSeconds;
    connection.execute("delete from TTeamConfig");
    connection.execute(
        "insert into TTeamConfig (TID, TConnection, TServer, TCounter, TLastSync, TRows, TLastError, "
        "TCheckSeconds) values (1, ?, ?, NULL, ?, ?, '', ?)",
        {SqlParam::Blob(protectedConnection), SqlParam::Text(server),
         SqlParam::Text(before && rows > 0 && before->lastSync > 0 ? FormatDateTime(before->lastSync) : ""),
         SqlParam::Integer(rows), SqlParam::Integer(seconds)});
    transaction.commit();
}

bool RemoveTeamLibrary(Connection& connection)
{
    Transaction transaction(connection);
    const bool had = ReadTeamSettings(connection).has_value();
    connection.database().exec("drop table if exists TTeamText; drop table if exists TTeamConfig;");
    transaction.commit();
    return had;
}

std::vector<TeamTemplate> ReadTeamCache(Connection& connection)
{
    std::vector<TeamTemplate> templates;
    RowReader rows(connection, "select ID, TText, TSortID from TTeamText order by TSortID asc, ID asc");
    while (rows.next())
        templates.push_back({std::stoll(std::string(rows.utf8At(0))), std::string(rows.utf8At(1)),
                             std::stoll(std::string(rows.utf8At(2)))});
    return templates;
}

bool StoreTeamTemplates(Connection& connection, const std::vector<TeamTemplate>& templates, long long counter,
                        DateTime now, const StopRequested& stopping)
{
    const auto stopped = [&stopping] { return stopping && stopping(); };
    if (stopped())
        return false;
    Transaction transaction(connection);
    connection.execute("delete from TTeamText");
    {
        Command insert(connection, "insert into TTeamText (ID, TText, TSortID) values (?, ?, ?)");
        for (const TeamTemplate& row : templates) {
            // The transaction's end undoes what was written.
            if (stopped())
                return false;
            insert.run({SqlParam::Integer(row.id), SqlParam::Text(row.text), SqlParam::Integer(row.sortId)});
        }
    }
    connection.execute("update TTeamConfig set TCounter=?, TLastSync=?, TRows=?, TLastError='' where TID=1",
                       {SqlParam::Integer(counter), SqlParam::Text(FormatDateTime(now)),
                        SqlParam::Integer(static_cast<long long>(templates.size()))});
    transaction.commit();
    return true;
}

void RecordTeamCheck(Connection& connection, DateTime now)
{
    connection.execute("update TTeamConfig set TLastSync=?, TLastError='' where TID=1",
                       {SqlParam::Text(FormatDateTime(now))});
}

void RecordTeamFailure(Connection& connection, const std::string& sentence)
{
    connection.execute("update TTeamConfig set TLastError=? where TID=1", {SqlParam::Text(sentence)});
}

bool CarryTeamLibrary(const std::string& fromPath, const std::string& toPath)
{
    Connection to;
    to.setConnectionText(ConnectionTextFor(toPath));
    if (HasTeamTables(to))
        return false;
    // Read as it lies: the database being replaced keeps its journal untouched until it goes.
    Database from(fromPath, Database::Opening::ReadOnlyImmutable);
    if (!HasTeamTables(from))
        return false;
    const auto text = [](std::string_view value) { return SqlParam::Text(std::string(value)); };
    Transaction transaction(to);
    to.database().exec(kCreateTeamTables);
    {
        RowReader rows(from, "select ID, TText, TSortID from TTeamText");
        Command insert(to, "insert into TTeamText (ID, TText, TSortID) values (?, ?, ?)");
        while (rows.next())
            insert.run({text(rows.utf8At(0)), text(rows.utf8At(1)), text(rows.utf8At(2))});
    }
    RowReader settings(from, "select TConnection, TServer, TCounter, TLastSync, TRows, TLastError, TCheckSeconds "
                             "from TTeamConfig where TID=1");
    if (settings.next())
        to.execute("insert into TTeamConfig (TID, TConnection, TServer, TCounter, TLastSync, TRows, TLastError, "
                   "TCheckSeconds) values (1, ?, ?, nullif(?, ''), ?, ?, ?, nullif(?, ''))",
                   {SqlParam::Blob(std::string(settings.utf8At(0))), text(settings.utf8At(1)), text(settings.utf8At(2)),
                    text(settings.utf8At(3)), text(settings.utf8At(4)), text(settings.utf8At(5)),
                    text(settings.utf8At(6))});
    transaction.commit();
    return true;
}

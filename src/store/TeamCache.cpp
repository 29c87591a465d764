#include "store/TeamCache.h"

#include "store/Connection.h"
#include "store/Database.h"

#include <strings.h>

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
    TCheckSeconds INTEGER,
    TIdentity TEXT,
    TGeneration TEXT,
    TNote TEXT,
    TRefusedCounter INTEGER,
    TRefusedGeneration TEXT,
    TRefusedError TEXT,
    TDeadlineSeconds INTEGER,
    TCacheIdentity TEXT,
    TPolicyPassword BLOB,
    TPolicyPasswordIdentity TEXT
);
)sql";

// The columns of TTeamConfig that older builds did not make, in the order they came.
const char* const kLaterColumns[][2] = {
    {"TIdentity", "TEXT"},
    {"TGeneration", "TEXT"},
    {"TNote", "TEXT"},
    {"TRefusedCounter", "INTEGER"},
    {"TRefusedGeneration", "TEXT"},
    {"TRefusedError", "TEXT"},
    {"TDeadlineSeconds", "INTEGER"},
    {"TCacheIdentity", "TEXT"},
    {"TPolicyPassword", "BLOB"},
    {"TPolicyPasswordIdentity", "TEXT"},
};

bool HasTeamTables(Database& database)
{
    RowReader found(database, "select count(*) from sqlite_master where type='table' and name in ('TTeamText', "
                              "'TTeamConfig')");
    return found.next() && found.utf8At(0) == "2";
}

bool HasTeamTables(Connection& connection) { return HasTeamTables(connection.database()); }

long long LongField(const Query& query, const std::string& name) { return std::stoll(query.fieldText(name)); }

// A column a desk set up by an older build may lack reads as empty.
std::string TextIfThere(const Query& query, const std::string& name)
{
    return query.hasField(name) ? query.fieldText(name) : std::string();
}

std::vector<std::string> ColumnsOf(Database& database, const char* table)
{
    std::vector<std::string> columns;
    RowReader info(database, std::string("pragma table_info(") + table + ")");
    while (info.next())
        columns.emplace_back(info.utf8("name"));
    return columns;
}

bool Holds(const std::vector<std::string>& names, const std::string& name)
{
    for (const std::string& held : names)
        if (strcasecmp(held.c_str(), name.c_str()) == 0)
            return true;
    return false;
}

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
    settings.identity = TextIfThere(query, "TIdentity");
    if (!query.fieldText("TCounter").empty())
        settings.version = TeamLibraryVersion{LongField(query, "TCounter"), TextIfThere(query, "TGeneration")};
    settings.lastSync = query.fieldDateTime("TLastSync");
    settings.rows = query.fieldInt("TRows");
    settings.lastError = query.fieldText("TLastError");
    settings.note = TextIfThere(query, "TNote");
    if (!TextIfThere(query, "TRefusedCounter").empty())
        settings.refused =
            TeamLibraryVersion{LongField(query, "TRefusedCounter"), TextIfThere(query, "TRefusedGeneration")};
    settings.refusedError = TextIfThere(query, "TRefusedError");
    const int seconds = query.fieldInt("TCheckSeconds");
    settings.checkSeconds = seconds > 0 ? seconds : kDefaultTeamCheckSeconds;
    const int deadline = query.hasField("TDeadlineSeconds") ? query.fieldInt("TDeadlineSeconds") : 0;
    settings.deadlineSeconds = deadline > 0 ? deadline : kDefaultTeamDeadlineSeconds;
    const std::string cacheIdentity = TextIfThere(query, "TCacheIdentity");
    settings.cacheIdentity = cacheIdentity.empty() ? settings.identity : cacheIdentity;
    settings.policyPassword = TextIfThere(query, "TPolicyPassword");
    settings.policyPasswordIdentity = TextIfThere(query, "TPolicyPasswordIdentity");
    return settings;
}

void ConnectTeamLibrary(Connection& connection, const std::string& protectedConnection, const std::string& server,
                        const std::string& identity, const std::string& cacheFor)
{
    Transaction transaction(connection);
    connection.database().exec(kCreateTeamTables);
    UpgradeTeamTables(connection);
    const std::optional<TeamSettings> before = ReadTeamSettings(connection);
    // The cache is the whole connection's: another database on the same server, another user
    // or port is another library.
    const std::string owner = cacheFor.empty() ? identity : cacheFor;
    const bool keep = before && !owner.empty() && before->cacheIdentity == owner;
    if (!keep)
        connection.execute("delete from TTeamText");
    Query count(connection);
    count.open("select count(*) as Rows from TTeamText");
    const int rows = count.fieldInt("Rows");
    const int seconds = before ? before->checkSeconds : kDefaultTeamCheckSeconds;
    const int deadline = before ? before->deadlineSeconds : kDefaultTeamDeadlineSeconds;
    connection.execute("delete from TTeamConfig");
    connection.execute(
        "insert into TTeamConfig (TID, TConnection, TServer, TCounter, TLastSync, TRows, TLastError, "
        "TCheckSeconds, TIdentity, TNote, TDeadlineSeconds, TCacheIdentity, TPolicyPassword, "
        "TPolicyPasswordIdentity) values (1, ?, ?, NULL, ?, ?, '', ?, ?, ?, ?, ?, ?, ?)",
        {SqlParam::Blob(protectedConnection), SqlParam::Text(server),
         SqlParam::Text(keep && rows > 0 && before->lastSync > 0 ? FormatDateTime(before->lastSync) : ""),
         SqlParam::Integer(rows), SqlParam::Integer(seconds), SqlParam::Text(identity),
         SqlParam::Text(keep ? before->note : ""), SqlParam::Integer(deadline), SqlParam::Text(owner),
         SqlParam::Blob(before ? before->policyPassword : ""),
         SqlParam::Text(before ? before->policyPasswordIdentity : "")});
    transaction.commit();
}

bool AdoptTeamCache(Connection& connection, const std::string& identity)
{
    Transaction transaction(connection);
    connection.database().exec(kCreateTeamTables);
    UpgradeTeamTables(connection);
    const std::optional<TeamSettings> before = ReadTeamSettings(connection);
    if (before && before->cacheIdentity == identity)
        return false;
    connection.execute("delete from TTeamText");
    if (before)
        connection.execute("update TTeamConfig set TCounter=NULL, TGeneration=NULL, TLastSync='', TRows=0, "
                           "TLastError='', TNote='', TRefusedCounter=NULL, TRefusedGeneration=NULL, "
                           "TRefusedError=NULL, TCacheIdentity=? where TID=1",
                           {SqlParam::Text(identity)});
    else
        connection.execute("insert into TTeamConfig (TID, TConnection, TServer, TLastSync, TRows, TLastError, "
                           "TCheckSeconds, TIdentity, TNote, TDeadlineSeconds, TCacheIdentity) "
                           "values (1, NULL, '', '', 0, '', ?, '', '', ?, ?)",
                           {SqlParam::Integer(kDefaultTeamCheckSeconds), SqlParam::Integer(kDefaultTeamDeadlineSeconds),
                            SqlParam::Text(identity)});
    transaction.commit();
    return true;
}

void StorePolicyPassword(Connection& connection, const std::string& identity, const std::string& protectedPassword)
{
    connection.execute("update TTeamConfig set TPolicyPassword=?, TPolicyPasswordIdentity=? where TID=1",
                       {SqlParam::Blob(protectedPassword), SqlParam::Text(identity)});
}

void RecordTeamIdentity(Connection& connection, const std::string& identity)
{
    UpgradeTeamTables(connection);
    connection.execute("update TTeamConfig set TIdentity=? where TID=1", {SqlParam::Text(identity)});
}

void UpgradeTeamTables(Connection& connection)
{
    if (!HasTeamTables(connection))
        return;
    const std::vector<std::string> columns = ColumnsOf(connection.database(), "TTeamConfig");
    for (const auto& [name, type] : kLaterColumns)
        if (!Holds(columns, name))
            connection.database().exec(std::string("alter table TTeamConfig add column ") + name + " " + type);
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

bool StoreTeamTemplates(Connection& connection, const std::vector<TeamTemplate>& templates,
                        const TeamLibraryVersion& version, const std::string& note, DateTime now,
                        const StopRequested& stopping)
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
    connection.execute("update TTeamConfig set TCounter=?, TGeneration=?, TLastSync=?, TRows=?, TLastError='', "
                       "TNote=?, TRefusedCounter=NULL, TRefusedGeneration=NULL, TRefusedError=NULL where TID=1",
                       {SqlParam::Integer(version.counter), SqlParam::Text(version.generation),
                        SqlParam::Text(FormatDateTime(now)),
                        SqlParam::Integer(static_cast<long long>(templates.size())), SqlParam::Text(note)});
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

void RecordTeamRefusal(Connection& connection, const TeamLibraryVersion& version, const std::string& sentence)
{
    connection.execute("update TTeamConfig set TLastError=?, TRefusedCounter=?, TRefusedGeneration=?, "
                       "TRefusedError=? where TID=1",
                       {SqlParam::Text(sentence), SqlParam::Integer(version.counter),
                        SqlParam::Text(version.generation), SqlParam::Text(sentence)});
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
    // Every column of the settings row the older file has, whichever build made it; a column
    // it lacks stays empty, as on a desk that build set up.
    std::vector<std::string> columns;
    for (const std::string& column : ColumnsOf(from, "TTeamConfig"))
        if (Holds(ColumnsOf(to.database(), "TTeamConfig"), column))
            columns.push_back(column);
    std::string names, marks;
    for (const std::string& column : columns) {
        names += (names.empty() ? "" : ", ") + column;
        marks += std::string(marks.empty() ? "" : ", ") +
                 (strcasecmp(column.c_str(), "TConnection") == 0 ? "?" : "nullif(?, '')");
    }
    RowReader settings(from, "select " + names + " from TTeamConfig where TID=1");
    if (settings.next()) {
        std::vector<SqlParam> values;
        for (size_t i = 0; i < columns.size(); ++i) {
            const std::string value(settings.utf8At(static_cast<int>(i)));
            values.push_back(strcasecmp(columns[i].c_str(), "TConnection") == 0 ? SqlParam::Blob(value)
                                                                                : SqlParam::Text(value));
        }
        to.execute("insert into TTeamConfig (" + names + ") values (" + marks + ")", values);
    }
    transaction.commit();
    return true;
}

#include "store/TeamCache.h"

#include "store/Connection.h"
#include "store/Database.h"

#include <algorithm>

#include <strings.h>

namespace {

// ID is the server's; it is not the key here, so that a server handing out an id twice
// cannot make the whole cache fail to store. TLastSync is stored as TDeadDay is: "YYYY-MM-DD HH:MM:SS", empty for
// never.
const char* const kCreateTeamTables = R"sql(
CREATE TABLE IF NOT EXISTS TTeamText (
    ID INTEGER NOT NULL,
    TText TEXT NOT NULL,
    TSortID INTEGER NOT NULL,
    TSetID INTEGER,
    TTemplateNo INTEGER
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
    TSets TEXT,
    TDeskID TEXT,
    TUsage INTEGER,
    TCacheIdentity TEXT,
    TPolicyPassword BLOB,
    TPolicyPasswordIdentity TEXT
);
)sql";

// The sets as last read (one row each, in the desk's order) and the usage counts not yet on the
// server. TUploadID is empty for counts not yet sealed into an upload. Made by connect and, on
// a desk an older build set up, by the first check.
const char* const kCreateSetTables = R"sql(
CREATE TABLE IF NOT EXISTS TTeamSet (
    TPosition INTEGER NOT NULL,
    TSetID INTEGER NOT NULL,
    TName TEXT NOT NULL,
    TCounter INTEGER NOT NULL,
    TGeneration TEXT NOT NULL,
    TVersionNo INTEGER NOT NULL,
    TRefusedRows INTEGER NOT NULL
);
CREATE TABLE IF NOT EXISTS TTeamUsage (
    TUploadID TEXT NOT NULL DEFAULT '',
    TDay TEXT NOT NULL,
    TSetID INTEGER NOT NULL,
    TTemplateNo INTEGER NOT NULL,
    TSends INTEGER NOT NULL,
    PRIMARY KEY (TUploadID, TDay, TSetID, TTemplateNo)
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
    {"TSets", "TEXT"},
    {"TDeskID", "TEXT"},
    {"TUsage", "INTEGER"},
    {"TCacheIdentity", "TEXT"},
    {"TPolicyPassword", "BLOB"},
    {"TPolicyPasswordIdentity", "TEXT"},
};
const char* const kLaterTextColumns[][2] = {{"TSetID", "INTEGER"}, {"TTemplateNo", "INTEGER"}};

// The chosen sets as kept in TSets: one name a line (a name holds no line break).
std::string JoinedSets(const std::vector<std::string>& sets)
{
    std::string joined;
    for (const std::string& name : sets)
        joined += (joined.empty() ? "" : "\n") + name;
    return joined;
}

std::vector<std::string> SplitSets(const std::string& joined)
{
    std::vector<std::string> sets;
    size_t from = 0;
    while (from < joined.size()) {
        const size_t end = std::min(joined.find('\n', from), joined.size());
        if (end > from)
            sets.push_back(joined.substr(from, end - from));
        from = end + 1;
    }
    return sets;
}

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

const char* const kDefaultTeamSetName = "默认";
const char* const kTeamUsageSentence = "团队负责人开启了使用次数统计：只统计每条团队模板的发送次数";

std::vector<std::string> ChosenTeamSets(const TeamSettings& settings)
{
    return settings.sets.empty() ? std::vector<std::string>{kDefaultTeamSetName} : settings.sets;
}

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
    settings.sets = SplitSets(TextIfThere(query, "TSets"));
    settings.deskId = TextIfThere(query, "TDeskID");
    settings.usage = TextIfThere(query, "TUsage") == "1";
    const std::string cacheIdentity = TextIfThere(query, "TCacheIdentity");
    settings.cacheIdentity = cacheIdentity.empty() ? settings.identity : cacheIdentity;
    settings.policyPassword = TextIfThere(query, "TPolicyPassword");
    settings.policyPasswordIdentity = TextIfThere(query, "TPolicyPasswordIdentity");
    return settings;
}

void ConnectTeamLibrary(Connection& connection, const std::string& protectedConnection, const std::string& server,
                        const std::string& identity, const std::vector<std::string>& sets, const std::string& deskId,
                        const std::string& cacheFor)
{
    Transaction transaction(connection);
    connection.database().exec(kCreateTeamTables);
    UpgradeTeamTables(connection);
    const std::optional<TeamSettings> before = ReadTeamSettings(connection);
    // The cache is the whole connection's: another database on the same server, another user
    // or port is another library.
    const std::string owner = cacheFor.empty() ? identity : cacheFor;
    const bool keep = before && !owner.empty() && before->cacheIdentity == owner;
    if (!keep) {
        connection.execute("delete from TTeamText");
        connection.execute("delete from TTeamUsage");
    }
    // Every set is read again: the desk may list others now, or in another order.
    connection.execute("delete from TTeamSet");
    Query count(connection);
    count.open("select count(*) as Rows from TTeamText");
    const int rows = count.fieldInt("Rows");
    const int seconds = before ? before->checkSeconds : kDefaultTeamCheckSeconds;
    const int deadline = before ? before->deadlineSeconds : kDefaultTeamDeadlineSeconds;
    connection.execute("delete from TTeamConfig");
    connection.execute(
        "insert into TTeamConfig (TID, TConnection, TServer, TCounter, TLastSync, TRows, TLastError, "
        "TCheckSeconds, TIdentity, TNote, TDeadlineSeconds, TSets, TDeskID, TUsage, TCacheIdentity, TPolicyPassword, "
        "TPolicyPasswordIdentity) values (1, ?, ?, NULL, ?, ?, '', ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
        {SqlParam::Blob(protectedConnection), SqlParam::Text(server),
         SqlParam::Text(keep && rows > 0 && before->lastSync > 0 ? FormatDateTime(before->lastSync) : ""),
         SqlParam::Integer(rows), SqlParam::Integer(seconds), SqlParam::Text(identity),
         SqlParam::Text(keep ? before->note : ""), SqlParam::Integer(deadline), SqlParam::Text(JoinedSets(sets)),
         SqlParam::Text(keep && !before->deskId.empty() ? before->deskId : deskId),
         SqlParam::Integer(keep && before->usage ? 1 : 0), SqlParam::Text(owner),
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
    // The other library's rows, its sets' versions and the counts of its rows not yet sent.
    connection.execute("delete from TTeamText");
    connection.execute("delete from TTeamSet");
    connection.execute("delete from TTeamUsage");
    if (before)
        connection.execute("update TTeamConfig set TCounter=NULL, TGeneration=NULL, TLastSync='', TRows=0, "
                           "TLastError='', TNote='', TRefusedCounter=NULL, TRefusedGeneration=NULL, "
                           "TRefusedError=NULL, TUsage=0, TCacheIdentity=? where TID=1",
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
    const std::vector<std::string> textColumns = ColumnsOf(connection.database(), "TTeamText");
    for (const auto& [name, type] : kLaterTextColumns)
        if (!Holds(textColumns, name))
            connection.database().exec(std::string("alter table TTeamText add column ") + name + " " + type);
    connection.database().exec(kCreateSetTables);
}

bool RemoveTeamLibrary(Connection& connection)
{
    Transaction transaction(connection);
    const bool had = ReadTeamSettings(connection).has_value();
    connection.database().exec("drop table if exists TTeamText; drop table if exists TTeamConfig; drop table if "
                               "exists TTeamSet; drop table if exists TTeamUsage;");
    transaction.commit();
    return had;
}

std::vector<TeamTemplate> ReadTeamCache(Connection& connection)
{
    std::vector<TeamTemplate> templates;
    RowReader rows(connection, "select ID, TText, TSortID, coalesce(TSetID, 1), coalesce(TTemplateNo, 0) from "
                               "TTeamText order by TSortID asc, ID asc");
    const auto number = [&rows](int column) { return std::stoll(std::string(rows.utf8At(column))); };
    while (rows.next())
        templates.push_back({number(0), std::string(rows.utf8At(1)), number(2), number(3), number(4)});
    return templates;
}

bool StoreTeamTemplates(Connection& connection, const std::vector<TeamTemplate>& templates,
                        const TeamLibraryVersion& version, const std::string& note, DateTime now,
                        const StopRequested& stopping, const std::vector<TeamSetState>& sets)
{
    const auto stopped = [&stopping] { return stopping && stopping(); };
    if (stopped())
        return false;
    Transaction transaction(connection);
    connection.execute("delete from TTeamText");
    {
        Command insert(connection,
                       "insert into TTeamText (ID, TText, TSortID, TSetID, TTemplateNo) values (?, ?, ?, ?, ?)");
        for (const TeamTemplate& row : templates) {
            // The transaction's end undoes what was written.
            if (stopped())
                return false;
            insert.run({SqlParam::Integer(row.id), SqlParam::Text(row.text), SqlParam::Integer(row.sortId),
                        SqlParam::Integer(row.setId), SqlParam::Integer(row.templateNo)});
        }
    }
    connection.execute("delete from TTeamSet");
    {
        Command insert(connection, "insert into TTeamSet (TPosition, TSetID, TName, TCounter, TGeneration, "
                                   "TVersionNo, TRefusedRows) values (?, ?, ?, ?, ?, ?, ?)");
        long long position = 0;
        for (const TeamSetState& set : sets)
            insert.run({SqlParam::Integer(position++), SqlParam::Integer(set.setId), SqlParam::Text(set.name),
                        SqlParam::Integer(set.version.counter), SqlParam::Text(set.version.generation),
                        SqlParam::Integer(set.versionNo), SqlParam::Integer(set.refusedRows)});
    }
    connection.execute("update TTeamConfig set TCounter=?, TGeneration=?, TLastSync=?, TRows=?, TLastError='', "
                       "TNote=?, TRefusedCounter=NULL, TRefusedGeneration=NULL, TRefusedError=NULL where TID=1",
                       {SqlParam::Integer(version.counter), SqlParam::Text(version.generation),
                        SqlParam::Text(FormatDateTime(now)),
                        SqlParam::Integer(static_cast<long long>(templates.size())), SqlParam::Text(note)});
    transaction.commit();
    return true;
}

std::vector<TeamSetState> ReadTeamSetStates(Connection& connection)
{
    std::vector<TeamSetState> sets;
    RowReader rows(connection, "select TSetID, TName, TCounter, TGeneration, TVersionNo, TRefusedRows from TTeamSet "
                               "order by TPosition");
    const auto number = [&rows](int column) { return std::stoll(std::string(rows.utf8At(column))); };
    while (rows.next())
        sets.push_back({number(0),
                        std::string(rows.utf8At(1)),
                        {number(2), std::string(rows.utf8At(3))},
                        number(4),
                        static_cast<int>(number(5))});
    return sets;
}

void RecordTeamUsageSwitch(Connection& connection, bool on)
{
    Transaction transaction(connection);
    connection.execute("update TTeamConfig set TUsage=? where TID=1", {SqlParam::Integer(on ? 1 : 0)});
    // Counts the lead no longer asks for are not kept for a later upload.
    if (!on)
        connection.execute("delete from TTeamUsage");
    transaction.commit();
}

std::optional<TeamRowOrigin> FindTeamRow(Connection& connection, const std::string& text)
{
    RowReader row(connection,
                  "select coalesce(t.TSetID, 1), s.TName, coalesce(t.TTemplateNo, 0) from TTeamText t left join "
                  "TTeamSet s on s.TSetID = coalesce(t.TSetID, 1) where t.TText = ? order by t.TSortID limit 1",
                  {SqlParam::Text(text)});
    if (!row.next())
        return std::nullopt;
    TeamRowOrigin origin;
    origin.setId = std::stoll(std::string(row.utf8At(0)));
    origin.setName = std::string(row.utf8At(1));
    if (origin.setName.empty())
        origin.setName = kDefaultTeamSetName;
    origin.templateNo = std::stoll(std::string(row.utf8At(2)));
    return origin;
}

void CountTeamSend(Connection& connection, long long setId, long long templateNo, DateTime day)
{
    const std::optional<TeamSettings> settings = ReadTeamSettings(connection);
    if (!settings || !settings->usage || templateNo <= 0)
        return;
    const std::string today = FormatDateTime(day).substr(0, 10);
    const std::string oldest = FormatDateTime(day - kTeamUsageDays).substr(0, 10);
    Transaction transaction(connection);
    connection.execute("insert into TTeamUsage (TUploadID, TDay, TSetID, TTemplateNo, TSends) values ('', ?, ?, ?, "
                       "1) on conflict (TUploadID, TDay, TSetID, TTemplateNo) do update set TSends = TSends + 1",
                       {SqlParam::Text(today), SqlParam::Integer(setId), SqlParam::Integer(templateNo)});
    // A desk that cannot reach its server for months keeps a bounded record: the oldest go.
    connection.execute("delete from TTeamUsage where TDay < ?", {SqlParam::Text(oldest)});
    connection.execute("delete from TTeamUsage where rowid in (select rowid from TTeamUsage order by TDay desc, "
                       "TUploadID desc limit -1 offset ?)",
                       {SqlParam::Integer(kTeamUsageRows)});
    transaction.commit();
}

std::optional<TeamUsageUpload> SealTeamUsage(Connection& connection, const std::function<std::string()>& newId)
{
    const std::optional<TeamSettings> settings = ReadTeamSettings(connection);
    if (!settings)
        return std::nullopt;
    Transaction transaction(connection);
    TeamUsageUpload upload;
    upload.deskId = settings->deskId;
    {
        RowReader sealed(connection, "select TUploadID from TTeamUsage where TUploadID <> '' limit 1");
        if (sealed.next())
            upload.uploadId = std::string(sealed.utf8At(0));
    }
    if (upload.uploadId.empty()) {
        {
            RowReader pending(connection, "select count(*) from TTeamUsage");
            if (!pending.next() || pending.utf8At(0) == "0")
                return std::nullopt;
        }
        upload.uploadId = newId();
        connection.execute("update TTeamUsage set TUploadID=? where TUploadID=''", {SqlParam::Text(upload.uploadId)});
    }
    {
        RowReader counts(connection,
                         "select TDay, TSetID, TTemplateNo, TSends from TTeamUsage where TUploadID=? order by "
                         "TDay, TSetID, TTemplateNo",
                         {SqlParam::Text(upload.uploadId)});
        const auto number = [&counts](int column) { return std::stoll(std::string(counts.utf8At(column))); };
        while (counts.next())
            upload.counts.push_back({std::string(counts.utf8At(0)), number(1), number(2), number(3)});
    }
    transaction.commit();
    return upload;
}

void RecordTeamDeskId(Connection& connection, const std::string& deskId)
{
    connection.execute("update TTeamConfig set TDeskID=? where TID=1 and coalesce(TDeskID, '')=''",
                       {SqlParam::Text(deskId)});
}

void ForgetTeamUpload(Connection& connection, const std::string& uploadId)
{
    connection.execute("delete from TTeamUsage where TUploadID=?", {SqlParam::Text(uploadId)});
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
    UpgradeTeamTables(to);
    {
        RowReader has(from, "select count(*) from sqlite_master where type='table' and name='TTeamSet'");
        if (has.next() && has.utf8At(0) == "1") {
            RowReader sets(from, "select TPosition, TSetID, TName, TCounter, TGeneration, TVersionNo, TRefusedRows "
                                 "from TTeamSet");
            Command insert(to, "insert into TTeamSet (TPosition, TSetID, TName, TCounter, TGeneration, TVersionNo, "
                               "TRefusedRows) values (?, ?, ?, ?, ?, ?, ?)");
            while (sets.next()) {
                std::vector<SqlParam> values;
                for (int i = 0; i < 7; ++i)
                    values.push_back(text(sets.utf8At(i)));
                insert.run(values);
            }
        }
    }
    {
        const bool sets = Holds(ColumnsOf(from, "TTeamText"), "TSetID");
        RowReader rows(from, sets ? "select ID, TText, TSortID, TSetID, TTemplateNo from TTeamText"
                                  : "select ID, TText, TSortID, NULL, NULL from TTeamText");
        Command insert(to, "insert into TTeamText (ID, TText, TSortID, TSetID, TTemplateNo) values (?, ?, ?, "
                           "nullif(?, ''), nullif(?, ''))");
        while (rows.next())
            insert.run({text(rows.utf8At(0)), text(rows.utf8At(1)), text(rows.utf8At(2)), text(rows.utf8At(3)),
                        text(rows.utf8At(4))});
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

#include "store/TeamServer.h"

#include "store/TeamError.h"
#include "ui/WinText.h"

#include <windows.h>

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <memory>
#include <unordered_map>

namespace {

// One ODBC handle, freed with its owner.
template <SQLSMALLINT Type>
class OdbcHandle {
public:
    OdbcHandle() = default;
    ~OdbcHandle()
    {
        if (handle_ != SQL_NULL_HANDLE)
            SQLFreeHandle(Type, handle_);
    }
    OdbcHandle(const OdbcHandle&) = delete;
    OdbcHandle& operator=(const OdbcHandle&) = delete;

    SQLHANDLE* out() { return &handle_; }
    SQLHANDLE get() const { return handle_; }

private:
    SQLHANDLE handle_ = SQL_NULL_HANDLE;
};

bool Succeeded(SQLRETURN result) { return result == SQL_SUCCESS || result == SQL_SUCCESS_WITH_INFO; }

// The failure the driver reports on `handle`: the first record's SQLSTATE decides the kind,
// the records' messages are the description, without the password.
TeamError Failure(SQLSMALLINT type, SQLHANDLE handle, const std::string& connectionText)
{
    std::string state, description;
    for (SQLSMALLINT record = 1; record <= 3; ++record) {
        SQLWCHAR code[6] = {};
        SQLINTEGER native = 0;
        SQLWCHAR message[1024] = {};
        SQLSMALLINT length = 0;
        if (!Succeeded(SQLGetDiagRecW(type, handle, record, code, &native, message,
                                      static_cast<SQLSMALLINT>(sizeof message / sizeof message[0]), &length)))
            break;
        // A warning (class 01) may come first; the first state that is not one decides.
        const std::string recordState = Utf8FromWide(reinterpret_cast<const wchar_t*>(code));
        if (state.empty() || (state.compare(0, 2, "01") == 0 && recordState.compare(0, 2, "01") != 0))
            state = recordState;
        std::string text = Utf8FromWide(reinterpret_cast<const wchar_t*>(message));
        for (char& c : text)
            if (c == '\n' || c == '\r' || c == '\t')
                c = ' ';
        while (!text.empty() && text.back() == ' ')
            text.pop_back();
        if (!text.empty())
            description += (description.empty() ? "" : "；") + text;
    }
    TeamFault fault = TeamFaultFromSqlState(state);
    // unixODBC (Wine's odbc32 hands calls to it) reports a driver it cannot find as 01000.
    if (description.find("Can't open lib") != std::string::npos)
        fault = TeamFault::DriverMissing;
    // The PostgreSQL driver reports every failed login as 08001 (could not connect); the
    // server's own words tell a refused login from a missing server.
    if (fault == TeamFault::Unreachable && (description.find("password authentication failed") != std::string::npos ||
                                            description.find("no pg_hba.conf entry") != std::string::npos ||
                                            description.find("does not exist") != std::string::npos))
        fault = TeamFault::LoginRefused;
    if (state.empty())
        description = "the driver gave no reason";
    return TeamError(fault, ScrubPassword(description, connectionText), state);
}

std::wstring WideOf(const std::string& utf8) { return Widen(utf8); }

} // namespace

struct TeamServer::Handles {
    OdbcHandle<SQL_HANDLE_ENV> environment;
    OdbcHandle<SQL_HANDLE_DBC> connection;
    bool connected = false;

    ~Handles()
    {
        if (connected)
            SQLDisconnect(connection.get());
    }
};

namespace {

// A statement with the query timeout; failures become TeamError.
class Statement {
public:
    Statement(SQLHANDLE connection, int timeoutSeconds, const std::string& connectionText)
        : connectionText_(connectionText)
    {
        if (!Succeeded(SQLAllocHandle(SQL_HANDLE_STMT, connection, handle_.out())))
            throw Failure(SQL_HANDLE_DBC, connection, connectionText_);
        check(SQLSetStmtAttrW(handle_.get(), SQL_ATTR_QUERY_TIMEOUT,
                              reinterpret_cast<SQLPOINTER>(static_cast<intptr_t>(timeoutSeconds)), 0));
    }

    void check(SQLRETURN result)
    {
        if (!Succeeded(result) && result != SQL_NO_DATA)
            throw Failure(SQL_HANDLE_STMT, handle_.get(), connectionText_);
    }

    void run(const std::string& sql)
    {
        std::wstring wide = WideOf(sql);
        check(SQLExecDirectW(handle_.get(), reinterpret_cast<SQLWCHAR*>(wide.data()), SQL_NTS));
    }

    void prepare(const std::string& sql)
    {
        std::wstring wide = WideOf(sql);
        check(SQLPrepareW(handle_.get(), reinterpret_cast<SQLWCHAR*>(wide.data()), SQL_NTS));
    }

    bool fetch()
    {
        const SQLRETURN result = SQLFetch(handle_.get());
        if (result == SQL_NO_DATA)
            return false;
        check(result);
        return true;
    }

    long long rowCount()
    {
        SQLLEN rows = 0;
        check(SQLRowCount(handle_.get(), &rows));
        return rows;
    }

    long long integerAt(SQLUSMALLINT column)
    {
        SQLBIGINT value = 0;
        SQLLEN indicator = 0;
        check(SQLGetData(handle_.get(), column, SQL_C_SBIGINT, &value, sizeof value, &indicator));
        return indicator == SQL_NULL_DATA ? 0 : value;
    }

    // The text of a column, read in pieces: a template may be longer than any buffer. Once
    // more than `unitsAtMost` UTF-16 code units are read, no more is fetched; each unit is at
    // least one UTF-8 byte, so the text handed back is then longer than that many bytes.
    std::string textAt(SQLUSMALLINT column, size_t unitsAtMost)
    {
        std::wstring text;
        wchar_t buffer[2048];
        for (;;) {
            SQLLEN indicator = 0;
            const SQLRETURN result = SQLGetData(handle_.get(), column, SQL_C_WCHAR, buffer, sizeof buffer, &indicator);
            if (result == SQL_NO_DATA)
                break;
            check(result);
            if (indicator == SQL_NULL_DATA)
                break;
            const SQLLEN room = static_cast<SQLLEN>(sizeof buffer - sizeof buffer[0]);
            const SQLLEN bytes = (indicator == SQL_NO_TOTAL || indicator > room) ? room : indicator;
            text.append(buffer, static_cast<size_t>(bytes) / sizeof buffer[0]);
            if (result == SQL_SUCCESS)
                break;
            if (text.size() > unitsAtMost) {
                // Half a surrogate pair would convert to nothing; the rest stays long enough.
                text.resize(unitsAtMost + 2);
                if (text.back() >= 0xD800 && text.back() <= 0xDBFF)
                    text.pop_back();
                break;
            }
        }
        return Utf8FromWide(text);
    }

    // Binds parameter `number` to `text`, which must stay alive, unmoved, until the statement
    // has run: the driver reads the buffers only then.
    void bindText(SQLUSMALLINT number, std::wstring& text, SQLLEN& length)
    {
        length = static_cast<SQLLEN>(text.size() * sizeof(wchar_t));
        // Beyond 4,000 characters SQL Server wants a long type for NVARCHAR(MAX).
        const SQLSMALLINT type = text.size() > 4000 ? SQL_WLONGVARCHAR : SQL_WVARCHAR;
        check(SQLBindParameter(handle_.get(), number, SQL_PARAM_INPUT, SQL_C_WCHAR, type,
                               text.empty() ? 1 : text.size(), 0, text.data(), length, &length));
    }
    // A NULL of the column's own type: PostgreSQL refuses a text NULL for a number.
    void bindNull(SQLUSMALLINT number, SQLLEN& indicator, bool integer)
    {
        indicator = SQL_NULL_DATA;
        check(SQLBindParameter(handle_.get(), number, SQL_PARAM_INPUT, integer ? SQL_C_SBIGINT : SQL_C_WCHAR,
                               integer ? SQL_BIGINT : SQL_WVARCHAR, integer ? 0 : 1, 0, nullptr, 0, &indicator));
    }
    void bindInteger(SQLUSMALLINT number, SQLBIGINT& value)
    {
        check(SQLBindParameter(handle_.get(), number, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT, 0, 0, &value, 0,
                               nullptr));
    }
    void execute() { check(SQLExecute(handle_.get())); }

    SQLHANDLE get() const { return handle_.get(); }

private:
    OdbcHandle<SQL_HANDLE_STMT> handle_;
    const std::string& connectionText_;
};

} // namespace

namespace {

// Manual commit for one transaction; rolled back unless committed, and the connection
// commits by itself again afterwards.
class ServerTransaction {
public:
    ServerTransaction(SQLHANDLE connection, const std::string& connectionText)
        : connection_(connection), connectionText_(connectionText)
    {
        if (!Succeeded(SQLSetConnectAttrW(connection_, SQL_ATTR_AUTOCOMMIT,
                                          reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0)))
            throw Failure(SQL_HANDLE_DBC, connection_, connectionText_);
    }
    ~ServerTransaction()
    {
        if (!committed_)
            SQLEndTran(SQL_HANDLE_DBC, connection_, SQL_ROLLBACK);
        SQLSetConnectAttrW(connection_, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0);
    }
    ServerTransaction(const ServerTransaction&) = delete;
    ServerTransaction& operator=(const ServerTransaction&) = delete;

    void commit()
    {
        if (!Succeeded(SQLEndTran(SQL_HANDLE_DBC, connection_, SQL_COMMIT)))
            throw Failure(SQL_HANDLE_DBC, connection_, connectionText_);
        committed_ = true;
    }

private:
    SQLHANDLE connection_;
    const std::string& connectionText_;
    bool committed_ = false;
};

} // namespace

TeamServer::TeamServer(const std::string& connectionText, int loginTimeoutSeconds, int queryTimeoutSeconds)
    : handles_(std::make_unique<Handles>()), connectionText_(connectionText), queryTimeout_(queryTimeoutSeconds)
{
    Handles& h = *handles_;
    if (!Succeeded(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, h.environment.out())))
        throw TeamError(TeamFault::DriverMissing, "ODBC is not available on this system");
    SQLSetEnvAttr(h.environment.get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    if (!Succeeded(SQLAllocHandle(SQL_HANDLE_DBC, h.environment.get(), h.connection.out())))
        throw Failure(SQL_HANDLE_ENV, h.environment.get(), connectionText_);
    const SQLHANDLE dbc = h.connection.get();
    SQLSetConnectAttrW(dbc, SQL_ATTR_LOGIN_TIMEOUT,
                       reinterpret_cast<SQLPOINTER>(static_cast<intptr_t>(loginTimeoutSeconds)), 0);
    std::wstring text = WideOf(connectionText);
    SQLWCHAR completed[1024];
    SQLSMALLINT completedLength = 0;
    if (!Succeeded(SQLDriverConnectW(dbc, nullptr, reinterpret_cast<SQLWCHAR*>(text.data()), SQL_NTS, completed,
                                     static_cast<SQLSMALLINT>(sizeof completed / sizeof completed[0]), &completedLength,
                                     SQL_DRIVER_NOPROMPT)))
        throw Failure(SQL_HANDLE_DBC, dbc, connectionText_);
    h.connected = true;

    SQLWCHAR name[256] = {};
    SQLSMALLINT nameBytes = 0;
    if (!Succeeded(SQLGetInfoW(dbc, SQL_DBMS_NAME, name, sizeof name, &nameBytes)))
        throw Failure(SQL_HANDLE_DBC, dbc, connectionText_);
    serverName_ = Utf8FromWide(reinterpret_cast<const wchar_t*>(name));
    if (!TeamDialectFor(serverName_, dialect_))
        throw TeamError(TeamFault::UnsupportedServer, "", "", serverName_);
}

TeamServer::~TeamServer() = default;

namespace {

// The Windows user and the computer of whoever runs this, as a version records them.
std::string WindowsUser()
{
    wchar_t name[257] = {};
    DWORD length = sizeof name / sizeof name[0];
    return GetUserNameW(name, &length) ? Utf8FromWide(name) : std::string();
}

std::string ComputerName()
{
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD length = sizeof name / sizeof name[0];
    return GetComputerNameW(name, &length) ? Utf8FromWide(name) : std::string();
}

} // namespace

void TeamServer::createTables()
{
    const SQLHANDLE dbc = handles_->connection.get();
    const TeamSql& sql = TeamSqlFor(dialect_);
    for (const std::string& create : sql.createTables)
        Statement(dbc, queryTimeout_, connectionText_).run(create);
    // The library an older build published becomes version 1, whole or not at all.
    std::wstring user = WideOf(WindowsUser()), computer = WideOf(ComputerName());
    ServerTransaction transaction(dbc, connectionText_);
    for (const std::string& migrate : sql.migrateLibrary) {
        Statement statement(dbc, queryTimeout_, connectionText_);
        statement.prepare(migrate);
        SQLLEN lengths[2] = {};
        if (migrate.find('?') != std::string::npos) {
            statement.bindText(1, user, lengths[0]);
            statement.bindText(2, computer, lengths[1]);
        }
        statement.execute();
    }
    transaction.commit();
}

long long TeamServer::counter()
{
    Statement statement(handles_->connection.get(), queryTimeout_, connectionText_);
    statement.run(TeamSqlFor(dialect_).readCounter);
    if (!statement.fetch())
        throw TeamError(TeamFault::TableMissing, "the change counter has no row");
    return statement.integerAt(1);
}

TeamServer::Version TeamServer::version()
{
    Version version;
    try {
        Statement statement(handles_->connection.get(), queryTimeout_, connectionText_);
        statement.run(TeamSqlFor(dialect_).readVersion);
        if (!statement.fetch())
            throw TeamError(TeamFault::TableMissing, "the change counter has no row");
        version.counter = statement.integerAt(1);
        version.generation = statement.textAt(2, 256);
        return version;
    } catch (const TeamError& e) {
        // Tables an older build made, with no generation yet: the counter alone.
        if (e.sqlState() != "42703" && e.sqlState() != "42S22")
            throw;
    }
    version.counter = counter();
    return version;
}

namespace {

// The one row of a size query: the number of templates, their length together and the longest.
TeamServer::Size SizeFrom(Statement& statement)
{
    TeamServer::Size size;
    if (statement.fetch()) {
        size.templates = statement.integerAt(1);
        size.bytes = statement.integerAt(2);
        size.largestBytes = statement.integerAt(3);
    }
    return size;
}

} // namespace

TeamServer::Size TeamServer::size()
{
    Statement statement(handles_->connection.get(), queryTimeout_, connectionText_);
    statement.run(TeamSqlFor(dialect_).readSize);
    return SizeFrom(statement);
}

void TeamServer::readTemplates(size_t textBytesAtMost, const std::function<bool(std::string)>& take)
{
    Statement statement(handles_->connection.get(), queryTimeout_, connectionText_);
    statement.run(TeamSqlFor(dialect_).readTemplates);
    while (statement.fetch())
        if (!take(statement.textAt(1, textBytesAtMost)))
            break;
}

std::vector<std::string> TeamServer::readTemplates()
{
    std::vector<std::string> texts;
    readTemplates(static_cast<size_t>(-1) / 2, [&](std::string text) {
        texts.push_back(std::move(text));
        return true;
    });
    return texts;
}

long long TeamServer::replaceTemplates(const std::vector<std::string>& texts)
{
    const SQLHANDLE dbc = handles_->connection.get();
    const TeamSql& sql = TeamSqlFor(dialect_);
    // Tables an older build made get their generation column first, outside the transaction.
    // A lead whose account may change rows but not tables still publishes: with the counter
    // alone, as before.
    bool generation = false;
    {
        Statement has(dbc, queryTimeout_, connectionText_);
        has.run(sql.hasGeneration);
        generation = has.fetch() && has.integerAt(1) == 1;
    }
    if (!generation) {
        try {
            Statement(dbc, queryTimeout_, connectionText_).run(sql.addGeneration);
            generation = true;
        } catch (const TeamError&) {
        }
    }
    ServerTransaction transaction(dbc, connectionText_);
    {
        Statement move(dbc, queryTimeout_, connectionText_);
        move.run(generation ? sql.moveCounter : sql.moveCounterOnly);
        if (move.rowCount() != 1)
            throw TeamError(TeamFault::TableMissing, "the change counter has no row");
    }
    Statement(dbc, queryTimeout_, connectionText_).run(sql.deleteTemplates);
    // The rows go in batches of kTeamInsertBatch, one statement each; the batch's texts stay
    // alive until it has run, because the driver reads the bound buffers only then.
    SQLINTEGER nextSortId = 0;
    for (size_t first = 0; first < texts.size(); first += kTeamInsertBatch) {
        const size_t rows = std::min(kTeamInsertBatch, texts.size() - first);
        std::vector<std::wstring> wide(rows);
        std::vector<SQLLEN> lengths(rows);
        std::vector<SQLINTEGER> sortIds(rows);
        Statement insert(dbc, queryTimeout_, connectionText_);
        insert.prepare(TeamInsertRows(sql, rows));
        for (size_t row = 0; row < rows; ++row) {
            wide[row] = WideOf(texts[first + row]);
            lengths[row] = static_cast<SQLLEN>(wide[row].size() * sizeof(wchar_t));
            sortIds[row] = nextSortId++;
            // Beyond 4,000 characters SQL Server wants a long type for NVARCHAR(MAX).
            const SQLSMALLINT type = wide[row].size() > 4000 ? SQL_WLONGVARCHAR : SQL_WVARCHAR;
            const auto text = static_cast<SQLUSMALLINT>(row * 2 + 1);
            insert.check(SQLBindParameter(insert.get(), text, SQL_PARAM_INPUT, SQL_C_WCHAR, type,
                                          wide[row].empty() ? 1 : wide[row].size(), 0, wide[row].data(), lengths[row],
                                          &lengths[row]));
            insert.check(SQLBindParameter(insert.get(), static_cast<SQLUSMALLINT>(text + 1), SQL_PARAM_INPUT,
                                          SQL_C_SLONG, SQL_INTEGER, 0, 0, &sortIds[row], 0, nullptr));
        }
        insert.check(SQLExecute(insert.get()));
    }
    long long now = 0;
    {
        Statement read(dbc, queryTimeout_, connectionText_);
        read.run(sql.readCounter);
        if (!read.fetch())
            throw TeamError(TeamFault::TableMissing, "the change counter has no row");
        now = read.integerAt(1);
    }
    transaction.commit();
    return now;
}

namespace {

int IntegerOf(long long value) { return static_cast<int>(value); }

} // namespace

bool TeamServer::findSet(const std::string& name, int& setId, int& currentVersion)
{
    Statement find(handles_->connection.get(), queryTimeout_, connectionText_);
    find.prepare(TeamSqlFor(dialect_).findSet);
    std::wstring wide = WideOf(name);
    SQLLEN length = 0;
    find.bindText(1, wide, length);
    find.execute();
    if (!find.fetch())
        return false;
    setId = IntegerOf(find.integerAt(1));
    currentVersion = IntegerOf(find.integerAt(2));
    return true;
}

TeamServer::Published TeamServer::publishVersion(const std::string& setName, std::vector<TeamVersionRow> rows,
                                                 const std::string& source, const std::string& note, bool numbered)
{
    const SQLHANDLE dbc = handles_->connection.get();
    const TeamSql& sql = TeamSqlFor(dialect_);
    const auto statement = [&] { return Statement(dbc, queryTimeout_, connectionText_); };
    // Tables an older build made get what is new first, outside the transaction.
    {
        int setId = 0, current = 0;
        bool ready = false;
        try {
            findSet(kTeamDefaultSet, setId, current);
            Statement has = statement();
            has.run(sql.hasGeneration);
            ready = has.fetch() && has.integerAt(1) == 1;
        } catch (const TeamError& e) {
            if (e.fault() != TeamFault::TableMissing)
                throw;
            // Only where init made the library once; a lead whose account may not create tables
            // is told to run init, as where there are none at all.
            try {
                counter();
                createTables();
            } catch (const TeamError&) {
                throw e;
            }
            ready = true;
        }
        if (!ready)
            createTables();
    }
    Published published;
    ServerTransaction transaction(dbc, connectionText_);
    int currentVersion = 0;
    if (!findSet(setName, published.setId, currentVersion)) {
        Statement next = statement();
        next.run(sql.newSetId);
        if (!next.fetch())
            throw TeamError(TeamFault::Unexpected, "no SetID");
        SQLBIGINT setId = next.integerAt(1);
        published.setId = IntegerOf(setId);
        published.newSet = true;
        Statement counterRow = statement();
        counterRow.prepare(sql.insertSetCounter);
        counterRow.bindInteger(1, setId);
        counterRow.execute();
        Statement setRow = statement();
        setRow.prepare(sql.insertSet);
        std::wstring name = WideOf(setName);
        SQLLEN length = 0;
        setRow.bindInteger(1, setId);
        setRow.bindText(2, name, length);
        setRow.execute();
    }
    SQLBIGINT setId = published.setId;
    {
        Statement move = statement();
        move.prepare(sql.moveSetCounter);
        move.bindInteger(1, setId);
        move.execute();
        if (move.rowCount() != 1)
            throw TeamError(TeamFault::TableMissing, "the set's change counter has no row");
    }
    // Read again under the counter's lock: a publish that went first has moved it.
    findSet(setName, published.setId, currentVersion);
    SQLBIGINT newestVersion = 0;
    long long lastTemplateNo = 0;
    std::string newestSource;
    {
        Statement newest = statement();
        newest.prepare(sql.readNewest);
        newest.bindInteger(1, setId);
        newest.execute();
        if (newest.fetch()) {
            newestVersion = newest.integerAt(1);
            newestSource = newest.textAt(2, 4096);
            lastTemplateNo = newest.integerAt(3);
        }
    }
    long long keep = 100;
    {
        Statement read = statement();
        read.run(sql.readKeep);
        if (read.fetch())
            keep = std::max(1LL, std::atoll(read.textAt(1, 32).c_str()));
    }
    std::vector<TeamVersionRow> current;
    if (currentVersion > 0) {
        const size_t whole = static_cast<size_t>(-1) / 2; // every row and every text, as before
        current = versionRows(published.setId, currentVersion, whole, whole);
    }
    const TeamIdentity identity = numbered                                      ? TeamIdentity::Numbered
                                  : (!source.empty() && source == newestSource) ? TeamIdentity::SourceId
                                                                                : TeamIdentity::Text;
    published.comparison = CompareVersions(current, rows, identity, lastTemplateNo);
    published.versionNo = IntegerOf(newestVersion + 1);
    SQLBIGINT versionNo = published.versionNo;

    // The rows in batches, one statement each, their buffers alive until it has run.
    for (size_t first = 0; first < rows.size(); first += kTeamVersionBatch) {
        const size_t count = std::min(kTeamVersionBatch, rows.size() - first);
        std::vector<std::wstring> wide(count);
        std::vector<SQLLEN> lengths(count);
        Statement insert = statement();
        insert.prepare(TeamInsertVersionRows(sql, setId, versionNo, rows, first, count));
        for (size_t row = 0; row < count; ++row) {
            wide[row] = WideOf(rows[first + row].text);
            insert.bindText(static_cast<SQLUSMALLINT>(row + 1), wide[row], lengths[row]);
        }
        insert.execute();
    }
    {
        Statement line = statement();
        line.prepare(sql.insertHistory);
        std::wstring user = WideOf(WindowsUser()), computer = WideOf(ComputerName()), from = WideOf(source),
                     said = WideOf(note);
        SQLLEN lengths[4] = {};
        SQLBIGINT counts[5] = {published.comparison.added, published.comparison.changed, published.comparison.removed,
                               static_cast<SQLBIGINT>(rows.size()), published.comparison.lastTemplateNo};
        line.bindInteger(1, setId);
        line.bindInteger(2, versionNo);
        line.bindText(3, user, lengths[0]);
        line.bindText(4, computer, lengths[1]);
        if (source.empty())
            line.bindNull(5, lengths[2], false);
        else
            line.bindText(5, from, lengths[2]);
        if (note.empty())
            line.bindNull(6, lengths[3], false);
        else
            line.bindText(6, said, lengths[3]);
        for (SQLUSMALLINT i = 0; i < 5; ++i)
            line.bindInteger(static_cast<SQLUSMALLINT>(7 + i), counts[i]);
        line.execute();
    }
    {
        Statement make = statement();
        make.prepare(sql.setCurrent);
        make.bindInteger(1, versionNo);
        make.bindInteger(2, setId);
        make.execute();
    }
    // Desks that predate sets read the default set from TeamText: the server copies it there.
    if (published.setId == 1) {
        statement().run(sql.deleteTemplates);
        Statement copy = statement();
        copy.prepare(sql.copyToTeamText);
        copy.bindInteger(1, versionNo);
        copy.execute();
    }
    if (versionNo > keep) {
        SQLBIGINT oldest = versionNo - keep;
        for (const std::string* prune : {&sql.pruneRows, &sql.pruneHistory}) {
            Statement remove = statement();
            remove.prepare(*prune);
            remove.bindInteger(1, setId);
            remove.bindInteger(2, oldest);
            remove.execute();
        }
    }
    {
        Statement read = statement();
        read.prepare(sql.readSetCounter);
        read.bindInteger(1, setId);
        read.execute();
        if (!read.fetch())
            throw TeamError(TeamFault::TableMissing, "the set's change counter has no row");
        published.counter = read.integerAt(1);
    }
    transaction.commit();
    return published;
}

std::vector<TeamServer::HistoryLine> TeamServer::history(int setId, size_t atMost)
{
    Statement read(handles_->connection.get(), queryTimeout_, connectionText_);
    read.prepare(TeamSqlFor(dialect_).readHistory);
    SQLBIGINT set = setId;
    read.bindInteger(1, set);
    read.execute();
    std::vector<HistoryLine> lines;
    while (lines.size() < atMost && read.fetch()) {
        HistoryLine line;
        line.versionNo = IntegerOf(read.integerAt(1));
        line.time = read.textAt(2, 64);
        line.login = read.textAt(3, 256);
        line.user = read.textAt(4, 256);
        line.computer = read.textAt(5, 256);
        line.note = read.textAt(6, 1024);
        line.added = IntegerOf(read.integerAt(7));
        line.changed = IntegerOf(read.integerAt(8));
        line.removed = IntegerOf(read.integerAt(9));
        line.rows = IntegerOf(read.integerAt(10));
        line.source = read.textAt(11, 4096);
        lines.push_back(std::move(line));
    }
    return lines;
}

namespace {

// A block of a version's rows, one fetch's worth: a call per row and column cost a publish of
// 10,000 templates more than the server's own work. A text of kUnits code units or more does
// not fit, and is read again alone.
struct VersionBlock {
    static constexpr SQLULEN kRows = 128;
    static constexpr size_t kUnits = 1024;
    SQLBIGINT templateNo[kRows], sourceId[kRows], sortId[kRows];
    SQLLEN templateNoLength[kRows], sourceIdLength[kRows], sortIdLength[kRows], textLength[kRows];
    wchar_t text[kRows][kUnits];
};

} // namespace

std::vector<TeamVersionRow> TeamServer::versionRows(int setId, int versionNo, size_t textBytesAtMost, size_t rowsAtMost)
{
    const TeamSql& sql = TeamSqlFor(dialect_);
    Statement read(handles_->connection.get(), queryTimeout_, connectionText_);
    const SQLHANDLE h = read.get();
    auto block = std::make_unique<VersionBlock>();
    SQLULEN fetched = 0;
    read.check(SQLSetStmtAttrW(h, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(VersionBlock::kRows), 0));
    read.check(SQLSetStmtAttrW(h, SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0));
    read.check(SQLBindCol(h, 1, SQL_C_SBIGINT, block->templateNo, 0, block->templateNoLength));
    read.check(SQLBindCol(h, 2, SQL_C_SBIGINT, block->sourceId, 0, block->sourceIdLength));
    read.check(SQLBindCol(h, 3, SQL_C_SBIGINT, block->sortId, 0, block->sortIdLength));
    read.check(SQLBindCol(h, 4, SQL_C_WCHAR, block->text, sizeof block->text[0], block->textLength));
    read.prepare(sql.readVersionRows);
    SQLBIGINT set = setId, version = versionNo;
    read.bindInteger(1, set);
    read.bindInteger(2, version);
    read.execute();
    std::vector<TeamVersionRow> rows;
    std::unordered_map<long long, size_t> longRows; // TSortID -> its row
    while (rows.size() <= rowsAtMost && read.fetch()) {
        for (SQLULEN i = 0; i < fetched && rows.size() <= rowsAtMost; ++i) {
            const auto number = [&](const SQLBIGINT* values, const SQLLEN* lengths) {
                return lengths[i] == SQL_NULL_DATA ? 0LL : static_cast<long long>(values[i]);
            };
            TeamVersionRow row{
                number(block->templateNo, block->templateNoLength), number(block->sourceId, block->sourceIdLength), {}};
            const SQLLEN bytes = block->textLength[i];
            if (bytes == SQL_NO_TOTAL || bytes >= static_cast<SQLLEN>(sizeof block->text[0]))
                longRows.emplace(number(block->sortId, block->sortIdLength), rows.size());
            else if (bytes > 0)
                row.text = Utf8FromWide(std::wstring(block->text[i], static_cast<size_t>(bytes) / sizeof(wchar_t)));
            rows.push_back(std::move(row));
        }
    }
    if (longRows.empty())
        return rows;
    Statement again(handles_->connection.get(), queryTimeout_, connectionText_);
    again.prepare(sql.readLongVersionRows);
    SQLBIGINT units = VersionBlock::kUnits;
    again.bindInteger(1, set);
    again.bindInteger(2, version);
    again.bindInteger(3, units);
    again.execute();
    size_t found = 0;
    while (again.fetch()) {
        const auto row = longRows.find(again.integerAt(1));
        if (row == longRows.end())
            continue;
        rows[row->second].text = again.textAt(2, textBytesAtMost);
        ++found;
    }
    // Only a version removed between the two reads (a publish pruning it) loses rows.
    if (found != longRows.size())
        throw TeamError(TeamFault::Unexpected, "the version was removed while it was read");
    return rows;
}

std::vector<TeamServer::SetLine> TeamServer::sets()
{
    Statement read(handles_->connection.get(), queryTimeout_, connectionText_);
    read.run(TeamSqlFor(dialect_).readSets);
    std::vector<SetLine> lines;
    while (read.fetch()) {
        SetLine line;
        line.setId = IntegerOf(read.integerAt(1));
        line.name = read.textAt(2, 256);
        line.currentVersion = IntegerOf(read.integerAt(3));
        line.rows = IntegerOf(read.integerAt(4));
        line.lastPublish = read.textAt(5, 64);
        lines.push_back(std::move(line));
    }
    return lines;
}

bool TeamServer::removeSet(const std::string& name)
{
    int setId = 0, current = 0;
    const SQLHANDLE dbc = handles_->connection.get();
    const TeamSql& sql = TeamSqlFor(dialect_);
    ServerTransaction transaction(dbc, connectionText_);
    if (!findSet(name, setId, current) || setId == 1)
        return false;
    SQLBIGINT set = setId;
    // The counter first, as a publish does: a publish of this set under way finishes before.
    for (const std::string* remove : {&sql.moveSetCounter, &sql.removeSetRows, &sql.removeSetHistory, &sql.removeSet}) {
        Statement statement(dbc, queryTimeout_, connectionText_);
        statement.prepare(*remove);
        statement.bindInteger(1, set);
        statement.execute();
    }
    transaction.commit();
    return true;
}

void TeamServer::setOption(const std::string& name, const std::string& value)
{
    Statement write(handles_->connection.get(), queryTimeout_, connectionText_);
    write.prepare(TeamSqlFor(dialect_).setOption);
    std::wstring wideValue = WideOf(value), wideName = WideOf(name);
    SQLLEN lengths[2] = {};
    write.bindText(1, wideValue, lengths[0]);
    write.bindText(2, wideName, lengths[1]);
    write.execute();
}

std::string TeamServer::SourceOf(const std::string& databasePath)
{
    const std::wstring path = WideOf(databasePath);
    wchar_t full[MAX_PATH * 4] = {};
    const DWORD length = GetFullPathNameW(path.c_str(), sizeof full / sizeof full[0], full, nullptr);
    std::wstring file = length > 0 && length < sizeof full / sizeof full[0] ? std::wstring(full, length) : path;
    // Windows paths know no letter case.
    CharLowerBuffW(file.data(), static_cast<DWORD>(file.size()));
    return WindowsUser() + "@" + ComputerName() + ":" + Utf8FromWide(file);
}

namespace {

// The parameters of one statement, kept where the driver reads them until it has run.
class Parameters {
public:
    void text(const std::string& utf8)
    {
        texts_.push_back({WideOf(utf8), 0});
        order_.push_back({true, texts_.size() - 1});
    }
    void integer(long long value)
    {
        integers_.push_back(value);
        order_.push_back({false, integers_.size() - 1});
    }
    void bind(Statement& statement)
    {
        for (size_t i = 0; i < order_.size(); ++i) {
            const auto number = static_cast<SQLUSMALLINT>(i + 1);
            if (order_[i].first) {
                auto& [wide, length] = texts_[order_[i].second];
                length = static_cast<SQLLEN>(wide.size() * sizeof(wchar_t));
                statement.check(SQLBindParameter(statement.get(), number, SQL_PARAM_INPUT, SQL_C_WCHAR, SQL_WVARCHAR,
                                                 wide.empty() ? 1 : wide.size(), 0, wide.data(), length, &length));
            } else {
                statement.check(SQLBindParameter(statement.get(), number, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT, 0,
                                                 0, &integers_[order_[i].second], 0, nullptr));
            }
        }
    }

private:
    // Deques: a value's place stays put while more are added.
    std::deque<std::pair<std::wstring, SQLLEN>> texts_;
    std::deque<SQLBIGINT> integers_;
    std::vector<std::pair<bool, size_t>> order_;
};

void RunWith(Statement& statement, const std::string& sql, Parameters& parameters)
{
    statement.prepare(sql);
    parameters.bind(statement);
    statement.check(SQLExecute(statement.get()));
}

} // namespace

bool TeamServer::readSets(std::vector<SetVersion>& sets, bool& usage)
{
    sets.clear();
    usage = false;
    Statement statement(handles_->connection.get(), queryTimeout_, connectionText_);
    try {
        statement.run(TeamSqlFor(dialect_).deskSets);
    } catch (const TeamError& e) {
        // A server without the tables of sets: its library is TeamText, as before.
        if (e.sqlState() == "42P01" || e.sqlState() == "42S02")
            return false;
        throw;
    }
    while (statement.fetch()) {
        SetVersion set;
        set.setId = statement.integerAt(1);
        set.name = statement.textAt(2, 256);
        set.counter = statement.integerAt(3);
        set.generation = statement.textAt(4, 256);
        set.versionNo = statement.integerAt(5);
        usage = statement.textAt(6, 16) == "on";
        sets.push_back(std::move(set));
    }
    return true;
}

TeamServer::Size TeamServer::setSize(long long setId, long long versionNo)
{
    Statement statement(handles_->connection.get(), queryTimeout_, connectionText_);
    Parameters parameters;
    parameters.integer(setId);
    parameters.integer(versionNo);
    RunWith(statement, TeamSqlFor(dialect_).deskSetSize, parameters);
    return SizeFrom(statement);
}

void TeamServer::readSet(long long setId, long long versionNo, size_t textBytesAtMost,
                         const std::function<bool(long long, std::string)>& take)
{
    Statement statement(handles_->connection.get(), queryTimeout_, connectionText_);
    Parameters parameters;
    parameters.integer(setId);
    parameters.integer(versionNo);
    RunWith(statement, TeamSqlFor(dialect_).deskSetTemplates, parameters);
    while (statement.fetch()) {
        const long long templateNo = statement.integerAt(1);
        if (!take(templateNo, statement.textAt(2, textBytesAtMost)))
            break;
    }
}

bool TeamServer::addUsage(const std::string& deskId, const std::string& uploadId, const std::vector<UsageCount>& counts)
{
    const SQLHANDLE dbc = handles_->connection.get();
    const TeamSql& sql = TeamSqlFor(dialect_);
    ServerTransaction transaction(dbc, connectionText_);
    {
        Statement upload(dbc, queryTimeout_, connectionText_);
        Parameters parameters;
        parameters.text(deskId);
        parameters.text(uploadId);
        try {
            RunWith(upload, sql.deskUpload, parameters);
        } catch (const TeamError& e) {
            // The upload's own key (23505, SQL Server's 23000 for error 2627): an earlier try
            // was committed though its answer never came.
            if (e.sqlState().compare(0, 2, "23") == 0)
                return false;
            throw;
        }
    }
    for (size_t first = 0; first < counts.size(); first += kTeamUsageBatch) {
        const size_t rows = std::min(kTeamUsageBatch, counts.size() - first);
        Statement insert(dbc, queryTimeout_, connectionText_);
        Parameters parameters;
        for (size_t row = first; row < first + rows; ++row) {
            parameters.text(deskId);
            parameters.text(uploadId);
            parameters.text(counts[row].day);
            parameters.integer(counts[row].setId);
            parameters.integer(counts[row].templateNo);
            parameters.integer(counts[row].sends);
        }
        RunWith(insert, TeamUsageRows(sql, rows), parameters);
    }
    transaction.commit();
    return true;
}

std::vector<TeamServer::UsageRow> TeamServer::usage(const std::string& setName, int days)
{
    Statement statement(handles_->connection.get(), queryTimeout_, connectionText_);
    Parameters parameters;
    parameters.integer(days);
    parameters.text(setName);
    RunWith(statement, TeamSqlFor(dialect_).usageReport, parameters);
    std::vector<UsageRow> rows;
    while (statement.fetch()) {
        UsageRow row;
        row.templateNo = statement.integerAt(1);
        row.text = statement.textAt(2, static_cast<size_t>(-1) / 2);
        row.sends = statement.integerAt(3);
        row.desks = statement.integerAt(4);
        rows.push_back(std::move(row));
    }
    return rows;
}

#include "store/Connection.h"

#include "common/Text.h"
#include "store/Statement.h"
#include "common/DateTime.h"
#include "common/Pinyin.h"

#include <sqlite3.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string_view>
#include <strings.h>

namespace {

const char* const kDataSourceKey = "Data Source";
// How long a statement waits for another program's lock on the file before it fails.
const int kBusyTimeoutMs = 2000;

[[noreturn]] void Fail(sqlite3* db, int code) { ThrowEngineFailure(db, code); }

// pinyin_match(TEXT, SEARCH): 1 when TEXT holds characters that read as SEARCH in pinyin
// (common/Pinyin.h), else 0. The search is read once per statement and kept with it.
void PinyinMatch(sqlite3_context* context, int, sqlite3_value** args)
{
    using Kept = std::optional<PinyinQuery>;
    try {
        const Kept* query = static_cast<const Kept*>(sqlite3_get_auxdata(context, 1));
        Kept once;
        if (!query) {
            const char* search = reinterpret_cast<const char*>(sqlite3_value_text(args[1]));
            const std::string_view searched(search ? search : "", static_cast<size_t>(sqlite3_value_bytes(args[1])));
            sqlite3_set_auxdata(context, 1, new Kept(PinyinQuery::From(searched)),
                                [](void* kept) { delete static_cast<Kept*>(kept); });
            query = static_cast<const Kept*>(sqlite3_get_auxdata(context, 1));
            if (!query) {
                // The engine could not keep it (and let it go): this row reads it once more.
                once = PinyinQuery::From(searched);
                query = &once;
            }
        }
        const char* text = reinterpret_cast<const char*>(sqlite3_value_text(args[0]));
        const bool hit = text && *query && (*query)->matches({text, static_cast<size_t>(sqlite3_value_bytes(args[0]))});
        sqlite3_result_int(context, hit ? 1 : 0);
    } catch (...) {
        sqlite3_result_error_nomem(context);
    }
}

void AddSearchFunctions(Database& database)
{
    // Only for the program's own statements: a trigger or view stored in the file cannot call it.
    const int rc = sqlite3_create_function_v2(database.handle(), "pinyin_match", 2,
                                              SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_DIRECTONLY, nullptr,
                                              PinyinMatch, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        Fail(database.handle(), rc);
}

Statement Compile(Database& database, const std::string& sql)
{
    sqlite3* db = database.handle();
    sqlite3_stmt* raw = nullptr;
    const int rc = sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &raw, nullptr);
    Statement stmt(raw);
    if (rc != SQLITE_OK)
        Fail(db, rc);
    return stmt;
}

void Bind(const Statement& stmt, const std::vector<SqlParam>& params)
{
    sqlite3_stmt* raw = stmt.get();
    for (size_t i = 0; i < params.size(); ++i) {
        const SqlParam& param = params[i];
        const int index = static_cast<int>(i + 1);
        int bound = SQLITE_OK;
        if (param.kind == SqlParam::Kind::Integer) {
            bound = sqlite3_bind_int64(raw, index, param.number);
        } else if (param.kind == SqlParam::Kind::Blob) {
            bound =
                sqlite3_bind_blob(raw, index, param.text.data(), static_cast<int>(param.text.size()), SQLITE_TRANSIENT);
        } else {
            // The pattern is built on UTF-8, where every byte below 0x80 is a character of
            // its own: no byte of another character can pass for '\', '%' or '_'.
            std::string text = param.text;
            if (param.kind == SqlParam::Kind::Contains)
                text = ContainsPattern(text);
            bound = sqlite3_bind_text(raw, index, text.c_str(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
        }
        if (bound != SQLITE_OK)
            Fail(sqlite3_db_handle(raw), bound);
    }
}

Statement Prepare(Database& database, const std::string& sql, const std::vector<SqlParam>& params)
{
    Statement stmt = Compile(database, sql);
    Bind(stmt, params);
    return stmt;
}

// Steps a statement without a result set to its end.
void RunToEnd(const Statement& stmt)
{
    int rc;
    while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE)
        Fail(sqlite3_db_handle(stmt.get()), rc);
}

// Decimal text with an optional sign and surrounding blanks, within the range of int.
bool ParseInteger(const std::string& text, int& value)
{
    const std::string trimmed = TrimText(text);
    const bool negative = !trimmed.empty() && trimmed[0] == '-';
    size_t pos = !trimmed.empty() && (trimmed[0] == '-' || trimmed[0] == '+') ? 1 : 0;
    if (pos == trimmed.size())
        return false;
    // Accumulated as a negative number, whose range reaches INT_MIN.
    long long magnitude = 0;
    for (; pos < trimmed.size(); ++pos) {
        if (trimmed[pos] < '0' || trimmed[pos] > '9')
            return false;
        magnitude = magnitude * 10 - (trimmed[pos] - '0');
        if (magnitude < INT_MIN)
            return false;
    }
    if (!negative && magnitude < -INT_MAX)
        return false;
    value = static_cast<int>(negative ? magnitude : -magnitude);
    return true;
}

bool IsBlankByte(char c) { return c == ' ' || c == '\t'; }

// Splits "key=value;key=value" and returns the value of `key` (any letter case) in
// `value`. False when the key is missing; throws on a quoted value that does not end
// properly.
bool FindConnectionValue(const std::string& text, const std::string& key, std::string& value)
{
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t equals = text.find('=', pos);
        const size_t semicolon = text.find(';', pos);
        if (equals == std::string::npos || (semicolon != std::string::npos && semicolon < equals)) {
            // A piece without '=' (an empty one between two ';', say) names nothing.
            if (semicolon == std::string::npos)
                return false;
            pos = semicolon + 1;
            continue;
        }
        const std::string name = TrimText(text.substr(pos, equals - pos));
        pos = equals + 1;
        while (pos < text.size() && IsBlankByte(text[pos]))
            ++pos;
        std::string found;
        if (pos < text.size() && text[pos] == '"') {
            bool closed = false;
            for (++pos; pos < text.size(); ++pos) {
                if (text[pos] == '"') {
                    if (pos + 1 < text.size() && text[pos + 1] == '"') {
                        found += '"';
                        ++pos;
                        continue;
                    }
                    closed = true;
                    ++pos;
                    break;
                }
                found += text[pos];
            }
            while (pos < text.size() && IsBlankByte(text[pos]))
                ++pos;
            if (!closed || (pos < text.size() && text[pos] != ';'))
                throw StoreError(StoreFault::UnclosedQuote, "unclosed quote in the value of " + name, name);
        } else {
            const size_t end = text.find(';', pos);
            found = text.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
            while (!found.empty() && IsBlankByte(found.back()))
                found.pop_back();
            pos = end == std::string::npos ? text.size() : end;
        }
        if (pos < text.size())
            ++pos; // the ';'
        if (strcasecmp(name.c_str(), key.c_str()) == 0) {
            value = found;
            return true;
        }
    }
    return false;
}

StoreError NotAnInteger(const std::string& name, const std::string& shown)
{
    return StoreError(StoreFault::NotAnInteger, "field " + name + ": \"" + shown + "\" is not an integer", name, shown);
}

StoreError MissingField(const std::string& name)
{
    return StoreError(StoreFault::MissingField, "no field " + name, name);
}

StoreError NotEditing() { return StoreError(StoreFault::NotEditing, "the row is not being edited"); }

} // namespace

std::string ConnectionTextFor(const std::string& utf8Path)
{
    const bool quote = utf8Path.find_first_of(";\"") != std::string::npos ||
                       (!utf8Path.empty() && (IsBlankByte(utf8Path.front()) || IsBlankByte(utf8Path.back())));
    return std::string(kDataSourceKey) + "=" + (quote ? Enclosed(utf8Path, '"') : utf8Path);
}

std::string ReadOnlyFileUri(const std::string& utf8Path)
{
    // Every byte but letters, digits and "-._~" is written as %HH, so '?', '#', '%', blanks,
    // backslashes and Chinese folder names reach the file system unchanged, and no leading
    // "//" is read as a host.
    std::string uri = "file:";
    for (unsigned char c : utf8Path) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                           c == '.' || c == '_' || c == '~';
        if (plain) {
            uri += static_cast<char>(c);
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", c);
            uri += escaped;
        }
    }
    return uri + "?mode=ro&immutable=1";
}

Connection::Connection() = default;

Connection::~Connection() { disconnect(); }

void Connection::setConnectionText(const std::string& text) { connectionText_ = text; }

void Connection::connect()
{
    disconnect();
    std::string utf8Path;
    if (!FindConnectionValue(connectionText_, kDataSourceKey, utf8Path) || utf8Path.empty())
        throw StoreError(StoreFault::NoDataSource, "no Data Source in the connection text");

    Database database(utf8Path, Database::Opening::ReadWrite);
    // The engine quietly falls back to reading when the file is write-protected. The
    // program would then lose every change it makes, so it refuses such a file.
    if (database.isReadOnly())
        throw StoreError(StoreFault::ReadOnlyFile, "read-only database file: " + utf8Path, utf8Path);
    database.setBusyTimeout(kBusyTimeoutMs);
    AddSearchFunctions(database);
    database_ = std::move(database);
}

void Connection::disconnect() { database_.close(); }

Database& Connection::database()
{
    if (!database_.isOpen())
        connect();
    return database_;
}

void Connection::execute(const std::string& sql, const std::vector<SqlParam>& params)
{
    RunToEnd(Prepare(database(), sql, params));
}

Transaction::Transaction(Connection& connection) : connection_(connection)
{
    connection_.execute("BEGIN IMMEDIATE");
    open_ = true;
}

Transaction::~Transaction()
{
    // A failed statement may already have ended the transaction; then there is nothing
    // to undo. A closed connection has nothing to undo either, and must not reopen here.
    if (open_ && connection_.connected())
        connection_.database().rollbackQuietly();
}

void Transaction::commit()
{
    connection_.execute("COMMIT");
    open_ = false;
}

Command::Command(Connection& connection, const std::string& sql) : Command(connection.database(), sql) {}

Command::Command(Database& database, const std::string& sql)
    : statement_(std::make_unique<Statement>(Compile(database, sql)))
{
}

Command::~Command() = default;

void Command::run(const std::vector<SqlParam>& params)
{
    sqlite3_stmt* raw = statement_->get();
    // The reset reports the previous run's failure again; that one has been raised already.
    sqlite3_reset(raw);
    sqlite3_clear_bindings(raw);
    Bind(*statement_, params);
    RunToEnd(*statement_);
}

RowReader::RowReader(Connection& connection, const std::string& sql, const std::vector<SqlParam>& params)
    : RowReader(connection.database(), sql, params)
{
}

RowReader::RowReader(Database& database, const std::string& sql, const std::vector<SqlParam>& params)
    : statement_(std::make_unique<Statement>(Prepare(database, sql, params)))
{
}

RowReader::~RowReader() = default;

bool RowReader::next()
{
    const int rc = sqlite3_step(statement_->get());
    if (rc == SQLITE_ROW)
        return true;
    if (rc != SQLITE_DONE)
        Fail(sqlite3_db_handle(statement_->get()), rc);
    return false;
}

std::string_view RowReader::utf8(const std::string& column) const
{
    // Names are looked up on the row just stepped: the engine may have prepared the
    // statement afresh for a table another program has changed.
    sqlite3_stmt* raw = statement_->get();
    for (int c = 0; c < sqlite3_column_count(raw); ++c) {
        if (strcasecmp(sqlite3_column_name(raw, c), column.c_str()) != 0)
            continue;
        return utf8At(c);
    }
    throw MissingField(column);
}

std::string_view RowReader::utf8At(int column) const
{
    sqlite3_stmt* raw = statement_->get();
    if (column < 0 || column >= sqlite3_column_count(raw))
        throw MissingField(std::to_string(column));
    const char* text = reinterpret_cast<const char*>(sqlite3_column_text(raw, column));
    return text ? std::string_view(text, static_cast<size_t>(sqlite3_column_bytes(raw, column))) : std::string_view();
}

void Query::open(const std::string& sql, const std::vector<SqlParam>& params)
{
    columns_.clear();
    rows_.clear();
    current_ = 0;
    Statement stmt = Prepare(connection_.database(), sql, params);
    sqlite3_stmt* raw = stmt.get();
    // Names are read after the first step: a table changed by another program since the
    // last statement is only seen once the engine has prepared the statement afresh.
    int rc = sqlite3_step(raw);
    const int columnCount = sqlite3_column_count(raw);
    for (int c = 0; c < columnCount; ++c)
        columns_.push_back(sqlite3_column_name(raw, c));
    for (; rc == SQLITE_ROW; rc = sqlite3_step(raw)) {
        std::vector<Value> row(static_cast<size_t>(columnCount));
        for (int c = 0; c < columnCount; ++c) {
            Value& v = row[static_cast<size_t>(c)];
            switch (sqlite3_column_type(raw, c)) {
            case SQLITE_NULL: break;
            case SQLITE_INTEGER:
                v.isNull = false;
                v.isInteger = true;
                v.integer = sqlite3_column_int64(raw, c);
                break;
            case SQLITE_FLOAT:
                v.isNull = false;
                v.isReal = true;
                v.real = sqlite3_column_double(raw, c);
                break;
            default: {
                v.isNull = false;
                const unsigned char* text = sqlite3_column_text(raw, c);
                v.text.assign(reinterpret_cast<const char*>(text), static_cast<size_t>(sqlite3_column_bytes(raw, c)));
                break;
            }
            }
        }
        rows_.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE) {
        rows_.clear();
        Fail(sqlite3_db_handle(raw), rc);
    }
}

bool Query::hasField(const std::string& name) const
{
    for (const std::string& column : columns_)
        if (strcasecmp(column.c_str(), name.c_str()) == 0)
            return true;
    return false;
}

const Query::Value& Query::field(const std::string& name) const
{
    if (eof())
        throw StoreError(StoreFault::NoCurrentRow, "no current row to read field " + name + " from", name);
    for (size_t c = 0; c < columns_.size(); ++c)
        if (strcasecmp(columns_[c].c_str(), name.c_str()) == 0)
            return rows_[current_][c];
    throw MissingField(name);
}

std::string Query::fieldText(const std::string& name) const
{
    const Value& v = field(name);
    if (v.isNull)
        return {};
    if (v.isInteger)
        return std::to_string(v.integer);
    if (v.isReal) {
        char text[64];
        std::snprintf(text, sizeof text, "%.15g", v.real);
        return text;
    }
    return v.text;
}

int Query::fieldInt(const std::string& name) const
{
    const Value& v = field(name);
    if (v.isNull)
        return 0;
    if (v.isInteger) {
        if (v.integer < INT_MIN || v.integer > INT_MAX)
            throw NotAnInteger(name, std::to_string(v.integer));
        return static_cast<int>(v.integer);
    }
    if (v.isReal) {
        // Range first: converting a double outside the target's range is undefined.
        // The negated test also refuses NaN.
        if (!(v.real >= INT_MIN && v.real <= INT_MAX) || std::trunc(v.real) != v.real) {
            char text[64];
            std::snprintf(text, sizeof text, "%.15g", v.real);
            throw NotAnInteger(name, text);
        }
        return static_cast<int>(v.real);
    }
    if (TrimText(v.text).empty())
        return 0;
    int value = 0;
    if (!ParseInteger(v.text, value))
        throw NotAnInteger(name, v.text);
    return value;
}

double Query::fieldDateTime(const std::string& name) const
{
    const Value& v = field(name);
    if (v.isNull)
        return 0;
    if (v.isInteger)
        return static_cast<double>(v.integer);
    if (v.isReal)
        return v.real;
    DateTime value = 0;
    if (!ParseDateTime(v.text, value))
        throw StoreError(StoreFault::NotADateTime, "field " + name + ": \"" + v.text + "\" is not a date and time",
                         name, v.text);
    return value;
}

EditableRow::EditableRow(Connection& connection, std::string table, std::string where)
    : connection_(connection), table_(std::move(table)), where_(std::move(where))
{
}

void EditableRow::open()
{
    Query query(connection_);
    query.open("select rowid as velmora_rowid, * from " + table_ + " where " + where_);
    columns_ = query.columns_;
    found_ = !query.eof();
    rowId_ = found_ ? query.rows_[0][0].integer : 0;
    editing_ = false;
    assignments_.clear();
}

void EditableRow::edit() { editing_ = true; }

void EditableRow::assign(const std::string& name, const SqlParam& value)
{
    if (!editing_)
        throw NotEditing();
    bool known = false;
    // Column 0 is the row's own id, added by open().
    for (size_t c = 1; c < columns_.size(); ++c)
        known = known || strcasecmp(columns_[c].c_str(), name.c_str()) == 0;
    if (!known)
        throw MissingField(name);
    assignments_.emplace_back(name, value);
}

void EditableRow::setInt(const std::string& name, long long value) { assign(name, SqlParam::Integer(value)); }

void EditableRow::setText(const std::string& name, const std::string& utf8) { assign(name, SqlParam::Text(utf8)); }

void EditableRow::setDateTime(const std::string& name, double value) { setText(name, FormatDateTime(value)); }

void EditableRow::post()
{
    if (!editing_)
        throw NotEditing();
    std::vector<SqlParam> params;
    std::string sql;
    if (found()) {
        sql = "update " + table_ + " set ";
        for (size_t i = 0; i < assignments_.size(); ++i) {
            sql += (i ? ", " : "") + assignments_[i].first + "=?";
            params.push_back(assignments_[i].second);
        }
        sql += " where rowid=?";
        params.push_back(SqlParam::Integer(rowId_));
    } else {
        std::string names, marks;
        for (size_t i = 0; i < assignments_.size(); ++i) {
            names += (i ? ", " : "") + assignments_[i].first;
            marks += i ? ", ?" : "?";
            params.push_back(assignments_[i].second);
        }
        sql = "insert into " + table_ + " (" + names + ") values (" + marks + ")";
    }
    if (!assignments_.empty())
        connection_.execute(sql, params);
    editing_ = false;
    assignments_.clear();
}

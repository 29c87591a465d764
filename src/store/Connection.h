#pragma once
// The one connection to DB.mdb and the ways statements are sent over it.
//
// Text crosses this boundary as UTF-8, as it is stored, so that comparisons in the
// database work on characters rather than bytes.
#include "store/Database.h"
#include "store/StoreError.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

class Statement;

// The connection text that names the database file: "Data Source=<path>", where
// `utf8Path` is the file's path in UTF-8 and goes to the engine exactly as given (so
// any folder name works, whatever the system code page can show).
//
// A path holding ';' or '"', or starting or ending with a blank, is written in double
// quotes with every '"' inside doubled: `C:\a;b\DB.mdb` gives
// `Data Source="C:\a;b\DB.mdb"`, and `C:\say "hi"\DB.mdb` gives
// `Data Source="C:\say ""hi""\DB.mdb"`.
//
// connect() reads a connection text as "key=value" pairs separated by ';'. Keys are
// matched in any letter case, with blanks around keys and values ignored; a value in
// double quotes may hold ';' and doubled quotes. Other pairs before or after the
// Data Source are allowed and ignored.
std::string ConnectionTextFor(const std::string& utf8Path);

// The file at `utf8Path` as a URI that opens it read-only and immutable (open it with
// SQLITE_OPEN_URI): the engine then writes nothing, neither to it nor to a journal beside it.
std::string ReadOnlyFileUri(const std::string& utf8Path);

// A statement parameter: user text that must reach the statement intact.
struct SqlParam {
    enum class Kind { Text, Contains, Integer, Blob };
    Kind kind = Kind::Text;
    std::string text; // UTF-8
    long long number = 0;

    static SqlParam Text(const std::string& utf8) { return {Kind::Text, utf8, 0}; }
    // A LIKE pattern matching texts that contain `utf8` as typed; use with "escape '\'".
    static SqlParam Contains(const std::string& utf8) { return {Kind::Contains, utf8, 0}; }
    static SqlParam Integer(long long value) { return {Kind::Integer, {}, value}; }
    // Bytes stored as they are, not as text (they need not be UTF-8).
    static SqlParam Blob(const std::string& bytes) { return {Kind::Blob, bytes, 0}; }
};

class Connection {
public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void setConnectionText(const std::string& text);
    const std::string& connectionText() const { return connectionText_; }

    // Opens the named file for reading and writing. Never creates a missing file.
    void connect();
    void disconnect();
    bool connected() const { return database_.isOpen(); }

    // Runs a statement without a result set; connects first when disconnected.
    void execute(const std::string& sql, const std::vector<SqlParam>& params = {});

    // For the statements: the open database, connecting on demand.
    Database& database();

private:
    std::string connectionText_;
    Database database_;
};

// A transaction for a set of changes that must land whole: begun when made, undone when
// it ends without commit(). It takes the write lock at once, so another program holding
// the file makes it wait (and then fail) before anything is written. The destructor
// never throws.
class Transaction {
public:
    explicit Transaction(Connection& connection);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit();

private:
    Connection& connection_;
    bool open_ = false;
};

// One statement prepared once and run many times with new parameters, for the loops
// that write row after row. It lives only for its one operation.
class Command {
public:
    Command(Connection& connection, const std::string& sql);
    Command(Database& database, const std::string& sql);
    ~Command();
    Command(const Command&) = delete;
    Command& operator=(const Command&) = delete;

    // Runs the statement with `params`; throws StoreError when the database refuses it.
    void run(const std::vector<SqlParam>& params);

private:
    std::unique_ptr<Statement> statement_;
};

// The rows of a query one at a time, as the engine steps through them: only the current
// row is held, so a long list is never copied whole before it is shown. Use Query when
// the row count is needed first.
class RowReader {
public:
    RowReader(Connection& connection, const std::string& sql, const std::vector<SqlParam>& params = {});
    RowReader(Database& database, const std::string& sql, const std::vector<SqlParam>& params = {});
    ~RowReader();
    RowReader(const RowReader&) = delete;
    RowReader& operator=(const RowReader&) = delete;

    // Moves to the next row; false after the last. Throws StoreError when the engine fails.
    bool next();
    // The current row's value of a column (any letter case) as UTF-8 text, valid until
    // the next step: text as stored, numbers in decimal, NULL empty. A missing column
    // throws StoreError.
    std::string_view utf8(const std::string& column) const;
    // The same by the column's position, from 0; a missing column throws StoreError.
    std::string_view utf8At(int column) const;

private:
    std::unique_ptr<Statement> statement_;
};

// One query per operation: open, read the rows by column name, and let it go.
// All rows are read when it opens, so the row count is exact.
class Query {
public:
    explicit Query(Connection& connection) : connection_(connection) {}

    void open(const std::string& sql, const std::vector<SqlParam>& params = {});

    int recordCount() const { return static_cast<int>(rows_.size()); }
    bool eof() const { return current_ >= rows_.size(); }
    void next() { ++current_; }

    // Fields of the current row, by column name in any letter case. A missing column
    // or a value that does not convert throws StoreError; nothing is guessed. Empty
    // values read as 0.
    // fieldInt: an integer in the range of int, stored as a number or as decimal text.
    // fieldDateTime: a stored day count, or text of exactly "YYYY-MM-DD HH:MM:SS".
    std::string fieldText(const std::string& name) const;
    int fieldInt(const std::string& name) const;
    double fieldDateTime(const std::string& name) const;
    bool hasField(const std::string& name) const;

private:
    struct Value {
        bool isNull = true;
        bool isInteger = false;
        bool isReal = false;
        long long integer = 0;
        double real = 0;
        std::string text; // UTF-8 as stored
    };
    const Value& field(const std::string& name) const;

    Connection& connection_;
    std::vector<std::string> columns_;
    std::vector<std::vector<Value>> rows_;
    size_t current_ = 0;
    friend class EditableRow;
};

// The current row of a table, edited in place: open, edit, assign fields by name,
// post. When the selection found no row, posting inserts one.
class EditableRow {
public:
    EditableRow(Connection& connection, std::string table, std::string where);

    void open();
    bool found() const { return found_; }
    void edit();
    void setInt(const std::string& name, long long value);
    void setText(const std::string& name, const std::string& utf8);
    void setDateTime(const std::string& name, double value);
    void post();

private:
    void assign(const std::string& name, const SqlParam& value);

    Connection& connection_;
    std::string table_;
    std::string where_;
    bool found_ = false;
    long long rowId_ = 0; // 0 is a row id like any other
    bool editing_ = false;
    std::vector<std::string> columns_;
    std::vector<std::pair<std::string, SqlParam>> assignments_;
};

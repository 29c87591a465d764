#include "store/Schema.h"

#include "store/ConfigRecord.h"
#include "store/Statement.h"
#include "store/StoreError.h"

#include <sqlite3.h>

namespace {

// A new template gets the next sort position, so it lists last until the template
// manager renumbers the rows.
const char* const kCreateTables = R"sql(
PRAGMA journal_mode=DELETE;
CREATE TABLE TText (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    TText TEXT,
    TSortID INTEGER
);
CREATE INDEX TTextIndex ON TText (TText);
CREATE TRIGGER TTextSortLast AFTER INSERT ON TText WHEN NEW.TSortID IS NULL
BEGIN
    UPDATE TText SET TSortID = (SELECT COALESCE(MAX(TSortID), -1) + 1 FROM TText WHERE ID <> NEW.ID)
    WHERE ID = NEW.ID;
END;
CREATE TABLE Tconfig (
    TID INTEGER PRIMARY KEY,
    THotKeyInt INTEGER,
    THotKeyItem INTEGER,
    TTitleColor INTEGER,
    TBGColor INTEGER,
    TDifRowColor INTEGER,
    TSelRowColor INTEGER,
    TSelRowColorB INTEGER,
    TSaveDB INTEGER,
    TASaveDB INTEGER,
    TSaveDay INTEGER,
    TDeadDay TEXT
);
)sql";

class Database {
public:
    explicit Database(const std::string& path)
    {
        const int rc = sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        if (rc != SQLITE_OK) {
            // The engine hands out a handle even when the open fails; it must be closed,
            // and the destructor does not run for a constructor that throws.
            sqlite3_close(db_);
            db_ = nullptr;
            throw StoreError(std::string("cannot create ") + path + ": " + sqlite3_errstr(rc));
        }
    }
    ~Database() { sqlite3_close(db_); }
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    void exec(const char* sql)
    {
        char* error = nullptr;
        if (sqlite3_exec(db_, sql, nullptr, nullptr, &error) != SQLITE_OK) {
            std::string message = error ? error : "unknown error";
            sqlite3_free(error);
            throw StoreError(message);
        }
    }

    void insertTemplate(const std::string& text)
    {
        sqlite3_stmt* raw = nullptr;
        sqlite3_prepare_v2(db_, "INSERT INTO TText (TText) VALUES (?)", -1, &raw, nullptr);
        Statement stmt(raw);
        sqlite3_bind_text(raw, 1, text.c_str(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
        if (sqlite3_step(raw) != SQLITE_DONE)
            throw StoreError(sqlite3_errmsg(db_));
    }

private:
    sqlite3* db_ = nullptr;
};

} // namespace

void CreateDeliveredDatabase(const std::string& utf8Path, const std::vector<std::string>& sampleTemplates)
{
    Database db(utf8Path);
    db.exec(kCreateTables);
    const TConfigRecord d;
    const std::string row =
        "INSERT INTO Tconfig VALUES (1, " + std::to_string(d.THotKeyInt) + ", " + std::to_string(d.THotKeyItem) + ", " +
        std::to_string(d.TTitleColor) + ", " + std::to_string(d.TBGColor) + ", " + std::to_string(d.TDifRowColor) +
        ", " + std::to_string(d.TSelRowColor) + ", " + std::to_string(d.TSelRowColorB) + ", " +
        std::to_string(d.TSaveDB) + ", " + std::to_string(d.TASaveDB) + ", " + std::to_string(d.TSaveDay) + ", '')";
    db.exec("BEGIN");
    db.exec(row.c_str());
    for (const std::string& text : sampleTemplates)
        db.insertTemplate(text);
    db.exec("COMMIT");
}

const std::vector<std::string>& SampleTemplates()
{
    static const std::vector<std::string> samples = {
        "您好,很高兴为您服务,请问有什么可以帮您?", "请稍等,我马上为您查询。",
        "您的订单已经发货,请注意查收。",           "感谢您的耐心等待!",
        "如有其他问题,欢迎随时联系我们。",         "祝您生活愉快,再见!",
    };
    return samples;
}

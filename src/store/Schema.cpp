#include "store/Schema.h"

#include "store/ConfigRecord.h"
#include "store/Connection.h"
#include "store/Database.h"
#include "store/StoreError.h"

namespace {

// A new template gets the next sort position, so it lists last until the template
// manager renumbers the rows. Every delivered database holds this text, byte for byte, as
// the trigger's SQL: the soundness check accepts exactly it.
const char* const kSortLastTrigger = R"sql(CREATE TRIGGER TTextSortLast AFTER INSERT ON TText WHEN NEW.TSortID IS NULL
BEGIN
    UPDATE TText SET TSortID = (SELECT COALESCE(MAX(TSortID), -1) + 1 FROM TText WHERE ID <> NEW.ID)
    WHERE ID = NEW.ID;
END)sql";

const char* const kCreateTables = R"sql(
PRAGMA journal_mode=DELETE;
CREATE TABLE TText (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    TText TEXT,
    TSortID INTEGER
);
CREATE INDEX TTextIndex ON TText (TText);
CREATE INDEX TTextOrder ON TText (TSortID);
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

Database OpenNewFile(const std::string& path)
{
    try {
        return Database(path, Database::Opening::Create);
    } catch (const StoreError& e) {
        throw StoreError::Engine(e.code(), "cannot create " + path + ": " + e.what());
    }
}

} // namespace

void CreateDeliveredDatabase(const std::string& utf8Path, const std::vector<std::string>& sampleTemplates)
{
    Database db = OpenNewFile(utf8Path);
    db.exec(kCreateTables);
    db.exec(kSortLastTrigger);
    const TConfigRecord d;
    const std::string row =
        "INSERT INTO Tconfig VALUES (1, " + std::to_string(d.THotKeyInt) + ", " + std::to_string(d.THotKeyItem) + ", " +
        std::to_string(d.TTitleColor) + ", " + std::to_string(d.TBGColor) + ", " + std::to_string(d.TDifRowColor) +
        ", " + std::to_string(d.TSelRowColor) + ", " + std::to_string(d.TSelRowColorB) + ", " +
        std::to_string(d.TSaveDB) + ", " + std::to_string(d.TASaveDB) + ", " + std::to_string(d.TSaveDay) + ", '')";
    db.exec("BEGIN");
    db.exec(row);
    Command insert(db, "INSERT INTO TText (TText) VALUES (?)");
    for (const std::string& text : sampleTemplates)
        insert.run({SqlParam::Text(text)});
    db.exec("COMMIT");
}

bool IsDeliveredTrigger(const std::string& name, const std::string& sql)
{
    return name == "TTextSortLast" && sql == kSortLastTrigger;
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

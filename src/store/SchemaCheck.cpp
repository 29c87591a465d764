#include "store/SchemaCheck.h"

#include "store/Connection.h"
#include "store/Database.h"
#include "store/Schema.h"

#include <strings.h>
#include <vector>

namespace {

struct SchemaEntry {
    std::string type, name, table, sql;
    // For an index a user wrote (the engine's own have no SQL): on an expression, or with a
    // condition.
    bool expression = false, partial = false;
};

// sqlite_master is a plain table: reading it compiles no view and fires no trigger. The
// indexes' details come in the same statement: two more statements for each index cost every
// start about a millisecond under Wine.
std::vector<SchemaEntry> ReadSchema(Database& database)
{
    std::vector<SchemaEntry> entries;
    RowReader rows(database, "select type, name, tbl_name, sql, type = 'index' and sql is not null and exists (select "
                             "1 from pragma_index_xinfo(m.name) where cid = -2), type = 'index' and sql is not null "
                             "and exists (select 1 from pragma_index_list(m.tbl_name) l where l.name = m.name and "
                             "l.partial) from sqlite_master m");
    while (rows.next())
        entries.push_back({std::string(rows.utf8At(0)), std::string(rows.utf8At(1)), std::string(rows.utf8At(2)),
                           std::string(rows.utf8At(3)), rows.utf8At(4) == "1", rows.utf8At(5) == "1"});
    return entries;
}

struct TableColumns {
    const char* table;
    bool required; // the team library's tables exist only on a desk that has one
    std::vector<const char*> columns;
};

// The tables and columns the program reads.
const TableColumns kTables[] = {
    {"TText", true, {"ID", "TText", "TSortID"}},
    {"Tconfig",
     true,
     {"TID", "THotKeyInt", "THotKeyItem", "TTitleColor", "TBGColor", "TDifRowColor", "TSelRowColor", "TSelRowColorB",
      "TSaveDB", "TASaveDB", "TSaveDay", "TDeadDay"}},
    {"TTeamText", false, {"ID", "TText", "TSortID"}},
    {"TTeamConfig",
     false,
     {"TID", "TConnection", "TServer", "TCounter", "TLastSync", "TRows", "TLastError", "TCheckSeconds"}},
};

// The engine's names ignore ASCII letter case, and so do these comparisons.
bool SameName(const std::string& a, const char* b) { return strcasecmp(a.c_str(), b) == 0; }

bool IsProgramTable(const std::string& name)
{
    for (const TableColumns& table : kTables)
        if (SameName(name, table.table))
            return true;
    return false;
}

bool StartsWithNoCase(const std::string& text, const char* start)
{
    return strncasecmp(text.c_str(), start, std::char_traits<char>::length(start)) == 0;
}

const char* const kOnlyPlain = "，Velmora 只接受表和普通索引";

} // namespace

std::string ForeignSchemaObject(Database& database)
{
    for (const SchemaEntry& entry : ReadSchema(database)) {
        const std::string on = "（表 " + entry.table + "）";
        if (entry.type == "view")
            return "含有视图 " + entry.name + kOnlyPlain;
        if (entry.type == "trigger" && !IsDeliveredTrigger(entry.name, entry.sql))
            return "含有触发器 " + entry.name + on + kOnlyPlain;
        if (entry.type == "table" && IsProgramTable(entry.name) && StartsWithNoCase(entry.sql, "CREATE VIRTUAL"))
            return "表 " + entry.name + " 是虚拟表，Velmora 只接受普通的表";
        // An index's expression or condition is worked out at every write of its table. The
        // engine's own indexes (for UNIQUE and PRIMARY KEY) have no SQL and are plain.
        if (entry.expression)
            return "含有表达式索引 " + entry.name + on + kOnlyPlain;
        if (entry.partial)
            return "含有带条件的索引 " + entry.name + on + kOnlyPlain;
    }
    return {};
}

std::string SchemaFault(Database& database)
{
    std::string fault = ForeignSchemaObject(database);
    if (!fault.empty())
        return fault;
    // Every view is refused above, so each table looked at here is a table.
    for (const TableColumns& table : kTables) {
        std::vector<std::string> present;
        RowReader columns(database, "select name from pragma_table_info(?)", {SqlParam::Text(table.table)});
        while (columns.next())
            present.emplace_back(columns.utf8At(0));
        if (present.empty()) {
            if (!table.required)
                continue;
            return std::string("缺少表 ") + table.table;
        }
        for (const char* column : table.columns) {
            bool found = false;
            for (const std::string& name : present)
                found = found || SameName(name, column);
            if (!found)
                return std::string("表 ") + table.table + " 缺少字段 " + column;
        }
    }
    return {};
}

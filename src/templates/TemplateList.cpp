#include "templates/TemplateList.h"

#include "common/Pinyin.h"

#include <vector>

namespace {

// A search lists its hits in stored order: first the texts that contain the search text, then,
// for a search of Latin letters, the texts that hold it only as pinyin (common/Pinyin.h). One
// pass over the table in stored order (an index on TSortID, so nothing is sorted) reads each
// text once and says which kind of hit it is: the literal hits go to the list as they come,
// so a typed search shows its first rows at once; the pinyin-only hits wait for the end. A pinyin
// search reads every row and asks search_hit which kind it is: the function is called once a row,
// where a filter in the statement would call it again for each row it lets through.
const char* const kLoadAll = "Select * from TText order by TSortId asc";
const char* const kSearch = "Select TText from TText where TText like ?1 escape '\\' order by TSortID asc";
const char* const kSearchPinyin = "Select search_hit(TText, ?1), TText from TText order by TSortID asc";
const char* const kLoadTeam = "Select TText from TTeamText order by TSortID asc";
const char* const kSearchTeam = "Select TText from TTeamText where TText like ?1 escape '\\' order by TSortID asc";
const char* const kSearchTeamPinyin = "Select search_hit(TText, ?1), TText from TTeamText order by TSortID asc";

// Lists the rows `text` finds with `literal`, or with `pinyin` when it may be read as pinyin:
// the rows that hold it as typed first, then the pinyin-only ones, each in the query's order.
void ListFound(Connection& connection, const char* literal, const char* pinyin, const std::string& text,
               ListedRows& rows)
{
    if (!IsPinyinSearch(text)) {
        RowReader reader(connection, literal, {SqlParam::Contains(text)});
        while (reader.next())
            rows.add(reader.utf8At(0));
        return;
    }
    RowReader reader(connection, pinyin, {SqlParam::Text(text)});
    std::vector<std::string> pinyinOnly;
    while (reader.next()) {
        const std::string_view hit = reader.utf8At(0);
        if (hit == "1") {
            rows.add(reader.utf8At(1));
        } else if (hit == "2") {
            pinyinOnly.emplace_back(reader.utf8At(1));
            rows.rowKeptBack();
        }
    }
    for (const std::string& row : pinyinOnly)
        rows.add(row);
}

void ListAll(RowReader& reader, ListedRows& rows)
{
    while (reader.next())
        rows.add(reader.utf8("TText"));
}

} // namespace

void TemplateList::LoadTemplates(LoadMode mode, const std::string& text, ListedRows& rows)
{
    lastMode_ = mode;
    lastText_ = text;
    rows.clear();
    try {
        if (mode == LoadMode::All) {
            RowReader reader(connection_, kLoadAll);
            ListAll(reader, rows);
        } else {
            ListFound(connection_, kSearch, kSearchPinyin, text, rows);
        }
        if (team_) {
            rows.teamRowsFollow();
            listTeamRows(mode, text, rows);
        }
    } catch (...) {
        // A read that fails part-way lists nothing rather than a part of the rows.
        rows.clear();
        throw;
    }
}

void TemplateList::ReloadTeamRows(ListedRows& rows)
{
    rows.clear();
    if (!team_)
        return;
    try {
        listTeamRows(lastMode_, lastText_, rows);
    } catch (...) {
        rows.clear();
        throw;
    }
}

void TemplateList::listTeamRows(LoadMode mode, const std::string& text, ListedRows& rows)
{
    if (mode == LoadMode::All) {
        RowReader team(connection_, kLoadTeam);
        ListAll(team, rows);
    } else {
        ListFound(connection_, kSearchTeam, kSearchTeamPinyin, text, rows);
    }
}

void TemplateList::Search(const std::string& typed, ListedRows& rows)
{
    const TemplateSearch search = SearchFor(typed);
    LoadTemplates(search.mode, search.text, rows);
}

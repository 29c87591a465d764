#include "templates/TemplateList.h"

#include "common/Pinyin.h"

namespace {

// A search lists its hits in stored order: first the texts that contain the search text, then,
// for a search of Latin letters, the texts that hold it only as pinyin (common/Pinyin.h). One
// pass over the table does both; only the hits are sorted.
const char* const kLoadAll = "Select * from TText order by TSortId asc";
const char* const kSearch = "Select TText from TText where TText like ?1 escape '\\' order by TSortID asc";
const char* const kSearchPinyin = "Select TText from TText where TText like ?1 escape '\\' or pinyin_match(TText, ?2) "
                                  "order by not (TText like ?1 escape '\\'), TSortID asc";
const char* const kLoadTeam = "Select TText from TTeamText order by TSortID asc";
const char* const kSearchTeam = "Select TText from TTeamText where TText like ?1 escape '\\' order by TSortID asc";
const char* const kSearchTeamPinyin =
    "Select TText from TTeamText where TText like ?1 escape '\\' or pinyin_match(TText, ?2) "
    "order by not (TText like ?1 escape '\\'), TSortID asc";

// The rows `text` finds with `literal`, or with `pinyin` when it may be read as pinyin.
RowReader Found(Connection& connection, const char* literal, const char* pinyin, const std::string& text)
{
    if (IsPinyinSearch(text))
        return RowReader(connection, pinyin, {SqlParam::Contains(text), SqlParam::Text(text)});
    return RowReader(connection, literal, {SqlParam::Contains(text)});
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
        {
            RowReader reader = mode == LoadMode::All ? RowReader(connection_, kLoadAll)
                                                     : Found(connection_, kSearch, kSearchPinyin, text);
            ListAll(reader, rows);
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
    RowReader team = mode == LoadMode::All ? RowReader(connection_, kLoadTeam)
                                           : Found(connection_, kSearchTeam, kSearchTeamPinyin, text);
    ListAll(team, rows);
}

void TemplateList::Search(const std::string& typed, ListedRows& rows)
{
    const TemplateSearch search = SearchFor(typed);
    LoadTemplates(search.mode, search.text, rows);
}

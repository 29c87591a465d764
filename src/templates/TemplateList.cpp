#include "templates/TemplateList.h"

namespace {

const char* const kLoadAll = "Select * from TText order by TSortId asc";
const char* const kSearch = "Select * from TText where TText like ? escape '\\'";
const char* const kLoadTeam = "Select TText from TTeamText order by TSortID asc";
const char* const kSearchTeam = "Select TText from TTeamText where TText like ? escape '\\' order by TSortID asc";

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
                                                     : RowReader(connection_, kSearch, {SqlParam::Contains(text)});
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
                                           : RowReader(connection_, kSearchTeam, {SqlParam::Contains(text)});
    ListAll(team, rows);
}

void TemplateList::Search(const std::string& typed, ListedRows& rows)
{
    const TemplateSearch search = SearchFor(typed);
    LoadTemplates(search.mode, search.text, rows);
}

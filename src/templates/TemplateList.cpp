#include "templates/TemplateList.h"

namespace {

const char* const kLoadAll = "Select * from TText order by TSortId asc";
const char* const kSearch = "Select * from TText where TText like ? escape '\\'";

} // namespace

void TemplateList::LoadTemplates(LoadMode mode, const std::string& text, ListedRows& rows)
{
    rows.clear();
    RowReader reader = mode == LoadMode::All ? RowReader(connection_, kLoadAll)
                                             : RowReader(connection_, kSearch, {SqlParam::Contains(text)});
    try {
        while (reader.next())
            rows.add(reader.utf8("TText"));
    } catch (...) {
        // A read that fails part-way lists nothing rather than a part of the rows.
        rows.clear();
        throw;
    }
}

void TemplateList::Search(const std::string& typed, ListedRows& rows)
{
    const TemplateSearch search = SearchFor(typed);
    LoadTemplates(search.mode, search.text, rows);
}

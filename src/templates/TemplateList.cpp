#include "templates/TemplateList.h"

#include "common/Pinyin.h"

#include <optional>
#include <vector>

namespace {

// A search lists its hits in stored order: first the texts that contain the search text, then,
// for a search of Latin letters, the texts that hold it only as pinyin (common/Pinyin.h). One
// pass over the table in stored order (an index on TSortID, so nothing is sorted) reads each
// text once and says which kind of hit it is: the literal hits go to the list as they come,
// so a typed search shows its first rows at once; the pinyin-only hits wait for the end. A pinyin
// search reads every row and tells the kind of hit itself: the engine hands over the texts, and
// a search typed on from the last one reads only the texts that one found.
const char* const kLoadAll = "Select * from TText order by TSortId asc";
const char* const kSearch = "Select TText from TText where TText like ?1 escape '\\' order by TSortID asc";
const char* const kReadAll = "Select TText from TText order by TSortID asc";
const char* const kLoadTeam = "Select TText from TTeamText order by TSortID asc";
const char* const kSearchTeam = "Select TText from TTeamText where TText like ?1 escape '\\' order by TSortID asc";
const char* const kReadAllTeam = "Select TText from TTeamText order by TSortID asc";

// Changes when any row may have changed: data_version when another connection (the team check's,
// VelmoraDb) committed, total_changes when this one wrote.
const char* const kChangeStamp = "Select (select data_version from pragma_data_version), total_changes()";

// Lists the rows `text` finds with `literal`, or, when it may be read as pinyin, over the rows of
// `readAll`: the rows that hold it as typed first, then the pinyin-only ones, each in the query's
// order. A pinyin search notes in `found` what it read and found; with `before` (what a search it
// refines found in the same rows) it reads only the rows `before` found or did not reach.
void ListFound(Connection& connection, const char* literal, const char* readAll, const std::string& text,
               ListedRows& rows, const TemplateList::Found* before, TemplateList::Found* found)
{
    const std::optional<LatinSearch> search = LatinSearch::From(text);
    if (!search) {
        RowReader reader(connection, literal, {SqlParam::Contains(text)});
        while (reader.next())
            rows.add(reader.utf8At(0));
        return;
    }
    RowReader reader(connection, readAll);
    size_t earlier = 0; // the next of `before`'s hits
    for (std::uint32_t place = 0; reader.next(); ++place) {
        if (before && place < before->read) {
            if (earlier == before->hits.size() || before->hits[earlier] != place) {
                found->read = place + 1;
                continue;
            }
            ++earlier;
        }
        const std::string_view row = reader.utf8At(0);
        const LatinHit hit = search->find(row);
        if (hit != LatinHit::None)
            found->hits.push_back(place);
        // Noted before the row is handed on, where the search may give way.
        found->read = place + 1;
        if (hit == LatinHit::Literal) {
            rows.add(row);
        } else if (hit == LatinHit::Pinyin) {
            rows.keepBack(row);
        }
    }
    rows.addKeptBack();
}

void ListAll(RowReader& reader, ListedRows& rows)
{
    while (reader.next())
        rows.add(reader.utf8("TText"));
}

// The rows a search refines from are read under one snapshot with the stamp that says they are
// still those rows: no other program's commit can come between the two.
class ReadSnapshot {
public:
    explicit ReadSnapshot(Connection& connection) : connection_(connection)
    {
        connection_.execute("savepoint typed_search");
    }
    ~ReadSnapshot()
    {
        try {
            connection_.execute("release typed_search");
        } catch (...) {
            // Only read: nothing to lose when it cannot be ended here; the next statement ends it.
        }
    }
    ReadSnapshot(const ReadSnapshot&) = delete;
    ReadSnapshot& operator=(const ReadSnapshot&) = delete;

private:
    Connection& connection_;
};

std::string ChangeStamp(Connection& connection)
{
    RowReader stamp(connection, kChangeStamp);
    if (!stamp.next())
        return {};
    return std::string(stamp.utf8At(0)) + "/" + std::string(stamp.utf8At(1));
}

} // namespace

void TemplateList::LoadTemplates(LoadMode mode, const std::string& text, ListedRows& rows)
{
    lastMode_ = mode;
    lastText_ = text;
    const KeptSearch before = std::move(kept_);
    kept_ = {};
    rows.clear();
    try {
        if (mode == LoadMode::All) {
            RowReader reader(connection_, kLoadAll);
            ListAll(reader, rows);
            if (team_) {
                rows.teamRowsFollow();
                listTeamRows(mode, text, rows, nullptr, nullptr);
            }
            return;
        }
        std::optional<ReadSnapshot> snapshot;
        bool refines = false;
        if (IsPinyinSearch(text)) {
            snapshot.emplace(connection_);
            kept_.stamp = ChangeStamp(connection_);
            kept_.text = text;
            kept_.valid = true;
            refines = before.valid && before.stamp == kept_.stamp && PinyinSearchRefines(before.text, text);
        }
        ListFound(connection_, kSearch, kReadAll, text, rows, refines ? &before.own : nullptr, &kept_.own);
        if (team_) {
            rows.teamRowsFollow();
            listTeamRows(mode, text, rows, refines ? &before.team : nullptr, &kept_.team);
        }
    } catch (...) {
        // A read that fails part-way lists nothing rather than a part of the rows. What a pinyin
        // search found stays true of the rows it read, as far as it read them (a search that gave
        // way to a key is refined by the next).
        rows.dropKeptBack();
        rows.clear();
        throw;
    }
}

void TemplateList::ReloadTeamRows(ListedRows& rows)
{
    // The team's rows changed: what the last search found in them is not what it would find now.
    kept_ = {};
    rows.clear();
    if (!team_)
        return;
    try {
        listTeamRows(lastMode_, lastText_, rows, nullptr, nullptr);
    } catch (...) {
        rows.clear();
        throw;
    }
}

void TemplateList::listTeamRows(LoadMode mode, const std::string& text, ListedRows& rows, const Found* before,
                                Found* found)
{
    if (mode == LoadMode::All) {
        RowReader team(connection_, kLoadTeam);
        ListAll(team, rows);
    } else {
        Found unkept;
        ListFound(connection_, kSearchTeam, kReadAllTeam, text, rows, before, found ? found : &unkept);
    }
}

void TemplateList::Search(const std::string& typed, ListedRows& rows)
{
    const TemplateSearch search = SearchFor(typed);
    LoadTemplates(search.mode, search.text, rows);
}

#include "templates/TemplateManager.h"

#include "common/Pinyin.h"
#include "common/TemplateRule.h"
#include "common/Text.h"

#include <algorithm>
#include <charconv>
#include <unordered_map>

namespace {

const char* const kLoadAll = "Select * from TText order by TSortID asc";
// The whole table too, with each row marked when it matches: the hits are listed, and
// the order of all rows is what a close stores. Hit is 1 for a text that contains the search
// text, 2 for one that holds it only as pinyin (a search of Latin letters, common/Pinyin.h).
const char* const kSearch = "Select *, TText like ?1 escape '\\' as Hit from TText order by TSortID asc";
const char* const kSearchPinyin = "Select *, case when TText like ?1 escape '\\' then 1 "
                                  "when pinyin_match(TText, ?2) then 2 else 0 end as Hit "
                                  "from TText order by TSortID asc";
const char* const kFindText = "select * from TText where TText=?";
const char* const kFindId = "select ID from TText where ID=?";
const char* const kInsert = "insert into TText (TText) values (?)";
const char* const kUpdateText = "update TText set TText=? where ID=?";
const char* const kDelete = "delete from TText where ID=?";
const char* const kUpdateSortId = "Update TText set TSortID=? where ID=?";

// The refusal of a memo whose trimmed `text` holds a refused character, naming the memo's line.
std::optional<TemplateResult> RefusedCharacterIn(const std::string& memo, const std::string& text)
{
    const FoundCharacter refused = FindRefusedCharacter(text);
    if (!refused)
        return std::nullopt;
    TemplateResult result{TemplateOutcome::RefusedCharacter};
    result.character = refused.code;
    // The trimmed text starts at the memo's first byte that trimming keeps, its first occurrence.
    result.line = LineOf(memo, memo.find(text) + refused.at);
    return result;
}

long long ToId(std::string_view digits)
{
    long long id = -1;
    std::from_chars(digits.data(), digits.data() + digits.size(), id);
    return id;
}

} // namespace

TemplateManager::TemplateManager(Connection& connection) : connection_(connection) {}

void TemplateManager::LoadTemplates(LoadMode mode, const std::string& pattern)
{
    // Emptied first: after a failed query the list shows nothing rather than old rows. The
    // whole order stays: it is the user's, and a close stores it.
    rows_.clear();
    rowIds_.clear();
    slots_.clear();
    const bool all = mode == LoadMode::All;
    const bool pinyin = !all && IsPinyinSearch(pattern);
    RowReader reader =
        all      ? RowReader(connection_, kLoadAll)
        : pinyin ? RowReader(connection_, kSearchPinyin, {SqlParam::Contains(pattern), SqlParam::Text(pattern)})
                 : RowReader(connection_, kSearch, {SqlParam::Contains(pattern)});
    struct Loaded {
        long long id;
        std::string text;
        int hit; // 0: not listed; 1: holds the text; 2: holds it only as pinyin
    };
    std::vector<Loaded> stored;
    while (reader.next()) {
        const std::string_view hit = all ? std::string_view("1") : reader.utf8("Hit");
        stored.push_back({ToId(reader.utf8("ID")), std::string(reader.utf8("TText")),
                          hit == "1"   ? 1
                          : hit == "2" ? 2
                                       : 0});
    }

    // The rows in the order the user has made so far, without those gone from the table;
    // rows it does not hold yet (an add) come last, where the insert put them. At the first
    // load it is the stored order.
    std::vector<size_t> placed; // indices into `stored`
    placed.reserve(stored.size());
    if (order_.empty()) {
        for (size_t i = 0; i < stored.size(); ++i)
            placed.push_back(i);
    } else {
        std::unordered_map<long long, size_t> byId;
        for (size_t i = 0; i < stored.size(); ++i)
            byId.emplace(stored[i].id, i);
        std::vector<bool> taken(stored.size(), false);
        for (long long id : order_) {
            const auto found = byId.find(id);
            if (found != byId.end() && !taken[found->second]) {
                taken[found->second] = true;
                placed.push_back(found->second);
            }
        }
        for (size_t i = 0; i < stored.size(); ++i)
            if (!taken[i])
                placed.push_back(i);
    }
    // The pinyin hits follow the literal ones.
    std::vector<long long> order;
    order.reserve(placed.size());
    for (int kind : {1, 2})
        for (size_t i = 0; i < placed.size(); ++i) {
            Loaded& row = stored[placed[i]];
            if (kind == 1)
                order.push_back(row.id);
            if (row.hit != kind)
                continue;
            rows_.push_back(std::move(row.text));
            rowIds_.push_back(row.id);
            slots_.push_back(i);
        }
    order_ = std::move(order);
}

void TemplateManager::Search(const std::string& searchText)
{
    const TemplateSearch search = SearchFor(searchText);
    LoadTemplates(search.mode, search.text);
}

void TemplateManager::Refresh()
{
    // Refresh lists the table as stored: the moves made since the window opened are dropped.
    order_.clear();
    LoadTemplates(LoadMode::All, "");
}

bool TemplateManager::Choose(int focusRow, std::string& memo)
{
    if (focusRow < 0 || static_cast<size_t>(focusRow) >= rows_.size())
        return false;
    chosenId_ = rowIds_[static_cast<size_t>(focusRow)];
    memo = rows_[static_cast<size_t>(focusRow)];
    return true;
}

TemplateResult TemplateManager::AddTemplate(std::string& memo)
{
    // The memo holds a new text, not an edit of the chosen template: a modify after the
    // add, whatever its outcome, must not write that text over the template.
    chosenId_ = -1;
    // A memo of blanks only is refused like an empty one: an empty template would be a
    // row the user cannot tell apart in the list.
    const std::string text = TrimText(memo);
    if (text.empty())
        return {TemplateOutcome::EmptyText};
    if (std::optional<TemplateResult> refused = RefusedCharacterIn(memo, text))
        return *refused;
    if (!IsTextFree(text))
        return {TemplateOutcome::Duplicate};
    TemplateResult result =
        ExecSql(kInsert, {SqlParam::Text(text)}, TemplateOutcome::Added, TemplateOutcome::AddRefused);
    if (result.outcome == TemplateOutcome::Added)
        memo.clear();
    return result;
}

TemplateResult TemplateManager::ModifyTemplate(std::string& memo)
{
    const long long id = ChosenRowId();
    if (id < 0)
        return {TemplateOutcome::NothingToModify};
    // An empty memo is refused as in add: it would empty the chosen template.
    const std::string text = TrimText(memo);
    if (text.empty())
        return {TemplateOutcome::EmptyText};
    if (std::optional<TemplateResult> refused = RefusedCharacterIn(memo, text))
        return *refused;
    if (!IsTextFree(text))
        return {TemplateOutcome::Duplicate};
    TemplateResult result = ExecSql(kUpdateText, {SqlParam::Text(text), SqlParam::Integer(id)},
                                    TemplateOutcome::Modified, TemplateOutcome::ModifyRefused);
    if (result.outcome == TemplateOutcome::Modified) {
        memo.clear();
        chosenId_ = -1;
    }
    return result;
}

TemplateResult TemplateManager::DeleteTemplate(std::string& memo, const std::function<bool()>& confirm)
{
    const long long id = ChosenRowId();
    if (id < 0)
        return {TemplateOutcome::NothingToDelete};
    if (!confirm())
        return {TemplateOutcome::KeptOnRequest};
    TemplateResult result =
        ExecSql(kDelete, {SqlParam::Integer(id)}, TemplateOutcome::Deleted, TemplateOutcome::DeleteRefused);
    if (result.outcome == TemplateOutcome::Deleted) {
        memo.clear();
        chosenId_ = -1;
    }
    return result;
}

void TemplateManager::RecordDragRow(int currentRow)
{
    if (currentRow < 0 || static_cast<size_t>(currentRow) >= rowIds_.size())
        dragId_ = -1;
    else
        dragId_ = rowIds_[static_cast<size_t>(currentRow)];
}

int TemplateManager::DragOver(int targetRow)
{
    if (dragId_ < 0)
        return -1;
    if (targetRow < 0 || static_cast<size_t>(targetRow) >= rowIds_.size())
        return -1;
    const auto found = std::find(rowIds_.begin(), rowIds_.end(), dragId_);
    if (found == rowIds_.end())
        return -1;
    const int source = static_cast<int>(found - rowIds_.begin());
    if (source == targetRow)
        return -1;
    const size_t from = static_cast<size_t>(source);
    const size_t to = static_cast<size_t>(targetRow);

    // The rows between the two places shift by one toward the source.
    const auto move = [from, to](auto& rows) {
        if (from > to)
            std::rotate(rows.begin() + to, rows.begin() + from, rows.begin() + from + 1);
        else
            std::rotate(rows.begin() + from, rows.begin() + from + 1, rows.begin() + to + 1);
    };
    move(rows_);
    move(rowIds_);

    // The listed rows keep the places they hold in the whole order among them, so the rows
    // a search hides stay exactly where they were.
    for (size_t i = std::min(from, to); i <= std::max(from, to); ++i)
        order_[slots_[i]] = rowIds_[i];
    return source;
}

void TemplateManager::SaveOrder(const std::function<void()>& afterRow)
{
    if (order_.empty())
        return;
    // The order as it stands now: `afterRow` lets window messages through, and nothing
    // they do may change what is being written.
    const std::vector<long long> order = order_;
    Transaction transaction(connection_);
    Command update(connection_, kUpdateSortId);
    for (size_t i = 0; i < order.size(); ++i) {
        WriteSortID(update, order[i], static_cast<int>(i));
        if (afterRow)
            afterRow();
    }
    transaction.commit();
}

void TemplateManager::WriteSortID(Command& update, long long id, int number)
{
    update.run({SqlParam::Integer(number), SqlParam::Integer(id)});
}

long long TemplateManager::ChosenRowId()
{
    if (chosenId_ < 0)
        return -1;
    Query query(connection_);
    query.open(kFindId, {SqlParam::Integer(chosenId_)});
    return query.eof() ? -1 : chosenId_;
}

long long TemplateManager::LookupId(const std::string& text)
{
    Query query(connection_);
    query.open(kFindText, {SqlParam::Text(text)});
    if (query.eof())
        return -1;
    return query.fieldInt("ID");
}

bool TemplateManager::IsTextFree(const std::string& text) { return LookupId(text) < 0; }

TemplateResult TemplateManager::ExecSql(const std::string& sql, const std::vector<SqlParam>& params,
                                        TemplateOutcome done, TemplateOutcome refused)
{
    TemplateResult result{done};
    try {
        connection_.execute(sql, params);
    } catch (const StoreError& e) {
        result = {refused, e};
    }
    try {
        LoadTemplates(LoadMode::All, "");
    } catch (...) {
        result.reloadFailure = std::current_exception();
    }
    return result;
}

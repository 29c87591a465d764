#include "templates/TemplateManager.h"

#include "common/Pinyin.h"
#include "common/TemplateRule.h"
#include "common/Text.h"

#include <algorithm>
#include <charconv>
#include <iterator>

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
    // Emptied first: after a failed query the list shows nothing rather than old rows.
    rows_.clear();
    rowIds_.clear();
    order_.clear();
    const bool all = mode == LoadMode::All;
    const bool pinyin = !all && IsPinyinSearch(pattern);
    RowReader rows = all ? RowReader(connection_, kLoadAll)
                     : pinyin
                         ? RowReader(connection_, kSearchPinyin, {SqlParam::Contains(pattern), SqlParam::Text(pattern)})
                         : RowReader(connection_, kSearch, {SqlParam::Contains(pattern)});
    // The pinyin hits wait for the end of the table: they follow the literal ones.
    std::vector<std::string> pinyinRows;
    std::vector<long long> pinyinIds;
    try {
        while (rows.next()) {
            const long long id = ToId(rows.utf8("ID"));
            order_.push_back(id);
            const std::string_view hit = all ? std::string_view("1") : rows.utf8("Hit");
            if (hit == "1") {
                rows_.emplace_back(rows.utf8("TText"));
                rowIds_.push_back(id);
            } else if (hit == "2") {
                pinyinRows.emplace_back(rows.utf8("TText"));
                pinyinIds.push_back(id);
            }
        }
        rows_.insert(rows_.end(), std::make_move_iterator(pinyinRows.begin()),
                     std::make_move_iterator(pinyinRows.end()));
        rowIds_.insert(rowIds_.end(), pinyinIds.begin(), pinyinIds.end());
    } catch (...) {
        rows_.clear();
        rowIds_.clear();
        order_.clear();
        throw;
    }
}

void TemplateManager::Search(const std::string& searchText)
{
    const TemplateSearch search = SearchFor(searchText);
    LoadTemplates(search.mode, search.text);
}

void TemplateManager::Refresh() { LoadTemplates(LoadMode::All, ""); }

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
    const long long passedId = rowIds_[to];

    // The rows between the two places shift by one toward the source.
    const auto move = [from, to](auto& rows) {
        if (from > to)
            std::rotate(rows.begin() + to, rows.begin() + from, rows.begin() + from + 1);
        else
            std::rotate(rows.begin() + from, rows.begin() + from + 1, rows.begin() + to + 1);
    };
    move(rows_);
    move(rowIds_);

    // In the whole order the row goes just before the row it passed going up, just
    // after it going down; rows not listed between them stay where they were.
    const auto dragged = std::find(order_.begin(), order_.end(), dragId_);
    if (dragged != order_.end())
        order_.erase(dragged);
    auto passed = std::find(order_.begin(), order_.end(), passedId);
    if (from < to && passed != order_.end())
        ++passed;
    order_.insert(passed, dragId_);
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

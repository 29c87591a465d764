#include "templates/TemplateManager.h"

#include "common/Text.h"
#include "common/TextCodec.h"

#include <algorithm>

namespace {

const char* const kLoadAll = "Select * from TText order by TSortID asc";
const char* const kSearch = "Select * from TText where TText like ? escape '\\'";
const char* const kFindText = "select * from TText where TText=?";
const char* const kInsert = "insert into TText (TText) values (?)";
const char* const kUpdateText = "update TText set TText=? where ID=?";
const char* const kDelete = "delete from TText where ID=?";
const char* const kUpdateSortId = "Update TText set TSortID=? where TText=?";

} // namespace

TemplateManager::TemplateManager(Connection& connection, MessageBoxes& boxes) : connection_(connection), boxes_(boxes)
{
}

void TemplateManager::LoadTemplates(LoadMode mode, const std::string& pattern)
{
    // Emptied first: after a failed query the list shows nothing rather than old rows.
    rows_.clear();
    RowReader rows = mode == LoadMode::All ? RowReader(connection_, kLoadAll)
                                           : RowReader(connection_, kSearch, {SqlParam::Contains(pattern)});
    try {
        while (rows.next())
            rows_.push_back(connection_.codec().fromUtf8(std::string(rows.utf8("TText"))));
    } catch (...) {
        rows_.clear();
        throw;
    }
}

void TemplateManager::Search(const std::string& searchText)
{
    const std::string text = TrimText(searchText);
    if (text.empty())
        LoadTemplates(LoadMode::All, "");
    else
        LoadTemplates(LoadMode::Search, text);
}

void TemplateManager::Refresh() { LoadTemplates(LoadMode::All, ""); }

bool TemplateManager::Choose(int focusRow, std::string& memo)
{
    if (focusRow < 0 || static_cast<size_t>(focusRow) >= rows_.size())
        return false;
    chosenText_ = rows_[static_cast<size_t>(focusRow)];
    memo = chosenText_;
    return true;
}

void TemplateManager::AddTemplate(std::string& memo)
{
    // A memo of blanks only is refused like an empty one: an empty template would be a
    // row the user cannot tell apart in the list.
    const std::string text = TrimText(memo);
    if (text.empty()) {
        boxes_.notice(Texts::kTemplateEmpty, NoticeType::Exclamation);
        return;
    }
    if (!IsTextFree(text)) {
        boxes_.notice(Texts::kTemplateExists, NoticeType::Exclamation);
        return;
    }
    if (ExecSql(kInsert, {SqlParam::Text(text)}, Texts::kAddFailed)) {
        boxes_.plain(Texts::kTemplateAdded);
        memo.clear();
    }
    LoadTemplates(LoadMode::All, "");
}

void TemplateManager::ModifyTemplate(std::string& memo)
{
    const long long id = LookupId(chosenText_);
    if (id < 0) {
        boxes_.notice(Texts::kNoTemplateToModify, NoticeType::Exclamation);
        return;
    }
    // An empty text is allowed here; the chosen template then holds an empty text.
    const std::string text = TrimText(memo);
    if (!IsTextFree(text)) {
        boxes_.notice(Texts::kTemplateExists, NoticeType::Exclamation);
        return;
    }
    if (ExecSql(kUpdateText, {SqlParam::Text(text), SqlParam::Integer(id)}, Texts::kModifyFailed)) {
        boxes_.plain(Texts::kTemplateModified);
        memo.clear();
    }
    LoadTemplates(LoadMode::All, "");
}

void TemplateManager::DeleteTemplate(std::string& memo)
{
    const long long id = LookupId(chosenText_);
    if (id < 0) {
        boxes_.notice(Texts::kNoTemplateToDelete, NoticeType::Exclamation);
        return;
    }
    if (!boxes_.question(Texts::kDeleteQuestion))
        return;
    if (ExecSql(kDelete, {SqlParam::Integer(id)}, Texts::kDeleteFailed)) {
        boxes_.plain(Texts::kTemplateDeleted);
        memo.clear();
    }
    LoadTemplates(LoadMode::All, "");
}

void TemplateManager::RecordDragRow(int currentRow)
{
    if (currentRow < 0 || static_cast<size_t>(currentRow) >= rows_.size())
        dragText_.clear();
    else
        dragText_ = rows_[static_cast<size_t>(currentRow)];
}

int TemplateManager::DragOver(int targetRow)
{
    if (dragText_.empty())
        return -1;
    if (targetRow < 0 || static_cast<size_t>(targetRow) >= rows_.size())
        return -1;
    const auto found = std::find(rows_.begin(), rows_.end(), dragText_);
    if (found == rows_.end())
        return -1;
    const int source = static_cast<int>(found - rows_.begin());
    if (source == targetRow)
        return -1;
    // The rows between the two places shift by one toward the source.
    const auto target = rows_.begin() + targetRow;
    if (source > targetRow)
        std::rotate(target, found, found + 1);
    else
        std::rotate(found, found + 1, target + 1);
    return source;
}

void TemplateManager::SaveOrder(const std::function<void()>& afterRow)
{
    if (rows_.empty())
        return;
    // The rows as they stand now: `afterRow` lets window messages through, and nothing
    // they do may change what is being written.
    const std::vector<std::string> rows = rows_;
    Transaction transaction(connection_);
    Command update(connection_, kUpdateSortId);
    for (size_t i = 0; i < rows.size(); ++i) {
        WriteSortID(update, rows[i], static_cast<int>(i));
        if (afterRow)
            afterRow();
    }
    transaction.commit();
}

void TemplateManager::WriteSortID(Command& update, const std::string& text, int number)
{
    update.run({SqlParam::Integer(number), SqlParam::Text(text)});
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

bool TemplateManager::ExecSql(const std::string& sql, const std::vector<SqlParam>& params, const char* failureText)
{
    try {
        connection_.execute(sql, params);
        return true;
    } catch (const StoreError& e) {
        boxes_.notice(std::string(failureText) + e.what(), NoticeType::Exclamation);
        return false;
    }
}

#pragma once
// What the template manager does with the templates, apart from its window: the listed
// rows, the chosen and the dragged template, add, modify, delete, search, the drag move
// and storing the order. The window (MbDialog) turns its messages into these calls and
// shows `Rows()` in its list.
//
// Every listed row keeps the `ID` it was loaded with, and every operation acts on that ID:
// two rows may hold one text (another tool may have stored it twice). All text is UTF-8.
// User text reaches the statements as parameters, so quotes of any kind are stored as typed.
#include "store/Connection.h"
#include "templates/TemplateSearch.h"

#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// What an add, modify or delete did. The manager window tells the user (TemplateNotices).
enum class TemplateOutcome {
    Added,
    Modified,
    Deleted,
    EmptyText,        // the memo holds blanks only
    Duplicate,        // another template holds the text already
    RefusedCharacter, // a control character or bidirectional mark: `character` says which
    NothingToModify,  // no chosen template, or it is gone
    NothingToDelete,
    KeptOnRequest, // the user answered No to the delete
    AddRefused,    // the database refused the statement: `refusal` says why
    ModifyRefused,
    DeleteRefused,
};

struct TemplateResult {
    TemplateResult(TemplateOutcome what, std::optional<StoreError> why = std::nullopt)
        : outcome(what), refusal(std::move(why))
    {
    }

    TemplateOutcome outcome;
    std::optional<StoreError> refusal;
    // For RefusedCharacter: the first such character and the memo's line it is on, from 1.
    unsigned long character = 0;
    int line = 0;
    // The rows could not be reloaded after the statement; raised once the user has been told.
    std::exception_ptr reloadFailure;
};

class TemplateManager {
public:
    explicit TemplateManager(Connection& connection);

    // The listed templates, in list order.
    const std::vector<std::string>& Rows() const { return rows_; }
    // The chosen (double-clicked) and the dragged row's ID; -1 for none.
    long long ChosenId() const { return chosenId_; }
    long long DragId() const { return dragId_; }

    // LoadTemplates: all rows, or the rows containing `pattern` as typed ('%', '_' and '\'
    // match themselves) followed, when `pattern` is Latin letters, by the rows that hold it
    // only as pinyin (common/Pinyin.h); each in the manager's whole order: the stored order at
    // the first load, then as the user's drags left it. Rows gone from the table leave it;
    // rows it does not hold yet (an add) join at its end. It is the order SaveOrder stores,
    // so no search or edit loses a drag. A query failure is raised to the caller; the order stays.
    void LoadTemplates(LoadMode mode, const std::string& pattern);
    // Image5Click: the search text trimmed; nothing left lists all rows.
    void Search(const std::string& searchText);
    // BtnRefreshClick: all rows in the stored order; the drags since the window opened go.
    void Refresh();

    // ListBox1DblClick on the row `focusRow` (-1: the list has none): the chosen
    // template, whose text goes into `memo`. False when nothing happened.
    bool Choose(int focusRow, std::string& memo);

    // BtnNewClick, BtnEditClick, BtnCancelClick. `memo` is the memo's text: emptied
    // after a statement that ran, kept when the user must correct it or when the database
    // refused the statement. The rows are reloaded whenever a statement was sent. After
    // any add, and after a modify or delete that ran, nothing is chosen: the memo no
    // longer holds the chosen template's text. The delete runs only when `confirm`, asked
    // once a template is chosen, says yes. A text with a character that would act in the
    // target instead of showing (common/TemplateRule.h) is refused, as import refuses it.
    TemplateResult AddTemplate(std::string& memo);
    TemplateResult ModifyTemplate(std::string& memo);
    TemplateResult DeleteTemplate(std::string& memo, const std::function<bool()>& confirm);

    // ListBox1Click: the row that became current (-1: none).
    void RecordDragRow(int currentRow);
    // ListBox1DragOver with the row under the pointer (-1: below the last row). Moves
    // the dragged row there and returns the index it came from, or -1 when nothing
    // moved. In the whole order the listed rows trade the places they hold, so rows hidden
    // by a search keep theirs.
    int DragOver(int targetRow);

    // SaveOrder: every row of the table as loaded gets its position in the whole order
    // as TSortID, whatever the list shows, all in one transaction: the order lands whole
    // or, on a failure (raised to the caller), not at all. `afterRow` runs after each row
    // is written (the window keeps painting there).
    void SaveOrder(const std::function<void()>& afterRow = {});

private:
    // The chosen template's ID while that row still exists, or -1.
    long long ChosenRowId();
    // The ID of a template whose text is `text`, or -1.
    long long LookupId(const std::string& text);
    bool IsTextFree(const std::string& text);
    // Runs a statement that changes the table and reloads the rows: `done`, or `refused`
    // with the database's reason.
    TemplateResult ExecSql(const std::string& sql, const std::vector<SqlParam>& params, TemplateOutcome done,
                           TemplateOutcome refused);
    // The row `id` gets `number` as TSortID.
    static void WriteSortID(Command& update, long long id, int number);

    Connection& connection_;
    std::vector<std::string> rows_;
    // The listed rows' IDs, in list order.
    std::vector<long long> rowIds_;
    // Every row's ID in the manager's order, listed or not: stored order with the drags applied.
    std::vector<long long> order_;
    // Where each listed row stands in `order_`, in list order (ascending but for the pinyin
    // hits, which follow the literal ones).
    std::vector<size_t> slots_;
    long long chosenId_ = -1;
    long long dragId_ = -1;
};

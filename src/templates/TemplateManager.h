#pragma once
// What the template manager does with the templates, apart from its window: the listed
// rows, the chosen and the dragged template, add, modify, delete, search, the drag move
// and storing the order. The window (MbDialog) turns its messages into these calls and
// shows `Rows()` in its list.
//
// Every template is found by its text, compared by the database's own text comparison.
// User text reaches the statements as parameters, so quotes of any kind are stored as typed.
#include "common/FunPub.h"
#include "store/Connection.h"

#include <functional>
#include <string>
#include <vector>

enum class LoadMode { All, Search };

class TemplateManager {
public:
    TemplateManager(Connection& connection, MessageBoxes& boxes);

    // The listed templates, in list order.
    const std::vector<std::string>& Rows() const { return rows_; }
    const std::string& ChosenText() const { return chosenText_; }
    const std::string& DragText() const { return dragText_; }

    // LoadTemplates: all rows in stored order, or the rows containing `pattern` as typed
    // ('%', '_' and '\' match themselves). A query failure is raised to the caller.
    void LoadTemplates(LoadMode mode, const std::string& pattern);
    // Image5Click: the search text trimmed; nothing left lists all rows.
    void Search(const std::string& searchText);
    // BtnRefreshClick.
    void Refresh();

    // ListBox1DblClick on the row `focusRow` (-1: the list has none): the chosen
    // template, whose text goes into `memo`. False when nothing happened.
    bool Choose(int focusRow, std::string& memo);

    // BtnNewClick, BtnEditClick, BtnCancelClick. `memo` is the memo's text: emptied
    // after a statement that ran, kept when the user must correct it or when the database
    // refused the statement (the reason is shown). The rows are reloaded whenever a
    // statement was sent.
    void AddTemplate(std::string& memo);
    void ModifyTemplate(std::string& memo);
    void DeleteTemplate(std::string& memo);

    // ListBox1Click: the row that became current (-1: none).
    void RecordDragRow(int currentRow);
    // ListBox1DragOver with the row under the pointer (-1: below the last row). Moves
    // the row holding DragText there and returns the index it came from, or -1 when
    // nothing moved.
    int DragOver(int targetRow);

    // SaveOrder: every listed row gets its position as TSortID, all in one transaction:
    // the order lands whole or, on a failure (raised to the caller), not at all.
    // `afterRow` runs after each row is written (the window keeps painting there).
    void SaveOrder(const std::function<void()>& afterRow = {});

private:
    // The ID of the template whose text is `text`, or -1.
    long long LookupId(const std::string& text);
    bool IsTextFree(const std::string& text);
    // Runs a statement that changes the table; false when the database refused it, and
    // then `failureText` is shown with the database's reason.
    bool ExecSql(const std::string& sql, const std::vector<SqlParam>& params, const char* failureText);
    // Every row whose text is `text` gets `number` as TSortID.
    static void WriteSortID(Command& update, const std::string& text, int number);

    Connection& connection_;
    MessageBoxes& boxes_;
    std::vector<std::string> rows_;
    std::string chosenText_;
    std::string dragText_;
};

#pragma once
// The team's rows at the end of the main list replaced after a check brought a new library,
// in slices short enough that the window answers between them: a hotkey pressed while
// 10,000 rows arrive shows the list at once, and the list paints as they come. The old team
// rows go at once; the desk's own rows above them are not touched. At the end the selection
// (of two equal rows, the one selected) and the top row are as they were, unless the user
// chose another row meanwhile.
#include "common/TextRows.h"
#include "ui/ListFill.h"

#include <windows.h>

#include <string>
#include <vector>

class TeamRowsRefresh {
public:
    // The rows of `list` from `firstTeamRow` on are to become `rows`. A replacement already
    // under way takes the new rows and keeps the view it saved.
    // `texts` are the texts of the list's rows (ui/VirtualList.h).
    void begin(HWND list, TextRows& texts, int firstTeamRow, std::vector<std::string> rows);
    // Does one slice; true while more remain.
    bool step();
    // A full load of the list supersedes the replacement under way.
    void cancel();

    static constexpr ULONGLONG kSliceMs = 15;

private:
    HWND list_ = nullptr;
    TextRows* texts_ = nullptr;
    bool active_ = false;
    bool removing_ = false; // the old team rows are still there
    int firstTeamRow_ = 0;
    std::vector<std::string> rows_;
    size_t next_ = 0;
    ListView view_;
};

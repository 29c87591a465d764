#pragma once
// An owner-drawn list box that holds only how many rows it has (LBS_NODATA), their texts kept
// by the program in TextRows: emptying it and setting its count cost the same for 100,000 rows
// as for ten, where a list box holding the texts spends a message per row on both.
//
// To everyone else it is a list box with strings: its style says so, and its procedure answers
// the messages about its texts (adding, inserting, deleting, emptying, reading, finding) from
// the rows kept here, so that a screen reader or another program reads and changes it as any
// other list. The list box itself keeps the selection, the scrolling and the painting.
#include "common/TextRows.h"
#include "ui/ControlHook.h"

#include <windows.h>

#include <string_view>

// Creates the list box; `style` is the rest of its style (LBS_NOTIFY, scroll bars ...).
HWND CreateVirtualListBox(HWND parent, DWORD style, const RECT& place);

// Answers a message about the texts of `rows`, which `list` shows: true when it was one (with
// its answer in `result`).
bool AnswerTextMessage(TextRows& rows, const ControlHook& hook, HWND list, UINT msg, WPARAM wParam, LPARAM lParam,
                       LRESULT& result);

// Appends stored UTF-8 text to `rows` as a row.
void AppendUtf8(TextRows& rows, std::string_view utf8);

// Fills the list as ListBoxFill fills a list box with strings: redraw off while it lives, the
// count set and the list repainted when it ends, however it ends. Emptying it is immediate.
class VirtualListFill {
public:
    VirtualListFill(HWND list, TextRows& rows);
    ~VirtualListFill();
    VirtualListFill(const VirtualListFill&) = delete;
    VirtualListFill& operator=(const VirtualListFill&) = delete;

    // Every row goes.
    void clear();
    // Rows `count` and on go.
    void truncate(size_t count);
    // Appends stored UTF-8 text as a row.
    void add(std::string_view utf8) { AppendUtf8(rows_, utf8); }
    // Appends the rows of `more`, which is left empty.
    void add(TextRows&& more) { rows_.take(std::move(more)); }

private:
    HWND list_;
    TextRows& rows_;
};

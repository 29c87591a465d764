#pragma once
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

// Fills a list box row by row with redraw off while it lives; redraw is back on however
// the fill ends (a list left without redraw would never paint again), and the list is
// repainted whole then.
class ListBoxFill {
public:
    explicit ListBoxFill(HWND list);
    ~ListBoxFill();
    ListBoxFill(const ListBoxFill&) = delete;
    ListBoxFill& operator=(const ListBoxFill&) = delete;

    // Every entry goes.
    void clear();
    // Room for `rows` more entries, made at once.
    void reserve(size_t rows);
    // Appends stored UTF-8 text as an entry.
    void add(std::string_view utf8);

private:
    HWND list_;
    // Kept from row to row: a fill of 100,000 rows would otherwise spend much of its
    // time in the heap.
    std::wstring wide_;
};

// A key is waiting for the thread's windows (a character posted to them included), where a
// long fill gives way. Key-ups are not asked about: the release of the key that started a
// search must not interrupt it.
bool KeyWaiting();

// Replaces a list box's entries with `utf8Rows`, redraw off meanwhile.
void FillList(HWND list, const std::vector<std::string>& utf8Rows);

// The full text of a list entry, in UTF-8; empty for no such entry.
std::string ListEntryText(HWND list, int index);

// The row of a list box of fixed `rowHeight` rows under `clientPoint` (in the list's
// client coordinates), from its top visible row; -1 outside its client area or below its
// last row. The list's own hit test gives the row in 16 bits and names a wrong row past
// 65,535 entries.
int ListRowAt(HWND list, POINT clientPoint, int rowHeight);

// Rows by their exact text (letter case included): `row` is the how-manieth of the rows with
// its text, from 0; FindExactRow gives the row of that occurrence, the last one when the list
// has fewer, -1 when none.
int ExactRowOccurrence(HWND list, int row);
int FindExactRow(HWND list, const std::string& text, int occurrence);

// Where a list stands (its top row, its selected row by text and, of equal rows, which one),
// to be put back after its rows were listed again.
struct ListView {
    int top = 0;
    int selected = -1;
    std::string selectedText;
    int occurrence = 0;
};
ListView SaveListView(HWND list);
// Selects the saved row again unless a row is selected now (one the user chose meanwhile,
// or one that did not move), then scrolls to the saved top row.
void RestoreListView(HWND list, const ListView& view);

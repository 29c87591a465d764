#include "ui/ListFill.h"

#include "common/RowGeometry.h"
#include "ui/WinText.h"

ListBoxFill::ListBoxFill(HWND list) : list_(list) { SendMessageW(list_, WM_SETREDRAW, FALSE, 0); }

ListBoxFill::~ListBoxFill()
{
    SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list_, nullptr, TRUE);
}

void ListBoxFill::clear() { SendMessageW(list_, LB_RESETCONTENT, 0, 0); }

void ListBoxFill::reserve(size_t rows) { SendMessageW(list_, LB_INITSTORAGE, static_cast<WPARAM>(rows), 0); }

void ListBoxFill::add(std::string_view utf8)
{
    const int bytes = static_cast<int>(utf8.size());
    wide_.resize(utf8.size() + 1); // never more UTF-16 units than UTF-8 bytes
    const int length = bytes ? MultiByteToWideChar(CP_UTF8, 0, utf8.data(), bytes, wide_.data(), bytes) : 0;
    wide_[static_cast<size_t>(length)] = L'\0';
    SendMessageW(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide_.c_str()));
}

bool KeyWaiting()
{
    MSG msg;
    return PeekMessageW(&msg, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE | PM_NOYIELD) ||
           PeekMessageW(&msg, nullptr, WM_CHAR, WM_SYSKEYDOWN, PM_NOREMOVE | PM_NOYIELD);
}

void FillList(HWND list, const std::vector<std::string>& utf8Rows)
{
    ListBoxFill fill(list);
    fill.clear();
    fill.reserve(utf8Rows.size());
    for (const std::string& row : utf8Rows)
        fill.add(row);
}

std::string ListEntryText(HWND list, int index)
{
    // The wide calls: some systems copy an ANSI request through a fixed 512-character
    // buffer, and a long template would overrun it.
    const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR)
        return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    return Utf8FromWide(text);
}

int ListRowAt(HWND list, POINT clientPoint, int rowHeight)
{
    RECT client;
    GetClientRect(list, &client);
    if (!PtInRect(&client, clientPoint))
        return -1;
    const LRESULT top = SendMessageW(list, LB_GETTOPINDEX, 0, 0);
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    return RowAt(top, count, clientPoint.y, rowHeight);
}

namespace {

// Each row whose text is exactly `text`, from the top, until `visit` says stop. The list
// box's own search ignores letter case and starts over at the end, so each find is checked.
template <typename Visit>
void ForEachExactRow(HWND list, const std::string& text, Visit visit)
{
    const std::wstring wide = Widen(text);
    int from = -1;
    for (;;) {
        const int found = static_cast<int>(
            SendMessageW(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(from), reinterpret_cast<LPARAM>(wide.c_str())));
        if (found == LB_ERR || found <= from)
            return;
        if (ListEntryText(list, found) == text && !visit(found))
            return;
        from = found;
    }
}

} // namespace

int ExactRowOccurrence(HWND list, int row)
{
    int earlier = 0;
    ForEachExactRow(list, ListEntryText(list, row), [&](int found) {
        if (found >= row)
            return false;
        ++earlier;
        return true;
    });
    return earlier;
}

int FindExactRow(HWND list, const std::string& text, int occurrence)
{
    int last = -1;
    int seen = 0;
    ForEachExactRow(list, text, [&](int found) {
        last = found;
        return seen++ < occurrence;
    });
    return last;
}

ListView SaveListView(HWND list)
{
    ListView view;
    view.top = static_cast<int>(SendMessageW(list, LB_GETTOPINDEX, 0, 0));
    view.selected = static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0));
    if (view.selected >= 0) {
        view.selectedText = ListEntryText(list, view.selected);
        view.occurrence = ExactRowOccurrence(list, view.selected);
    }
    return view;
}

void RestoreListView(HWND list, const ListView& view)
{
    if (view.selected >= 0 && SendMessageW(list, LB_GETCURSEL, 0, 0) == LB_ERR) {
        const int row = FindExactRow(list, view.selectedText, view.occurrence);
        if (row >= 0)
            SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
    }
    SendMessageW(list, LB_SETTOPINDEX, static_cast<WPARAM>(view.top < 0 ? 0 : view.top), 0);
}

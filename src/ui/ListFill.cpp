#include "ui/ListFill.h"

#include "ui/WinText.h"

#include <string_view>

namespace {

// Redraw is off while the list fills and back on however the fill ends: a list left
// without redraw would never paint again.
class RedrawOff {
public:
    explicit RedrawOff(HWND list) : list_(list) { SendMessageW(list_, WM_SETREDRAW, FALSE, 0); }
    ~RedrawOff()
    {
        SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(list_, nullptr, TRUE);
    }
    RedrawOff(const RedrawOff&) = delete;
    RedrawOff& operator=(const RedrawOff&) = delete;

private:
    HWND list_;
};

// Turns stored UTF-8 into a list entry. The buffer is kept from row to row; a fill of
// 100,000 rows would otherwise spend much of its time in the heap.
class EntryText {
public:
    const wchar_t* from(std::string_view utf8)
    {
        const int bytes = static_cast<int>(utf8.size());
        wide_.resize(utf8.size() + 1); // never more UTF-16 units than UTF-8 bytes
        const int length = bytes ? MultiByteToWideChar(CP_UTF8, 0, utf8.data(), bytes, wide_.data(), bytes) : 0;
        wide_[static_cast<size_t>(length)] = L'\0';
        return wide_.c_str();
    }

private:
    std::wstring wide_;
};

} // namespace

void FillListFromRows(HWND list, RowReader& rows, const char* column)
{
    RedrawOff redraw(list);
    try {
        EntryText entry;
        while (rows.next())
            SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.from(rows.utf8(column))));
    } catch (...) {
        // A read that fails part-way leaves an empty list, not a part of the rows.
        SendMessageW(list, LB_RESETCONTENT, 0, 0);
        throw;
    }
}

void FillList(HWND list, const std::vector<std::string>& utf8Rows)
{
    RedrawOff redraw(list);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    SendMessageW(list, LB_INITSTORAGE, static_cast<WPARAM>(utf8Rows.size()), 0);
    EntryText entry; // one buffer for every row
    for (const std::string& row : utf8Rows)
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.from(row)));
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

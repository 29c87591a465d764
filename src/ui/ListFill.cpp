#include "ui/ListFill.h"

#include "ui/WinText.h"

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

} // namespace

void FillListFromQuery(HWND list, Query& query, const char* column)
{
    RedrawOff redraw(list);
    SendMessageA(list, LB_INITSTORAGE, static_cast<WPARAM>(query.recordCount()), 0);
    for (; !query.eof(); query.next()) {
        const std::wstring entry = WidenAnsi(query.fieldText(column));
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    }
}

void FillList(HWND list, const std::vector<std::string>& ansiRows)
{
    RedrawOff redraw(list);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    SendMessageW(list, LB_INITSTORAGE, static_cast<WPARAM>(ansiRows.size()), 0);
    for (const std::string& row : ansiRows)
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WidenAnsi(row).c_str()));
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
    return AnsiFromWide(text);
}

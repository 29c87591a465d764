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

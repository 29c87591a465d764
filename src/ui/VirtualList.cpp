#include "ui/VirtualList.h"

#include <cwchar>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "the rows are handed to the system as they are kept");

namespace {

const wchar_t* Wide(std::u16string_view text) { return reinterpret_cast<const wchar_t*>(text.data()); }

std::u16string_view Text(LPARAM lParam)
{
    const auto* text = reinterpret_cast<const wchar_t*>(lParam);
    if (!text)
        return {};
    return {reinterpret_cast<const char16_t*>(text), std::wcslen(text)};
}

// The list's own count, which our fill sets only when it ends.
size_t Count(const ControlHook& hook, HWND list)
{
    const LRESULT count = hook.CallOriginal(list, LB_GETCOUNT, 0, 0);
    return count < 0 ? 0 : static_cast<size_t>(count);
}

} // namespace

HWND CreateVirtualListBox(HWND parent, DWORD style, const RECT& place)
{
    HWND list = CreateWindowExW(0, L"LISTBOX", L"", style | LBS_OWNERDRAWFIXED | LBS_NODATA, place.left, place.top,
                                place.right - place.left, place.bottom - place.top, parent, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    // Said after it was made (a list box made with both would keep the texts itself): the
    // system then carries the texts of other programs' requests across, and our procedure
    // answers them.
    if (list)
        SetWindowLongW(list, GWL_STYLE, GetWindowLongW(list, GWL_STYLE) | LBS_HASSTRINGS);
    return list;
}

bool AnswerTextMessage(TextRows& rows, const ControlHook& hook, HWND list, UINT msg, WPARAM wParam, LPARAM lParam,
                       LRESULT& result)
{
    switch (msg) {
    case LB_GETTEXTLEN:
    case LB_GETTEXT: {
        const size_t row = wParam;
        if (row >= rows.size() || row >= Count(hook, list)) {
            result = LB_ERR;
            return true;
        }
        const std::u16string_view text = rows.at(row);
        if (msg == LB_GETTEXT) {
            auto* buffer = reinterpret_cast<wchar_t*>(lParam);
            if (!buffer) {
                result = LB_ERR;
                return true;
            }
            std::wmemcpy(buffer, Wide(text), text.size());
            buffer[text.size()] = L'\0';
        }
        result = static_cast<LRESULT>(text.size());
        return true;
    }
    case LB_FINDSTRINGEXACT: {
        // Exact, letter case included; the list box's own ignores case, and its callers check.
        const size_t found = rows.findExact(Text(lParam), static_cast<size_t>(static_cast<int>(wParam)));
        result = found == TextRows::kNone || found >= Count(hook, list) ? LB_ERR : static_cast<LRESULT>(found);
        return true;
    }
    case LB_ADDSTRING:
    case LB_INSERTSTRING:
        // The list box adds a row without data and says where; its text goes there.
        result = hook.CallOriginal(list, msg, wParam, 0);
        if (result >= 0)
            rows.insert(static_cast<size_t>(result), Text(lParam));
        return true;
    case LB_DELETESTRING:
        result = hook.CallOriginal(list, msg, wParam, lParam);
        if (result != LB_ERR && wParam < rows.size())
            rows.erase(wParam);
        return true;
    case LB_RESETCONTENT:
        rows.clear();
        result = hook.CallOriginal(list, msg, wParam, lParam);
        return true;
    case LB_SETCOUNT:
        result = hook.CallOriginal(list, msg, wParam, lParam);
        if (result >= 0) {
            rows.truncate(wParam);
            while (rows.size() < wParam)
                rows.append({});
        }
        return true;
    default: return false;
    }
}

VirtualListFill::VirtualListFill(HWND list, TextRows& rows) : list_(list), rows_(rows)
{
    SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
}

VirtualListFill::~VirtualListFill()
{
    SendMessageW(list_, LB_SETCOUNT, static_cast<WPARAM>(rows_.size()), 0);
    SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list_, nullptr, TRUE);
}

void VirtualListFill::clear() { SendMessageW(list_, LB_RESETCONTENT, 0, 0); }

void VirtualListFill::truncate(size_t count)
{
    if (count >= rows_.size())
        return;
    rows_.truncate(count);
    SendMessageW(list_, LB_SETCOUNT, static_cast<WPARAM>(count), 0);
}

void AppendUtf8(TextRows& rows, std::string_view utf8)
{
    // Never more UTF-16 units than UTF-8 bytes.
    const int bytes = static_cast<int>(utf8.size());
    char16_t* room = rows.beginAppend(utf8.size());
    const int units =
        bytes ? MultiByteToWideChar(CP_UTF8, 0, utf8.data(), bytes, reinterpret_cast<wchar_t*>(room), bytes) : 0;
    rows.endAppend(static_cast<size_t>(units));
}

#include "ui/Hints.h"

#include "ui/WinText.h"

#include <commctrl.h>

namespace {

TOOLINFOW ToolFor(HWND owner, UINT flags, UINT_PTR id)
{
    TOOLINFOW tool = {};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = flags | TTF_SUBCLASS;
    tool.hwnd = owner;
    tool.uId = id;
    return tool;
}

} // namespace

void Hints::create(HWND owner)
{
    owner_ = owner;
    INITCOMMONCONTROLSEX init = {sizeof init, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&init);
    tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0,
                               0, 0, owner, nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, kMaxWidth);
    SendMessageW(tooltip_, TTM_SETTIPBKCOLOR, kBackground, 0);
    SendMessageW(tooltip_, TTM_SETDELAYTIME, TTDT_RESHOW, kReshowMs);
    SendMessageW(tooltip_, TTM_SETDELAYTIME, TTDT_AUTOPOP, 32767);
}

void Hints::addArea(UINT id, const RECT& rect, const std::string& utf8Text)
{
    std::wstring text = Widen(utf8Text);
    TOOLINFOW tool = ToolFor(owner_, 0, id);
    tool.rect = rect;
    tool.lpszText = text.data();
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void Hints::addWindow(HWND child, const std::string& utf8Text)
{
    std::wstring text = Widen(utf8Text);
    TOOLINFOW tool = ToolFor(owner_, TTF_IDISHWND, reinterpret_cast<UINT_PTR>(child));
    tool.lpszText = text.data();
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void Hints::setWindowHint(HWND child, const std::string& utf8Text)
{
    std::wstring text = Widen(utf8Text);
    TOOLINFOW tool = ToolFor(owner_, TTF_IDISHWND, reinterpret_cast<UINT_PTR>(child));
    tool.lpszText = text.data();
    SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

#include "ui/TrayIcon.h"

#include "ui/WinText.h"

#include <shellapi.h>

namespace {
const UINT kIconId = 1;
}

bool TrayIcon::notify(DWORD action)
{
    NOTIFYICONDATAW data = {};
    data.cbSize = sizeof data;
    data.hWnd = owner_;
    data.uID = kIconId;
    // A removal names the icon by window and id only, so it never touches an icon
    // handle its owner may have destroyed already.
    if (action != NIM_DELETE) {
        data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
        data.uCallbackMessage = kCallbackMessage;
        data.hIcon = icon_;
        lstrcpynW(data.szTip, hint_.c_str(), ARRAYSIZE(data.szTip));
    }
    return Shell_NotifyIconW(action, &data) != FALSE;
}

void TrayIcon::add(HWND owner, HICON icon)
{
    owner_ = owner;
    icon_ = icon;
    added_ = notify(NIM_ADD);
}

void TrayIcon::setHint(const std::string& utf8Hint)
{
    hint_ = Widen(utf8Hint);
    if (added_)
        notify(NIM_MODIFY);
}

void TrayIcon::remove()
{
    if (added_)
        notify(NIM_DELETE);
    added_ = false;
}

bool TrayIcon::handleShellRestart(UINT msg)
{
    static const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    if (msg != taskbarCreated || !owner_)
        return false;
    added_ = notify(NIM_ADD);
    return true;
}

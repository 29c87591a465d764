#pragma once
// The program's icon in the notification area. It is re-added when the shell
// restarts (the TaskbarCreated message).
#include <windows.h>

#include <string>

class TrayIcon {
public:
    static const UINT kCallbackMessage = WM_APP + 1;

    TrayIcon() = default;
    ~TrayIcon() { remove(); }
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // The caller keeps owning `icon`; it must live until remove() (a shell restart adds it again).
    void add(HWND owner, HICON icon);
    void setHint(const std::string& utf8Hint);
    void remove();
    // True when `msg` is the shell's TaskbarCreated: the icon has been added again.
    bool handleShellRestart(UINT msg);

private:
    bool notify(DWORD action);

    HWND owner_ = nullptr;
    HICON icon_ = nullptr;
    std::wstring hint_;
    bool added_ = false;
};

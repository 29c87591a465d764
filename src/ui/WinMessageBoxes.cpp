#include "ui/WinMessageBoxes.h"

#include "ui/WinText.h"

std::string ApplicationTitle()
{
    wchar_t path[MAX_PATH * 2] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    std::wstring name = path;
    const size_t slash = name.find_last_of(L"\\/");
    if (slash != std::wstring::npos)
        name = name.substr(slash + 1);
    const size_t dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos)
        name = name.substr(0, dot);
    return Utf8FromWide(name);
}

int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags)
{
    return MessageBoxW(owner, Widen(text).c_str(), Widen(caption).c_str(), flags);
}

void WinMessageBoxes::notice(const std::string& text, NoticeType type)
{
    UINT icon = 0;
    if (type == NoticeType::Exclamation)
        icon = MB_ICONEXCLAMATION;
    else if (type == NoticeType::Error)
        icon = MB_ICONHAND;
    ShowMessageBox(owner_, text, Texts::kNoticeCaption, MB_OK | icon);
}

bool WinMessageBoxes::question(const std::string& text)
{
    return ShowMessageBox(owner_, text, Texts::kNoticeCaption, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void WinMessageBoxes::plain(const std::string& text) { ShowMessageBox(owner_, text, ApplicationTitle(), MB_OK); }

void ReportError(HWND owner, const char* what)
{
    ShowMessageBox(owner, what && *what ? what : "未知错误", ApplicationTitle(), MB_OK | MB_ICONHAND);
}

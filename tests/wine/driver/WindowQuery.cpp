#include "WindowQuery.h"

#include "Text.h"
#include "Wait.h"

#include <vector>

namespace wt {

namespace {

struct TopLevelSearch {
    DWORD pid;
    bool visibleOnly;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM parameter)
{
    auto* search = reinterpret_cast<TopLevelSearch*>(parameter);
    if (WindowProcessId(window) == search->pid && (!search->visibleOnly || IsWindowVisible(window)))
        search->found.push_back(window);
    return TRUE;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM parameter)
{
    reinterpret_cast<std::vector<HWND>*>(parameter)->push_back(window);
    return TRUE;
}

} // namespace

std::vector<HWND> TopLevelWindows(DWORD pid, bool visibleOnly)
{
    TopLevelSearch search{pid, visibleOnly, {}};
    EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<HWND> ChildWindows(HWND parent)
{
    std::vector<HWND> children;
    EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&children));
    return children;
}

HWND WaitForWindow(DWORD pid, const WindowPredicate& match, unsigned timeoutMs)
{
    HWND result = nullptr;
    WaitUntil(
        [&] {
            for (HWND window : TopLevelWindows(pid, true)) {
                if (match(window)) {
                    result = window;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return result;
}

HWND WaitForAnyWindow(DWORD pid, unsigned timeoutMs)
{
    return WaitForWindow(
        pid, [](HWND) { return true; }, timeoutMs);
}

bool WaitForWindowGone(HWND window, unsigned timeoutMs)
{
    return WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }, timeoutMs);
}

WindowPredicate HasClass(const std::string& className)
{
    return [className](HWND window) { return ClassName(window) == className; };
}

WindowPredicate HasTitle(const std::string& title)
{
    return [title](HWND window) { return WindowText(window) == title; };
}

WindowPredicate AllOf(WindowPredicate first, WindowPredicate second)
{
    return [first, second](HWND window) { return first(window) && second(window); };
}

std::string WindowText(HWND window)
{
    const int length = GetWindowTextLengthW(window);
    std::vector<wchar_t> text(static_cast<size_t>(length) + 2);
    const int copied = GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
    return Narrow(std::wstring(text.data(), static_cast<size_t>(copied > 0 ? copied : 0)));
}

std::string ControlText(HWND control, unsigned timeoutMs) { return Narrow(ControlTextUtf16(control, timeoutMs)); }

std::wstring ControlTextUtf16(HWND control, unsigned timeoutMs)
{
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(control, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &length))
        return {};
    std::vector<wchar_t> text(length + 2);
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                             timeoutMs, &copied))
        return {};
    return std::wstring(text.data(), copied);
}

std::string ClassName(HWND window)
{
    wchar_t name[256];
    const int length = GetClassNameW(window, name, 256);
    return Narrow(std::wstring(name, static_cast<size_t>(length > 0 ? length : 0)));
}

DWORD WindowProcessId(HWND window)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid;
}

DWORD WindowThreadId(HWND window) { return GetWindowThreadProcessId(window, nullptr); }

HWND FindChild(HWND parent, const std::string& className, const std::string& text)
{
    for (HWND child : ChildWindows(parent)) {
        if (ClassName(child) == className && (text.empty() || WindowText(child) == text))
            return child;
    }
    return nullptr;
}

RECT WindowRect(HWND window)
{
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

RECT ClientRectOnScreen(HWND window)
{
    RECT rect{};
    GetClientRect(window, &rect);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

POINT Centre(const RECT& rect) { return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}; }

int Width(const RECT& rect) { return rect.right - rect.left; }

int Height(const RECT& rect) { return rect.bottom - rect.top; }

bool IsShown(HWND window) { return IsWindowVisible(window) != FALSE; }

bool IsMinimized(HWND window) { return IsIconic(window) != FALSE; }

bool IsTopmost(HWND window) { return (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

bool HasTaskbarButton(HWND window)
{
    if (!IsWindowVisible(window) || GetAncestor(window, GA_PARENT) != GetDesktopWindow())
        return false;
    const LONG exStyle = GetWindowLongW(window, GWL_EXSTYLE);
    if (exStyle & WS_EX_TOOLWINDOW)
        return false;
    return GetWindow(window, GW_OWNER) == nullptr || (exStyle & WS_EX_APPWINDOW) != 0;
}

bool BringToForeground(HWND window, unsigned timeoutMs)
{
    return WaitUntil(
        [&] {
            if (GetForegroundWindow() == window)
                return true;
            SetForegroundWindow(window);
            return false;
        },
        timeoutMs, 100);
}

HWND FocusOfThreadOf(HWND window)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(WindowThreadId(window), &info))
        return nullptr;
    return info.hwndFocus;
}

} // namespace wt

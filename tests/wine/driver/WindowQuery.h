// Finding and reading the windows of another process.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace wt {

using WindowPredicate = std::function<bool(HWND)>;

// Top-level windows of process `pid`, in z-order (topmost first).
std::vector<HWND> TopLevelWindows(DWORD pid, bool visibleOnly = true);
// Direct and indirect child windows of `parent`.
std::vector<HWND> ChildWindows(HWND parent);

// The first visible top-level window of `pid` for which `match` holds, polling every 50 ms
// for up to `timeoutMs`; nullptr when none appeared.
HWND WaitForWindow(DWORD pid, const WindowPredicate& match, unsigned timeoutMs);
// Any visible top-level window of `pid`.
HWND WaitForAnyWindow(DWORD pid, unsigned timeoutMs);
// True when `window` is destroyed or hidden within `timeoutMs`.
bool WaitForWindowGone(HWND window, unsigned timeoutMs);

// Predicates for WaitForWindow; combine them with AllOf.
WindowPredicate HasClass(const std::string& className);
WindowPredicate HasTitle(const std::string& title);
WindowPredicate AllOf(WindowPredicate first, WindowPredicate second);

// The window's own text: the caption of a top-level window, the label of a button or static.
// Reads what the system stores, so it works on a hung process, but not for edit controls.
std::string WindowText(HWND window);
// The text a control reports to WM_GETTEXT (edit controls); empty on timeout.
std::string ControlText(HWND control, unsigned timeoutMs = 2000);
// The same as UTF-16, exactly as the control gives it (SendMessageW).
std::wstring ControlTextUtf16(HWND control, unsigned timeoutMs = 2000);
std::string ClassName(HWND window);
DWORD WindowProcessId(HWND window);
DWORD WindowThreadId(HWND window);
// The first child of `parent` with class `className` (and text `text` when not empty).
HWND FindChild(HWND parent, const std::string& className, const std::string& text = "");

RECT WindowRect(HWND window);
RECT ClientRectOnScreen(HWND window);
POINT Centre(const RECT& rect);
int Width(const RECT& rect);
int Height(const RECT& rect);

bool IsShown(HWND window);
bool IsMinimized(HWND window);
bool IsTopmost(HWND window);
// The rule by which the taskbar shows a button for a window: visible, top-level, and either
// unowned or WS_EX_APPWINDOW, and never WS_EX_TOOLWINDOW.
bool HasTaskbarButton(HWND window);

// Makes `window` the foreground window and waits until it is.
bool BringToForeground(HWND window, unsigned timeoutMs = 2000);
// The window with the keyboard focus in the thread that owns `window`.
HWND FocusOfThreadOf(HWND window);

} // namespace wt

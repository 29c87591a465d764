#pragma once
// Conversions at the Win32 boundary. The program's own texts are UTF-8; template text
// is ANSI in the system code page.
#include <windows.h>

#include <string>

std::wstring Widen(const std::string& utf8);
std::string Utf8FromWide(const std::wstring& wide);
std::wstring WidenAnsi(const std::string& ansi);
std::string AnsiFromWide(const std::wstring& wide);

// The system's description of an error code (GetLastError), in UTF-8.
std::string SystemErrorText(DWORD code);

// A window's or control's text in the system code page (read wide, so nothing is lost on the way).
std::string WindowTextAnsi(HWND window);
std::wstring WindowTextWide(HWND window);

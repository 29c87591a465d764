#pragma once
// Conversions at the Win32 boundary: the program's texts are UTF-8, the system's UTF-16.
#include <windows.h>

#include <string>

std::wstring Widen(const std::string& utf8);
std::string Utf8FromWide(const std::wstring& wide);

// The system's description of an error code (GetLastError), in UTF-8.
std::string SystemErrorText(DWORD code);

// A window's or control's text.
std::wstring WindowTextWide(HWND window);

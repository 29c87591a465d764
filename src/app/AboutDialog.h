#pragma once
#include <windows.h>

// The about window, modal and owned by `owner`, centred over it.
void ShowAboutWindow(HWND owner);

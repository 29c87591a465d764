// Reading the screen and saving screenshots for people to look at.
#pragma once

#include "Image.h"

#include <windows.h>

#include <string>

namespace wt {

// The screen's pixels inside `area` (screen coordinates), read with BitBlt from the screen DC.
Image CaptureScreenArea(const RECT& area);
Image CaptureScreen();
// What is on the screen where `window` is (its window rectangle, frame included).
Image CaptureWindow(HWND window);
COLORREF ScreenPixel(int x, int y);
// Waits until the screen shows `colour` at `point`; true when it did within `timeoutMs`.
bool WaitForPixel(POINT point, COLORREF colour, unsigned timeoutMs = 5000);

// The folder screenshots go to: $VELMORA_SCREENSHOTS, created on first use.
std::string ScreenshotFolder();
// Writes `image` as `fileName` ("start_main_window.png") into ScreenshotFolder(); returns the
// full path. Throws std::runtime_error when the file cannot be written.
std::string SaveScreenshot(const Image& image, const std::string& fileName);
std::string SaveWindowScreenshot(HWND window, const std::string& fileName);
std::string SaveScreenScreenshot(const std::string& fileName);

} // namespace wt

#pragma once
// The one hint mechanism of the program: pale yellow hints, at most 200 pixels wide
// (longer text wraps), that stay while the pointer rests on their control.
#include <windows.h>

#include <string>

class Hints {
public:
    static const COLORREF kBackground = 0xD9FFFF;
    static const int kMaxWidth = 200;
    static const int kReshowMs = 350;

    void create(HWND owner);
    // A hint for a painted area of the owner window, identified by `id`.
    void addArea(UINT id, const RECT& rect, const std::string& utf8Text);
    // A hint for a whole child window.
    void addWindow(HWND child, const std::string& utf8Text);
    // Changes a child window's hint; a hint on show follows at once.
    void setWindowHint(HWND child, const std::string& utf8Text);
    HWND handle() const { return tooltip_; }

private:
    HWND owner_ = nullptr;
    HWND tooltip_ = nullptr;
};

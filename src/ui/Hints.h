#pragma once
// The one hint mechanism of the program. A hint appears after the system's usual pause
// when the pointer rests on a control that has one, on a pale yellow background, at most
// 200 pixels wide (longer text wraps). While the pointer stays on that control the hint
// is rebuilt every 350 ms from the control's current hint text at the pointer, so it
// follows changes (the list's row under the pointer) and never goes away by itself; it
// goes when the pointer leaves the control. A hint is at most as tall as the work area
// of the pointer's screen; a longer text is cut there and ends in "…".
#include "ui/Gdi.h"
#include "ui/Window.h"

#include <string>
#include <vector>

class Hints : private Window {
public:
    static const COLORREF kBackground = 0xD9FFFF;
    static const int kMaxWidth = 200;
    static const UINT kRebuildMs = 350;

    Hints() = default;

    void create(HWND owner);
    // A hint for a painted area of the owner window (client coordinates).
    void addArea(const RECT& rect, const std::string& utf8Text);
    // A hint for a whole child window of the owner.
    void addWindow(HWND child, const std::string& utf8Text);
    void setWindowHint(HWND child, const std::string& utf8Text);
    // The owner and its hinted children report every pointer move here, and
    // WM_MOUSELEAVE as a move too.
    void pointerMoved();

    HWND window() const { return hwnd(); }

private:
    struct Tool {
        HWND child; // nullptr for an area of the owner
        RECT area;
        std::wstring text;
    };

    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    int toolAtPointer(POINT& pointer) const;
    void onTimer(UINT_PTR id);
    void show(const Tool& tool, POINT pointer);
    // Lays out `text` for a hint at most `maxHeight` pixels tall: the text shown and its size.
    void measure(const std::wstring& text, int maxHeight);
    void hide();
    void paint();

    HWND owner_ = nullptr;
    Font font_;
    std::vector<Tool> tools_;
    // The last text laid out, and for what height: a long template is wrapped and measured
    // once while its row stays under the pointer, not at every rebuild.
    std::wstring measuredText_;
    int measuredFor_ = 0;
    std::wstring shownText_; // measuredText_, or its beginning and "…"
    SIZE shownSize_ = {};    // of the whole hint window
    int current_ = -1;
    bool waiting_ = false;
    bool shown_ = false;
};

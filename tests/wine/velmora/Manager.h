// The template manager window seen from the tests.
#pragma once

#include "Velmora.h"

#include <string>
#include <vector>

namespace vt {

class Manager {
public:
    // Opens the manager from the tray menu; check `window()` before going on.
    explicit Manager(Velmora& velmora);

    HWND window() const { return window_; }
    HWND list() const { return list_; }
    HWND searchBox() const { return search_; }
    HWND memo() const { return memo_; }

    // A point of the client area on the screen, and a click there.
    POINT screenPoint(int x, int y) const;
    void click(int x, int y) const;
    // Clicks a tool-bar button by its name: BtnRefresh, BtnNew, BtnEdit, BtnCancel, BtnOK.
    void clickButton(const std::string& name) const;

    std::vector<std::string> rows() const;
    RECT rowRect(int index) const;
    void doubleClickRow(int index) const;
    // Drags row `from` onto row `to` with the mouse, passing every row between (both visible).
    void dragRow(int from, int to) const;
    std::string memoText() const;
    void setMemoText(const std::string& text) const;
    // Types into the search box and clicks the search icon (with `byEnter`, clicks into the box
    // and presses Enter there instead); waits for the list to be filled afresh.
    void search(const std::string& text, bool byEnter = false) const;

private:
    Velmora& velmora_;
    HWND window_ = nullptr;
    HWND list_ = nullptr;
    HWND search_ = nullptr;
    HWND memo_ = nullptr;
};

} // namespace vt

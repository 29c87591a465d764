#pragma once
// Pop-up menus painted flat in the program's colours.
#include <windows.h>

#include <list>
#include <string>
#include <vector>

struct MenuItemLayout {
    const char* name;    // N1 ... N23; empty for a separator
    UINT id;             // command id; 0 for a separator or a submenu
    const char* caption; // UTF-8
    std::vector<MenuItemLayout> submenu;
};

class SkinMenu {
public:
    explicit SkinMenu(const std::vector<MenuItemLayout>& items);
    ~SkinMenu();
    SkinMenu(const SkinMenu&) = delete;
    SkinMenu& operator=(const SkinMenu&) = delete;

    HMENU handle() const { return menu_; }
    // Shows the menu with its top-left corner at the screen point and returns at once
    // after the choice; the chosen command reaches `owner` as WM_COMMAND.
    void popUp(HWND owner, POINT screenPoint) const;
    // Ticks or clears the item of command `id`.
    void setChecked(UINT id, bool checked) const;

    // The owner window's WM_MEASUREITEM and WM_DRAWITEM for menu items.
    static bool Measure(MEASUREITEMSTRUCT* item);
    static bool Draw(const DRAWITEMSTRUCT* item, COLORREF highlight);

private:
    // Declared first: Build fills it while menu_ is made, and the menu's items point into it.
    std::list<std::wstring> captions_;
    HMENU menu_;
};

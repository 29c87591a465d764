#include "Menus.h"

#include "Velmora.h"

namespace vt {

HWND WaitForMenu(unsigned timeoutMs)
{
    HWND menu = nullptr;
    wt::WaitUntil(
        [&] {
            menu = FindWindowW(L"#32768", nullptr);
            return menu && IsWindowVisible(menu);
        },
        timeoutMs);
    return menu && IsWindowVisible(menu) ? menu : nullptr;
}

POINT MenuItemPoint(HWND menu, int itemsAbove, int separatorsAbove)
{
    const RECT r = wt::WindowRect(menu);
    return {r.left + 40, r.top + 3 + itemsAbove * 22 + separatorsAbove * 7 + 11};
}

HWND OpenTrayMenu()
{
    // The shell's icon window sometimes misses a press that comes with the very first
    // move onto it: rest on the icon until its hint shows, and press once more if no menu came.
    for (int attempt = 0; attempt < 2; ++attempt) {
        wt::MovePointer(TrayIconPoint());
        wt::WaitUntil([] { return VisibleShellHint() != nullptr; }, 3000);
        wt::RightClick(TrayIconPoint());
        if (HWND menu = WaitForMenu(3000))
            return menu;
    }
    return nullptr;
}

bool ChooseTrayItem(TrayItem item)
{
    HWND menu = OpenTrayMenu();
    if (!menu)
        return false;
    const int row = static_cast<int>(item);
    wt::Click(MenuItemPoint(menu, row, row));
    wt::WaitForWindowGone(menu, 3000);
    return true;
}

} // namespace vt

// Velmora's pop-up menus seen from the tests: the tray menu and the system menu.
#pragma once

#include "Driver.h"

namespace vt {

// The rows of the tray menu, each after a separator but the first.
enum class TrayItem { Show = 0, Settings, Templates, Help, About, Quit };

// A visible pop-up menu window, waiting up to `timeoutMs`; nullptr when none came.
HWND WaitForMenu(unsigned timeoutMs = 5000);
// The centre of a row of an owner-drawn menu: rows 22 pixels, separators 7, a 3-pixel border.
POINT MenuItemPoint(HWND menu, int itemsAbove, int separatorsAbove);
// Right-clicks the tray icon and waits for the menu.
HWND OpenTrayMenu();
// Opens the tray menu and chooses a row; false when the menu did not open.
bool ChooseTrayItem(TrayItem item);

} // namespace vt

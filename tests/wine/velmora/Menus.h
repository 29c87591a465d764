// Velmora's pop-up menus seen from the tests: the tray menu and the system menu, and the restore
// dialog the main window's menu opens.
#pragma once

#include "Driver.h"

namespace vt {

class Velmora;

// The rows of the tray menu, each after a separator but the first.
enum class TrayItem { Show = 0, Settings, AutoStart, Templates, TeamLibrary, Help, About, Quit };

// A visible pop-up menu window, waiting up to `timeoutMs`; nullptr when none came.
HWND WaitForMenu(unsigned timeoutMs = 5000);
// The centre of a row of an owner-drawn menu: rows 22 pixels, separators 7, a 3-pixel border.
POINT MenuItemPoint(HWND menu, int itemsAbove, int separatorsAbove);
// Right-clicks the tray icon and waits for the menu.
HWND OpenTrayMenu();
// Opens the tray menu and chooses a row; false when the menu did not open.
bool ChooseTrayItem(TrayItem item);

// The restore dialog (TBkFrm): its list of backups and its restore button.
inline const int kBackupListId = 101, kRestoreButtonId = 102;
// Opens the restore dialog through the main window's menu; nullptr when it did not come.
HWND OpenRestoreDialog(Velmora& velmora);
// Clicks row `row` of the dialog's backups and waits until it is selected.
void SelectBackupRow(HWND dialog, int row);
void ClickRestore(HWND dialog);
// Restores row `row` of the dialog and answers its question with yes; true when the question
// and then the success box came as the program words them (the program then ends).
bool RestoreConfirmed(const Velmora& velmora, HWND dialog, int row);

} // namespace vt

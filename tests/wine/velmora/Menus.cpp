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

HWND OpenRestoreDialog(Velmora& velmora)
{
    // A click on the menu that comes as it is still being laid out can be lost: the menu is
    // closed and opened once more when no dialog came.
    for (int attempt = 0; attempt < 2; ++attempt) {
        velmora.click(242 + 8, 343 + 8);
        if (HWND menu = vt::WaitForMenu()) {
            wt::Click(vt::MenuItemPoint(menu, 2, 2)); // 数据还原
            if (HWND dialog = wt::WaitForWindow(velmora.pid(), wt::HasClass("TBkFrm"), 5000))
                return dialog;
        }
        wt::PressKey(VK_ESCAPE);
    }
    return wt::WaitForWindow(velmora.pid(), wt::HasClass("TBkFrm"), 1000);
}

void SelectBackupRow(HWND dialog, int row)
{
    RECT r = {};
    HWND list = GetDlgItem(dialog, kBackupListId);
    SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r));
    MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&r), 2);
    wt::Click({r.left + 40, (r.top + r.bottom) / 2});
    wt::WaitUntil([&] { return SendMessageW(list, LB_GETCURSEL, 0, 0) == row; }, 3000);
}

void ClickRestore(HWND dialog) { wt::Click(wt::Centre(wt::WindowRect(GetDlgItem(dialog, kRestoreButtonId)))); }

bool RestoreConfirmed(const Velmora& velmora, HWND dialog, int row)
{
    SelectBackupRow(dialog, row);
    ClickRestore(dialog);
    const bool asked =
        ExpectMessageBox(velmora.pid(), "是否要还原选择的备份文件?\r注: 还原数据库后系统会自动关闭,请重新开启软件.",
                         "系统提示", wt::MessageBoxIcon::Question, IDYES);
    const bool restored = ExpectMessageBox(velmora.pid(), "还原数据库成功!", "系统提示", wt::MessageBoxIcon::None);
    return asked && restored;
}

} // namespace vt

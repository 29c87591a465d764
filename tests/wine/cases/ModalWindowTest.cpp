// The windows opened from the menus: where they open while the main window is in the
// tray, one at a time, and quitting while one is open.
#include "Menus.h"
#include "Velmora.h"

#include <gtest/gtest.h>

using vt::Installation;
using vt::TrayItem;
using vt::Velmora;

namespace {

int CountWindows(DWORD pid, const char* className)
{
    int count = 0;
    for (HWND window : wt::TopLevelWindows(pid))
        count += wt::ClassName(window) == className;
    return count;
}

HWND OpenAboutFromTheTray(Velmora& velmora)
{
    if (!vt::ChooseTrayItem(TrayItem::About))
        return nullptr;
    return wt::WaitForWindow(velmora.pid(), wt::HasClass("TAboutFrm"), 5000);
}

} // namespace

TEST(ModalWindow, AboutFromTheTrayWhileHiddenOpensOnTheScreenOnceAndGivesTheInputBack)
{
    Installation app({"a"});
    Velmora velmora(app.folder);
    HWND main = velmora.waitForMainWindow();
    ASSERT_TRUE(main);
    const POINT mainCentre = wt::Centre(wt::WindowRect(main));
    velmora.click(218 + 8, 7 + 8); // minimise to the tray
    ASSERT_TRUE(wt::WaitForWindowGone(main, 3000));

    HWND about = OpenAboutFromTheTray(velmora);
    ASSERT_TRUE(about);
    const RECT r = wt::WindowRect(about);
    EXPECT_GE(r.left, 0);
    EXPECT_GE(r.top, 0);
    EXPECT_LE(r.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_LE(r.bottom, GetSystemMetrics(SM_CYSCREEN));
    const POINT aboutCentre = wt::Centre(r);
    EXPECT_LE(std::abs(aboutCentre.x - mainCentre.x), 1) << "centred over the main window's place";
    EXPECT_LE(std::abs(aboutCentre.y - mainCentre.y), 1);
    EXPECT_FALSE(IsWindowEnabled(main));
    wt::SaveScreenScreenshot("modal_about_from_tray.png");

    // A second choice of the item brings the open window forward instead of another one.
    ASSERT_TRUE(vt::ChooseTrayItem(TrayItem::About));
    EXPECT_TRUE(wt::WaitUntil([&] { return GetForegroundWindow() == about; }, 3000));
    EXPECT_EQ(CountWindows(velmora.pid(), "TAboutFrm"), 1);

    // The hotkey still works meanwhile: the list shows, the open window stays in front of it.
    wt::TargetProcess target;
    vt::PlaceTarget(target);
    ASSERT_TRUE(vt::PressHotKeyOver(target));
    EXPECT_TRUE(wt::WaitUntil([&] { return wt::IsShown(main); }, 3000));
    EXPECT_TRUE(wt::WaitUntil([&] { return GetForegroundWindow() == about; }, 3000));

    const RECT client = wt::ClientRectOnScreen(about);
    wt::Click({client.left + 333 + 16, client.top + 170 + 8}); // 关闭
    EXPECT_TRUE(wt::WaitForWindowGone(about, 3000));
    EXPECT_TRUE(IsWindowEnabled(main));
    // And the list takes the double-click that types the reply.
    const RECT row = velmora.rowRect(0);
    wt::DoubleClick({row.left + 120, (row.top + row.bottom) / 2});
    EXPECT_TRUE(target.waitForChars(1, 3000));
    EXPECT_EQ(target.editText(), "a");
}

TEST(ModalWindow, QuitWhileAWindowIsOpenAsksThenClosesItAndEnds)
{
    Installation app;
    Velmora velmora(app.folder);
    ASSERT_TRUE(velmora.waitForMainWindow());
    HWND about = OpenAboutFromTheTray(velmora);
    ASSERT_TRUE(about);

    ASSERT_TRUE(vt::ChooseTrayItem(TrayItem::Quit));
    EXPECT_TRUE(
        vt::ExpectMessageBox(velmora.pid(), "是否想退出系统？", "系统提示", wt::MessageBoxIcon::Question, IDNO));
    // No: both windows stay. The sentinel: the next question comes only from a program still running.
    ASSERT_TRUE(vt::ChooseTrayItem(TrayItem::Quit));
    EXPECT_TRUE(IsWindow(about) && wt::IsShown(about));
    EXPECT_TRUE(
        vt::ExpectMessageBox(velmora.pid(), "是否想退出系统？", "系统提示", wt::MessageBoxIcon::Question, IDYES));
    EXPECT_TRUE(wt::WaitForWindowGone(about, 5000));
    EXPECT_TRUE(velmora.process().waitForExit(10000)) << "the close path did not follow";
}

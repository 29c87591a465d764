// The main window's frame: see-through corners, moving, hiding to the tray and showing
// again, the two menus, help, about, and the ways the program ends.
#include "Menus.h"
#include "Velmora.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

using vt::Installation;
using vt::Velmora;
using wt::MessageBoxIcon;

namespace {

// A visible pop-up menu window other than `menu`: its open submenu.
HWND OtherVisibleMenu(HWND menu)
{
    HWND found = nullptr;
    for (HWND candidate = FindWindowExW(nullptr, nullptr, L"#32768", nullptr); candidate;
         candidate = FindWindowExW(nullptr, candidate, L"#32768", nullptr))
        if (candidate != menu && IsWindowVisible(candidate))
            found = candidate;
    return found;
}

// Waits until the menu has painted its row `itemsAbove` (an item, not a separator): the small
// mark every idle row carries on its left, in the band colour.
bool WaitForMenuRowPainted(HWND menu, int itemsAbove, int separatorsAbove)
{
    const RECT r = wt::WindowRect(menu);
    const POINT mark = {r.left + 3 + 11, r.top + 3 + itemsAbove * 22 + separatorsAbove * 7 + 10};
    return wt::WaitForPixel(mark, RGB(0, 128, 255), 3000);
}

HWND WaitForSubmenu(HWND menu)
{
    HWND submenu = nullptr;
    wt::WaitUntil(
        [&] {
            submenu = OtherVisibleMenu(menu);
            return submenu != nullptr;
        },
        3000);
    return submenu;
}

// Waits until the window's top-left corner is at `at`, give or take the pointer's rounding.
bool WaitForWindowAt(HWND window, POINT at)
{
    return wt::WaitUntil(
        [&] {
            const RECT r = wt::WindowRect(window);
            return std::abs(r.left - at.x) <= 1 && std::abs(r.top - at.y) <= 1;
        },
        3000);
}

bool HasAnyTaskbarButton(DWORD pid)
{
    for (HWND window : wt::TopLevelWindows(pid))
        if (wt::HasTaskbarButton(window))
            return true;
    return false;
}

const std::string kOpenedRecord = "velmora-opened.txt";

std::string TempFile(const std::string& name)
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    return wt::Narrow(temp) + name;
}

// Points the .chm file type at the recorder, as a help viewer would be.
void RegisterHelpRecorder()
{
    const std::wstring command =
        L"\"" + wt::Widen(wt::RequiredEnvironmentPath("VELMORA_OPEN_RECORDER_EXE")) + L"\" \"%1\"";
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        HKEY key;
        RegCreateKeyExW(root, L"Software\\Classes\\.chm", 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
        const wchar_t type[] = L"VelmoraTestHelp";
        RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(type), sizeof type);
        RegCloseKey(key);
        RegCreateKeyExW(root, L"Software\\Classes\\VelmoraTestHelp\\shell\\open\\command", 0, nullptr, 0, KEY_WRITE,
                        nullptr, &key, nullptr);
        RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                       static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
    }
}

std::string ReadTextFile(const std::string& path)
{
    HANDLE file = CreateFileW(wt::Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    char buffer[4096];
    DWORD read = 0;
    ReadFile(file, buffer, sizeof buffer, &read, nullptr);
    CloseHandle(file);
    return std::string(buffer, read);
}

} // namespace

TEST(MainWindow, CornersAndFrameAreSeeThroughAndClicksPassThem)
{
    wt::Backdrop backdrop(RGB(0, 160, 0));
    Installation app({"a", "b"});
    Velmora velmora(app.folder);
    HWND main = velmora.waitForMainWindow();
    ASSERT_TRUE(main);
    // A desk without a team library loads none of it: neither the data protection nor ODBC.
    const std::vector<std::string> modules = vt::LoadedModules(velmora.process().handle());
    const auto loaded = [&](const char* dll) { return std::count(modules.begin(), modules.end(), dll) > 0; };
    EXPECT_TRUE(loaded("user32.dll"));
    EXPECT_FALSE(loaded("crypt32.dll"));
    EXPECT_FALSE(loaded("odbc32.dll"));
    const RECT frame = wt::WindowRect(main);
    wt::WaitForPixel({frame.left + 2, frame.top + 200}, RGB(128, 128, 128));
    wt::WaitForPixel({frame.left + 140, frame.top + 250}, RGB(255, 255, 255));
    const wt::Image shot = wt::CaptureWindow(main);
    wt::SaveScreenshot(shot, "main_window_over_green.png");
    wt::SaveScreenScreenshot("main_window_over_green_screen.png");
    // The frame's corner and the panel's corner outside its rounded border.
    EXPECT_EQ(shot.pixel(0, 0), RGB(0, 160, 0));
    EXPECT_EQ(shot.pixel(2, 2), RGB(0, 160, 0));
    EXPECT_EQ(shot.pixel(273, 373), RGB(0, 160, 0));
    EXPECT_EQ(shot.pixel(1, 200), RGB(0, 160, 0)) << "the 2-pixel frame";
    EXPECT_EQ(shot.pixel(2, 200), RGB(128, 128, 128)) << "the panel's grey border";
    EXPECT_EQ(shot.pixel(3, 200), RGB(255, 255, 255)) << "the white panel";
    EXPECT_EQ(shot.pixel(140, 250), RGB(255, 255, 255)) << "the list's background";

    // A click on a see-through corner reaches the window behind it.
    wt::TargetProcess target;
    const RECT mainRect = wt::WindowRect(main);
    SetWindowPos(target.window(), main, mainRect.left - 100, mainRect.top - 60, 300, 200, SWP_NOACTIVATE);
    ASSERT_TRUE(wt::BringToForeground(main));
    wt::Click({mainRect.left + 1, mainRect.top + 1});
    EXPECT_TRUE(wt::WaitUntil([&] { return GetForegroundWindow() == target.window(); }, 3000))
        << "the click on the corner did not reach the window behind";
}

TEST(MainWindow, TheLeftButtonOnEitherBandMovesTheWindowTheRightDoesNot)
{
    Installation app;
    Velmora velmora(app.folder);
    HWND main = velmora.waitForMainWindow();
    ASSERT_TRUE(main);
    const RECT start = wt::WindowRect(main);
    const auto movedBy = [&](int dx, int dy) { return WaitForWindowAt(main, {start.left + dx, start.top + dy}); };

    // The drags that must not move it go along the bands only, so that the next press still
    // lands on a band if they did, and the window would end up too far.
    wt::Drag(velmora.screenPoint(150, 18), velmora.screenPoint(150 + 60, 18), wt::MouseButton::Right);
    wt::Drag(velmora.screenPoint(150, 18), velmora.screenPoint(150 + 60, 18 + 40));
    EXPECT_TRUE(movedBy(60, 40)) << "the title band with the left button, and not with the right";

    wt::Drag(velmora.screenPoint(100, 350), velmora.screenPoint(100 - 30, 350 - 20));
    EXPECT_TRUE(movedBy(30, 20)) << "the bottom band";

    wt::Drag(velmora.screenPoint(31 + 20, 11 + 6), velmora.screenPoint(31 + 20 + 40, 11 + 6 + 30));
    EXPECT_TRUE(movedBy(70, 50)) << "the title text";

    // The list and the search box do not move it.
    wt::Drag(velmora.screenPoint(100, 200), velmora.screenPoint(150, 200));
    wt::Drag(velmora.screenPoint(60, 52), velmora.screenPoint(110, 52));
    wt::Drag(velmora.screenPoint(200, 350), velmora.screenPoint(200 + 10, 350 + 10));
    EXPECT_TRUE(movedBy(80, 60)) << "moved by the list or the search box";
}

TEST(MainWindow, MinimiseHidesWindowAndButtonAndShowComesBackInPlace)
{
    Installation app({"一", "二", "三"});
    Velmora velmora(app.folder);
    HWND main = velmora.waitForMainWindow();
    ASSERT_TRUE(main);
    const RECT start = wt::WindowRect(main);
    wt::Drag(velmora.screenPoint(150, 18), velmora.screenPoint(100, 40));
    ASSERT_TRUE(WaitForWindowAt(main, {start.left - 50, start.top + 22}));
    const RECT before = wt::WindowRect(main);
    EXPECT_TRUE(HasAnyTaskbarButton(velmora.pid()));

    velmora.click(218 + 8, 7 + 8);
    EXPECT_TRUE(wt::WaitForWindowGone(main, 3000));
    EXPECT_FALSE(HasAnyTaskbarButton(velmora.pid()));
    EXPECT_TRUE(wt::TopLevelWindows(velmora.pid()).empty()) << "a window is still shown";

    ASSERT_TRUE(vt::ChooseTrayItem(vt::TrayItem::Show)); // 显示界面
    ASSERT_TRUE(wt::WaitUntil([&] { return wt::IsShown(main); }, 3000));
    const RECT after = wt::WindowRect(main);
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.top, before.top);
    EXPECT_FALSE(HasAnyTaskbarButton(velmora.pid()));
    EXPECT_EQ(velmora.listEntries().size(), 3u);
}

TEST(MainWindow, TrayMenuAndSystemMenu)
{
    Installation app;
    Velmora velmora(app.folder);
    HWND main = velmora.waitForMainWindow();
    ASSERT_TRUE(main);

    HWND tray = vt::OpenTrayMenu();
    ASSERT_TRUE(tray);
    EXPECT_EQ(wt::Height(wt::WindowRect(tray)), 8 * 22 + 7 * 7 + 6);
    EXPECT_TRUE(WaitForMenuRowPainted(tray, 7, 7));
    wt::SaveWindowScreenshot(tray, "tray_menu.png");
    wt::PressKey(VK_ESCAPE);
    wt::Click(velmora.screenPoint(100, 200));
    wt::WaitForWindowGone(tray, 2000);

    velmora.click(242 + 8, 343 + 8);
    HWND system = vt::WaitForMenu();
    ASSERT_TRUE(system) << "the system menu did not open";
    const RECT r = wt::WindowRect(system);
    const POINT expected = velmora.screenPoint(260, 359);
    EXPECT_EQ(r.left, expected.x);
    EXPECT_EQ(r.top, expected.y);
    EXPECT_EQ(wt::Height(r), 4 * 22 + 3 * 7 + 6);
    EXPECT_TRUE(WaitForMenuRowPainted(system, 3, 3));
    wt::SaveScreenScreenshot("system_menu.png");

    // The help submenu opens from its row: 关于系统, a separator, 系统帮助.
    wt::Click(vt::MenuItemPoint(system, 3, 3));
    HWND submenu = WaitForSubmenu(system);
    ASSERT_TRUE(submenu) << "the help submenu did not open";
    const RECT sr = wt::WindowRect(submenu);
    EXPECT_EQ(wt::Height(sr), 2 * 22 + 1 * 7 + 6);
    EXPECT_GE(sr.left, r.right - 6) << "the submenu opens beside the menu";
    EXPECT_TRUE(WaitForMenuRowPainted(submenu, 1, 1));
    wt::SaveScreenScreenshot("system_menu_help_submenu.png");
    wt::PressKey(VK_ESCAPE);
    EXPECT_TRUE(wt::WaitForWindowGone(submenu, 2000));
    wt::PressKey(VK_ESCAPE);
    EXPECT_TRUE(wt::WaitForWindowGone(system, 2000));
}

// The tray item 开机时自动启动 Velmora writes and removes the Run entry; a start by that entry shows
// only the tray icon.
TEST(MainWindow, StartWithWindowsItemAndTheStartAtSignIn)
{
    vt::RemoveRunEntry();
    Installation app({"开机启动后的模板"});
    const std::string command = "\"" + app.folder.file("Velmora.exe") + "\" /autostart";
    {
        Velmora velmora(app.folder);
        ASSERT_TRUE(velmora.waitForMainWindow());
        const auto autoStartRow = static_cast<int>(vt::TrayItem::AutoStart);
        HWND menu = vt::OpenTrayMenu();
        ASSERT_TRUE(menu);
        EXPECT_TRUE(WaitForMenuRowPainted(menu, autoStartRow, autoStartRow)) << "unticked: the idle mark";
        wt::Click(vt::MenuItemPoint(menu, autoStartRow, autoStartRow));
        EXPECT_TRUE(wt::WaitUntil([&] { return vt::RunEntry() == command; }, 3000)) << vt::RunEntry().value_or("-");

        menu = vt::OpenTrayMenu();
        ASSERT_TRUE(menu);
        const RECT r = wt::WindowRect(menu);
        const int rowTop = r.top + 3 + autoStartRow * (22 + 7);
        // The tick's lower corner, below the idle mark, which the ticked row leaves out.
        EXPECT_TRUE(wt::WaitForPixel({r.left + 3 + 10, rowTop + 13}, RGB(0, 128, 255), 3000)) << "no tick";
        wt::SaveWindowScreenshot(menu, "tray_menu_autostart.png");
        wt::Click(vt::MenuItemPoint(menu, autoStartRow, autoStartRow));
        EXPECT_TRUE(wt::WaitUntil([] { return !vt::RunEntry(); }, 3000)) << "the entry stayed";
        velmora.quitWith(IDYES);
        ASSERT_TRUE(velmora.process().waitForExit(10000));
    }

    // Started as the entry starts it: the list is filled, but only the tray icon shows until 显示界面.
    Velmora velmora(app.folder, {"/autostart"});
    ASSERT_TRUE(wt::WaitUntil(vt::TrayHasIcon, 15000)) << "no tray icon";
    EXPECT_TRUE(wt::TopLevelWindows(velmora.pid()).empty()) << "a window shows at a start at sign-in";
    ASSERT_TRUE(vt::ChooseTrayItem(vt::TrayItem::Show));
    ASSERT_TRUE(velmora.waitForMainWindow(5000));
    EXPECT_EQ(velmora.listEntries(), std::vector<std::string>{"开机启动后的模板"});
    velmora.quitWith(IDYES);
    EXPECT_TRUE(velmora.process().waitForExit(10000));
}

TEST(MainWindow, IconHintsAndHandCursor)
{
    Installation app;
    Velmora velmora(app.folder);
    ASSERT_TRUE(velmora.waitForMainWindow());
    // The pointer's shape as the foreground program set it. Here a cursor handle of another
    // process can neither be read nor compared with our own LoadCursor's, so the hand is told
    // from the arrow by comparing the program's cursors with each other. A hint on show means
    // the program has handled the pointer's arrival, and so set the shape.
    const auto cursorWithHint = [&](POINT at, const std::string& hint) {
        wt::MovePointer(velmora.screenPoint(at.x, at.y));
        EXPECT_EQ(vt::WaitForHintText(hint, 5000), std::optional<std::string>(hint));
        CURSORINFO info = {};
        info.cbSize = sizeof info;
        EXPECT_TRUE(GetCursorInfo(&info));
        return info.hCursor;
    };
    const std::string title = "Velmora:一键输入常用回复,让每一次答复又快又准";
    const HCURSOR arrow = cursorWithHint({9 + 8, 8 + 8}, title); // a picture that is no button
    const HCURSOR hand = cursorWithHint({218 + 8, 7 + 8}, "最小化");
    EXPECT_NE(hand, arrow) << "the minimise icon shows the arrow";
    EXPECT_EQ(cursorWithHint({242 + 8, 343 + 8}, "系统菜单"), hand);
    wt::SaveScreenScreenshot("main_window_icon_hint.png");
    EXPECT_EQ(cursorWithHint({2 + 202 + 8, 36 + 7 + 8}, "搜索"), hand);
    EXPECT_EQ(cursorWithHint({9 + 8, 8 + 8}, title), arrow) << "the hand stays off the icons";
}

TEST(MainWindow, HelpItemsReportAMissingHelpFile)
{
    Installation app;
    Velmora velmora(app.folder);
    ASSERT_TRUE(velmora.waitForMainWindow());
    ASSERT_TRUE(vt::ChooseTrayItem(vt::TrayItem::Help)); // 系统帮助
    EXPECT_TRUE(
        vt::ExpectMessageBox(velmora.pid(), "没有找到相应的帮助文件!", "系统提示", MessageBoxIcon::Exclamation));

    velmora.click(242 + 8, 343 + 8);
    HWND system = vt::WaitForMenu();
    ASSERT_TRUE(system);
    wt::Click(vt::MenuItemPoint(system, 3, 3)); // 系统帮助 submenu
    HWND submenu = WaitForSubmenu(system);
    ASSERT_TRUE(submenu) << "the help submenu did not open";
    wt::Click(vt::MenuItemPoint(submenu, 1, 1)); // its 系统帮助
    EXPECT_TRUE(
        vt::ExpectMessageBox(velmora.pid(), "没有找到相应的帮助文件!", "系统提示", MessageBoxIcon::Exclamation));
}

TEST(MainWindow, HelpItemAsksTheShellToOpenHelpChm)
{
    RegisterHelpRecorder();
    Installation app;
    app.folder.writeFile("Help.chm", "stand-in help file");
    DeleteFileW(wt::Widen(TempFile(kOpenedRecord)).c_str());
    Velmora velmora(app.folder);
    ASSERT_TRUE(velmora.waitForMainWindow());
    ASSERT_TRUE(vt::ChooseTrayItem(vt::TrayItem::Help)); // 系统帮助
    std::string opened;
    EXPECT_TRUE(wt::WaitUntil(
        [&] {
            opened = ReadTextFile(TempFile(kOpenedRecord));
            return !opened.empty();
        },
        10000));
    EXPECT_NE(opened.find(app.folder.file("Help.chm")), std::string::npos) << opened;
    // A failure box would come before the program handles the next item.
    ASSERT_TRUE(vt::ChooseTrayItem(vt::TrayItem::About)); // 关于系统
    EXPECT_TRUE(wt::WaitForWindow(velmora.pid(), wt::HasClass("TAboutFrm"), 5000));
    for (HWND window : wt::TopLevelWindows(velmora.pid()))
        EXPECT_NE(wt::ClassName(window), "#32770") << "a box after the help file was opened";
}

TEST(MainWindow, AboutWindowShowsAndClosesByItsLabel)
{
    Installation app;
    Velmora velmora(app.folder);
    HWND main = velmora.waitForMainWindow();
    ASSERT_TRUE(main);
    ASSERT_TRUE(vt::ChooseTrayItem(vt::TrayItem::About)); // 关于系统
    HWND about = wt::WaitForWindow(velmora.pid(), wt::HasClass("TAboutFrm"), 5000);
    ASSERT_TRUE(about);
    EXPECT_EQ(wt::WindowText(about), "Velmora");
    const RECT client = wt::ClientRectOnScreen(about);
    EXPECT_EQ(wt::Width(client), 392);
    EXPECT_EQ(wt::Height(client), 195);
    const POINT aboutCentre = wt::Centre(wt::WindowRect(about));
    const POINT mainCentre = wt::Centre(wt::WindowRect(main));
    EXPECT_LE(std::abs(aboutCentre.x - mainCentre.x), 1);
    EXPECT_LE(std::abs(aboutCentre.y - mainCentre.y), 1);
    EXPECT_FALSE(IsWindowEnabled(main)) << "the about window is modal";
    // The close label is painted last.
    wt::WaitForPixel({client.left + 333 + 2, client.top + 170 + 8}, RGB(0, 128, 64));
    wt::SaveWindowScreenshot(about, "about_window.png");

    wt::Click({client.left + 333 + 16, client.top + 170 + 8});
    EXPECT_TRUE(wt::WaitForWindowGone(about, 3000));
    EXPECT_TRUE(IsWindowEnabled(main));
    EXPECT_TRUE(velmora.process().running());

    // The caption's close button closes it as well.
    ASSERT_TRUE(vt::ChooseTrayItem(vt::TrayItem::About));
    about = wt::WaitForWindow(velmora.pid(), wt::HasClass("TAboutFrm"), 5000);
    ASSERT_TRUE(about);
    PostMessageW(about, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(wt::WaitForWindowGone(about, 3000));
    EXPECT_TRUE(velmora.process().running());
}

TEST(MainWindow, TaskbarButtonCloseEndsWithoutTheQuestion)
{
    Installation app;
    Velmora velmora(app.folder);
    ASSERT_TRUE(velmora.waitForMainWindow());
    HWND button = velmora.applicationWindow();
    ASSERT_TRUE(button);
    EXPECT_TRUE(wt::HasTaskbarButton(button));
    PostMessageW(button, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(velmora.process().waitForExit(10000));
    EXPECT_FALSE(wt::WaitForMessageBox(velmora.pid(), 100));
}

TEST(MainWindow, EndOfSessionEndsAtOnce)
{
    Installation app;
    Velmora velmora(app.folder);
    HWND main = velmora.waitForMainWindow();
    ASSERT_TRUE(main);
    DWORD_PTR agreed = 0;
    ASSERT_TRUE(SendMessageTimeoutW(main, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 5000, &agreed));
    EXPECT_TRUE(agreed);
    PostMessageW(main, WM_ENDSESSION, TRUE, 0);
    EXPECT_TRUE(velmora.process().waitForExit(5000));
}

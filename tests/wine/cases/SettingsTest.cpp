// The settings dialog: what it shows of the stored settings, the letter and colour picks,
// saving, and what is stored (or not) afterwards.
#include "Menus.h"
#include "Velmora.h"

#include <gtest/gtest.h>

using vt::Installation;
using vt::Velmora;
using wt::MessageBoxIcon;

namespace {

// Control ids: 100 + the control's place in the dialog's layout.
const int kComboBox1 = 103, kComboBox2 = 104, kCheckBox1 = 105, kImage1 = 108;
const int kPanel1 = 110, kPanel2 = 112, kPanel3 = 114;
const int kBitBtn1 = 121, kBitBtn2 = 122;

HWND WaitForSettings(Velmora& velmora) { return wt::WaitForWindow(velmora.pid(), wt::HasClass("TSysFrm"), 10000); }

HWND Item(HWND dialog, int id) { return GetDlgItem(dialog, id); }

// Another program's control text needs WM_GETTEXT (GetWindowText gives only captions).
std::string TextOf(HWND control)
{
    wchar_t text[64] = {};
    SendMessageW(control, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(text));
    return wt::Narrow(text);
}

// Waits until the keyboard focus of the dialog's thread is on `control` (or its edit part).
bool FocusComesTo(HWND dialog, HWND control)
{
    return wt::WaitUntil(
        [&] {
            GUITHREADINFO info = {};
            info.cbSize = sizeof info;
            GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
            return info.hwndFocus == control || GetParent(info.hwndFocus) == control;
        },
        3000);
}

POINT CentreOf(HWND control) { return wt::Centre(wt::WindowRect(control)); }

COLORREF PanelColour(HWND dialog, int id)
{
    const POINT p = CentreOf(Item(dialog, id));
    return wt::ScreenPixel(p.x, p.y);
}

std::string Stored(const wt::ProgramFolder& folder, const std::string& column)
{
    return vt::QueryValue(folder, "SELECT " + column + " FROM Tconfig WHERE TID = 1");
}

std::string StoredRow(const wt::ProgramFolder& folder)
{
    return vt::QueryValue(folder, "SELECT THotKeyInt || ',' || THotKeyItem || ',' || TTitleColor || ',' || TBGColor "
                                  "|| ',' || TDifRowColor || ',' || TSelRowColor || ',' || TSelRowColorB || ',' || "
                                  "TSaveDB || ',' || TASaveDB || ',' || TSaveDay || ',' || TDeadDay FROM Tconfig");
}

// Clicks a colour panel and waits for the system's colour dialog.
HWND OpenColourPicker(Velmora& velmora, HWND dialog, int panel)
{
    wt::Click(CentreOf(Item(dialog, panel)));
    return wt::WaitForWindow(
        velmora.pid(), [dialog](HWND w) { return wt::ClassName(w) == "#32770" && GetWindow(w, GW_OWNER) == dialog; },
        5000);
}

} // namespace

TEST(Settings, ShowsTheStoredValuesTakesPicksAndSaves)
{
    Installation app({"一", "二"});
    vt::RunSql(app.folder, "UPDATE Tconfig SET THotKeyInt=67, THotKeyItem=2, TSaveDay=30, TSaveDB=1, "
                           "TDeadDay='2026-01-01 08:00:00'");
    Velmora velmora(app.folder);
    ASSERT_TRUE(velmora.waitForMainWindow());
    ASSERT_TRUE(vt::ChooseTrayItem(vt::TrayItem::Settings));
    HWND dialog = WaitForSettings(velmora);
    ASSERT_TRUE(dialog);
    EXPECT_EQ(wt::WindowText(dialog), "系统设置");
    EXPECT_EQ(wt::Width(wt::ClientRectOnScreen(dialog)), 328);
    EXPECT_EQ(wt::Height(wt::ClientRectOnScreen(dialog)), 464);
    EXPECT_EQ(TextOf(Item(dialog, kComboBox1)), "C");
    EXPECT_EQ(TextOf(Item(dialog, kComboBox2)), "每月");
    EXPECT_EQ(SendMessageW(Item(dialog, kCheckBox1), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_TRUE(wt::WaitForPixel(CentreOf(Item(dialog, kPanel1)), RGB(0, 128, 255), 3000)) << "the title colour";
    // The illustration: its title band starts in the default title colour.
    const RECT image = wt::WindowRect(Item(dialog, kImage1));
    EXPECT_NE(SendMessageW(Item(dialog, kImage1), STM_GETIMAGE, IMAGE_BITMAP, 0), 0);
    EXPECT_LT(wt::ColourDistance(wt::ScreenPixel(image.left + 4, image.top + 6), RGB(0, 128, 255)), 60);
    wt::SaveWindowScreenshot(dialog, "settings_dialog.png");

    // Typed letters are discarded: after a letter, Tab must reach the next control with the
    // text unchanged. The arrow keys still choose.
    wt::Click(CentreOf(Item(dialog, kComboBox1)));
    EXPECT_TRUE(FocusComesTo(dialog, Item(dialog, kComboBox1)));
    wt::PressKey('X');
    wt::PressKey(VK_TAB);
    EXPECT_TRUE(FocusComesTo(dialog, Item(dialog, kComboBox2)));
    EXPECT_EQ(TextOf(Item(dialog, kComboBox1)), "C");
    wt::PressKey('Y');
    wt::PressKey(VK_TAB);
    EXPECT_TRUE(FocusComesTo(dialog, Item(dialog, kCheckBox1)));
    EXPECT_EQ(TextOf(Item(dialog, kComboBox2)), "每月");
    // Away from the first click's place, so the two clicks are not taken for a double-click.
    const RECT letters = wt::WindowRect(Item(dialog, kComboBox1));
    wt::Click({letters.left + 8, (letters.top + letters.bottom) / 2});
    EXPECT_TRUE(FocusComesTo(dialog, Item(dialog, kComboBox1)));
    wt::PressKey(VK_DOWN);
    EXPECT_TRUE(wt::WaitUntil([&] { return TextOf(Item(dialog, kComboBox1)) == "D"; }, 3000))
        << TextOf(Item(dialog, kComboBox1));

    // A colour through the system's colour dialog, and a pick that is cancelled.
    HWND picker = OpenColourPicker(velmora, dialog, kPanel2);
    ASSERT_TRUE(picker) << "no colour dialog";
    // The picture once the dialog has painted its first basic colour.
    const RECT pickerRect = wt::WindowRect(picker);
    wt::WaitForPixel({pickerRect.left + 18, pickerRect.top + 58}, RGB(255, 128, 128), 3000);
    wt::SaveWindowScreenshot(picker, "settings_colour_dialog.png");
    for (const auto& [id, value] : {std::pair{706, L"240"}, {707, L"255"}, {708, L"200"}})
        SendMessageW(GetDlgItem(picker, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value));
    PostMessageW(picker, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(wt::WaitForWindowGone(picker, 5000));
    EXPECT_TRUE(wt::WaitForPixel(CentreOf(Item(dialog, kPanel2)), RGB(240, 255, 200), 3000));
    const COLORREF third = PanelColour(dialog, kPanel3);
    picker = OpenColourPicker(velmora, dialog, kPanel3);
    ASSERT_TRUE(picker);
    PostMessageW(picker, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(wt::WaitForWindowGone(picker, 5000));
    EXPECT_EQ(PanelColour(dialog, kPanel3), third) << "a cancelled pick changes nothing";

    wt::Click(CentreOf(Item(dialog, kBitBtn1)));
    auto box = wt::WaitForMessageBox(velmora.pid(), 10000);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text, "保存设置成功,重启系统后生效.");
    EXPECT_EQ(box->caption, "Velmora");
    EXPECT_EQ(box->icon, MessageBoxIcon::None);
    const POINT boxCentre = wt::Centre(wt::WindowRect(box->hwnd));
    EXPECT_LE(std::abs(boxCentre.x - GetSystemMetrics(SM_CXSCREEN) / 2), 2) << "centred on the screen";
    wt::Answer(*box, IDOK);
    EXPECT_EQ(Stored(app.folder, "THotKeyInt"), "68");
    EXPECT_EQ(Stored(app.folder, "TBGColor"), std::to_string(RGB(240, 255, 200)));
    EXPECT_EQ(Stored(app.folder, "TSaveDay"), "30");
    EXPECT_NE(Stored(app.folder, "TDeadDay"), "2026-01-01 08:00:00") << "a ticked save starts a new period";

    // Closed from its title bar; the main list repaints in the saved background colour.
    PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(wt::WaitForWindowGone(dialog, 5000));
    const RECT first = velmora.rowRect(0);
    EXPECT_TRUE(wt::WaitForPixel({first.right - 3, first.top + 2}, RGB(240, 255, 200), 3000));
}

TEST(Settings, DefaultsThenCloseStoreNothingAndAnUntickedSaveKeepsThePeriod)
{
    Installation app;
    vt::RunSql(app.folder, "UPDATE Tconfig SET TTitleColor=255, TSaveDB=1, TSaveDay=30, "
                           "TDeadDay='2026-01-01 08:00:00'");
    const std::string before = StoredRow(app.folder);
    Velmora velmora(app.folder);
    ASSERT_TRUE(velmora.waitForMainWindow());
    // From the system menu this time.
    velmora.click(242 + 8, 343 + 8);
    HWND menu = vt::WaitForMenu();
    ASSERT_TRUE(menu);
    wt::Click(vt::MenuItemPoint(menu, 0, 0));
    HWND dialog = WaitForSettings(velmora);
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(wt::WaitForPixel(CentreOf(Item(dialog, kPanel1)), RGB(255, 0, 0), 3000));
    wt::Click(CentreOf(Item(dialog, kBitBtn2)));
    EXPECT_TRUE(wt::WaitForPixel(CentreOf(Item(dialog, kPanel1)), RGB(0, 128, 255), 3000))
        << "the default title colour";
    PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(wt::WaitForWindowGone(dialog, 5000));
    EXPECT_EQ(StoredRow(app.folder), before);

    ASSERT_TRUE(vt::ChooseTrayItem(vt::TrayItem::Settings));
    dialog = WaitForSettings(velmora);
    ASSERT_TRUE(dialog);
    wt::Click(CentreOf(Item(dialog, kCheckBox1)));
    EXPECT_TRUE(wt::WaitUntil([&] { return SendMessageW(Item(dialog, kCheckBox1), BM_GETCHECK, 0, 0) == 0; }, 3000));
    wt::Click(CentreOf(Item(dialog, kBitBtn1)));
    EXPECT_TRUE(vt::ExpectMessageBox(velmora.pid(), "保存设置成功,重启系统后生效.", "Velmora", MessageBoxIcon::None));
    EXPECT_EQ(Stored(app.folder, "TSaveDB"), "0");
    EXPECT_EQ(Stored(app.folder, "TSaveDay"), "30");
    EXPECT_EQ(Stored(app.folder, "TDeadDay"), "2026-01-01 08:00:00");
    EXPECT_EQ(Stored(app.folder, "TTitleColor"), "255") << "the panels showed the stored colour again";
}

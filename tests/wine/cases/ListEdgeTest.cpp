// The template list at its edges: stored colours that are not plain RGB, the empty list,
// a fill that fails, and row hints in a very long list.
#include "Velmora.h"

#include <gtest/gtest.h>

using vt::Installation;
using vt::Velmora;

namespace {

// Stored colours are signed 32-bit values: a system colour reference 0xFF0000nn is negative.
const int kHighlightReference = static_cast<int>(0xFF000000u | COLOR_HIGHLIGHT);

bool ListAreaIs(HWND list, COLORREF colour, int* odd)
{
    RECT r;
    GetWindowRect(list, &r);
    r.right -= GetSystemMetrics(SM_CXVSCROLL);
    const wt::Image image = wt::CaptureScreenArea(r);
    *odd = 0;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            *odd += image.pixel(x, y) != colour;
    return *odd == 0;
}

} // namespace

TEST(ListEdges, SystemColourReferencesAndOversizedValuesPaintTheirColour)
{
    Installation app({"一", "二", "三"});
    vt::RunSql(app.folder, "UPDATE Tconfig SET TBGColor=" + std::to_string(kHighlightReference) + ", TDifRowColor=" +
                               std::to_string(0x120000FF) + ", TTitleColor=" + std::to_string(kHighlightReference));
    Velmora velmora(app.folder);
    HWND main = velmora.waitForMainWindow();
    ASSERT_TRUE(main);
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT); // the same prefix: the same system colours
    const RECT first = velmora.rowRect(0);
    const RECT second = velmora.rowRect(1);
    EXPECT_TRUE(wt::WaitUntil([&] { return wt::ScreenPixel(first.right - 3, first.top + 2) == highlight; }, 3000))
        << std::hex << wt::ScreenPixel(first.right - 3, first.top + 2);
    EXPECT_EQ(wt::ScreenPixel(second.right - 3, second.top + 2), RGB(255, 0, 0)) << "the low three bytes";
    const POINT band = velmora.screenPoint(3, 20);
    EXPECT_EQ(wt::ScreenPixel(band.x, band.y), highlight) << "the title band's start colour";
    wt::SaveWindowScreenshot(main, "list_system_colours.png");
}

TEST(ListEdges, AnEmptyListShowsNoFocusFrame)
{
    Installation app;
    Velmora velmora(app.folder);
    HWND main = velmora.waitForMainWindow();
    ASSERT_TRUE(main);
    // The list takes the focus with a click, the moment the frame used to appear.
    wt::Click(velmora.screenPoint(130, 150));
    int odd = 0;
    EXPECT_TRUE(wt::WaitUntil([&] { return ListAreaIs(velmora.list(), RGB(255, 255, 255), &odd); }, 3000))
        << odd << " pixels of the empty list are not white";
    wt::SaveWindowScreenshot(main, "list_0_templates_focused.png");
}

TEST(ListEdges, AFailedFillIsReportedAndTheListStillPaints)
{
    Installation app({"a", "b"});
    vt::RunSql(app.folder, "UPDATE Tconfig SET TBGColor=15794160"); // rows RGB(240, 255, 240)
    // Rows without the text column: the fill fails on its first row.
    vt::RunSql(app.folder, "ALTER TABLE TText RENAME COLUMN TText TO Other");
    Velmora velmora(app.folder);
    EXPECT_TRUE(vt::ExpectMessageBox(velmora.pid(), "找不到字段 TText", "Velmora", wt::MessageBoxIcon::Error));
    HWND main = velmora.waitForMainWindow();
    ASSERT_TRUE(main);
    // A row put in from outside is painted: the failed fill left the list's redraw on.
    SendMessageW(velmora.list(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"x"));
    const RECT first = velmora.rowRect(0);
    EXPECT_TRUE(
        wt::WaitUntil([&] { return wt::ScreenPixel(first.right - 3, first.top + 2) == RGB(240, 255, 240); }, 3000))
        << "the list no longer paints";

    // Mended behind the program's back: the next fill sees the table as it is now.
    vt::RunSql(app.folder, "ALTER TABLE TText RENAME COLUMN Other TO TText");
    velmora.showAll();
    EXPECT_EQ(velmora.listEntries(), (std::vector<std::string>{"a", "b"}));
}

TEST(ListHintsInALongList, RowHintsPastRow65535NameTheRowUnderThePointer)
{
    Installation app;
    vt::RunSql(app.folder, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 70000) "
                           "INSERT INTO TText (TText, TSortID) SELECT '模板 ' || i, i FROM n");
    Velmora velmora(app.folder);
    HWND main = velmora.waitForMainWindow(60000);
    ASSERT_TRUE(main);
    HWND list = velmora.list();
    ASSERT_TRUE(wt::WaitUntil([&] { return SendMessageW(list, LB_GETCOUNT, 0, 0) == 70000; }, 60000));
    SendMessageW(list, LB_SETTOPINDEX, 69990, 0);
    const LRESULT top = SendMessageW(list, LB_GETTOPINDEX, 0, 0);
    ASSERT_GT(top, 65535);
    const RECT row = velmora.rowRect(static_cast<int>(top) + 1);
    wt::MovePointer({row.left + 100, (row.top + row.bottom) / 2});
    const std::string expected = "模板 " + std::to_string(top + 2);
    EXPECT_EQ(vt::WaitForHintText(expected, 5000), std::optional<std::string>(expected));
}

TEST(ListHintsInALongList, AThreeThousandCharacterTemplatesHintStaysInTheWorkArea)
{
    std::string longText;
    for (int i = 0; i < 300; ++i)
        longText += "您好,很高兴为您服务"; // ten characters
    Installation app({"短模板", longText});
    Velmora velmora(app.folder);
    ASSERT_TRUE(velmora.waitForMainWindow());
    const RECT row = velmora.rowRect(1);
    wt::MovePointer({row.left + 100, (row.top + row.bottom) / 2});
    EXPECT_EQ(vt::WaitForHintText(longText, 5000), std::optional<std::string>(longText));
    HWND hint = vt::VisibleHintWindow();
    ASSERT_TRUE(hint);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(hint, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT hr = wt::WindowRect(hint);
    EXPECT_GE(hr.top, monitor.rcWork.top);
    EXPECT_LE(hr.bottom, monitor.rcWork.bottom) << "cut to the work area's height";
    EXPECT_LE(wt::Width(hr), 200);
}

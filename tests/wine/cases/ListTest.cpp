// The template list: loading in stored order, searching, painting, and the row hint.
#include "Velmora.h"

#include <gtest/gtest.h>

using vt::Installation;
using vt::Velmora;
using Entries = std::vector<std::string>;

namespace {

std::vector<std::string> Numbered(int count)
{
    std::vector<std::string> texts;
    const char* const samples[] = {"您好,很高兴为您服务", "Order shipped today",
                                   "请稍等,我马上为您查询订单的最新物流状态", "Thanks for waiting!", "祝您生活愉快"};
    for (int i = 0; i < count; ++i)
        texts.push_back(std::to_string(i + 1) + " " + samples[i % 5]);
    return texts;
}

} // namespace

TEST(List, EmptyTableGivesAnEmptyListAndNoHint)
{
    Installation app;
    Velmora velmora(app.folder);
    HWND main = velmora.waitForMainWindow();
    ASSERT_TRUE(main);
    EXPECT_TRUE(velmora.listEntries().empty());
    // How long a first hint takes here: the picture beside the title has one. Each rest starts
    // off the window, with no hint on show.
    const auto restOn = [&](POINT at) {
        wt::MovePointer(velmora.screenPoint(135, 420));
        ASSERT_TRUE(wt::WaitUntil([] { return !vt::VisibleHintWindow(); }, 3000));
        wt::MovePointer(at);
    };
    restOn(velmora.screenPoint(9 + 8, 8 + 8));
    const ULONGLONG start = GetTickCount64();
    ASSERT_TRUE(vt::WaitForHint(5000));
    const unsigned hintTime = static_cast<unsigned>(GetTickCount64() - start);
    // Resting on the empty list three times as long brings none.
    restOn(velmora.screenPoint(130, 150));
    EXPECT_FALSE(wt::WaitUntil([] { return vt::VisibleHintWindow() != nullptr; }, 3 * hintTime + 500))
        << vt::WaitForHint(0).value_or("(an empty hint)");
    wt::SaveWindowScreenshot(main, "list_0_templates.png");
}

TEST(List, ShowsTemplatesInStoredOrder)
{
    Installation app({"c", "a", "d", "b"});
    vt::RunSql(app.folder, "UPDATE TText SET TSortID = CASE TText WHEN 'a' THEN 0 WHEN 'b' THEN 1 WHEN 'c' THEN 2 "
                           "ELSE 3 END");
    // Characters beyond the code page are listed as stored.
    vt::RunSql(app.folder, "INSERT INTO TText (TText, TSortID) VALUES ('好的😀𠮷', 4)");
    Velmora velmora(app.folder);
    ASSERT_TRUE(velmora.waitForMainWindow());
    EXPECT_EQ(velmora.listEntries(), (Entries{"a", "b", "c", "d", "好的😀𠮷"}));
    velmora.search("😀");
    EXPECT_EQ(velmora.listEntries(), (Entries{"好的😀𠮷"}));
    velmora.search("𠮷");
    EXPECT_EQ(velmora.listEntries(), (Entries{"好的😀𠮷"}));
    velmora.showAll();
    EXPECT_EQ(velmora.selectedIndex(), -1);
}

TEST(List, SearchFindsTextAsTypedAndShowAllKeepsTheSearchText)
{
    // 乗 is 81 5C in code page 936, its second byte a backslash; 膩 is C4 81, so 膩\ holds the
    // same two bytes without holding 乗.
    Installation app({"it's fine", "100% sure", "1000 sure", "a_b", "axb", "c:\\temp", "您好,很高兴为您服务", "请稍等",
                      "乗车指南", "膩\\备注"});
    Velmora velmora(app.folder);
    ASSERT_TRUE(velmora.waitForMainWindow());

    velmora.search("sure");
    EXPECT_EQ(velmora.listEntries(), (Entries{"100% sure", "1000 sure"}));
    velmora.search("'s");
    EXPECT_EQ(velmora.listEntries(), (Entries{"it's fine"}));
    velmora.search("0%");
    EXPECT_EQ(velmora.listEntries(), (Entries{"100% sure"}));
    velmora.search("_");
    EXPECT_EQ(velmora.listEntries(), (Entries{"a_b"}));
    velmora.search(":\\");
    EXPECT_EQ(velmora.listEntries(), (Entries{"c:\\temp"}));
    velmora.search("乗");
    EXPECT_EQ(velmora.listEntries(), (Entries{"乗车指南"}));
    velmora.search("\\");
    EXPECT_EQ(velmora.listEntries(), (Entries{"c:\\temp", "膩\\备注"}));
    velmora.search("  高兴 \t");
    EXPECT_EQ(velmora.listEntries(), (Entries{"您好,很高兴为您服务"}));
    // Latin letters find by pinyin too, after the texts that hold them as typed.
    velmora.search("Qsd");
    EXPECT_EQ(velmora.listEntries(), (Entries{"请稍等"}));
    velmora.search("s");
    EXPECT_EQ(velmora.listEntries(), (Entries{"it's fine", "100% sure", "1000 sure", "请稍等"}));
    velmora.search("没有这样的模板");
    EXPECT_TRUE(velmora.listEntries().empty());

    velmora.showAll();
    const Entries all = velmora.listEntries();
    EXPECT_EQ(all.size(), 10u);
    EXPECT_EQ(velmora.searchText(), "没有这样的模板");

    velmora.search(" \t  ");
    EXPECT_EQ(velmora.listEntries(), all) << "a search of blanks lists everything";
}

TEST(List, RowsArePaintedInTheConfiguredColours)
{
    Installation app(Numbered(9));
    // Non-default colours, stored as 0x00BBGGRR.
    vt::RunSql(app.folder, "UPDATE Tconfig SET TBGColor=15794160, TDifRowColor=13434828, TSelRowColor=10092543, "
                           "TSelRowColorB=255");
    Velmora velmora(app.folder);
    HWND main = velmora.waitForMainWindow();
    ASSERT_TRUE(main);
    const RECT first = velmora.rowRect(0);
    const RECT second = velmora.rowRect(1);
    const RECT third = velmora.rowRect(2);
    EXPECT_TRUE(wt::WaitForPixel({first.right - 3, first.top + 2}, RGB(240, 255, 240)));
    EXPECT_TRUE(wt::WaitForPixel({second.right - 3, second.top + 2}, RGB(204, 255, 204)));
    wt::Click({third.left + 200, (third.top + third.bottom) / 2});
    wt::MovePointer(velmora.screenPoint(130, 320));
    EXPECT_TRUE(wt::WaitForPixel({third.right - 3, third.top + 2}, RGB(255, 255, 153))) << "selected fill";
    EXPECT_EQ(velmora.selectedIndex(), 2);

    EXPECT_EQ(wt::ScreenPixel(first.right - 3, first.top + 2), RGB(240, 255, 240));
    EXPECT_EQ(wt::ScreenPixel(second.right - 3, second.top + 2), RGB(204, 255, 204));
    EXPECT_EQ(wt::ScreenPixel(third.left, third.top + 10), RGB(255, 0, 0)) << "selected frame";
    EXPECT_EQ(wt::ScreenPixel(third.right - 1, third.top + 10), RGB(255, 0, 0));
    EXPECT_EQ(wt::ScreenPixel(third.left + 100, third.top), RGB(255, 0, 0));
    EXPECT_EQ(wt::ScreenPixel(third.left + 100, third.bottom - 1), RGB(255, 0, 0));
    wt::SaveWindowScreenshot(main, "list_9_templates_coloured.png");
}

TEST(List, TextColumnMovesRightWithTheTenthEntry)
{
    // The first column of black text pixels right of the row number, in the first row.
    auto textStart = [](const std::vector<std::string>& templates, const std::string& shot) {
        Installation app(templates);
        Velmora velmora(app.folder);
        HWND main = velmora.waitForMainWindow();
        // Skip the number "1." (it ends before x = 20) and find the first dark pixel.
        const auto firstDark = [&] {
            const wt::Image image = wt::CaptureScreenArea(velmora.rowRect(0));
            for (int x = 20; x < image.width; ++x)
                for (int y = 0; y < image.height; ++y)
                    if (wt::ColourDistance(image.pixel(x, y), RGB(0, 0, 0)) < 100)
                        return x;
            return -1;
        };
        int x = -1;
        wt::WaitUntil([&] { return (x = firstDark()) >= 0; }, 5000);
        wt::SaveWindowScreenshot(main, shot);
        return x;
    };
    std::vector<std::string> nine = Numbered(9);
    for (std::string& t : nine)
        t = "W" + t; // every text starts with the same wide letter
    std::vector<std::string> ten = nine;
    ten.push_back("W10");
    const int atNine = textStart(nine, "list_9_templates.png");
    const int atTen = textStart(ten, "list_10_templates.png");
    EXPECT_GT(atNine, 0);
    // The width of one more digit in the list's font, measured here with the same font.
    HDC dc = GetDC(nullptr);
    HFONT font = CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"宋体");
    HGDIOBJ old = SelectObject(dc, font);
    SIZE one = {}, two = {};
    GetTextExtentPoint32W(dc, L"9", 1, &one);
    GetTextExtentPoint32W(dc, L"10", 2, &two);
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(nullptr, dc);
    EXPECT_EQ(atTen - atNine, two.cx - one.cx) << "the text column moves by the width of one more digit";
}

TEST(List, ManyTemplatesAndTheRowHint)
{
    std::vector<std::string> texts = Numbered(25);
    texts[1] = "这是一条超过二十个字的很长很长的模板,用来检查提示里显示的是完整的内容而不是缩短的内容";
    Installation app(texts);
    Velmora velmora(app.folder);
    HWND main = velmora.waitForMainWindow();
    ASSERT_TRUE(main);
    const RECT second = velmora.rowRect(1);
    wt::MovePointer({second.left + 100, (second.top + second.bottom) / 2});
    const auto hint = vt::WaitForHintText(texts[1], 5000);
    EXPECT_EQ(hint, std::optional<std::string>(texts[1]));
    HWND hintWindow = vt::VisibleHintWindow();
    ASSERT_TRUE(hintWindow);
    EXPECT_LE(wt::Width(wt::WindowRect(hintWindow)), 200) << "long hints wrap at 200 pixels";
    EXPECT_GT(wt::Height(wt::WindowRect(hintWindow)), 30) << "on several lines";
    const RECT hr = wt::WindowRect(hintWindow);
    EXPECT_EQ(wt::ScreenPixel(hr.left + 3, hr.top + 3), RGB(255, 255, 217));
    wt::SaveScreenScreenshot("list_hint.png");

    // The next row's hint follows without leaving the list.
    const RECT third = velmora.rowRect(2);
    wt::MovePointer({third.left + 100, (third.top + third.bottom) / 2});
    EXPECT_EQ(vt::WaitForHintText(texts[2], 350), std::optional<std::string>(texts[2]));

    wt::Click({third.left + 100, (third.top + third.bottom) / 2});
    wt::MovePointer(velmora.screenPoint(130, 420));
    EXPECT_TRUE(wt::WaitUntil([&] { return velmora.selectedIndex() == 2 && !vt::VisibleHintWindow(); }, 3000));
    wt::SaveWindowScreenshot(main, "list_25_templates.png");
}

TEST(List, AFailingLoadIsReportedAndTheProgramRunsOn)
{
    Installation app({"a"});
    vt::RunSql(app.folder, "DROP TABLE TText");
    Velmora velmora(app.folder);
    // The general error report: the failure's own text, captioned with the program's title.
    EXPECT_TRUE(vt::ExpectMessageBox(velmora.pid(), "no such table: TText", "Velmora", wt::MessageBoxIcon::Error));
    ASSERT_TRUE(velmora.waitForMainWindow());
    EXPECT_TRUE(velmora.listEntries().empty());
    // The search as typed and the search icon's alike.
    wt::TypeText("a");
    EXPECT_TRUE(vt::ExpectMessageBox(velmora.pid(), "no such table: TText", "Velmora", wt::MessageBoxIcon::Error));
    velmora.search("a");
    EXPECT_TRUE(vt::ExpectMessageBox(velmora.pid(), "no such table: TText", "Velmora", wt::MessageBoxIcon::Error));
    EXPECT_TRUE(velmora.process().running());
    EXPECT_TRUE(wt::IsShown(velmora.mainWindow()));
}

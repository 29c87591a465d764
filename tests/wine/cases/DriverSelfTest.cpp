// The driver's own tests: what the Velmora test cases rely on, proved under Wine.
// Kept short: every build runs them.
#include "Driver.h"

#include <gtest/gtest.h>

#include <iomanip>
#include <iostream>
#include <vector>

namespace {

const char kChineseCaption[] = "系统错误";
const char kChineseText[] = "程序已经运行!";

struct IconCase {
    unsigned flag;
    wt::MessageBoxIcon expected;
};

const IconCase kIconCases[] = {
    {0, wt::MessageBoxIcon::None},
    {MB_ICONEXCLAMATION, wt::MessageBoxIcon::Exclamation},
    {MB_ICONHAND, wt::MessageBoxIcon::Error},
    {MB_ICONQUESTION, wt::MessageBoxIcon::Question},
    {MB_ICONINFORMATION, wt::MessageBoxIcon::Information},
};

const wt::MessageBoxIcon kStandardIcons[] = {wt::MessageBoxIcon::Exclamation, wt::MessageBoxIcon::Error,
                                             wt::MessageBoxIcon::Question, wt::MessageBoxIcon::Information};

HWND IconControlOf(HWND box)
{
    for (HWND child : wt::ChildWindows(box)) {
        if (wt::ClassName(child) == "Static" && (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            return child;
    }
    return nullptr;
}

} // namespace

// --- Message boxes -------------------------------------------------------------------------

TEST(DriverMessageBox, ReadsChineseTextAndTellsEveryIconKindApart)
{
    for (const IconCase& iconCase : kIconCases) {
        SCOPED_TRACE(std::string("expected icon ") + wt::IconName(iconCase.expected));
        wt::AppProcess process = wt::ShowTargetMessageBox(kChineseCaption, kChineseText, MB_OK | iconCase.flag);
        auto box = wt::WaitForMessageBox(process.pid(), 10000);
        ASSERT_TRUE(box);

        EXPECT_EQ(box->caption, kChineseCaption);
        EXPECT_EQ(box->text, kChineseText);
        EXPECT_EQ(box->icon, iconCase.expected);
        EXPECT_EQ(box->buttons, std::vector<int>{IDOK});

        // The evidence behind the icon kind: the shown icon matches its own standard icon and
        // is well apart from every other one (question and information are the closest pair).
        if (iconCase.expected != wt::MessageBoxIcon::None) {
            const wt::Image icon = wt::CaptureScreenArea(wt::WindowRect(IconControlOf(box->hwnd)));
            std::cout << "  icon " << std::left << std::setw(12) << wt::IconName(iconCase.expected) << " mismatch:";
            for (wt::MessageBoxIcon candidate : kStandardIcons) {
                const double mismatch = wt::IconMismatch(icon, candidate);
                std::cout << ' ' << wt::IconName(candidate) << '=' << std::fixed << std::setprecision(3) << mismatch;
                if (candidate == iconCase.expected)
                    EXPECT_LE(mismatch, 0.02);
                else
                    EXPECT_GE(mismatch, 0.05);
            }
            std::cout << '\n';
        }
        wt::SaveWindowScreenshot(box->hwnd,
                                 std::string("driver_message_box_") + wt::IconName(iconCase.expected) + ".png");

        ASSERT_TRUE(wt::Answer(*box, IDOK));
        ASSERT_TRUE(process.waitForExit(5000));
        EXPECT_EQ(process.exitCode(), static_cast<DWORD>(IDOK));
    }
}

TEST(DriverMessageBox, AnswersTheButtonAsked)
{
    const struct {
        unsigned flags;
        std::vector<int> buttons;
        int answer;
    } cases[] = {
        {MB_YESNO | MB_ICONQUESTION, {IDYES, IDNO}, IDYES},
        {MB_YESNO | MB_ICONQUESTION, {IDYES, IDNO}, IDNO},
        {MB_OKCANCEL, {IDOK, IDCANCEL}, IDCANCEL},
    };
    for (const auto& answerCase : cases) {
        SCOPED_TRACE("answer " + std::to_string(answerCase.answer));
        wt::AppProcess process = wt::ShowTargetMessageBox("Question", "Go on?", answerCase.flags);
        auto box = wt::WaitForMessageBox(process.pid(), 10000);
        ASSERT_TRUE(box);
        EXPECT_EQ(box->buttons, answerCase.buttons);

        ASSERT_TRUE(wt::Answer(*box, answerCase.answer));
        ASSERT_TRUE(process.waitForExit(5000));
        EXPECT_EQ(process.exitCode(), static_cast<DWORD>(answerCase.answer));
    }
}

TEST(DriverMessageBox, RefusesAButtonTheBoxDoesNotHave)
{
    wt::AppProcess process = wt::ShowTargetMessageBox("Note", "Done.", MB_OK);
    auto box = wt::WaitForMessageBox(process.pid(), 10000);
    ASSERT_TRUE(box);
    EXPECT_THROW(wt::Answer(*box, IDYES), std::invalid_argument);
    EXPECT_TRUE(wt::IsShown(box->hwnd));
    ASSERT_TRUE(wt::Answer(*box, IDOK));
}

// --- The target window ---------------------------------------------------------------------

TEST(DriverTarget, RecordsAnsiCharactersSentFromAnotherProcess)
{
    wt::TargetProcess target;
    // 你好 in code page 936, one byte per message, as an ANSI program delivers it.
    for (unsigned ansiByte : {0xC4u, 0xE3u, 0xBAu, 0xC3u})
        SendMessageA(target.edit(), WM_CHAR, ansiByte, 1);

    ASSERT_TRUE(target.waitForChars(4, 2000));
    EXPECT_EQ(target.editText(), "你好");
    std::cout << "  recorded WM_CHAR:";
    for (unsigned c : target.recordedChars())
        std::cout << ' ' << std::hex << c;
    std::cout << std::dec << '\n';
    EXPECT_EQ(target.recordedChars(), (std::vector<unsigned>{0xC4, 0xE3, 0xBA, 0xC3}));
    EXPECT_FALSE(wt::WaitForMessageBox(target.pid(), 200)) << "the target window is no message box";
}

TEST(DriverTarget, UnicodeTargetRecordsCodeUnitsAndReadsBackSurrogatePairs)
{
    wt::TargetProcess target(wt::TargetKind::Unicode);
    EXPECT_TRUE(IsWindowUnicode(target.edit()));
    // 你 and 😀 (a high and a low surrogate), one code unit per message.
    const std::vector<unsigned> units = {0x4F60, 0xD83D, 0xDE00};
    for (unsigned unit : units)
        SendMessageW(target.edit(), WM_CHAR, unit, 1);

    ASSERT_TRUE(target.waitForChars(3, 2000));
    EXPECT_EQ(target.recordedChars(), units);
    EXPECT_EQ(target.editTextUtf16(), std::wstring(L"\x4F60\xD83D\xDE00"));
    EXPECT_EQ(target.editText(), "你😀");
}

TEST(DriverTarget, HungTargetStillReportsWhatItReceived)
{
    wt::TargetProcess target(/*hangAfterFirstChar=*/true);
    PostMessageW(target.edit(), WM_CHAR, 'a', 1);
    PostMessageW(target.edit(), WM_CHAR, 'b', 1);

    ASSERT_TRUE(target.waitForChars(1, 2000));
    // Still in the first character's handler: a message sent now gets no answer, and 'b' waits.
    DWORD_PTR result = 0;
    EXPECT_FALSE(SendMessageTimeoutW(target.edit(), WM_NULL, 0, 0, SMTO_NORMAL, 1000, &result));
    EXPECT_EQ(target.recordedChars(), std::vector<unsigned>{'a'});
    EXPECT_TRUE(target.process().running());
}

// --- Input ---------------------------------------------------------------------------------

TEST(DriverInput, PointerLandsExactlyWhereAsked)
{
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    for (POINT point : {POINT{0, 0}, POINT{width - 1, height - 1}, POINT{1, 2}, POINT{517, 383}, POINT{1000, 11}}) {
        wt::MovePointer(point);
        const POINT reached = wt::PointerPosition();
        EXPECT_EQ(reached.x, point.x);
        EXPECT_EQ(reached.y, point.y);
    }
}

TEST(DriverInput, TypedKeysReachTheFocusedWindow)
{
    wt::TargetProcess target;
    ASSERT_TRUE(target.focusEdit());

    wt::PressKey('H');
    wt::PressKey('I', wt::Shift);
    wt::PressCtrlLetter('b'); // an edit control turns Ctrl+B into character 2

    ASSERT_TRUE(target.waitForChars(3, 2000));
    EXPECT_EQ(target.recordedChars(), (std::vector<unsigned>{'h', 'I', 0x02}));
}

TEST(DriverInput, DoubleClickSelectsAWord)
{
    wt::TargetProcess target;
    target.setEditText("hello world");
    ASSERT_TRUE(target.focusEdit());

    wt::DoubleClick(target.characterPoint(8));
    EXPECT_TRUE(wt::WaitUntil([&] { return target.editSelection() == std::make_pair(6, 11); }, 1000))
        << target.editSelection().first << ".." << target.editSelection().second;
}

TEST(DriverInput, DragSelectsWhatItPassesOver)
{
    wt::TargetProcess target;
    target.setEditText("hello world");
    ASSERT_TRUE(target.focusEdit());

    wt::Drag(target.characterPoint(1), target.characterPoint(4));
    EXPECT_TRUE(wt::WaitUntil([&] { return target.editSelection() == std::make_pair(1, 4); }, 1000))
        << target.editSelection().first << ".." << target.editSelection().second;
}

TEST(DriverInput, RightClickOpensTheContextMenu)
{
    wt::TargetProcess target;
    ASSERT_TRUE(target.focusEdit());

    wt::RightClick(target.editCentre());
    HWND menu = wt::WaitForWindow(target.pid(), wt::HasClass("#32768"), 2000);
    ASSERT_TRUE(menu);
    wt::PressKey(VK_ESCAPE);
    EXPECT_TRUE(wt::WaitForWindowGone(menu, 2000));
}

// --- Screen and screenshots ----------------------------------------------------------------

TEST(DriverScreen, CapturesRealPixelsOfWindowsAndBackdrop)
{
    const COLORREF teal = RGB(0, 128, 128);
    wt::Backdrop backdrop(teal);
    wt::TargetProcess target;
    SendMessageW(target.edit(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"\u4f60\u597d Velmora"));

    // The backdrop shows where no window is, and stays below the target.
    const RECT window = wt::WindowRect(target.window());
    const POINT centre = wt::Centre(window);
    EXPECT_TRUE(wt::WaitForPixel({window.right + 20, window.bottom + 20}, teal));
    EXPECT_TRUE(wt::WaitUntil([&] { return wt::ScreenPixel(centre.x, centre.y) != teal; }, 3000));

    const wt::Image screen = wt::CaptureScreen();
    EXPECT_FALSE(screen.allBlack());
    EXPECT_EQ(screen.width, GetSystemMetrics(SM_CXSCREEN));
    // The edit control is painted in the window colour.
    const RECT edit = wt::ClientRectOnScreen(target.edit());
    EXPECT_EQ(screen.pixel(edit.left + 2, edit.bottom - 3), GetSysColor(COLOR_WINDOW));

    wt::SaveScreenScreenshot("driver_screen_backdrop.png");
    wt::SaveWindowScreenshot(target.window(), "driver_target_window.png");
}

TEST(DriverScreen, PngChecksumsAreTheStandardOnes)
{
    const std::string digits = "123456789";
    const std::string word = "Wikipedia";
    EXPECT_EQ(wt::Crc32(reinterpret_cast<const std::uint8_t*>(digits.data()), digits.size()), 0xCBF43926u);
    EXPECT_EQ(wt::Adler32(reinterpret_cast<const std::uint8_t*>(word.data()), word.size()), 0x11E60398u);
}

// --- Program folders -----------------------------------------------------------------------

TEST(DriverProgramFolder, ChineseFolderHoldsFilesRunsProgramsAndGoesAway)
{
    std::string root;
    {
        wt::ProgramFolder folder("客服工具");
        root = folder.path();
        ASSERT_NE(root.find("\\客服工具\\"), std::string::npos);

        folder.writeFile("说明.txt", "abc\r\n");
        EXPECT_EQ(folder.readFile("说明.txt"), "abc\r\n");
        folder.makeFolder("DatabackUp");
        folder.writeFile("DatabackUp\\2024-01-02.bk", "x");
        EXPECT_EQ(folder.list("DatabackUp", "*.bk"), std::vector<std::string>{"2024-01-02.bk"});
        folder.setReadOnly("说明.txt");
        EXPECT_NE(GetFileAttributesW(wt::Widen(folder.file("说明.txt")).c_str()) & FILE_ATTRIBUTE_READONLY, 0u);

        // A program started from the folder runs there.
        folder.copyIn(wt::RequiredEnvironmentPath("VELMORA_TARGET_EXE"), "Target.exe");
        wt::AppProcess program(folder.file("Target.exe"), folder.path(),
                               {"--message-box", "0", "客服工具", folder.path()});
        auto box = wt::WaitForMessageBox(program.pid(), 10000);
        ASSERT_TRUE(box);
        EXPECT_EQ(box->text, folder.path());
        ASSERT_TRUE(wt::Answer(*box, IDOK));
        ASSERT_TRUE(program.waitForExit(5000));
    }
    EXPECT_EQ(GetFileAttributesW(wt::Widen(root).c_str()), INVALID_FILE_ATTRIBUTES) << root;
}

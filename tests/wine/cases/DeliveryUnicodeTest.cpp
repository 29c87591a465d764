// Replies with characters the code page 936 has no bytes for (emoji, 𠮷): a Unicode window gets
// every character as it is stored, an ANSI window gets nothing and the user is told which ones.
#include "Velmora.h"

#include <gtest/gtest.h>

using vt::Installation;
using vt::Velmora;
using Chars = std::vector<unsigned>;

namespace {

// Chinese, an emoji and 𠮷 (each two UTF-16 code units), quotes of both kinds and '%'.
const std::string kReply = "您好,“订单”已发货😀 𠮷 \"ok\" 'x' 100%";
// What code page 936 carries, and a reply an ANSI window cannot take.
const std::string kCodePageReply = "您好,“订单”已发货 \"ok\" 'x' 100%";
const std::string kEmojiReply = "谢谢😀再见😀𠮷";

Chars CodeUnits(const std::string& utf8)
{
    const std::wstring wide = wt::Widen(utf8);
    return Chars(wide.begin(), wide.end());
}

class DeliveryUnicode : public ::testing::Test {
protected:
    void SetUp() override
    {
        main = velmora.waitForMainWindow();
        ASSERT_TRUE(main);
    }

    // The hotkey over the target's text box, then a double-click on template `row`.
    void deliver(wt::TargetProcess& target, int row)
    {
        ASSERT_TRUE(vt::PressHotKeyOver(target));
        ASSERT_TRUE(wt::WaitUntil([&] { return wt::IsShown(main); }, 3000));
        const RECT rect = velmora.rowRect(row);
        wt::DoubleClick({rect.left + 120, (rect.top + rect.bottom) / 2});
    }

    Installation app{{kReply, kCodePageReply, kEmojiReply}};
    Velmora velmora{app.folder};
    HWND main = nullptr;
};

} // namespace

TEST_F(DeliveryUnicode, AUnicodeWindowGetsEveryCodeUnitInOrder)
{
    wt::TargetProcess target(wt::TargetKind::Unicode);
    vt::PlaceTarget(target);
    ASSERT_TRUE(IsWindowUnicode(target.edit()));
    deliver(target, 0);
    const Chars expected = CodeUnits(kReply);
    ASSERT_TRUE(target.waitForChars(expected.size(), 5000)) << target.recordedChars().size();
    EXPECT_EQ(target.recordedChars(), expected);
    EXPECT_EQ(target.editTextUtf16(), wt::Widen(kReply)) << target.editText();
    EXPECT_TRUE(wt::WaitForWindowGone(main, 3000));
    wt::SaveWindowScreenshot(target.window(), "delivery_unicode_target.png");
}

TEST_F(DeliveryUnicode, NotepadShowsTheReplyExactly)
{
    wt::TargetProcess notepad(wt::TargetKind::Notepad);
    vt::PlaceTarget(notepad);
    deliver(notepad, 0);
    EXPECT_TRUE(wt::WaitUntil([&] { return notepad.editTextUtf16() == wt::Widen(kReply); }, 5000))
        << notepad.editText();
    EXPECT_TRUE(wt::WaitForWindowGone(main, 3000));
    wt::SaveWindowScreenshot(notepad.window(), "delivery_unicode_notepad.png");
}

TEST_F(DeliveryUnicode, AnAnsiWindowGetsCodePageBytesOrNothingAndANotice)
{
    wt::TargetProcess target(wt::TargetKind::Ansi);
    vt::PlaceTarget(target);
    ASSERT_FALSE(IsWindowUnicode(target.edit()));
    deliver(target, 1);
    const std::string bytes = wt::ToCodePage(kCodePageReply, 936);
    ASSERT_TRUE(target.waitForChars(bytes.size(), 5000));
    Chars expected;
    for (char c : bytes)
        expected.push_back(static_cast<unsigned char>(c));
    EXPECT_EQ(target.recordedChars(), expected);
    ASSERT_TRUE(wt::WaitForWindowGone(main, 3000));

    // Not a single "?" typed: the notice names each character once, and the list stays for another reply.
    deliver(target, 2);
    ASSERT_TRUE(vt::ExpectMessageBox(velmora.pid(), vt::NotTakenNotice("😀 𠮷"), "系统提示",
                                     wt::MessageBoxIcon::Exclamation, IDOK, 10000, "delivery_unicode_ansi_notice.png"));
    ASSERT_TRUE(velmora.waitForEarlierMessages());
    EXPECT_EQ(target.recordedChars(), expected);
    EXPECT_TRUE(wt::IsShown(main));
}

TEST_F(DeliveryUnicode, AWindowThatTurnsIntoAnOlderOneMidReplyGetsNoQuestionMarks)
{
    wt::TargetProcess target(wt::TargetKind::UnicodeTurningAnsi);
    vt::PlaceTarget(target);
    ASSERT_TRUE(IsWindowUnicode(target.edit()));
    deliver(target, 2);
    ASSERT_TRUE(vt::ExpectMessageBox(velmora.pid(),
                                     "目标窗口在输入中途变了:它原来是支持 Unicode 的程序,现在是不支持 Unicode "
                                     "的旧程序(或者反过来),这条回复没有输入完。\r已输入 1/7 个字符,其余的没有输入,"
                                     "以免变成问号。\r请检查目标窗口中的文字,再按快捷键重新选择目标窗口。",
                                     "系统提示", wt::MessageBoxIcon::Exclamation, IDOK, 10000,
                                     "delivery_kind_changed_notice.png"));
    ASSERT_TRUE(velmora.waitForEarlierMessages());
    EXPECT_FALSE(IsWindowUnicode(target.edit()));
    EXPECT_EQ(target.recordedChars(), (Chars{0x8C22})) << "only what went before the window changed";
    EXPECT_TRUE(wt::IsShown(main)) << "the list stays";
}

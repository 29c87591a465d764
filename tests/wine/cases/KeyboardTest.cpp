// The keyboard's way: the hotkey over another program's text box, a search typed, Down, Enter.
// The reply arrives there, and that window is in front again with its caret, so the agent
// types on; Esc hides the list and delivers nothing.
#include "Velmora.h"

#include <gtest/gtest.h>

using vt::Installation;
using vt::Velmora;

namespace {

const std::vector<std::string> kTemplates = {"请稍候", "您好，请问有什么可以帮您？", "稍等一下", "好的",
                                             "这就为您查询，请稍等"};

DWORD ThreadOf(HWND window) { return GetWindowThreadProcessId(window, nullptr); }

HWND FocusOf(HWND window)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(ThreadOf(window), &info) ? info.hwndFocus : nullptr;
}

std::pair<DWORD, DWORD> BoxSelection(HWND box)
{
    DWORD first = 0, last = 0;
    SendMessageW(box, EM_GETSEL, reinterpret_cast<WPARAM>(&first), reinterpret_cast<LPARAM>(&last));
    return {first, last};
}

} // namespace

TEST(Keyboard, TypeDownEnterDeliversAndTheAgentGoesOnWhereSheWas)
{
    Installation app{kTemplates};
    Velmora velmora{app.folder};
    // The window puts the focus into another box when it is activated: the agent's caret is
    // back in the reply's box only when it is given back there.
    wt::TargetProcess target{wt::TargetKind::AnsiWithSubject};
    HWND main = velmora.waitForMainWindow();
    ASSERT_TRUE(main);
    vt::PlaceTarget(target);
    HWND box = velmora.searchBox();
    const auto inFrontWithCaretInBox = [&] {
        return wt::IsShown(main) && GetForegroundWindow() == main && FocusOf(main) == box;
    };

    ASSERT_TRUE(vt::PressHotKeyOver(target));
    ASSERT_TRUE(wt::WaitUntil(inFrontWithCaretInBox, 3000)) << "the caret is not in the search box";
    wt::SaveWindowScreenshot(main, "keyboard_cue.png");
    // The grey cue is drawn over the empty box with the caret in it, and goes with the first letter.
    const auto cuePixels = [&] {
        RECT inside = {};
        GetClientRect(box, &inside); // the box's sunken border is grey too
        MapWindowPoints(box, nullptr, reinterpret_cast<POINT*>(&inside), 2);
        return wt::CaptureScreenArea(inside).count(GetSysColor(COLOR_GRAYTEXT));
    };
    EXPECT_GT(cuePixels(), 20u) << "no cue in the empty search box";

    // One burst of keys: the initials of 请稍, which the search reads as pinyin.
    wt::TypeText("qs");
    const std::vector<std::string> hits = {"请稍候", "这就为您查询，请稍等"};
    ASSERT_TRUE(wt::WaitUntil([&] { return velmora.listEntries() == hits && velmora.selectedIndex() == 0; }, 5000))
        << "the list does not show the hits with the first selected";
    EXPECT_EQ(velmora.searchText(), "qs");
    EXPECT_EQ(cuePixels(), 0u) << "the cue stays over the text typed";
    wt::SaveWindowScreenshot(main, "keyboard_search_typed.png");

    wt::PressKey(VK_DOWN);
    ASSERT_TRUE(wt::WaitUntil([&] { return velmora.selectedIndex() == 1; }, 3000));
    EXPECT_EQ(FocusOf(main), box) << "the caret left the box";
    wt::PressKey(VK_RETURN);
    const std::string reply = hits[1];
    ASSERT_TRUE(target.waitForChars(wt::ToCodePage(reply, 936).size(), 5000));
    EXPECT_EQ(target.editText(), reply);
    EXPECT_TRUE(wt::WaitForWindowGone(main, 3000));
    EXPECT_TRUE(wt::WaitUntil(
        [&] { return GetForegroundWindow() == target.window() && FocusOf(target.window()) == target.edit(); }, 3000))
        << "the target is not in front with its caret";

    // Again: the text typed before is selected, so typing replaces it. A search that finds
    // nothing leaves Enter nothing to deliver; Esc hides and delivers nothing.
    const size_t received = target.recordedChars().size();
    ASSERT_TRUE(vt::PressHotKeyOver(target));
    ASSERT_TRUE(wt::WaitUntil(inFrontWithCaretInBox, 3000));
    EXPECT_EQ(BoxSelection(box), std::make_pair(DWORD{0}, DWORD{2})) << "the last search is not selected";
    wt::TypeText("没有这句");
    ASSERT_TRUE(wt::WaitUntil([&] { return velmora.listEntries().empty(); }, 5000));
    wt::PressKey(VK_RETURN);
    // Emptied, the box lists every template in stored order: the keys are handled in order,
    // so Enter was handled before.
    for (int i = 0; i < 4; ++i)
        wt::PressKey(VK_BACK);
    ASSERT_TRUE(wt::WaitUntil([&] { return velmora.listEntries() == kTemplates; }, 5000));
    EXPECT_TRUE(wt::IsShown(main));
    wt::PressKey(VK_ESCAPE);
    EXPECT_TRUE(wt::WaitForWindowGone(main, 3000));
    EXPECT_TRUE(wt::WaitUntil([&] { return GetForegroundWindow() == target.window(); }, 3000));
    EXPECT_EQ(target.recordedChars().size(), received) << "Enter or Esc delivered something";

    // With the focus in the list (a row clicked), Enter delivers as well.
    ASSERT_TRUE(vt::PressHotKeyOver(target));
    ASSERT_TRUE(wt::WaitUntil(inFrontWithCaretInBox, 3000));
    const RECT row = velmora.rowRect(2);
    wt::Click({row.left + 120, (row.top + row.bottom) / 2});
    ASSERT_TRUE(wt::WaitUntil([&] { return FocusOf(main) == velmora.list() && velmora.selectedIndex() == 2; }, 3000));
    wt::PressKey(VK_RETURN);
    const std::string bytes = wt::ToCodePage(kTemplates[2], 936);
    ASSERT_TRUE(target.waitForChars(received + bytes.size(), 5000));
    const std::vector<unsigned> chars = target.recordedChars();
    std::vector<unsigned> expected;
    for (unsigned char b : bytes)
        expected.push_back(b);
    EXPECT_EQ(std::vector<unsigned>(chars.begin() + static_cast<long>(received), chars.end()), expected);
}

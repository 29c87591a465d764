#include "app/HotKeyDelivery.h"

#include <gtest/gtest.h>

#include <iconv.h>

#include <functional>
#include <vector>

namespace {

// Code page 936, as a Chinese Windows system has it; false for a character it lacks.
bool Cp936(const std::string& utf8, std::string& bytes)
{
    iconv_t cd = iconv_open("CP936", "UTF-8");
    char buffer[16];
    char* in = const_cast<char*>(utf8.data());
    size_t inLeft = utf8.size();
    char* out = buffer;
    size_t outLeft = sizeof buffer;
    const bool carried = iconv(cd, &in, &inLeft, &out, &outLeft) != static_cast<size_t>(-1);
    iconv_close(cd);
    bytes.assign(buffer, static_cast<size_t>(out - buffer));
    return carried;
}

// Records every desktop call in order.
class FakeDesktop : public DeliveryDesktop {
public:
    WindowHandle underPointer = 0x1234;
    bool unicode = false;      // the target is a Unicode window
    int hangAfter = -1;        // characters taken before the target stops answering
    bool closesHung = false;   // the hanging target's window is closed rather than found hung
    int goneAfter = -1;        // characters taken before the target window is closed
    int refuseAfter = -1;      // characters taken before the system refuses the rest
    int slowWaits = 0;         // waits before each character is taken
    int hungAfterWaits = 3;    // waits on a hanging target before the system calls it hung
    int kindChangesAfter = -1; // code units taken before the window turns into the other kind
    std::vector<std::string> calls;
    std::vector<unsigned> sent;
    int waits = 0;
    int pendingWaits = 0;
    std::function<void()> duringWait; // what the user does while a character is on its way

    WindowHandle windowUnderPointer() override
    {
        calls.push_back("windowUnderPointer");
        return underPointer;
    }
    void rememberForeground() override { calls.push_back("remember"); }
    void returnToForeground() override { calls.push_back("back"); }
    void showMainWindow() override { calls.push_back("show"); }
    void bringMainWindowToFront() override { calls.push_back("front"); }
    void activate(WindowHandle target) override { calls.push_back("activate " + std::to_string(target)); }
    bool isUnicodeWindow(WindowHandle) override
    {
        const bool changed = kindChangesAfter >= 0 && static_cast<int>(sent.size()) >= kindChangesAfter;
        return changed ? !unicode : unicode;
    }
    bool toCodePage(const std::string& character, CodePageText& bytes) override
    {
        return Cp936(character, bytes.bytes);
    }
    CharacterSent sendCharacter(WindowHandle, unsigned value, bool asUnicode) override
    {
        EXPECT_EQ(asUnicode, unicode) << "each window gets the messages of the kind it had";
        const int count = static_cast<int>(sent.size());
        if (refuseAfter >= 0 && count >= refuseAfter) {
            calls.push_back("send refused");
            return CharacterSent::Refused;
        }
        if (goneAfter >= 0 && count >= goneAfter) {
            calls.push_back("send to a closed window");
            return CharacterSent::Gone;
        }
        calls.push_back("send");
        if (hangAfter >= 0 && count >= hangAfter) {
            pendingWaits = -1; // never taken
            return CharacterSent::Pending;
        }
        sent.push_back(value);
        pendingWaits = slowWaits;
        return slowWaits ? CharacterSent::Pending : CharacterSent::Taken;
    }
    TargetWait waitForTarget(unsigned) override
    {
        ++waits;
        if (duringWait)
            duringWait();
        if (pendingWaits > 0 && --pendingWaits == 0)
            return TargetWait::Taken;
        return TargetWait::StillWaiting;
    }
    TargetState targetState(WindowHandle) override
    {
        if (pendingWaits >= 0 || waits < hungAfterWaits)
            return TargetState::Responding;
        return closesHung ? TargetState::Closed : TargetState::Hung;
    }
    void handlePendingMessages() override
    {
        if (duringWait)
            duringWait();
    }
    void hideToTray() override { calls.push_back("hide"); }
    void reportRefused(const std::string& typed, const std::string& whole) override
    {
        calls.push_back("refused after \"" + typed + "\" of \"" + whole + "\"");
    }
    void reportCutShort(const std::string& typed, const std::string& whole, TypingStop why) override
    {
        const char* const stops[] = {"closed", "hung", "changed"};
        calls.push_back(std::string(stops[static_cast<int>(why)]) + " after \"" + typed + "\" of \"" + whole + "\"");
    }
    void reportNotTaken(const std::vector<std::string>& characters) override
    {
        std::string named;
        for (const std::string& character : characters)
            named += " " + character;
        calls.push_back("not taken:" + named);
    }
    void reportSkipped(const std::vector<unsigned long>& codes) override
    {
        std::string named;
        for (unsigned long code : codes)
            named += " " + std::to_string(code);
        calls.push_back("skipped:" + named);
    }
};

using Calls = std::vector<std::string>;

Calls LastTwo(const Calls& calls) { return calls.size() < 2 ? calls : Calls(calls.end() - 2, calls.end()); }

} // namespace

TEST(HotKeyCapture, OnlyCtrlWithTheLetterIsRecognised)
{
    FakeDesktop desktop;
    HotKeyDelivery delivery(desktop, 'A');
    EXPECT_FALSE(delivery.WMHotKey(kModControl | 4, 'A', 'A')); // Ctrl+Shift
    EXPECT_FALSE(delivery.WMHotKey(kModControl | 1, 'A', 'A')); // Ctrl+Alt
    EXPECT_FALSE(delivery.WMHotKey(kModControl, 'B', 'A'));
    EXPECT_TRUE(desktop.calls.empty());
    EXPECT_FALSE(delivery.HotKeyArmed());

    EXPECT_TRUE(delivery.WMHotKey(kModControl, 'A', 'A'));
    EXPECT_EQ(desktop.calls, (Calls{"windowUnderPointer", "remember", "show", "front"}));
    EXPECT_TRUE(delivery.HotKeyArmed());
    EXPECT_EQ(delivery.TargetWnd(), 0x1234u);
}

TEST(HotKeyCapture, TheLetterRegisteredAtStartWorksAfterTheSettingsChangedIt)
{
    FakeDesktop desktop;
    HotKeyDelivery delivery(desktop, 'A');
    EXPECT_TRUE(delivery.WMHotKey(kModControl, 'A', 'C'));
    EXPECT_TRUE(delivery.WMHotKey(kModControl, 'C', 'C'));
}

TEST(HotKeyCapture, ASecondPressReplacesTheTarget)
{
    FakeDesktop desktop;
    HotKeyDelivery delivery(desktop, 'A');
    delivery.WMHotKey(kModControl, 'A', 'A');
    desktop.underPointer = 0x99;
    delivery.WMHotKey(kModControl, 'A', 'A');
    EXPECT_EQ(delivery.TargetWnd(), 0x99u);
}

TEST(Delivery, SendsEveryByteInOrderThenHidesAndDisarms)
{
    FakeDesktop desktop;
    HotKeyDelivery delivery(desktop, 'A');
    delivery.WMHotKey(kModControl, 'A', 'A');
    desktop.calls.clear();
    // A target that takes each character at once: a press made while typing is handled
    // once the text is out, and dropped.
    desktop.duringWait = [&] { EXPECT_FALSE(delivery.WMHotKey(kModControl, 'A', 'A')); };
    delivery.ListBox1DblClick(true, "a你\r\n\t'\\");
    EXPECT_EQ(desktop.sent, (std::vector<unsigned>{0x61, 0xC4, 0xE3, 13, 10, 9, 0x27, 0x5C}));
    EXPECT_EQ(desktop.calls.front(), "activate 4660");
    EXPECT_EQ(LastTwo(desktop.calls), (Calls{"hide", "back"})) << "the agent goes on where she was";
    EXPECT_EQ(desktop.calls.size(), 11u);
    EXPECT_FALSE(delivery.HotKeyArmed());

    desktop.calls.clear();
    delivery.ListBox1DblClick(true, "again");
    EXPECT_TRUE(desktop.calls.empty());
}

TEST(Delivery, DoesNothingUnlessArmedOrWithoutASelection)
{
    FakeDesktop desktop;
    HotKeyDelivery delivery(desktop, 'A');
    delivery.ListBox1DblClick(true, "ab");
    EXPECT_TRUE(desktop.calls.empty());

    delivery.WMHotKey(kModControl, 'A', 'A');
    desktop.calls.clear();
    delivery.ListBox1DblClick(false, "");
    EXPECT_TRUE(desktop.calls.empty());
    EXPECT_TRUE(delivery.HotKeyArmed());
}

TEST(Delivery, AnEmptyTemplateDisarmsAndSendsNothing)
{
    FakeDesktop desktop;
    HotKeyDelivery delivery(desktop, 'A');
    delivery.WMHotKey(kModControl, 'A', 'A');
    desktop.calls.clear();
    delivery.ListBox1DblClick(true, "");
    EXPECT_TRUE(desktop.calls.empty());
    EXPECT_FALSE(delivery.HotKeyArmed());
}

TEST(Delivery, NoTargetStillHides)
{
    FakeDesktop desktop;
    desktop.underPointer = 0;
    HotKeyDelivery delivery(desktop, 'A');
    delivery.WMHotKey(kModControl, 'A', 'A');
    desktop.calls.clear();
    delivery.ListBox1DblClick(true, "ab");
    EXPECT_EQ(desktop.calls, (Calls{"hide", "back"}));
}

TEST(Delivery, AHungOrClosedTargetStopsTheRestAndTheListStaysWithANotice)
{
    FakeDesktop desktop;
    desktop.hangAfter = 2;
    HotKeyDelivery delivery(desktop, 'A');
    delivery.WMHotKey(kModControl, 'A', 'A');
    desktop.calls.clear();
    delivery.ListBox1DblClick(true, "abcdef");
    EXPECT_EQ(desktop.sent.size(), 2u);
    EXPECT_EQ(desktop.calls, (Calls{"activate 4660", "send", "send", "send", "hung after \"ab\" of \"abcdef\""}));
    EXPECT_EQ(desktop.waits, desktop.hungAfterWaits) << "it gives up as soon as the system calls the target hung";
    EXPECT_FALSE(delivery.HotKeyArmed()) << "the next reply needs a target chosen afresh";

    FakeDesktop closing;
    closing.goneAfter = 1;
    HotKeyDelivery closed(closing, 'A');
    closed.WMHotKey(kModControl, 'A', 'A');
    closed.ListBox1DblClick(true, "abc");
    EXPECT_EQ(closing.sent.size(), 1u);
    EXPECT_EQ(closing.calls.back(), "closed after \"a\" of \"abc\"");

    // Closed while a character was on its way: that character is not counted.
    FakeDesktop closingWhileWaiting;
    closingWhileWaiting.hangAfter = 0;
    closingWhileWaiting.closesHung = true;
    HotKeyDelivery waiting(closingWhileWaiting, 'A');
    waiting.WMHotKey(kModControl, 'A', 'A');
    waiting.ListBox1DblClick(true, "你");
    EXPECT_EQ(closingWhileWaiting.calls.back(), "closed after \"\" of \"你\"");
}

TEST(Delivery, ASlowTargetThatStillRespondsGetsTheWholeText)
{
    FakeDesktop desktop;
    desktop.slowWaits = 50; // far longer per character than the hung test allows in all
    HotKeyDelivery delivery(desktop, 'A');
    delivery.WMHotKey(kModControl, 'A', 'A');
    // Another press or double-click meanwhile neither mixes a second reply in nor moves the target.
    desktop.underPointer = 0x99;
    desktop.duringWait = [&] {
        EXPECT_FALSE(delivery.WMHotKey(kModControl, 'A', 'A'));
        delivery.ListBox1DblClick(true, "zz");
    };
    delivery.ListBox1DblClick(true, "ab你");
    EXPECT_EQ(desktop.sent, (std::vector<unsigned>{'a', 'b', 0xC4, 0xE3}));
    EXPECT_EQ(delivery.TargetWnd(), 0x1234u);
    EXPECT_EQ(LastTwo(desktop.calls), (Calls{"hide", "back"}));
}

TEST(Delivery, ATargetThatRefusesTypingIsReportedAndTheListStays)
{
    FakeDesktop desktop;
    desktop.refuseAfter = 0;
    HotKeyDelivery delivery(desktop, 'A');
    delivery.WMHotKey(kModControl, 'A', 'A');
    desktop.calls.clear();
    delivery.ListBox1DblClick(true, "abc");
    EXPECT_TRUE(desktop.sent.empty());
    EXPECT_EQ(desktop.calls, (Calls{"activate 4660", "send refused", "refused after \"\" of \"abc\""}));

    FakeDesktop partly;
    partly.refuseAfter = 2;
    HotKeyDelivery midway(partly, 'A');
    midway.WMHotKey(kModControl, 'A', 'A');
    midway.ListBox1DblClick(true, "abcdef");
    EXPECT_EQ(partly.sent.size(), 2u);
    EXPECT_EQ(partly.calls.back(), "refused after \"ab\" of \"abcdef\"") << "no hide: the list stays";
}

TEST(UnicodeDelivery, EachCodeUnitGoesAsOneMessageAndASurrogatePairHighThenLow)
{
    FakeDesktop desktop;
    desktop.unicode = true;
    desktop.slowWaits = 5; // a slow target still gets every unit, in order
    HotKeyDelivery delivery(desktop, 'A');
    delivery.WMHotKey(kModControl, 'A', 'A');
    delivery.ListBox1DblClick(true, "a你😀𠮷%");
    EXPECT_EQ(desktop.sent, (std::vector<unsigned>{'a', 0x4F60, 0xD83D, 0xDE00, 0xD842, 0xDFB7, '%'}));
    EXPECT_EQ(LastTwo(desktop.calls), (Calls{"hide", "back"}));
}

TEST(UnicodeDelivery, AHungTargetBetweenTheHalvesOfAPairCountsOnlyWholeCharacters)
{
    FakeDesktop desktop;
    desktop.unicode = true;
    desktop.hangAfter = 2; // takes 'a' and the high surrogate, never the low one
    HotKeyDelivery delivery(desktop, 'A');
    delivery.WMHotKey(kModControl, 'A', 'A');
    delivery.ListBox1DblClick(true, "a😀b");
    EXPECT_EQ(desktop.sent, (std::vector<unsigned>{'a', 0xD83D}));
    EXPECT_EQ(desktop.calls.back(), "hung after \"a\" of \"a😀b\"");
}

TEST(AnsiDelivery, TextTheCodePageCarriesGoesAsItsBytes)
{
    FakeDesktop desktop;
    HotKeyDelivery delivery(desktop, 'A');
    delivery.WMHotKey(kModControl, 'A', 'A');
    delivery.ListBox1DblClick(true, "乗ā");
    EXPECT_EQ(desktop.sent, (std::vector<unsigned>{0x81, 0x5C, 0xA8, 0xA1}));
    EXPECT_EQ(LastTwo(desktop.calls), (Calls{"hide", "back"}));
}

TEST(AnsiDelivery, ATemplateTheCodePageCannotCarryTypesNothingAndNamesTheCharactersOnce)
{
    FakeDesktop desktop;
    HotKeyDelivery delivery(desktop, 'A');
    delivery.WMHotKey(kModControl, 'A', 'A');
    desktop.calls.clear();
    delivery.ListBox1DblClick(true, "好的😀 ✓ 😀 한");
    EXPECT_TRUE(desktop.sent.empty());
    EXPECT_EQ(desktop.calls, (Calls{"not taken: 😀 ✓ 한"})) << "no activate, no hide: the list stays";
    EXPECT_TRUE(delivery.HotKeyArmed()) << "another template can go to the same window";

    desktop.calls.clear();
    delivery.ListBox1DblClick(true, "😀😁😂🤣😃😄😅😆😉😊😋😎");
    EXPECT_EQ(desktop.calls, (Calls{"not taken: 😀 😁 😂 🤣 😃 😄 😅 😆 😉 😊"})) << "at most ten";
}

TEST(Delivery, CharactersThatWouldActInTheTargetAreNeverTypedAndNamedOnceAfterward)
{
    struct Case {
        std::string text;
        std::vector<unsigned> unicodeSent, bytesSent;
        std::string skipped; // the notice after the reply; empty: none
    };
    const Case cases[] = {
        {"好的" + std::string(30, '\b') + "\x16\x7f\x1b",
         {0x597D, 0x7684},
         {0xBA, 0xC3, 0xB5, 0xC4},
         "skipped: 8 22 127 27"},
        {"C1\u0085\u009b.", {'C', '1', '.'}, {'C', '1', '.'}, "skipped: 133 155"},
        {"www.\u202Elpmaxe\u202C.\u2066x\u2069",
         {'w', 'w', 'w', '.', 'l', 'p', 'm', 'a', 'x', 'e', '.', 'x'},
         {'w', 'w', 'w', '.', 'l', 'p', 'm', 'a', 'x', 'e', '.', 'x'},
         "skipped: 8238 8236 8294 8297"},
        {"a\tb\r\n你😀\u200D👍", {'a', 9, 'b', 13, 10, 0x4F60, 0xD83D, 0xDE00, 0x200D, 0xD83D, 0xDC4D}, {}, ""},
    };
    for (const Case& c : cases)
        for (const bool unicode : {true, false}) {
            if (!unicode && c.bytesSent.empty())
                continue; // code page 936 has no emoji; the ANSI path's own tests keep tabs and line breaks
            FakeDesktop desktop;
            desktop.unicode = unicode;
            HotKeyDelivery delivery(desktop, 'A');
            delivery.WMHotKey(kModControl, 'A', 'A');
            delivery.ListBox1DblClick(true, c.text);
            EXPECT_EQ(desktop.sent, unicode ? c.unicodeSent : c.bytesSent) << c.text << (unicode ? " (Unicode)" : "");
            // The notice comes before the agent is sent back: it needs this program in front.
            EXPECT_EQ(LastTwo(desktop.calls), (Calls{c.skipped.empty() ? "hide" : c.skipped, "back"})) << c.text;
            EXPECT_FALSE(delivery.HotKeyArmed());
        }
}

TEST(Delivery, ATargetThatChangesItsKindMidReplyStopsBeforeTheNextCharacter)
{
    // Unicode to older: the rest would come out as '?'. Never between a surrogate pair's halves.
    FakeDesktop desktop;
    desktop.unicode = true;
    desktop.kindChangesAfter = 2;
    HotKeyDelivery delivery(desktop, 'A');
    delivery.WMHotKey(kModControl, 'A', 'A');
    delivery.ListBox1DblClick(true, "a😀你b");
    EXPECT_EQ(desktop.sent, (std::vector<unsigned>{'a', 0xD83D, 0xDE00}));
    EXPECT_EQ(desktop.calls.back(), "changed after \"a😀\" of \"a😀你b\"") << "no hide: the list stays";
    EXPECT_FALSE(delivery.HotKeyArmed()) << "the next reply needs a target chosen afresh";

    // Older to Unicode, never between a lead byte and its trail byte.
    FakeDesktop older;
    older.kindChangesAfter = 1; // after the lead byte of 你
    HotKeyDelivery toUnicode(older, 'A');
    toUnicode.WMHotKey(kModControl, 'A', 'A');
    toUnicode.ListBox1DblClick(true, "你a好");
    EXPECT_EQ(older.sent, (std::vector<unsigned>{0xC4, 0xE3, 'a'})) << "ASCII arrives the same in either kind";
    EXPECT_EQ(older.calls.back(), "changed after \"你a\" of \"你a好\"");
}

#include "TestSupport.h"

#include "common/FunPub.h"
#include "common/TemplateRule.h"
#include "common/Text.h"

#include <gtest/gtest.h>

TEST(ShortenText, KeepsTwentyCharactersAndShortensTwentyOne)
{
    const std::string twenty = "abcdefghijklmnopqrst";
    EXPECT_EQ(ShortenText(twenty, 20), twenty);
    EXPECT_EQ(ShortenText(twenty + "u", 20), twenty + "...");
}

TEST(ShortenText, CountsChineseCharactersOnceAndNeverSplitsThem)
{
    const std::string fifteen = std::string("一二三四五六七八九十一二三四五");
    ASSERT_EQ(fifteen.size(), 45u);
    EXPECT_EQ(ShortenText(fifteen, 20), fifteen);

    const std::string mixed = std::string("您好abc请稍等一下我马上为您查询订单状态谢谢");
    EXPECT_EQ(ShortenText(mixed, 20), std::string("您好abc请稍等一下我马上为您查询订单状") + "...");
    EXPECT_EQ(CharacterCount(mixed), 23);

    // A character beyond the code page, four bytes in UTF-8, is one character too.
    EXPECT_EQ(ShortenText(std::string(19, 'x') + "😀𠮷", 20), std::string(19, 'x') + "😀...");
}

TEST(ShortenText, TreatsALoneLeadByteAtTheEndAsOneCharacter)
{
    const std::string text = std::string(20, 'x') + "\xC4";
    EXPECT_EQ(CharacterCount(text), 21);
    EXPECT_EQ(ShortenText(text, 20), std::string(20, 'x') + "...");
    EXPECT_EQ(ShortenText("ab\xC4", 20), "ab\xC4");
}

TEST(Utf16Units, GivesOneUnitOrASurrogatePairHighFirst)
{
    EXPECT_EQ(Utf16Units("a"), u"a");
    EXPECT_EQ(Utf16Units("你"), u"你");
    EXPECT_EQ(Utf16Units("😀"), (std::u16string{0xD83D, 0xDE00}));
    EXPECT_EQ(Utf16Units("𠮷"), (std::u16string{0xD842, 0xDFB7}));
    EXPECT_EQ(Utf16Units("\xC4"), u"\uFFFD");
}

TEST(TrimText, RemovesBlanksAndControlCharactersOnBothEnds)
{
    EXPECT_EQ(TrimText(" \t\r\n ab c \x01\x1F "), "ab c");
    EXPECT_EQ(TrimText("   "), "");
    EXPECT_EQ(TrimText(""), "");
    // Bytes from 0x80 up belong to Chinese characters and stay.
    EXPECT_EQ(TrimText(" " + std::string("你好") + "\n"), std::string("你好"));
}

TEST(QuotedText, DoublesEverySingleQuote)
{
    EXPECT_EQ(QuotedText("it's"), "'it''s'");
    EXPECT_EQ(QuotedText("''"), "''''''");
    EXPECT_EQ(QuotedText(""), "''");
}

TEST(ContainsPattern, EscapesWildcardsAndTheEscapeCharacter)
{
    EXPECT_EQ(ContainsPattern("50%_a\\b"), "%50\\%\\_a\\\\b%");
}

TEST(TrayHintText, NamesTheHotkeyLetter)
{
    EXPECT_EQ(TrayHintText(65), "打开程序快捷键 Ctrl+A");
    EXPECT_EQ(TrayHintText(67), "打开程序快捷键 Ctrl+C");
}

TEST(TemplateRule, RefusesWhatWouldActAndKeepsWhatShows)
{
    struct Case {
        const char* text;
        size_t at;
        unsigned long code;
    };
    const Case cases[] = {
        {"团队：已为您处理\b\b\x16", 24, 0x08}, // backspace erases the draft
        {"a\x16", 1, 0x16},                     // Ctrl+V pastes the clipboard
        {"x\x7f", 1, 0x7F},                     // DEL
        {"\xc2\x85next", 0, 0x85},              // C1 next line
        {"www.\xe2\x80\xae"
         "nc.elpmaxe",
         4, 0x202E},                                             // right-to-left override
        {"\xe2\x81\xa6isolate", 0, 0x2066},                      // left-to-right isolate
        {"\xe2\x81\xa9", 0, 0x2069},                             // pop directional isolate
        {"tab\tline\r\nok", std::string::npos, 0},               // tab and line breaks are text
        {"家庭\xe2\x80\x8d👨\xef\xb8\x8f", std::string::npos, 0}, // zero-width joiner, variation selector
        {"\xe2\x80\x8bzero width", std::string::npos, 0},        // only a warning
        {"\xff\x08", 1, 0x08},                                   // a stray byte does not hide what follows
    };
    for (const Case& c : cases) {
        const FoundCharacter found = FindRefusedCharacter(c.text);
        EXPECT_EQ(found.at, c.at) << c.text;
        if (found) {
            EXPECT_EQ(found.code, c.code) << c.text;
        }
    }
    EXPECT_EQ(CodePointName(0x202E), "U+202E");
    EXPECT_EQ(FindZeroWidthCharacter("a\xe2\x81\xa0").code, 0x2060u);
    EXPECT_EQ(FindZeroWidthCharacter("\xef\xbb\xbf").at, 0u);
    EXPECT_FALSE(FindZeroWidthCharacter("家庭\xe2\x80\x8d👨"));
}

#include "TestSupport.h"

#include "common/FunPub.h"
#include "common/Text.h"

#include <gtest/gtest.h>

TEST(ShortenText, KeepsTwentyCharactersAndShortensTwentyOne)
{
    const std::string twenty = "abcdefghijklmnopqrst";
    EXPECT_EQ(ShortenText(twenty, 20, Codec()), twenty);
    EXPECT_EQ(ShortenText(twenty + "u", 20, Codec()), twenty + "...");
}

TEST(ShortenText, CountsChineseCharactersOnceAndNeverSplitsThem)
{
    const std::string fifteen = Gbk("一二三四五六七八九十一二三四五");
    ASSERT_EQ(fifteen.size(), 30u);
    EXPECT_EQ(ShortenText(fifteen, 20, Codec()), fifteen);

    const std::string mixed = Gbk("您好abc请稍等一下我马上为您查询订单状态谢谢");
    EXPECT_EQ(ShortenText(mixed, 20, Codec()), Gbk("您好abc请稍等一下我马上为您查询订单状") + "...");
    EXPECT_EQ(CharacterCount(mixed, Codec()), 23);
}

TEST(ShortenText, TreatsALoneLeadByteAtTheEndAsOneCharacter)
{
    const std::string text = std::string(20, 'x') + "\xC4";
    EXPECT_EQ(CharacterCount(text, Codec()), 21);
    EXPECT_EQ(ShortenText(text, 20, Codec()), std::string(20, 'x') + "...");
    EXPECT_EQ(ShortenText("ab\xC4", 20, Codec()), "ab\xC4");
}

TEST(CharactersWithin, CountsOnlyCharactersTypedWhole)
{
    const std::string text = Gbk("a你b");
    EXPECT_EQ(CharactersWithin(text, 0, Codec()), 0);
    EXPECT_EQ(CharactersWithin(text, 2, Codec()), 1) << "the lead byte alone";
    EXPECT_EQ(CharactersWithin(text, 3, Codec()), 2);
    EXPECT_EQ(CharactersWithin(text, 4, Codec()), 3);
}

TEST(TrimText, RemovesBlanksAndControlCharactersOnBothEnds)
{
    EXPECT_EQ(TrimText(" \t\r\n ab c \x01\x1F "), "ab c");
    EXPECT_EQ(TrimText("   "), "");
    EXPECT_EQ(TrimText(""), "");
    // Bytes from 0x80 up belong to Chinese characters and stay.
    EXPECT_EQ(TrimText(" " + Gbk("你好") + "\n"), Gbk("你好"));
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

TEST(CodePage936, TheCharactersItCannotCarryAreListedOnceEach)
{
    // Chinese, full-width punctuation and pinyin tones are in the code page.
    EXPECT_TRUE(CharactersOutsideCodePage("您好，请稍等。ā é 乗 №", Codec()).empty());
    EXPECT_EQ(CharactersOutsideCodePage("好的✓ 한국 😀 ✓ Ä", Codec()),
              (std::vector<std::string>{"✓", "한", "국", "😀", "Ä"}));
    EXPECT_EQ(CharactersOutsideCodePage("😀😁😂🤣😃😄😅😆😉😊😋😎", Codec()).size(), 10u)
        << "at most ten";
}

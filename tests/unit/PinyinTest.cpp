#include "common/Pinyin.h"
#include "common/PinyinTable.h"

#include <gtest/gtest.h>

#include <iconv.h>
#include <sqlite3.h>

#include <set>
#include <string>
#include <vector>

namespace {

struct Case {
    const char* search;
    std::string text;
    bool found;
};

std::string Repeated(const std::string& piece, int times)
{
    std::string text;
    for (int i = 0; i < times; ++i)
        text += piece;
    return text;
}

// The CJK ideographs of code page 936 (GBK), as glibc's converter reads its two-byte codes.
std::vector<char32_t> CodePage936Ideographs()
{
    std::vector<char32_t> found;
    iconv_t convert = iconv_open("UTF-32LE", "CP936");
    if (convert == reinterpret_cast<iconv_t>(-1))
        return found;
    for (int lead = 0x81; lead <= 0xFE; ++lead)
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F)
                continue;
            char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            char out[8] = {};
            char* from = in;
            char* to = out;
            size_t inLeft = 2, outLeft = sizeof out;
            iconv(convert, nullptr, nullptr, nullptr, nullptr);
            if (iconv(convert, &from, &inLeft, &to, &outLeft) == static_cast<size_t>(-1) || outLeft != 4)
                continue;
            const char32_t c = static_cast<unsigned char>(out[0]) | static_cast<unsigned char>(out[1]) << 8 |
                               static_cast<unsigned char>(out[2]) << 16;
            if ((c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF))
                found.push_back(c);
        }
    iconv_close(convert);
    return found;
}

} // namespace

TEST(Pinyin, FindsConsecutiveCharactersBySyllablesInitialsAndTheirMixes)
{
    const std::string longText = Repeated("好", 2997) + "请稍候";
    const Case cases[] = {
        // Whole syllables, initials (zh, ch, sh as one letter or two), mixes, a partial last one.
        {"qingshaohou", "您好，请稍候。", true},
        {"nihao", "你好", true},
        {"qsh", "请稍候", true},
        {"qs", "请稍候", true},
        {"qshh", "请稍候", true},
        {"zhg", "中国", true},
        {"zg", "中国", true},
        {"qingsh", "请稍候", true},
        {"nhao", "你好", true},
        {"qingsha", "请稍候", true},
        {"qingshaoh", "请稍候", true},
        {"qinsh", "请稍候", false},
        {"nihao", "您好", false},
        {"qsx", "请稍候", false},
        {"nihaoma", "你好", false},
        {"nh", "你们好", false},
        {"hq", "请稍候", false},
        // Any reading of a character with several.
        {"zhongyao", "很重要", true},
        {"chongxin", "重新", true},
        {"yinhang", "银行", true},
        {"xingl", "行李", true},
        {"zhang", "长大", true},
        {"chd", "长度", true},
        {"zhongwen", "长文", false},
        // ü as v or u.
        {"lv", "绿色", true},
        {"lu", "绿色", true},
        {"lvse", "绿色", true},
        {"nu", "女士", true},
        {"lve", "大略", true},
        {"lue", "大略", true},
        // Latin letters in the text stand for themselves; case does not count.
        {"vipkf", "尊敬的VIP客服", true},
        {"VipKF", "尊敬的vip客服", true},
        {"vkf", "VIP客服", false},
        {"QSH", "请稍候", true},
        {"NiHao", "你好", true},
        // A character without a reading, a digit or a broken byte breaks the run.
        {"nh", "你★好", false},
        {"dh", "第1号", false},
        {"dh", "第号", true},
        {"nh", "你\xFF好", false},
        {"nh", "你好\xE4\xBD", true},
        {"lang", "\xEF\xA4\xAC", true}, // U+F92C, the compatibility form of 郎
        // Spaces and apostrophes end a syllable.
        {"qing shao hou", "请稍候", true},
        {"ni'hao", "你好", true},
        {"xi'an", "西安", true},
        {"xi'an", "先", false},
        {"xian", "先", true},
        {"n ihao", "你好", false},
        // A long template, found at its very end, and not found.
        {"qsh", longText, true},
        {"qsh", Repeated("好", 3000), false},
    };
    for (const Case& c : cases) {
        const std::optional<PinyinQuery> query = PinyinQuery::From(c.search);
        ASSERT_TRUE(query.has_value()) << c.search;
        EXPECT_EQ(query->matches(c.text), c.found) << c.search << " in " << c.text;
    }

    // Only Latin letters (with spaces and apostrophes) are read as pinyin.
    for (const char* notPinyin : {"请稍", "qsh1", "q-sh", "' '", "", "ＱＳＨ", "'s", "s'"})
        EXPECT_FALSE(IsPinyinSearch(notPinyin)) << notPinyin;
    EXPECT_TRUE(IsPinyinSearch("a' " + std::string(PinyinQuery::kMaxLetters - 1, 'a')));
    EXPECT_FALSE(IsPinyinSearch(std::string(PinyinQuery::kMaxLetters + 1, 'a')));
}

// Every ideograph of code page 936 has its readings, but for those Unihan gives no Mandarin
// reading at all (Japanese-made characters and compatibility forms); most of CJK Extension A too.
TEST(Pinyin, TheTableCoversTheIdeographsOfCodePage936)
{
    const std::set<char32_t> withoutReading = {0x5159, 0x5161, 0x55E7, 0x685B, 0x70EA, 0x74E7, 0x74F0, 0x74F1,
                                               0x74FC, 0x7505, 0xFA0E, 0xFA0F, 0xFA11, 0xFA13, 0xFA14, 0xFA1F,
                                               0xFA21, 0xFA23, 0xFA24, 0xFA27, 0xFA28, 0xFA29};
    const std::vector<char32_t> ideographs = CodePage936Ideographs();
    ASSERT_GT(ideographs.size(), 20900u);
    std::set<char32_t> missing;
    for (char32_t c : ideographs)
        if (pinyin_table::ForEachReading(c, [](int) {}) == 0)
            missing.insert(c);
    EXPECT_TRUE(std::includes(withoutReading.begin(), withoutReading.end(), missing.begin(), missing.end()));

    int extensionA = 0;
    for (char32_t c = 0x3400; c <= 0x4DBF; ++c)
        extensionA += pinyin_table::ForEachReading(c, [](int) {}) > 0 ? 1 : 0;
    EXPECT_GE(extensionA, 5700);
}

// One pass tells a literal hit, which must be exactly what the database's LIKE finds, from a
// pinyin-only one.
TEST(Pinyin, ALatinSearchTellsLiteralHitsAsLikeFindsThemFromPinyinOnes)
{
    const struct {
        const char* search;
        std::string text;
        LatinHit hit;
    } cases[] = {
        {"qsh", "QSH 工单", LatinHit::Literal},
        {"QsH", "工单 qSh", LatinHit::Literal},
        {"qsh", "qqsh", LatinHit::Literal},
        {"q'sh", "工单 Q'SH", LatinHit::Literal},
        {"qs h", "您好，请稍候 qs h", LatinHit::Literal},
        {"qsh", "您好，请稍候", LatinHit::Pinyin},
        {"qsh", "qs", LatinHit::None},
        {"qsh", "ＱＳＨ", LatinHit::None},
        {"vipkf", "VIP客服", LatinHit::Pinyin},
    };
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
    sqlite3_stmt* like = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "select ?1 like '%' || ?2 || '%'", -1, &like, nullptr), SQLITE_OK);
    for (const auto& c : cases) {
        const std::optional<LatinSearch> search = LatinSearch::From(c.search);
        ASSERT_TRUE(search) << c.search;
        const LatinHit hit = search->find(c.text);
        EXPECT_EQ(hit, c.hit) << c.search << " in " << c.text;
        sqlite3_bind_text(like, 1, c.text.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(like, 2, c.search, -1, SQLITE_TRANSIENT);
        ASSERT_EQ(sqlite3_step(like), SQLITE_ROW);
        EXPECT_EQ(hit == LatinHit::Literal, sqlite3_column_int(like, 0) == 1) << c.search << " in " << c.text;
        sqlite3_reset(like);
    }
    sqlite3_finalize(like);
    sqlite3_close(db);
    EXPECT_FALSE(LatinSearch::From("请稍"));
}

// A search typed on from another reads only what that one found: it may refine it only when it
// can find nothing the other did not. Each pair that does not is shown a text that proves it.
TEST(Pinyin, ASearchRefinesAnotherOnlyWhenItFindsNothingTheOtherDidNot)
{
    const struct {
        const char* earlier;
        const char* later;
        bool refines;
    } cases[] = {
        {"q", "qsh", true},    {"Q", "qS", true},       {"qingsh", "qingshao", true}, {"xi", "xi'an", true},
        {"q s", "q sh", true}, {"qsh", "qsh", true},    {"ao", "hao", false},         {"qs", "q s", false},
        {"qsh", "qs", false},  {"xi'", "xi'an", false}, {"请", "请稍", false},
    };
    const std::string texts[] = {"您好，请稍候", "西安", "先生", "好", "q s h", "QSH 工单", "请 稍候", "请随意"};
    for (const auto& c : cases) {
        EXPECT_EQ(PinyinSearchRefines(c.earlier, c.later), c.refines) << c.earlier << " -> " << c.later;
        const std::optional<LatinSearch> earlier = LatinSearch::From(c.earlier), later = LatinSearch::From(c.later);
        if (!earlier || !later)
            continue;
        bool foundMore = false;
        for (const std::string& text : texts)
            foundMore = foundMore || (later->find(text) != LatinHit::None && earlier->find(text) == LatinHit::None);
        EXPECT_EQ(foundMore, !c.refines) << c.earlier << " -> " << c.later;
    }
}

#include "common/TextRows.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

std::vector<std::u16string> Texts(const TextRows& rows)
{
    std::vector<std::u16string> texts;
    for (size_t i = 0; i < rows.size(); ++i)
        texts.emplace_back(rows.at(i));
    return texts;
}

void AppendByRoom(TextRows& rows, const std::u16string& text)
{
    // As the list's fill does: room for more than the text, then the row.
    char16_t* room = rows.beginAppend(text.size() + 8);
    std::copy(text.begin(), text.end(), room);
    rows.endAppend(text.size());
}

} // namespace

// Every change of the rows keeps every other row's text, wherever its room lies.
TEST(TextRows, ChangesKeepTheOtherRowsTexts)
{
    const std::u16string longer(300000, u'长'); // more than a block
    struct Case {
        const char* name;
        std::function<void(TextRows&)> change;
        std::vector<std::u16string> expected;
    };
    const std::vector<Case> cases = {
        {"appended two ways",
         [](TextRows& r) {
             r.append(u"a");
             AppendByRoom(r, u"请稍候");
             r.append(u"");
         },
         {u"a", u"请稍候", u""}},
        {"truncated, then appended into the room given back",
         [](TextRows& r) {
             r.append(u"a");
             r.append(u"b");
             r.append(u"c");
             r.truncate(1);
             AppendByRoom(r, u"d");
         },
         {u"a", u"d"}},
        {"a middle row erased, one inserted",
         [](TextRows& r) {
             r.append(u"a");
             r.append(u"b");
             r.append(u"c");
             r.erase(1);
             r.insert(0, u"z");
         },
         {u"z", u"a", u"c"}},
        {"a text longer than a block between short ones",
         [&](TextRows& r) {
             r.append(u"a");
             r.append(longer);
             AppendByRoom(r, u"b");
         },
         {u"a", longer, u"b"}},
        {"truncated to nothing, then used again",
         [](TextRows& r) {
             r.append(u"a");
             r.truncate(0);
             r.append(u"b");
         },
         {u"b"}},
        {"another's rows taken over, then truncated and appended to",
         [](TextRows& r) {
             r.append(u"a");
             TextRows other;
             other.append(u"b");
             other.append(u"c");
             r.take(std::move(other));
             r.truncate(2);
             AppendByRoom(r, u"d");
         },
         {u"a", u"b", u"d"}},
        {"the same text inserted from itself",
         [](TextRows& r) {
             r.append(u"同");
             r.insert(1, r.at(0));
         },
         {u"同", u"同"}},
    };
    for (const Case& c : cases) {
        TextRows rows;
        c.change(rows);
        EXPECT_EQ(Texts(rows), c.expected) << c.name;
    }
}

// Many rows erased from the middle leave room unused, which is taken back without losing a row.
TEST(TextRows, RoomOfErasedRowsIsTakenBackWithTheRowsIntact)
{
    TextRows rows;
    const std::u16string text(1000, u'字');
    for (int i = 0; i < 600; ++i)
        rows.append(text + static_cast<char16_t>(u'0' + i % 10));
    while (rows.size() > 10)
        rows.erase(1);
    ASSERT_EQ(rows.size(), 10u);
    EXPECT_EQ(rows.at(0), text + u'0');
    for (size_t i = 1; i < rows.size(); ++i)
        EXPECT_EQ(rows.at(i), text + static_cast<char16_t>(u'0' + (590 + i) % 10)) << i;
}

TEST(TextRows, FindExactLooksOnFromTheRowAfterAndWrapsAround)
{
    TextRows rows;
    for (const char16_t* text : {u"好", u"好的", u"好", u"Ok"})
        rows.append(text);
    struct Case {
        std::u16string text;
        size_t after;
        size_t expected;
    };
    const std::vector<Case> cases = {
        {u"好", TextRows::kNone, 0}, // from the first row
        {u"好", 0, 2},               // the next one
        {u"好", 2, 0},               // on from the top again
        {u"好的", 3, 1},
        {u"ok", TextRows::kNone, TextRows::kNone}, // letter case counts
        {u"好的呀", TextRows::kNone, TextRows::kNone},
    };
    for (const Case& c : cases)
        EXPECT_EQ(rows.findExact(c.text, c.after), c.expected) << c.after;
    EXPECT_EQ(TextRows().findExact(u"好", TextRows::kNone), TextRows::kNone);
}

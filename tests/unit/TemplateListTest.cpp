#include "TestSupport.h"

#include "store/TeamCache.h"
#include "templates/TemplateList.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

// The rows as the list box would get them.
class RecordedRows : public ListedRows {
public:
    void clear() override { rows.clear(); }
    void add(std::string_view text) override { rows.emplace_back(text); }
    Lines rows;
};

class TemplateListTest : public ::testing::Test {
protected:
    Lines search(const std::string& typed)
    {
        list.Search(typed, shown);
        return shown.rows;
    }
    Lines showAll()
    {
        list.ShowAll(shown);
        return shown.rows;
    }

    TempFolder folder;
    Connection conn;
    TemplateList list{conn};
    RecordedRows shown;
};

} // namespace

TEST_F(TemplateListTest, SearchFindsTheTextAsTypedAndABlankSearchListsAllInStoredOrder)
{
    conn.setConnectionText(ConnectionTextFor(folder.deliveredDatabase({"100%", "1000", "a_b", "axb", "c\\d", "cd"})));
    // Stored order is the sort number, not the order the rows were added in.
    conn.execute("update TText set TSortID = 10 - TSortID");
    const Lines stored = {"cd", "c\\d", "axb", "a_b", "1000", "100%"};
    EXPECT_EQ(showAll(), stored);
    EXPECT_EQ(search("%"), Lines{"100%"});
    EXPECT_EQ(search(" \t0%\r\n"), Lines{"100%"});
    EXPECT_EQ(search("_"), Lines{"a_b"});
    EXPECT_EQ(search("\\"), Lines{"c\\d"});
    EXPECT_EQ(search("'"), Lines{});
    EXPECT_EQ(search(" \t\r\n "), stored);
    EXPECT_EQ(search(""), stored);
}

TEST_F(TemplateListTest, ALoadShowsTheRowsAsTheyAreNowAndAFailedOneListsNothing)
{
    conn.setConnectionText(ConnectionTextFor(folder.deliveredDatabase({"早上好", "晚上好"})));
    EXPECT_EQ(search("上好"), (Lines{"早上好", "晚上好"}));
    conn.execute("insert into TText (TText, TSortID) values ('上好的茶', 2)");
    conn.execute("delete from TText where TText = '早上好'");
    EXPECT_EQ(search("上好"), (Lines{"晚上好", "上好的茶"}));
    // A reload after a change lists the search again, not every row.
    conn.execute("insert into TText (TText, TSortID) values ('再见', 3)");
    list.Reload(shown);
    EXPECT_EQ(shown.rows, (Lines{"晚上好", "上好的茶"}));
    EXPECT_EQ(showAll(), (Lines{"晚上好", "上好的茶", "再见"}));

    conn.execute("alter table TText rename to Gone");
    EXPECT_THROW(list.ShowAll(shown), StoreError);
    EXPECT_EQ(shown.rows, Lines{});
}

// On a desk with a team library the team's rows follow the desk's own; after a check replaced
// them, the team's rows alone are listed again under the search that was showing.
TEST_F(TemplateListTest, TheTeamsRowsFollowTheOwnAndAreListedAgainAloneUnderTheSameSearch)
{
    conn.setConnectionText(ConnectionTextFor(folder.deliveredDatabase({"早上好", "再见"})));
    ConnectTeamLibrary(conn, "protected", "db01", "server=\"db01\";");
    StoreTeamTemplates(conn, {{1, "团队：早上好", 0}, {2, "团队：晚安", 1}}, {1, "g"}, "", DateTime{});
    list.setTeamLibrary(true);
    EXPECT_EQ(search("早上"), (Lines{"早上好", "团队：早上好"}));
    StoreTeamTemplates(conn, {{1, "团队：早上好呀", 0}, {2, "团队：早上", 1}, {3, "团队：晚安", 2}}, {2, "g"}, "",
                       DateTime{});
    list.ReloadTeamRows(shown);
    EXPECT_EQ(shown.rows, (Lines{"团队：早上好呀", "团队：早上"}));
    showAll();
    list.ReloadTeamRows(shown);
    EXPECT_EQ(shown.rows, (Lines{"团队：早上好呀", "团队：早上", "团队：晚安"}));
}

// A search of Latin letters lists the texts holding it as typed first, then those holding it
// only as pinyin, each in stored order and none twice; the team's rows follow, the same way.
TEST_F(TemplateListTest, ALatinSearchListsTheLiteralHitsFirstThenThePinyinHitsEachInStoredOrder)
{
    conn.setConnectionText(
        ConnectionTextFor(folder.deliveredDatabase({"请稍候 (qsh)", "请稍等", "不相关", "QSH 工单", "您好，请稍候"})));
    conn.execute("update TText set TSortID = 10 - TSortID");
    EXPECT_EQ(search("qsh"), (Lines{"QSH 工单", "请稍候 (qsh)", "您好，请稍候", "请稍等"}));
    EXPECT_EQ(search(" q'sh "), (Lines{"您好，请稍候", "QSH 工单", "请稍等", "请稍候 (qsh)"}));
    EXPECT_EQ(search("请稍"), (Lines{"您好，请稍候", "请稍等", "请稍候 (qsh)"}));
    // A pinyin-only hit kept back is a place where a typed search gives way, listing nothing.
    struct GivesWay {};
    struct GivingWay : RecordedRows {
        void keepBack(std::string_view) override { throw GivesWay{}; }
    } givingWay;
    EXPECT_THROW(list.Search("qsh", givingWay), GivesWay);
    EXPECT_EQ(givingWay.rows, Lines{});

    ConnectTeamLibrary(conn, "protected", "db01", "server=\"db01\";");
    StoreTeamTemplates(conn, {{1, "团队：请稍候", 0}, {2, "团队：无关", 1}, {3, "团队：QSH", 2}}, {1, "g"}, "",
                       DateTime{});
    list.setTeamLibrary(true);
    EXPECT_EQ(search("qsh"),
              (Lines{"QSH 工单", "请稍候 (qsh)", "您好，请稍候", "请稍等", "团队：QSH", "团队：请稍候"}));
    list.ReloadTeamRows(shown);
    EXPECT_EQ(shown.rows, (Lines{"团队：QSH", "团队：请稍候"}));
}

// A search typed on from the last reads only the rows that one found or did not reach, and lists
// what a search afresh lists: after a search that gave way part-way, and after rows changed here
// or in another program.
TEST_F(TemplateListTest, ASearchTypedOnListsWhatASearchAfreshLists)
{
    const std::string database =
        ConnectionTextFor(folder.deliveredDatabase({"请稍候", "您好", "请随意", "QS 工单", "请稍等", "谢谢"}));
    conn.setConnectionText(database);
    EXPECT_EQ(search("q"), (Lines{"QS 工单", "请稍候", "请随意", "请稍等"}));
    struct GivesWay {};
    struct GivingWay : RecordedRows {
        void keepBack(std::string_view) override
        {
            if (++kept == 2)
                throw GivesWay{};
        }
        int kept = 0;
    } givingWay;
    EXPECT_THROW(list.Search("qs", givingWay), GivesWay);
    EXPECT_EQ(search("qsh"), (Lines{"请稍候", "请稍等"}));
    // Rows the last search did not find become hits: here, then by another connection.
    conn.execute("update TText set TText = '请稍后' where TText = '您好'");
    EXPECT_EQ(search("qsha"), (Lines{"请稍候", "请稍后", "请稍等"}));
    Connection other;
    other.setConnectionText(database);
    other.execute("update TText set TText = '请稍再来' where TText = '谢谢'");
    EXPECT_EQ(search("qshao"), (Lines{"请稍候", "请稍后", "请稍等", "请稍再来"}));
}

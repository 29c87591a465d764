#include "TestSupport.h"

#include "templates/TemplateManager.h"
#include "templates/TemplateNotices.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <utility>

namespace {

using Lines = std::vector<std::string>;

std::string Notice(const std::string& text) { return "notice! " + text; }
std::string Plain(const std::string& text) { return "plain " + text; }

class TemplateManagerTest : public ::testing::Test {
protected:
    // A database with `utf8Templates` at TSortID 0, 1, 2... and a manager listing them.
    TemplateManager& open(const Lines& utf8Templates)
    {
        conn.setConnectionText(ConnectionTextFor(folder.deliveredDatabase(utf8Templates)));
        manager.Refresh();
        return manager;
    }
    // "text=TSortID" of every stored template, by ID.
    Lines stored()
    {
        Query query(conn);
        query.open("select * from TText order by ID");
        Lines rows;
        for (; !query.eof(); query.next())
            rows.push_back(query.fieldText("TText") + "=" + query.fieldText("TSortID"));
        return rows;
    }

    // The operations as the manager window runs them: what happened goes to `boxes`.
    void Add(TemplateManager& m, std::string& memo) { ShowTemplateResult(m.AddTemplate(memo), boxes); }
    void Modify(TemplateManager& m, std::string& memo) { ShowTemplateResult(m.ModifyTemplate(memo), boxes); }
    void Delete(TemplateManager& m, std::string& memo)
    {
        ShowTemplateResult(m.DeleteTemplate(memo, [this] { return ConfirmTemplateDelete(boxes); }), boxes);
    }

    TempFolder folder;
    Connection conn;
    FakeBoxes boxes;
    TemplateManager manager{conn};
};

} // namespace

TEST_F(TemplateManagerTest, AddAndModifyTrimTheTextAndRefuseEmptyAndDuplicateTexts)
{
    TemplateManager& m = open({"a", "it's \"quoted\""});
    std::string memo = " \r\n\t ";
    Add(m, memo);
    memo = std::string(" \r\n新的\t\r\n");
    Add(m, memo);
    EXPECT_EQ(memo, "");
    for (const std::string& again : {std::string("新的"), std::string("\r\n新的\r\n")}) {
        memo = again;
        Add(m, memo);
        EXPECT_EQ(memo, again);
    }
    EXPECT_EQ(boxes.take(), (Lines{Notice("添加模板内容不能为空！"), Plain("添加模板成功."),
                                   Notice("已经有相同模板存在！"), Notice("已经有相同模板存在！")}));
    EXPECT_EQ(m.Rows(), (Lines{"a", "it's \"quoted\"", std::string("新的")}));

    EXPECT_FALSE(m.Choose(3, memo));
    Modify(m, memo); // nothing chosen yet
    ASSERT_TRUE(m.Choose(1, memo));
    EXPECT_EQ(memo, "it's \"quoted\"");
    Modify(m, memo); // its own text
    memo = " it''s 'new'\r\n";
    Modify(m, memo);
    memo = "again";
    Modify(m, memo); // the chosen text is gone
    EXPECT_EQ(memo, "again");
    m.Choose(0, memo);
    memo = "";
    Modify(m, memo);
    m.Choose(2, memo);
    memo = " ";
    Modify(m, memo);
    EXPECT_EQ(boxes.take(), (Lines{Notice("没有选择要修改的模板!"), Notice("已经有相同模板存在！"),
                                   Plain("修改模板成功."), Notice("没有选择要修改的模板!"),
                                   Notice("添加模板内容不能为空！"), Notice("添加模板内容不能为空！")}));
    EXPECT_EQ(stored(), (Lines{"a=0", "it''s 'new'=1", std::string("新的") + "=2"}));
}

TEST_F(TemplateManagerTest, DeleteRemovesOnlyTheChosenTemplateAndAFailureKeepsTheMemo)
{
    TemplateManager& m = open({"one", "it's", "three"});
    std::string memo;
    m.Choose(1, memo);
    boxes.answer = false;
    Delete(m, memo);
    EXPECT_EQ(memo, "it's");
    boxes.answer = true;
    Delete(m, memo);
    EXPECT_EQ(memo, "");
    Delete(m, memo);
    const std::string question = "question 是否要删除选择模板数据!";
    EXPECT_EQ(boxes.take(), (Lines{question, question, Plain("删除模板成功."), Notice("没有选择要删除的模板!")}));
    EXPECT_EQ(stored(), (Lines{"one=0", "three=2"}));

    // A new manager starts with nothing chosen or dragged.
    m.Choose(0, memo);
    m.RecordDragRow(0);
    TemplateManager next(conn);
    EXPECT_EQ(next.ChosenId(), -1);
    EXPECT_EQ(next.DragId(), -1);
    Delete(next, memo);
    EXPECT_EQ(boxes.take(), Lines{Notice("没有选择要删除的模板!")});

    conn.execute("CREATE TRIGGER refuse BEFORE INSERT ON TText BEGIN SELECT RAISE(ABORT, 'refused for the test'); END");
    m.Search("three");
    memo = "new one";
    Add(m, memo);
    EXPECT_EQ(boxes.take(), Lines{Notice("添加模板失败,数据库没有保存这条模板: refused for the test")});
    EXPECT_EQ(memo, "new one");
    EXPECT_EQ(m.Rows(), (Lines{"one", "three"}));
}

TEST_F(TemplateManagerTest, DraggedRowTakesThePlaceOfEachRowItPasses)
{
    TemplateManager& m = open({"r1", "r2", "r3", "r4", "r5"});
    EXPECT_EQ(m.DragOver(0), -1); // nothing recorded yet
    m.RecordDragRow(4);
    EXPECT_EQ(m.DragOver(3), 4);
    EXPECT_EQ(m.DragOver(2), 3);
    EXPECT_EQ(m.DragOver(1), 2);
    EXPECT_EQ(m.DragOver(-1), -1);
    EXPECT_EQ(m.Rows(), (Lines{"r1", "r5", "r2", "r3", "r4"}));
    m.RecordDragRow(0);
    EXPECT_EQ(m.DragOver(4), 0);
    EXPECT_EQ(m.Rows(), (Lines{"r5", "r2", "r3", "r4", "r1"}));

    conn.execute("delete from TText where TText='r1'");
    m.Refresh();
    EXPECT_EQ(m.DragOver(0), -1);
    EXPECT_EQ(m.Rows(), (Lines{"r2", "r3", "r4", "r5"}));
}

TEST_F(TemplateManagerTest, SaveOrderNumbersEveryRowAndLandsWholeOrNotAtAll)
{
    TemplateManager& m = open({"r0", "r1", "pick", "r3", "r4", "r5", "r6", "pick too", "r8", "r9"});
    int written = 0;
    m.Search("nothing like it");
    m.SaveOrder([&] { ++written; });
    EXPECT_EQ(written, 10);
    const Lines expected = {"r0=0", "r1=1", "pick=2", "r3=3", "r4=4", "r5=5", "r6=6", "pick too=7", "r8=8", "r9=9"};
    EXPECT_EQ(stored(), expected);

    m.Refresh();
    m.RecordDragRow(9);
    m.DragOver(0);
    conn.execute("CREATE TRIGGER halt BEFORE UPDATE OF TSortID ON TText WHEN NEW.TSortID = 5 "
                 "BEGIN SELECT RAISE(ABORT, 'halted'); END");
    EXPECT_THROW(m.SaveOrder(), StoreError);
    EXPECT_EQ(stored(), expected);
    conn.execute("DROP TRIGGER halt");
    m.SaveOrder(); // the failed store left no transaction open
    EXPECT_EQ(stored().back(), "r9=0");
}

TEST_F(TemplateManagerTest, TransactionUndoesUnlessCommittedAndCommandRunsAgainAfterARefusal)
{
    open({});
    {
        Transaction transaction(conn);
        Command insert(conn, "insert into TText (TText) values (?)");
        insert.run({SqlParam::Text("x")});
        insert.run({SqlParam::Text("y")});
    }
    EXPECT_EQ(stored(), Lines{});
    conn.execute("CREATE TRIGGER refuse BEFORE INSERT ON TText WHEN NEW.TText = 'bad' "
                 "BEGIN SELECT RAISE(ABORT, 'no'); END");
    Transaction transaction(conn);
    Command insert(conn, "insert into TText (TText) values (?)");
    EXPECT_THROW(insert.run({SqlParam::Text("bad")}), StoreError);
    insert.run({SqlParam::Text("z")});
    transaction.commit();
    EXPECT_EQ(stored(), Lines{"z=0"});
}

TEST_F(TemplateManagerTest, EveryRowIsActedOnByItsOwnIdWhateverItsTextLooksLike)
{
    TemplateManager& m = open({"好吗?", "好吗😀", "dup", "dup"});
    EXPECT_EQ(m.Rows()[1], "好吗😀") << "listed as stored";
    std::string memo;
    m.Choose(1, memo);
    Delete(m, memo);
    m.Choose(2, memo); // the second "dup"
    memo = "changed";
    Modify(m, memo);
    EXPECT_EQ(boxes.take(),
              (Lines{"question 是否要删除选择模板数据!", Plain("删除模板成功."), Plain("修改模板成功.")}));
    EXPECT_EQ(stored(), (Lines{std::string("好吗?") + "=0", "dup=2", "changed=3"}));

    conn.execute("insert into TText (TText, TSortID) values (char(0x597D, 0x5417, 0x1F600), 8), ('dup', 9)");
    m.Refresh(); // 好吗? dup changed 好吗😀 dup
    m.Choose(3, memo);
    memo = "emoji gone";
    Modify(m, memo);
    m.RecordDragRow(4);
    m.DragOver(0);
    m.SaveOrder();
    EXPECT_EQ(stored(), (Lines{std::string("好吗?") + "=1", "dup=2", "changed=3", "emoji gone=4", "dup=0"}));
}

TEST_F(TemplateManagerTest, NothingStaysChosenAfterAddAndModifyRefusesAnEmptyText)
{
    TemplateManager& m = open({"X", "Y"});
    std::string memo;
    m.Choose(0, memo);
    memo = "new one";
    Add(m, memo);
    memo = "typed after the add";
    Modify(m, memo);
    m.Choose(0, memo);
    memo = "Y"; // refused, yet still a new text rather than an edit of X
    Add(m, memo);
    Modify(m, memo);
    m.Choose(1, memo);
    for (const char* empty : {"", " \r\n "}) {
        memo = empty;
        Modify(m, memo);
        EXPECT_EQ(memo, empty);
    }
    EXPECT_EQ(boxes.take(), (Lines{Plain("添加模板成功."), Notice("没有选择要修改的模板!"),
                                   Notice("已经有相同模板存在！"), Notice("没有选择要修改的模板!"),
                                   Notice("添加模板内容不能为空！"), Notice("添加模板内容不能为空！")}));
    EXPECT_EQ(stored(), (Lines{"X=0", "Y=1", "new one=2"}));
}

TEST_F(TemplateManagerTest, OrderStoredFromASearchKeepsEveryRowInItsPlace)
{
    TemplateManager& m = open({"r0", "r1", "pick", "r3", "r4", "pick too", "r6"});
    m.Search("pick");
    m.SaveOrder();
    EXPECT_EQ(stored(), (Lines{"r0=0", "r1=1", "pick=2", "r3=3", "r4=4", "pick too=5", "r6=6"}));

    // Dragged among the rows shown, the shown rows trade the places they hold in the whole
    // order; the hidden rows keep theirs.
    m.RecordDragRow(1);
    m.DragOver(0);
    EXPECT_EQ(m.Rows(), (Lines{"pick too", "pick"}));
    m.SaveOrder();
    EXPECT_EQ(stored(), (Lines{"r0=0", "r1=1", "pick=5", "r3=3", "r4=4", "pick too=2", "r6=6"}));
    m.Search("r");
    m.RecordDragRow(0);
    m.DragOver(1);
    m.DragOver(2);
    EXPECT_EQ(m.Rows(), (Lines{"r1", "r3", "r0", "r4", "r6"}));
    m.SaveOrder();
    EXPECT_EQ(stored(), (Lines{"r0=3", "r1=0", "pick=5", "r3=1", "r4=4", "pick too=2", "r6=6"}));
}

TEST_F(TemplateManagerTest, OrderMadeByDraggingLastsThroughSearchesAndEditsUntilTheClose)
{
    // Each case drags "常用" (the third row) to the top first, then does more.
    struct Case {
        const char* what;
        std::function<void(TemplateManager&, std::string& memo)> then;
        Lines listed;   // the list after the steps
        Lines expected; // stored by ID after the close
    };
    const auto choose = [](TemplateManager& m, const std::string& text, std::string& memo) {
        const Lines& rows = m.Rows();
        m.Choose(static_cast<int>(std::find(rows.begin(), rows.end(), text) - rows.begin()), memo);
    };
    const Case cases[] = {
        {"search",
         [](TemplateManager& m, std::string&) { m.Search("常"); },
         {"常用", "常见"},
         {"a=1", "b=2", "常用=0", "常见=3", "c=4"}},
        {"search, then all again",
         [](TemplateManager& m, std::string&) {
             m.Search("常");
             m.Search(" ");
         },
         {"常用", "a", "b", "常见", "c"},
         {"a=1", "b=2", "常用=0", "常见=3", "c=4"}},
        {"add",
         [](TemplateManager& m, std::string& memo) {
             memo = "new";
             m.AddTemplate(memo);
         },
         {"常用", "a", "b", "常见", "c", "new"},
         {"a=1", "b=2", "常用=0", "常见=3", "c=4", "new=5"}},
        {"modify",
         [&](TemplateManager& m, std::string& memo) {
             choose(m, "b", memo);
             memo = "B";
             m.ModifyTemplate(memo);
         },
         {"常用", "a", "B", "常见", "c"},
         {"a=1", "B=2", "常用=0", "常见=3", "c=4"}},
        {"delete",
         [&](TemplateManager& m, std::string& memo) {
             choose(m, "a", memo);
             m.DeleteTemplate(memo, [] { return true; });
         },
         {"常用", "b", "常见", "c"},
         {"b=1", "常用=0", "常见=2", "c=3"}},
        // Within a search the shown rows trade places; the hidden ones keep theirs.
        {"drag among a search's rows",
         [&](TemplateManager& m, std::string&) {
             m.Search("常");
             m.RecordDragRow(1);
             m.DragOver(0);
             m.Search("");
         },
         {"常见", "a", "b", "常用", "c"},
         {"a=1", "b=2", "常用=3", "常见=0", "c=4"}},
        {"refresh shows the stored order",
         [](TemplateManager& m, std::string&) { m.Refresh(); },
         {"a", "b", "常用", "常见", "c"},
         {"a=0", "b=1", "常用=2", "常见=3", "c=4"}},
    };
    open({});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        conn.execute("delete from TText");
        conn.execute(
            "insert into TText (TText, TSortID) values ('a', 0), ('b', 1), ('常用', 2), ('常见', 3), ('c', 4)");
        TemplateManager m(conn);
        m.Refresh();
        std::string memo;
        m.RecordDragRow(2);
        m.DragOver(1);
        m.DragOver(0);
        c.then(m, memo);
        EXPECT_EQ(m.Rows(), c.listed);
        m.SaveOrder();
        EXPECT_EQ(stored(), c.expected);
    }
}

TEST_F(TemplateManagerTest, AddAndModifyRefuseCharactersThatWouldActInTheTargetNamingTheLine)
{
    struct Case {
        std::string memo;
        std::string notice;
    };
    const Case cases[] = {
        {"\r\n好的" + std::string(3, '\b') + "\x16。", "第 2 行含有控制字符 U+0008"},
        {"C1 \u0085 x", "第 1 行含有控制字符 U+0085"},
        {"a\r\nb\r\nwww.\u202Eelpmaxe\u202C.com", "第 3 行含有双向文字控制符 U+202E"},
    };
    TemplateManager& m = open({"旧的"});
    for (const Case& c : cases) {
        std::string memo = c.memo;
        Add(m, memo);
        ASSERT_TRUE(m.Choose(0, memo));
        memo = c.memo;
        Modify(m, memo);
        EXPECT_EQ(memo, c.memo) << "kept for the user to mend";
        const Lines shown = boxes.take();
        ASSERT_EQ(shown.size(), 2u) << c.memo;
        for (const std::string& box : shown)
            EXPECT_EQ(box.rfind(Notice("模板" + c.notice), 0), 0u) << box;
    }
    EXPECT_EQ(stored(), (Lines{"旧的=0"}));

    // Tabs, line breaks, the joiner and variation selectors of emoji are text.
    std::string memo = "a\tb\r\n👍🏽 👨\u200D💻 ❤\uFE0F";
    Add(m, memo);
    EXPECT_EQ(boxes.take(), (Lines{Plain("添加模板成功.")}));
}

// A search of Latin letters lists the literal hits first, then the pinyin ones; each row still
// acts by its own ID, and the whole order stays as stored.
TEST_F(TemplateManagerTest, ALatinSearchListsTheLiteralHitsFirstThenThePinyinHits)
{
    TemplateManager& m = open({"您好，请稍候", "QSH 工单", "不相关", "请稍等", "请稍候 (qsh)"});
    m.Search("qsh");
    EXPECT_EQ(m.Rows(), (Lines{"QSH 工单", "请稍候 (qsh)", "您好，请稍候", "请稍等"}));
    std::string memo;
    ASSERT_TRUE(m.Choose(3, memo));
    EXPECT_EQ(memo, "请稍等");
    memo = "请稍等一下";
    Modify(m, memo);
    EXPECT_EQ(boxes.take(), Lines{Plain("修改模板成功.")});
    m.Search("QingShao");
    m.SaveOrder();
    EXPECT_EQ(stored(), (Lines{"您好，请稍候=0", "QSH 工单=1", "不相关=2", "请稍等一下=3", "请稍候 (qsh)=4"}));
    m.Search("请稍");
    EXPECT_EQ(m.Rows(), (Lines{"您好，请稍候", "请稍等一下", "请稍候 (qsh)"}));
}

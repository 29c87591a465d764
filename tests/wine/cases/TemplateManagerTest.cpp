// The template manager: its messages, the drag that reorders the templates, and the
// order stored when it closes.
#include "Manager.h"
#include "Menus.h"
#include "Velmora.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

using vt::Installation;
using vt::Manager;
using vt::Velmora;
using wt::MessageBoxIcon;
using Rows = std::vector<std::string>;

namespace {

const char kCaption[] = "系统提示";

bool Notice(Velmora& velmora, const std::string& text)
{
    return vt::ExpectMessageBox(velmora.pid(), text, kCaption, MessageBoxIcon::Exclamation);
}

// The plain confirmation: no icon, captioned with the program's title.
bool Confirmation(Velmora& velmora, const std::string& text)
{
    return vt::ExpectMessageBox(velmora.pid(), text, "Velmora", MessageBoxIcon::None);
}

bool RowsBecome(const Manager& manager, const Rows& expected)
{
    return wt::WaitUntil([&] { return manager.rows() == expected; }, 5000);
}

// The stored order, by the texts.
Rows StoredOrder(const wt::ProgramFolder& folder)
{
    const std::string joined =
        vt::QueryValue(folder, "SELECT group_concat(TText, '|') FROM (SELECT TText FROM TText ORDER BY TSortID, ID)");
    Rows rows;
    size_t start = 0;
    for (size_t bar; (bar = joined.find('|', start)) != std::string::npos; start = bar + 1)
        rows.push_back(joined.substr(start, bar - start));
    rows.push_back(joined.substr(start));
    return rows;
}

// Drags list row `from` onto row `to` with the mouse, passing every row between.
void DragRow(const Manager& manager, int from, int to)
{
    const RECT a = manager.rowRect(from);
    const RECT b = manager.rowRect(to);
    wt::Drag({a.left + 100, (a.top + a.bottom) / 2}, {b.left + 100, (b.top + b.bottom) / 2}, wt::MouseButton::Left,
             4 * std::abs(from - to));
}

// Another program's connection to DB.mdb, keeping the locks its statements took until
// it is released.
class OtherProgram {
public:
    OtherProgram(const wt::ProgramFolder& folder, const char* sql)
    {
        held_ = sqlite3_open(folder.file("DB.mdb").c_str(), &db_) == SQLITE_OK &&
                sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    ~OtherProgram() { release(); }
    OtherProgram(const OtherProgram&) = delete;
    OtherProgram& operator=(const OtherProgram&) = delete;

    bool held() const { return held_; }
    // Ends its transaction, undone, and lets go of the file.
    void release()
    {
        sqlite3_close_v2(db_);
        db_ = nullptr;
    }

private:
    sqlite3* db_ = nullptr;
    bool held_ = false;
};

} // namespace

TEST(TemplateManager, AddModifyAndDeleteWithEveryMessage)
{
    Installation app({"您好", "it's ok"});
    Velmora velmora(app.folder);
    ASSERT_TRUE(velmora.waitForMainWindow());
    Manager manager(velmora);
    ASSERT_TRUE(manager.window());
    EXPECT_EQ(wt::WindowText(manager.window()), "文本模板管理");
    EXPECT_EQ(wt::Width(wt::ClientRectOnScreen(manager.window())), 419);
    EXPECT_EQ(wt::Height(wt::ClientRectOnScreen(manager.window())), 451);
    EXPECT_TRUE(RowsBecome(manager, {"您好", "it's ok"}));
    wt::MovePointer(manager.screenPoint(386 + 8, 9 + 8));
    EXPECT_EQ(vt::WaitForHintText("关闭系统", 5000), std::optional<std::string>("关闭系统"));

    manager.clickButton("BtnNew");
    EXPECT_TRUE(Notice(velmora, "添加模板内容不能为空！"));
    manager.setMemoText(" \r\n ");
    manager.clickButton("BtnNew");
    EXPECT_TRUE(Notice(velmora, "添加模板内容不能为空！"));
    manager.setMemoText("  请稍等 \r\n");
    manager.clickButton("BtnNew");
    EXPECT_TRUE(Confirmation(velmora, "添加模板成功."));
    EXPECT_TRUE(RowsBecome(manager, {"您好", "it's ok", "请稍等"}));
    EXPECT_EQ(manager.memoText(), "");
    manager.setMemoText("\r\n您好\r\n");
    manager.clickButton("BtnNew");
    EXPECT_TRUE(Notice(velmora, "已经有相同模板存在！"));
    EXPECT_EQ(manager.memoText(), "\r\n您好\r\n") << "the user corrects the text";

    manager.clickButton("BtnEdit");
    EXPECT_TRUE(Notice(velmora, "没有选择要修改的模板!"));
    manager.clickButton("BtnCancel");
    EXPECT_TRUE(Notice(velmora, "没有选择要删除的模板!"));

    manager.doubleClickRow(1);
    EXPECT_TRUE(wt::WaitUntil([&] { return manager.memoText() == "it's ok"; }, 3000));
    manager.clickButton("BtnEdit");
    EXPECT_TRUE(Notice(velmora, "已经有相同模板存在！")) << "its own text";
    manager.setMemoText("it's \"fine\"");
    manager.clickButton("BtnEdit");
    EXPECT_TRUE(Confirmation(velmora, "修改模板成功."));
    EXPECT_TRUE(RowsBecome(manager, {"您好", "it's \"fine\"", "请稍等"}));

    manager.doubleClickRow(1);
    manager.clickButton("BtnCancel");
    EXPECT_TRUE(
        vt::ExpectMessageBox(velmora.pid(), "是否要删除选择模板数据!", kCaption, MessageBoxIcon::Question, IDNO));
    manager.clickButton("BtnCancel");
    EXPECT_TRUE(
        vt::ExpectMessageBox(velmora.pid(), "是否要删除选择模板数据!", kCaption, MessageBoxIcon::Question, IDYES));
    EXPECT_TRUE(Confirmation(velmora, "删除模板成功."));
    EXPECT_TRUE(RowsBecome(manager, {"您好", "请稍等"}));
    manager.clickButton("BtnCancel");
    EXPECT_TRUE(Notice(velmora, "没有选择要删除的模板!")) << "no new choice since the delete";

    // Every character is accepted and listed as typed.
    manager.setMemoText("好的✓😀𠮷");
    manager.clickButton("BtnNew");
    EXPECT_TRUE(Confirmation(velmora, "添加模板成功."));
    EXPECT_TRUE(RowsBecome(manager, {"您好", "请稍等", "好的✓😀𠮷"}));
    manager.search("😀");
    EXPECT_EQ(manager.rows(), (Rows{"好的✓😀𠮷"}));
    // Enter in the search box searches too; Latin letters find by pinyin.
    manager.search("Hao", true);
    EXPECT_EQ(manager.rows(), (Rows{"您好", "好的✓😀𠮷"}));
    vt::RunSql(app.folder, "DELETE FROM TText WHERE TText LIKE '好的%'");
    manager.search("");
    EXPECT_TRUE(RowsBecome(manager, {"您好", "请稍等"}));

    // A statement the database refuses: the user is told why and keeps the typed text.
    vt::RunSql(app.folder, "CREATE TRIGGER refuse BEFORE INSERT ON TText BEGIN SELECT RAISE(ABORT, 'disk full'); END");
    manager.setMemoText("谢谢");
    manager.clickButton("BtnNew");
    auto box = wt::WaitForMessageBox(velmora.pid(), 10000);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->caption, kCaption);
    EXPECT_EQ(box->icon, MessageBoxIcon::Exclamation);
    EXPECT_NE(box->text.find("disk full"), std::string::npos) << box->text;
    wt::SaveWindowScreenshot(box->hwnd, "manager_refused_insert.png");
    wt::Answer(*box, IDOK);
    EXPECT_TRUE(RowsBecome(manager, {"您好", "请稍等"}));
    EXPECT_EQ(manager.memoText(), "谢谢");
    wt::SaveWindowScreenshot(manager.window(), "manager_2_templates.png");

    // A query that fails reaches the general error report; the window stays.
    vt::RunSql(app.folder, "ALTER TABLE TText RENAME TO Gone");
    manager.clickButton("BtnRefresh");
    EXPECT_TRUE(vt::ExpectMessageBox(velmora.pid(), "no such table: TText", "Velmora", MessageBoxIcon::Error));
    EXPECT_TRUE(RowsBecome(manager, {}));
    EXPECT_TRUE(IsWindow(manager.window()));
}

TEST(TemplateManager, DragReordersAndTheOrderIsStoredAtClose)
{
    Installation app({"一", "二", "三", "四", "五", "六"});
    Velmora velmora(app.folder);
    ASSERT_TRUE(velmora.waitForMainWindow());
    velmora.search("三"); // the main list reloads in stored order after the manager, search text kept
    Manager manager(velmora);
    ASSERT_TRUE(manager.window());
    ASSERT_TRUE(RowsBecome(manager, {"一", "二", "三", "四", "五", "六"}));

    DragRow(manager, 4, 1);
    EXPECT_TRUE(RowsBecome(manager, {"一", "五", "二", "三", "四", "六"}));
    // Below the last row nothing moves.
    const RECT last = manager.rowRect(5);
    wt::Drag({last.left + 100, (last.top + last.bottom) / 2}, manager.screenPoint(200, 73 + 192 - 8));
    EXPECT_TRUE(RowsBecome(manager, {"一", "五", "二", "三", "四", "六"}));
    wt::SaveWindowScreenshot(manager.window(), "manager_after_drag.png");
    EXPECT_EQ(StoredOrder(app.folder), (Rows{"一", "二", "三", "四", "五", "六"})) << "nothing stored while dragging";
    // A search in between keeps the order made.
    manager.search("三");
    manager.search("");
    EXPECT_TRUE(RowsBecome(manager, {"一", "五", "二", "三", "四", "六"}));

    manager.clickButton("BtnOK");
    EXPECT_TRUE(wt::WaitForWindowGone(manager.window(), 10000));
    EXPECT_EQ(StoredOrder(app.folder), (Rows{"一", "五", "二", "三", "四", "六"}));
    EXPECT_EQ(
        vt::QueryValue(app.folder, "SELECT group_concat(TSortID) FROM (SELECT TSortID FROM TText ORDER BY TSortID)"),
        "0,1,2,3,4,5");
    EXPECT_TRUE(wt::WaitUntil([&] { return velmora.listEntries() == Rows{"一", "五", "二", "三", "四", "六"}; }, 5000));
    EXPECT_EQ(velmora.searchText(), "三");
    EXPECT_TRUE(IsWindowEnabled(velmora.mainWindow()));
}

TEST(TemplateManager, QuitWhileItIsOpenStoresTheOrderAndEnds)
{
    Installation app({"a", "b", "c"});
    Velmora velmora(app.folder);
    ASSERT_TRUE(velmora.waitForMainWindow());
    Manager manager(velmora);
    ASSERT_TRUE(manager.window());
    ASSERT_TRUE(RowsBecome(manager, {"a", "b", "c"}));
    DragRow(manager, 2, 0);
    ASSERT_TRUE(RowsBecome(manager, {"c", "a", "b"}));

    ASSERT_TRUE(vt::ChooseTrayItem(vt::TrayItem::Quit));
    EXPECT_TRUE(vt::ExpectMessageBox(velmora.pid(), "是否想退出系统？", kCaption, MessageBoxIcon::Question, IDYES));
    EXPECT_TRUE(velmora.process().waitForExit(10000));
    EXPECT_EQ(StoredOrder(app.folder), (Rows{"c", "a", "b"}));
}

TEST(TemplateManager, OrderThatCannotBeStoredAsksWhetherToCloseAnyway)
{
    Installation app({"a", "b", "c"});
    // Another program holds the write lock for longer than the store waits for it.
    OtherProgram lock(app.folder, "BEGIN IMMEDIATE");
    ASSERT_TRUE(lock.held());
    const std::string question = "模板的排列顺序没有保存: 数据库文件正被其他程序占用 (database is locked)\r"
                                 "是否不保存顺序,直接关闭模板管理?";
    Velmora velmora(app.folder);
    ASSERT_TRUE(velmora.waitForMainWindow());
    {
        Manager manager(velmora);
        ASSERT_TRUE(manager.window());
        ASSERT_TRUE(RowsBecome(manager, {"a", "b", "c"}));
        DragRow(manager, 2, 0);
        ASSERT_TRUE(RowsBecome(manager, {"c", "a", "b"}));

        manager.clickButton("BtnOK");
        auto box = wt::WaitForMessageBox(velmora.pid(), 15000);
        ASSERT_TRUE(box);
        EXPECT_EQ(box->text, question);
        EXPECT_EQ(box->caption, kCaption);
        EXPECT_EQ(box->icon, MessageBoxIcon::Question);
        RedrawWindow(box->hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN); // its text painted first
        wt::SaveWindowScreenshot(box->hwnd, "manager_order_not_stored.png");
        ASSERT_TRUE(wt::Answer(*box, IDNO));
        // Quitting asks again; No keeps the manager, its order and the program.
        ASSERT_TRUE(vt::ChooseTrayItem(vt::TrayItem::Quit));
        EXPECT_TRUE(vt::ExpectMessageBox(velmora.pid(), "是否想退出系统？", kCaption, MessageBoxIcon::Question, IDYES));
        EXPECT_TRUE(vt::ExpectMessageBox(velmora.pid(), question, kCaption, MessageBoxIcon::Question, IDNO));
        EXPECT_EQ(manager.rows(), (Rows{"c", "a", "b"}));
        EXPECT_TRUE(IsWindowVisible(manager.window()));
        EXPECT_FALSE(velmora.process().waitForExit(0));

        manager.clickButton("BtnOK");
        EXPECT_TRUE(vt::ExpectMessageBox(velmora.pid(), question, kCaption, MessageBoxIcon::Question, IDYES));
        EXPECT_TRUE(wt::WaitForWindowGone(manager.window(), 10000));
        EXPECT_TRUE(wt::WaitUntil([&] { return velmora.listEntries() == Rows{"a", "b", "c"}; }, 5000));
    }
    Manager manager(velmora);
    ASSERT_TRUE(manager.window());
    ASSERT_TRUE(RowsBecome(manager, {"a", "b", "c"}));
    DragRow(manager, 2, 0);
    ASSERT_TRUE(vt::ChooseTrayItem(vt::TrayItem::Quit));
    EXPECT_TRUE(vt::ExpectMessageBox(velmora.pid(), "是否想退出系统？", kCaption, MessageBoxIcon::Question, IDYES));
    EXPECT_TRUE(vt::ExpectMessageBox(velmora.pid(), question, kCaption, MessageBoxIcon::Question, IDYES));
    EXPECT_TRUE(velmora.process().waitForExit(10000));
    EXPECT_EQ(StoredOrder(app.folder), (Rows{"a", "b", "c"}));
}

TEST(TemplateManager, ListsOfSeveralSizesAndTheSavingNotice)
{
    for (int count : {0, 9, 10, 30}) {
        Rows texts;
        for (int i = 1; i <= count; ++i)
            texts.push_back(std::to_string(i) +
                            (i % 3 ? " 您好,很高兴为您服务,请问有什么可以帮您的吗" : " Order shipped"));
        Installation app(texts);
        Velmora velmora(app.folder);
        ASSERT_TRUE(velmora.waitForMainWindow());
        Manager manager(velmora);
        ASSERT_TRUE(manager.window());
        ASSERT_TRUE(RowsBecome(manager, texts));
        if (count > 2) {
            // The selected row's fill, the even and the odd rows' fixed colours.
            wt::Click({manager.rowRect(2).left + 100, manager.rowRect(2).top + 10});
            const RECT first = manager.rowRect(0), second = manager.rowRect(1), third = manager.rowRect(2);
            EXPECT_TRUE(wt::WaitForPixel({first.right - 3, first.top + 2}, RGB(255, 255, 255), 3000));
            EXPECT_TRUE(wt::WaitForPixel({second.right - 3, second.top + 2}, RGB(230, 230, 242), 3000));
            EXPECT_TRUE(wt::WaitForPixel({third.right - 3, third.top + 2}, RGB(255, 206, 157), 3000));
            EXPECT_TRUE(wt::WaitForPixel({third.left, third.top + 10}, RGB(255, 128, 0), 3000));
        }
        wt::SaveWindowScreenshot(manager.window(), "manager_" + std::to_string(count) + "_templates.png");
        manager.clickButton("BtnOK");
        EXPECT_TRUE(wt::WaitForWindowGone(manager.window(), 10000));
    }

    // Enough rows that the notice is up for a while, and a reader that makes the store's
    // commit wait (well within its busy wait) until the notice has been looked at.
    Installation app;
    vt::RunSql(app.folder, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000) "
                           "INSERT INTO TText (TText, TSortID) SELECT '模板 ' || i, 20000 - i FROM n");
    Velmora velmora(app.folder);
    ASSERT_TRUE(velmora.waitForMainWindow(30000));
    Manager manager(velmora);
    ASSERT_TRUE(manager.window());
    ASSERT_TRUE(wt::WaitUntil([&] { return SendMessageW(manager.list(), LB_GETCOUNT, 0, 0) == 20000; }, 30000));
    OtherProgram reader(app.folder, "BEGIN; SELECT count(*) FROM TText");
    ASSERT_TRUE(reader.held());
    manager.clickButton("BtnOK");
    HWND notice = wt::WaitForWindow(velmora.pid(), wt::HasClass("TinfoFrm"), 5000);
    ASSERT_TRUE(notice) << "no saving notice while 20,000 rows were stored";
    EXPECT_EQ(wt::Width(wt::WindowRect(notice)), 330);
    EXPECT_EQ(wt::Height(wt::WindowRect(notice)), 83);
    EXPECT_FALSE(IsWindowEnabled(manager.window())) << "the manager takes no input while it stores";
    wt::SaveWindowScreenshot(notice, "manager_saving_notice.png");
    reader.release();
    EXPECT_TRUE(wt::WaitForWindowGone(manager.window(), 30000));
    EXPECT_EQ(vt::QueryValue(app.folder, "SELECT TText FROM TText WHERE TSortID = 1"), "模板 19999");
}

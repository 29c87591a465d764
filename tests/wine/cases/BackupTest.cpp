// Backups made when the program ends, and the restore dialog that puts one back.
#include "Manager.h"
#include "Menus.h"
#include "Velmora.h"

#include <gtest/gtest.h>

using vt::Installation;
using vt::Velmora;
using wt::MessageBoxIcon;

namespace {

const char kCaption[] = "系统提示";

std::vector<std::string> BackupNames(const wt::ProgramFolder& folder)
{
    return folder.exists("DatabackUp") ? folder.list("DatabackUp", "*.bk") : std::vector<std::string>{};
}

// Quits through the close icon, answering the quit question with Yes.
void Quit(Velmora& velmora)
{
    velmora.click(242 + 8, 7 + 8);
    EXPECT_TRUE(vt::ExpectMessageBox(velmora.pid(), "是否想退出系统？", kCaption, MessageBoxIcon::Question, IDYES));
}

// Windows ends the logon: it asks, then tells the program that the session ends, and ends the
// process once the program has answered.
void EndSession(Velmora& velmora)
{
    DWORD_PTR answer = 0;
    ASSERT_TRUE(SendMessageTimeoutW(velmora.mainWindow(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG,
                                    5000, &answer));
    EXPECT_TRUE(answer) << "the program agrees to end";
    SendMessageTimeoutW(velmora.mainWindow(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 20000, &answer);
}

} // namespace

TEST(BackupAtExit, TheEndOfTheSessionMakesADueAutomaticBackupAndAsksNothing)
{
    {
        // Only the question at exit: at the end of the session nothing is asked and nothing copied.
        Installation app({"一"});
        vt::RunSql(app.folder, "UPDATE Tconfig SET TSaveDB=0, TASaveDB=1, TDeadDay='2020-01-01 00:00:00'");
        Velmora velmora(app.folder);
        ASSERT_TRUE(velmora.waitForMainWindow());
        EndSession(velmora);
        EXPECT_TRUE(velmora.process().waitForExit(10000));
        EXPECT_TRUE(BackupNames(app.folder).empty());
        EXPECT_EQ(vt::QueryValue(app.folder, "SELECT TDeadDay FROM Tconfig"), "2020-01-01 00:00:00");
    }
    // Automatic backup due (and the question on as well), with the template manager open and a
    // row dragged to the top: the order is stored, then the backup made, without a question.
    Installation app({"一", "二", "三"});
    vt::RunSql(app.folder, "UPDATE Tconfig SET TSaveDB=1, TSaveDay=7, TDeadDay='2020-01-01 00:00:00', TASaveDB=1");
    Velmora velmora(app.folder);
    ASSERT_TRUE(velmora.waitForMainWindow());
    vt::Manager manager(velmora);
    ASSERT_TRUE(manager.window());
    const RECT from = manager.rowRect(2);
    const RECT to = manager.rowRect(0);
    wt::Drag({from.left + 100, (from.top + from.bottom) / 2}, {to.left + 100, (to.top + to.bottom) / 2},
             wt::MouseButton::Left, 8);
    ASSERT_TRUE(wt::WaitUntil([&] { return manager.rows() == std::vector<std::string>{"三", "一", "二"}; }, 5000));
    EndSession(velmora);
    ASSERT_TRUE(velmora.process().waitForExit(20000));

    const std::vector<std::string> names = BackupNames(app.folder);
    ASSERT_EQ(names.size(), 1u);
    const std::string stamp = vt::QueryValue(app.folder, "SELECT TDeadDay FROM Tconfig");
    ASSERT_EQ(stamp.size(), 19u) << stamp;
    const std::string digits = stamp.substr(0, 4) + stamp.substr(5, 2) + stamp.substr(8, 2) + stamp.substr(11, 2) +
                               stamp.substr(14, 2) + stamp.substr(17, 2);
    EXPECT_EQ(names[0], digits + "Bk.bk") << "the stamp names the backup";
    wt::ProgramFolder copy;
    copy.writeFile("DB.mdb", app.folder.readFile("DatabackUp\\" + names[0]));
    EXPECT_EQ(vt::QueryValue(copy, "PRAGMA integrity_check"), "ok");
    EXPECT_EQ(vt::QueryValue(copy, "SELECT TDeadDay FROM Tconfig"), stamp);
    EXPECT_EQ(vt::QueryValue(copy, "SELECT group_concat(TText, '|') FROM (SELECT TText FROM TText ORDER BY TSortID)"),
              "三|一|二");
    EXPECT_EQ(app.folder.list("DatabackUp", "*"), names) << "nothing but the backup in the folder";
}

TEST(BackupAtExit, ADueBackupHoldsTheDatabasesRowsAndStartsANewPeriod)
{
    Installation app({"一", "二"});
    vt::RunSql(app.folder, "UPDATE Tconfig SET TSaveDB=1, TSaveDay=7, TDeadDay='2020-01-01 00:00:00', TASaveDB=0");
    Velmora velmora(app.folder);
    ASSERT_TRUE(velmora.waitForMainWindow());
    Quit(velmora);
    ASSERT_TRUE(velmora.process().waitForExit(10000));
    const std::vector<std::string> names = BackupNames(app.folder);
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(names[0].size(), 19u);
    EXPECT_EQ(names[0].substr(14), "Bk.bk");
    // The engine's copy: the same rows, not the same bytes (its header counts its own changes).
    wt::ProgramFolder copy;
    copy.copyIn(app.folder.file("DatabackUp\\" + names[0]), "DB.mdb");
    for (const char* rows :
         {"SELECT group_concat(ID || ':' || TText || ':' || TSortID, '|') FROM TText",
          "SELECT group_concat(TSaveDB || TSaveDay || TASaveDB || TDeadDay || THotKeyInt) FROM Tconfig"})
        EXPECT_EQ(vt::QueryValue(copy, rows), vt::QueryValue(app.folder, rows)) << rows;
    // The stamp in the row is the backup's own moment, to the second or one before.
    const std::string stamp = vt::QueryValue(app.folder, "SELECT TDeadDay FROM Tconfig");
    EXPECT_EQ(stamp.substr(0, 4), names[0].substr(0, 4)) << stamp;
    EXPECT_NE(stamp, "2020-01-01 00:00:00");
}

TEST(BackupAtExit, TheQuestionMakesABackupOnlyOnYes)
{
    Installation app({"a"});
    vt::RunSql(app.folder, "UPDATE Tconfig SET TSaveDB=0, TASaveDB=1, TDeadDay='2020-01-01 00:00:00'");
    {
        Velmora velmora(app.folder);
        ASSERT_TRUE(velmora.waitForMainWindow());
        Quit(velmora);
        EXPECT_TRUE(vt::ExpectMessageBox(velmora.pid(), "是否要备份数据库?", kCaption, MessageBoxIcon::Question, IDNO));
        ASSERT_TRUE(velmora.process().waitForExit(10000));
    }
    EXPECT_TRUE(BackupNames(app.folder).empty());
    EXPECT_EQ(vt::QueryValue(app.folder, "SELECT TDeadDay FROM Tconfig"), "2020-01-01 00:00:00");

    Velmora velmora(app.folder);
    ASSERT_TRUE(velmora.waitForMainWindow());
    Quit(velmora);
    EXPECT_TRUE(vt::ExpectMessageBox(velmora.pid(), "是否要备份数据库?", kCaption, MessageBoxIcon::Question, IDYES));
    ASSERT_TRUE(velmora.process().waitForExit(10000));
    EXPECT_EQ(BackupNames(app.folder).size(), 1u);
}

TEST(BackupAtExit, ACopyThatCannotBeWrittenIsReportedAndTheStampPutBack)
{
    Installation app({"a"});
    vt::RunSql(app.folder, "UPDATE Tconfig SET TSaveDB=1, TSaveDay=7, TDeadDay='2020-01-01 00:00:00'");
    Velmora velmora(app.folder);
    ASSERT_TRUE(velmora.waitForMainWindow());
    // A folder lies where the copy is written before it gets its name: the copy cannot be written.
    app.folder.makeFolder("DatabackUp");
    app.folder.makeFolder("DatabackUp\\Unfinished.tmp");
    Quit(velmora);
    auto box = wt::WaitForMessageBox(velmora.pid(), 10000);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->caption, kCaption);
    EXPECT_EQ(box->icon, MessageBoxIcon::Exclamation);
    EXPECT_NE(box->text.find("Bk.bk"), std::string::npos) << "names the file: " << box->text;
    wt::SaveWindowScreenshot(box->hwnd, "backup_copy_failed.png");
    wt::Answer(*box, IDOK);
    EXPECT_TRUE(velmora.process().waitForExit(10000)) << "the program still ends";
    EXPECT_EQ(vt::QueryValue(app.folder, "SELECT TDeadDay FROM Tconfig"), "2020-01-01 00:00:00");
}

TEST(Restore, AGoodBackupReplacesTheDatabaseAndTheProgramEnds)
{
    Installation app({"现在的模板"});
    // The backup: a database of this program with other templates.
    Installation other({"备份里的模板一", "备份里的模板二"});
    app.folder.makeFolder("DatabackUp");
    app.folder.writeFile("DatabackUp\\20260101120000Bk.bk", other.folder.readFile("DB.mdb"));
    app.folder.writeFile("DatabackUp\\20250101120000Bk.bk", other.folder.readFile("DB.mdb"));
    Velmora velmora(app.folder);
    ASSERT_TRUE(velmora.waitForMainWindow());
    HWND dialog = vt::OpenRestoreDialog(velmora);
    ASSERT_TRUE(dialog);
    EXPECT_EQ(wt::WindowText(dialog), "模板数据库还原");
    EXPECT_EQ(wt::Width(wt::ClientRectOnScreen(dialog)), 363);
    EXPECT_EQ(wt::Height(wt::ClientRectOnScreen(dialog)), 240);
    HWND list = GetDlgItem(dialog, vt::kBackupListId);
    EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), LB_ERR) << "no row selected at first";
    wt::SaveWindowScreenshot(dialog, "restore_dialog.png");

    vt::ClickRestore(dialog);
    EXPECT_TRUE(vt::ExpectMessageBox(velmora.pid(), "没有找到备份文件!", kCaption, MessageBoxIcon::Exclamation));
    vt::SelectBackupRow(dialog, 1);
    vt::ClickRestore(dialog);
    EXPECT_TRUE(vt::ExpectMessageBox(velmora.pid(),
                                     "是否要还原选择的备份文件?\r注: 还原数据库后系统会自动关闭,请重新开启软件.",
                                     kCaption, MessageBoxIcon::Question, IDNO));
    EXPECT_TRUE(IsWindow(dialog));
    vt::ClickRestore(dialog);
    EXPECT_TRUE(vt::ExpectMessageBox(velmora.pid(),
                                     "是否要还原选择的备份文件?\r注: 还原数据库后系统会自动关闭,请重新开启软件.",
                                     kCaption, MessageBoxIcon::Question, IDYES));
    EXPECT_TRUE(vt::ExpectMessageBox(velmora.pid(), "还原数据库成功!", kCaption, MessageBoxIcon::None));
    ASSERT_TRUE(velmora.process().waitForExit(10000));
    EXPECT_EQ(app.folder.readFile("DB.mdb"), other.folder.readFile("DB.mdb"));
    EXPECT_EQ(BackupNames(app.folder).size(), 2u) << "no backup at this end";

    Velmora again(app.folder);
    ASSERT_TRUE(again.waitForMainWindow());
    EXPECT_EQ(again.listEntries(), (std::vector<std::string>{"备份里的模板一", "备份里的模板二"}));
}

TEST(Restore, DamagedForeignAndVanishedFilesAreRefusedAndTheDatabaseIsKept)
{
    Installation app({"现在的模板"});
    const std::string good = app.folder.readFile("DB.mdb");
    app.folder.makeFolder("DatabackUp");
    app.folder.writeFile("DatabackUp\\1-garbage.bk", "这不是数据库 not a database at all");
    app.folder.writeFile("DatabackUp\\2-truncated.bk", good.substr(0, 4096));
    app.folder.writeFile("DatabackUp\\4-vanishing.bk", good);
    Velmora velmora(app.folder);
    ASSERT_TRUE(velmora.waitForMainWindow());
    {
        // A file of another program: an SQLite database without this program's tables.
        wt::ProgramFolder scratch;
        vt::WriteDatabase(scratch);
        vt::RunSql(scratch, "DROP TABLE TText; CREATE TABLE Notes (Body TEXT)");
        app.folder.writeFile("DatabackUp\\3-foreign.bk", scratch.readFile("DB.mdb"));
    }
    HWND dialog = vt::OpenRestoreDialog(velmora);
    ASSERT_TRUE(dialog);
    ASSERT_EQ(SendMessageW(GetDlgItem(dialog, vt::kBackupListId), LB_GETCOUNT, 0, 0), 4);
    for (int row = 0; row < 3; ++row) {
        vt::SelectBackupRow(dialog, row);
        vt::ClickRestore(dialog);
        auto box = wt::WaitForMessageBox(velmora.pid(), 10000);
        ASSERT_TRUE(box) << "row " << row;
        EXPECT_EQ(box->caption, kCaption);
        EXPECT_EQ(box->icon, MessageBoxIcon::Exclamation);
        EXPECT_EQ(box->text.find("是否要还原"), std::string::npos) << "no question for a bad file: " << box->text;
        if (row == 0)
            wt::SaveWindowScreenshot(box->hwnd, "restore_refused.png");
        wt::Answer(*box, IDOK);
    }
    // Removed after the dialog listed it.
    DeleteFileW(wt::Widen(app.folder.file("DatabackUp\\4-vanishing.bk")).c_str());
    vt::SelectBackupRow(dialog, 3);
    vt::ClickRestore(dialog);
    EXPECT_TRUE(vt::ExpectMessageBox(velmora.pid(), "没有找到备份文件!", kCaption, MessageBoxIcon::Exclamation));
    EXPECT_TRUE(IsWindow(dialog));
    EXPECT_TRUE(velmora.process().running());
    EXPECT_EQ(app.folder.readFile("DB.mdb"), good);
}

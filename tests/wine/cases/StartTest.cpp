// Start-up: the single instance, the database and the configuration at start, and quitting.
#include "Menus.h"
#include "Velmora.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

using vt::Installation;
using vt::Velmora;
using wt::MessageBoxIcon;

namespace {

const char kConnectError[] = "连接数据库出错:\r";

// Starts the program on a prepared folder and expects the connection error whose reason
// contains `reason`; the program then ends without showing its window, and DB.mdb is
// exactly as it was (or still absent).
void ExpectConnectionError(const wt::ProgramFolder& folder, const std::string& reason)
{
    ASSERT_FALSE(reason.empty()) << "name the reason the box must give";
    const bool existed = folder.exists("DB.mdb");
    const std::string before = existed ? folder.readFile("DB.mdb") : "";
    Velmora velmora(folder);
    auto box = wt::WaitForMessageBox(velmora.pid(), 20000);
    ASSERT_TRUE(box) << "no connection error";
    EXPECT_EQ(box->caption, "系统提示");
    EXPECT_EQ(box->icon, MessageBoxIcon::Exclamation);
    EXPECT_EQ(box->text.rfind(kConnectError, 0), 0u) << box->text;
    EXPECT_NE(box->text.find(reason), std::string::npos) << box->text;
    wt::SaveWindowScreenshot(box->hwnd, "start_connection_error.png");
    for (HWND window : wt::TopLevelWindows(velmora.pid()))
        EXPECT_NE(wt::ClassName(window), "TMainFrm") << "the main window was shown";
    ASSERT_TRUE(wt::Answer(*box, IDOK));
    EXPECT_TRUE(velmora.process().waitForExit(10000));
    EXPECT_TRUE(wt::WaitUntil([] { return !vt::TrayHasIcon(); }, 5000)) << "the tray icon stayed";
    EXPECT_EQ(folder.exists("DB.mdb"), existed);
    if (existed) {
        EXPECT_EQ(folder.readFile("DB.mdb"), before) << "DB.mdb was changed";
    }
}

} // namespace

TEST(Start, ShowsTheMainWindowCentredWithTheTrayHint)
{
    Installation app({"您好,很高兴为您服务", "请稍等"});
    Velmora velmora(app.folder);
    HWND main = velmora.waitForMainWindow();
    ASSERT_TRUE(main);
    EXPECT_EQ(wt::WindowText(main), "MainFrm");
    const RECT r = wt::WindowRect(main);
    EXPECT_EQ(wt::Width(r), 274);
    EXPECT_EQ(wt::Height(r), 374);
    EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - 274) / 2);
    EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - 374) / 2);
    const RECT client = wt::ClientRectOnScreen(main);
    EXPECT_EQ(wt::Width(client), 270);
    EXPECT_EQ(wt::Height(client), 370);
    wt::WaitForPixel(velmora.screenPoint(3, 20), RGB(0, 128, 255));
    // The picture shows the list with its rows: the second row's fill has been painted.
    const RECT second = velmora.rowRect(1);
    EXPECT_TRUE(wt::WaitForPixel({second.right - 3, second.top + 2}, RGB(230, 230, 242)));
    wt::SaveWindowScreenshot(main, "start_main_window.png");
    EXPECT_EQ(vt::TrayHint(), std::optional<std::string>("打开程序快捷键 Ctrl+A"));
    velmora.quitWith(IDYES);
    EXPECT_TRUE(velmora.process().waitForExit(10000));
    EXPECT_TRUE(wt::WaitUntil([] { return !vt::TrayHasIcon(); }, 5000)) << "the tray icon stayed";
}

TEST(Start, ASecondCopyIsRefusedAndTheFirstRunsOn)
{
    Installation app;
    Velmora first(app.folder);
    HWND main = first.waitForMainWindow();
    ASSERT_TRUE(main);
    const RECT before = wt::WindowRect(main);

    Velmora second(app.folder);
    EXPECT_TRUE(vt::ExpectMessageBox(second.pid(), "程序已经运行!", "系统错误", MessageBoxIcon::Error));
    EXPECT_TRUE(second.process().waitForExit(10000));
    for (HWND window : wt::TopLevelWindows(second.pid()))
        ADD_FAILURE() << "the second copy shows " << wt::ClassName(window);

    EXPECT_TRUE(first.process().running());
    EXPECT_TRUE(wt::IsShown(main));
    const RECT after = wt::WindowRect(main);
    EXPECT_TRUE(EqualRect(&before, &after));
}

TEST(Start, QuitAsksAndOnlyYesEnds)
{
    Installation app;
    Velmora velmora(app.folder);
    ASSERT_TRUE(velmora.waitForMainWindow());
    velmora.quitWith(IDNO);
    // Still running, and shown, when asked again.
    velmora.click(242 + 8, 7 + 8);
    auto box = wt::WaitForMessageBox(velmora.pid(), 10000);
    ASSERT_TRUE(box) << "no question the second time";
    EXPECT_TRUE(wt::IsShown(velmora.mainWindow()));
    ASSERT_TRUE(wt::Answer(*box, IDYES));
    EXPECT_TRUE(velmora.process().waitForExit(10000));
}

TEST(Start, WorksFromAFolderWithAChineseName)
{
    Installation app({"第一条", "第二条"}, "客服工具");
    Velmora velmora(app.folder);
    ASSERT_TRUE(velmora.waitForMainWindow());
    EXPECT_EQ(velmora.listEntries(), (std::vector<std::string>{"第一条", "第二条"}));
}

TEST(StartBadDatabase, AbsentFileIsReportedAndNotCreated)
{
    wt::ProgramFolder folder;
    folder.copyProgram();
    ExpectConnectionError(folder, "无法打开数据库文件");
}

TEST(StartBadDatabase, EmptyFileTextFileAndDamagedFile)
{
    wt::ProgramFolder folder;
    folder.copyProgram();
    folder.writeFile("DB.mdb", "");
    ExpectConnectionError(folder, "no such table: Tconfig");

    folder.writeFile("DB.mdb", "这不是数据库,只是一个文本文件。\r\nJust text.\r\n");
    ExpectConnectionError(folder, "文件不是有效的数据库");

    // Page 2 onwards overwritten: the schema still reads, the tables do not.
    vt::WriteDatabase(folder);
    std::string bytes = folder.readFile("DB.mdb");
    ASSERT_GT(bytes.size(), 8192u);
    for (size_t i = 4096; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(0xA5);
    folder.writeFile("DB.mdb", bytes);
    ExpectConnectionError(folder, "数据库文件已损坏");
}

TEST(StartBadDatabase, MissingTableOrColumnAndUnreadableValues)
{
    Installation app;
    vt::RunSql(app.folder, "DROP TABLE Tconfig");
    ExpectConnectionError(app.folder, "no such table: Tconfig");

    vt::WriteDatabase(app.folder);
    vt::RunSql(app.folder, "ALTER TABLE Tconfig DROP COLUMN TSaveDay");
    ExpectConnectionError(app.folder, "找不到字段 TSaveDay");

    vt::WriteDatabase(app.folder);
    vt::RunSql(app.folder, "UPDATE Tconfig SET TBGColor='white'");
    ExpectConnectionError(app.folder, "字段 TBGColor 的值 \"white\" 不是有效的整数");

    vt::WriteDatabase(app.folder);
    vt::RunSql(app.folder, "UPDATE Tconfig SET TDeadDay='上周五'");
    ExpectConnectionError(app.folder, "字段 TDeadDay 的值 \"上周五\" 不是有效的日期时间");
}

// A DB.mdb another tool wrote, holding a trigger that would type the clipboard into a chat at the
// exit stamp, or a view in place of the templates: refused before anything runs.
TEST(StartBadDatabase, AViewOrATriggerOfAnotherToolIsRefusedBeforeItRuns)
{
    Installation app;
    vt::RunSql(app.folder, "CREATE TRIGGER stamp AFTER UPDATE ON Tconfig BEGIN "
                           "INSERT INTO TText (TText) VALUES ('您好' || char(22)); END");
    ExpectConnectionError(app.folder, "含有触发器 stamp（表 Tconfig）");

    vt::WriteDatabase(app.folder);
    vt::RunSql(app.folder, "DROP TABLE TText; CREATE VIEW TText AS SELECT TID AS ID, 'x' AS TText, 0 AS TSortID "
                           "FROM Tconfig");
    ExpectConnectionError(app.folder, "含有视图 TText");
}

// Both threads open DB.mdb: the engine must be built for threads (2: each handle in one thread).
TEST(StartBuild, TheEngineIsBuiltForThreads) { EXPECT_EQ(sqlite3_threadsafe(), 2); }

TEST(StartBadDatabase, ReadOnlyFileIsRefused)
{
    Installation app;
    app.folder.setReadOnly("DB.mdb");
    ExpectConnectionError(app.folder, "只读");
}

TEST(StartBadDatabase, FileLockedByAnotherProgram)
{
    Installation app;
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(app.folder.file("DB.mdb").c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    ExpectConnectionError(app.folder, "数据库文件正被其他程序占用");
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
}

TEST(StartConfigRow, MissingRowWarnsAndStartsWithDefaults)
{
    Installation app({"a"});
    vt::RunSql(app.folder, "DELETE FROM Tconfig");
    Velmora velmora(app.folder);
    EXPECT_TRUE(vt::ExpectMessageBox(velmora.pid(), "导入配置文件出错,请重新启动软件", "系统提示",
                                     MessageBoxIcon::Exclamation));
    ASSERT_TRUE(velmora.waitForMainWindow());
    EXPECT_EQ(vt::TrayHint(), std::nullopt) << "the tray icon should have no hint";
    // The bands keep the layout's colour: the left edge of the title band.
    EXPECT_TRUE(wt::WaitForPixel(velmora.screenPoint(3, 20), RGB(0, 128, 255)))
        << std::hex << wt::ScreenPixel(velmora.screenPoint(3, 20).x, velmora.screenPoint(3, 20).y);
}

TEST(StartConfigRow, TwoRowsWarnTheSameWayAndTheSettingsCannotBeSavedOverThem)
{
    Installation app;
    vt::RunSql(app.folder, "CREATE TABLE T2 AS SELECT * FROM Tconfig; DROP TABLE Tconfig;"
                           "ALTER TABLE T2 RENAME TO Tconfig; INSERT INTO Tconfig SELECT * FROM Tconfig;"
                           "UPDATE Tconfig SET TTitleColor=255");
    Velmora velmora(app.folder);
    EXPECT_TRUE(vt::ExpectMessageBox(velmora.pid(), "导入配置文件出错,请重新启动软件", "系统提示",
                                     MessageBoxIcon::Exclamation));
    ASSERT_TRUE(velmora.waitForMainWindow());
    const POINT band = velmora.screenPoint(3, 20);
    EXPECT_TRUE(wt::WaitForPixel(band, RGB(0, 128, 255)))
        << "the stored title colour must not apply: " << std::hex << wt::ScreenPixel(band.x, band.y);

    // The next start would read neither row: a save is a failure, and nothing is stored.
    const std::string rows = vt::QueryValue(app.folder, "SELECT group_concat(THotKeyItem || TTitleColor) FROM Tconfig");
    ASSERT_TRUE(vt::ChooseTrayItem(vt::TrayItem::Settings));
    HWND dialog = wt::WaitForWindow(velmora.pid(), wt::HasClass("TSysFrm"), 10000);
    ASSERT_TRUE(dialog);
    wt::Click(wt::Centre(wt::WindowRect(GetDlgItem(dialog, 121)))); // BitBtn1, "保存设置"
    EXPECT_TRUE(vt::ExpectMessageBox(velmora.pid(),
                                     "保存设置失败,设置没有保存: 从数据库读回的设置记录与要保存的不一致,"
                                     "下次启动读不到这些设置.\r请用 VelmoraDb check 检查 DB.mdb.",
                                     "Velmora", MessageBoxIcon::Error));
    EXPECT_EQ(vt::QueryValue(app.folder, "SELECT group_concat(THotKeyItem || TTitleColor) FROM Tconfig"), rows);
}

TEST(StartConfigRow, StoredLetterAndTitleColourApply)
{
    Installation app;
    vt::RunSql(app.folder, "UPDATE Tconfig SET THotKeyInt=67, THotKeyItem=9, TTitleColor=32768");
    Velmora velmora(app.folder);
    ASSERT_TRUE(velmora.waitForMainWindow());
    const POINT band = velmora.screenPoint(3, 20);
    EXPECT_TRUE(wt::WaitForPixel(band, RGB(0, 128, 0))) << std::hex << wt::ScreenPixel(band.x, band.y);
    const POINT bottom = velmora.screenPoint(3, 350);
    EXPECT_TRUE(wt::WaitForPixel(bottom, RGB(0, 128, 0))) << std::hex << wt::ScreenPixel(bottom.x, bottom.y);
    EXPECT_EQ(vt::TrayHint(), std::optional<std::string>("打开程序快捷键 Ctrl+C"));
}

TEST(StartHotKey, ALetterHeldByAnotherProgramIsReportedOnceAndInTheHint)
{
    const std::string target = wt::RequiredEnvironmentPath("VELMORA_TARGET_EXE");
    wt::AppProcess holder(target, target.substr(0, target.find_last_of('\\') + 1), {"--hold-hotkey", "A"});
    ASSERT_TRUE(wt::WaitUntil([] { return FindWindowW(nullptr, L"VelmoraHotKeyHolder") != nullptr; }, 10000));
    {
        Installation app;
        Velmora velmora(app.folder);
        auto box = wt::WaitForMessageBox(velmora.pid(), 15000);
        ASSERT_TRUE(box);
        EXPECT_EQ(box->text, "快捷键 Ctrl+A 已被其他程序占用,Velmora 无法使用它。\r"
                             "请在\"系统设置\"中选择其他字母,然后重新启动 Velmora。");
        EXPECT_EQ(box->caption, "系统提示");
        EXPECT_EQ(box->icon, MessageBoxIcon::Exclamation);
        wt::SaveWindowScreenshot(box->hwnd, "start_hotkey_taken.png");
        wt::Answer(*box, IDOK);
        ASSERT_TRUE(velmora.waitForMainWindow());
        EXPECT_EQ(vt::TrayHint(), std::optional<std::string>("快捷键 Ctrl+A 已被其他程序占用"));
        velmora.quitWith(IDYES);
        EXPECT_TRUE(velmora.process().waitForExit(10000));
    }
    // Another letter stored: a silent start, with the usual hint.
    Installation app;
    vt::RunSql(app.folder, "UPDATE Tconfig SET THotKeyInt=66");
    Velmora velmora(app.folder);
    ASSERT_TRUE(velmora.waitForMainWindow());
    EXPECT_EQ(vt::TrayHint(), std::optional<std::string>("打开程序快捷键 Ctrl+B"));
    EXPECT_FALSE(wt::WaitForMessageBox(velmora.pid(), 0)) << "the window came without a notice before it";
}

// VelmoraDb.exe, the database tool, run the way a team lead runs it on Windows: from a
// console, on files in folders with Chinese names.
#include "Tool.h"
#include "Velmora.h"
#include "ui/DpapiProtector.h"

#include <gtest/gtest.h>
#include <wincrypt.h>

namespace {

using vt::RunTool;
using vt::Says;
using vt::ToolRun;

// The team connection as DB.mdb holds it.
std::string StoredConnection(const wt::ProgramFolder& folder)
{
    const std::string hex = vt::QueryValue(folder, "select hex(TConnection) from TTeamConfig where TID=1");
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return bytes;
}

std::string Hex(const std::string& bytes)
{
    std::string hex;
    for (unsigned char c : bytes) {
        hex += "0123456789ABCDEF"[c >> 4];
        hex += "0123456789ABCDEF"[c & 15];
    }
    return hex;
}

// What the system gives back for `bytes`, with the program's entropy or without, as
// "text|description"; empty when it refuses.
std::string Unprotected(std::string bytes, bool withEntropy)
{
    DATA_BLOB in{static_cast<DWORD>(bytes.size()), reinterpret_cast<BYTE*>(bytes.data())};
    DATA_BLOB entropy{sizeof kConnectionEntropy - 1, reinterpret_cast<BYTE*>(const_cast<char*>(kConnectionEntropy))};
    DATA_BLOB out{};
    LPWSTR description = nullptr;
    if (!CryptUnprotectData(&in, &description, withEntropy ? &entropy : nullptr, nullptr, nullptr,
                            CRYPTPROTECT_UI_FORBIDDEN, &out))
        return "";
    const std::string text =
        std::string(reinterpret_cast<const char*>(out.pbData), out.cbData) + "|" + wt::Narrow(description);
    LocalFree(out.pbData);
    LocalFree(description);
    return text;
}

const char* const kTemplatesInOrder = "select group_concat(TText, '|') from (select TText from TText order by TSortID)";

TEST(DbTool, ExportImportAndCheckInFoldersWithChineseNames)
{
    const std::vector<std::string> templates = {"您好，欢迎光临！", "价格是 \"100\" 元,含运费", "第一行\r\n第二行"};
    wt::ProgramFolder lead("组长的模板");
    vt::WriteDatabase(lead, templates);
    const ToolRun exported = RunTool(lead, {"export", lead.file("DB.mdb"), lead.file("团队模板.csv")});
    EXPECT_EQ(exported.exitCode, 0u) << exported.output;
    EXPECT_TRUE(Says(exported, "团队模板.csv：已导出 3 条模板。")) << exported.output;

    wt::ProgramFolder desk("新电脑 客服");
    const ToolRun made = RunTool(desk, {"new", "--empty", desk.file("DB.mdb")});
    ASSERT_EQ(made.exitCode, 0u) << made.output;
    // A second new on the same name leaves the first one as it is.
    const ToolRun again = RunTool(desk, {"new", desk.file("DB.mdb")});
    EXPECT_EQ(again.exitCode, 6u) << again.output;
    EXPECT_TRUE(Says(again, desk.file("DB.mdb") + "：文件已经存在，不会覆盖它。")) << again.output;
    const ToolRun imported = RunTool(desk, {"import", desk.file("DB.mdb"), lead.file("团队模板.csv")});
    EXPECT_EQ(imported.exitCode, 0u) << imported.output;
    EXPECT_TRUE(Says(imported, "导入 3 条模板，跳过 0 条。")) << imported.output;
    EXPECT_EQ(vt::QueryValue(desk, kTemplatesInOrder), vt::QueryValue(lead, kTemplatesInOrder));

    const ToolRun checked = RunTool(desk, {"check", desk.file("DB.mdb")});
    EXPECT_EQ(checked.exitCode, 0u) << checked.output;
    EXPECT_TRUE(Says(checked, desk.file("DB.mdb") + "：没有发现问题")) << checked.output;
}

TEST(DbTool, CheckFailsOnADamagedFileAndOnAMissingColumn)
{
    wt::ProgramFolder folder("客服工具");
    vt::WriteDatabase(folder, {"您好"});
    std::string bytes = folder.readFile("DB.mdb");
    bytes.replace(0, 16, "not a database!!");
    folder.writeFile("DB.mdb", bytes);
    const ToolRun damaged = RunTool(folder, {"check", folder.file("DB.mdb")});
    EXPECT_EQ(damaged.exitCode, 1u) << damaged.output;
    EXPECT_TRUE(Says(damaged, folder.file("DB.mdb") + "：文件不是有效的数据库。")) << damaged.output;
    EXPECT_EQ(folder.readFile("DB.mdb"), bytes) << "check never writes";

    vt::WriteDatabase(folder, {"您好"});
    vt::RunSql(folder, "alter table Tconfig drop column TSaveDay");
    const ToolRun missing = RunTool(folder, {"check", folder.file("DB.mdb")});
    EXPECT_EQ(missing.exitCode, 1u) << missing.output;
    EXPECT_TRUE(Says(missing, folder.file("DB.mdb") + "：表 Tconfig 缺少字段 TSaveDay。")) << missing.output;
}

TEST(DbTool, ImportIsRefusedWhileVelmoraRuns)
{
    vt::Installation app({"您好"}, "客服工具");
    app.folder.writeFile("新模板.csv", "TText\r\n再见\r\n");
    vt::Velmora velmora(app.folder);
    ASSERT_TRUE(velmora.waitForMainWindow());
    const ToolRun refused = RunTool(app.folder, {"import", app.folder.file("DB.mdb"), app.folder.file("新模板.csv")});
    EXPECT_EQ(refused.exitCode, 5u) << refused.output;
    EXPECT_TRUE(Says(refused, "Velmora 正在运行")) << refused.output;
    velmora.quitWith(IDYES);
    ASSERT_TRUE(velmora.process().waitForExit(10000));

    const ToolRun imported = RunTool(app.folder, {"import", app.folder.file("DB.mdb"), app.folder.file("新模板.csv")});
    EXPECT_EQ(imported.exitCode, 0u) << imported.output;
    EXPECT_EQ(vt::QueryValue(app.folder, kTemplatesInOrder), "您好|再见");
}

// The test holds the import's mutex, as a long import does for its whole run: Velmora, started
// meanwhile, waits before it opens its database, says so after two seconds, and starts when
// the import ends.
TEST(DbTool, VelmoraStartingDuringAnImportWaitsForItsEnd)
{
    vt::Installation app({"您好"}, "客服工具");
    const wt::UniqueHandle import(CreateMutexW(nullptr, TRUE, L"VelmoraDbImport"));
    ASSERT_TRUE(import);
    const DWORD started = GetTickCount();
    vt::Velmora velmora(app.folder);
    const HWND notice = wt::WaitForWindow(velmora.pid(), wt::HasClass("VelmoraImportWait"), 15000);
    ASSERT_TRUE(notice);
    EXPECT_GE(GetTickCount() - started, 2000u);
    EXPECT_EQ(wt::WindowText(notice), "VelmoraDb 正在导入模板，导入结束后 Velmora 就会启动……");
    EXPECT_FALSE(wt::WaitForWindow(velmora.pid(), wt::HasClass("TMainFrm"), 500));
    wt::SaveWindowScreenshot(notice, "dbtool_velmora_waits_for_import.png");

    ReleaseMutex(import.get());
    EXPECT_TRUE(wt::WaitForWindowGone(notice, 10000));
    ASSERT_TRUE(velmora.waitForMainWindow());
    EXPECT_EQ(velmora.listEntries(), std::vector<std::string>{"您好"});
    velmora.quitWith(IDYES);
    EXPECT_TRUE(velmora.process().waitForExit(10000));
}

// The connection text is protected for the Windows user who ran connect: the file holds no
// password, the system gives the text back to that user, and status shows the server only.
TEST(DbTool, TeamConnectProtectsTheConnectionForTheWindowsUserAndStatusNeverShowsThePassword)
{
    const std::string text = "Driver={PostgreSQL Unicode};Server=db01;Database=客服;Uid=velmora_desk;Pwd=s3cret-密码;";
    wt::ProgramFolder folder("客服工具");
    vt::WriteDatabase(folder, {"您好"});
    const ToolRun connected = RunTool(folder, {"team", "connect", folder.file("DB.mdb"), text});
    EXPECT_EQ(connected.exitCode, 0u) << connected.output;
    EXPECT_TRUE(Says(connected, "已设置团队模板库（服务器 db01）")) << connected.output;
    EXPECT_EQ(folder.readFile("DB.mdb").find("s3cret"), std::string::npos);

    // The system gives the text back to that user only with the program's own entropy.
    EXPECT_EQ(Unprotected(StoredConnection(folder), false), "");
    EXPECT_EQ(Unprotected(StoredConnection(folder), true), text + "|Velmora team library connection");

    const ToolRun status = RunTool(folder, {"team", "status", folder.file("DB.mdb")});
    EXPECT_EQ(status.exitCode, 0u) << status.output;
    EXPECT_TRUE(Says(status, "服务器：db01\n  上次同步：从未同步\n  模板组：默认\n  团队模板：0 条")) << status.output;
    EXPECT_EQ(status.output.find("s3cret"), std::string::npos) << status.output;
}

// A connection stored before the program had its entropy still reads; the desk's first check
// stores it anew with the entropy.
TEST(DbTool, AConnectionProtectedWithoutTheEntropyStillReadsAndIsProtectedAnew)
{
    const std::string text = "Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=1;Database=客服;Pwd=旧-s3cret;";
    vt::Installation app({"您好"}, "旧连接");
    const ToolRun connected = RunTool(app.folder, {"team", "connect", app.folder.file("DB.mdb"), text});
    ASSERT_EQ(connected.exitCode, 0u) << connected.output;
    DATA_BLOB in{static_cast<DWORD>(text.size()), reinterpret_cast<BYTE*>(const_cast<char*>(text.data()))};
    DATA_BLOB out{};
    ASSERT_TRUE(CryptProtectData(&in, L"older", nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out));
    std::string older(reinterpret_cast<const char*>(out.pbData), out.cbData);
    LocalFree(out.pbData);
    vt::RunSql(app.folder, "update TTeamConfig set TConnection=X'" + Hex(older) + "' where TID=1");
    EXPECT_EQ(DpapiProtector().unprotect(older), text);

    vt::Velmora velmora(app.folder);
    ASSERT_TRUE(velmora.waitForMainWindow());
    EXPECT_TRUE(wt::WaitUntil([&] { return StoredConnection(app.folder) != older; }, 15000));
    const std::string renewed = StoredConnection(app.folder);
    EXPECT_EQ(Unprotected(renewed, false), "");
    EXPECT_EQ(Unprotected(renewed, true), text + "|Velmora team library connection");
    velmora.quitWith(IDYES);
    EXPECT_TRUE(velmora.process().waitForExit(10000));
}

} // namespace

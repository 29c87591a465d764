#include "TeamDesk.h"

#include "ConnectionText.h"
#include "ImportLock.h"
#include "Platform.h"

#include "backup/Backup.h"
#include "common/DateTime.h"
#include "common/Protector.h"
#include "common/Text.h"
#include "store/Connection.h"
#include "store/StoreError.h"
#include "store/TeamCache.h"
#include "ui/StoreErrorText.h"

#include <map>
#include <optional>
#include <utility>

namespace {

int Fail(ToolOutput& output, int code, const std::string& line)
{
    output.err += line + "\n";
    return code;
}

// Holds the import's lock for a command that writes DB.mdb, and says when Velmora runs: the
// program reads the team tables while it runs, so they change only while it does not.
class WriteGuard {
public:
    explicit WriteGuard(Platform& platform) : platform_(platform), lock_(platform) {}

    // kExitDone, or the exit code after the sentence why not.
    int take(const std::string& database, ToolOutput& output)
    {
        std::string error;
        if (!lock_.take(error))
            return Fail(output, kExitVelmoraRunning, error + "，" + database + " 没有改动。");
        if (!platform_.isFile(database))
            return Fail(output, kExitFileProblem, database + "：找不到这个文件。");
        if (platform_.velmoraRunning())
            return Fail(output, kExitVelmoraRunning,
                        "Velmora 正在运行，请先退出它再设置团队模板库。" + database + " 没有改动。");
        std::string reason;
        if (!IsSoundDatabase(database, reason))
            return Fail(output, kExitUnusable, database + "：" + reason + "。没有改动。");
        return kExitDone;
    }

private:
    Platform& platform_;
    ImportLock lock_;
};

int Connect(const std::string& database, const std::string& argument, Platform& platform, ToolOutput& output)
{
    std::string text, error;
    if (!TakeConnectionText(argument, platform, text, error))
        return Fail(output, kExitUsage, error + "。" + database + " 没有改动。");
    // Nothing is asked of the network: the server may well be down while a desk is set up.
    if (!NamesOdbcDriver(text))
        return Fail(
            output, kExitUsage,
            "连接字符串中没有 Driver=（ODBC 驱动的名字）或 DSN=（数据源的名字），Velmora 不知道怎样连接服务器。" +
                database + " 没有改动。");
    WriteGuard guard(platform);
    const int taken = guard.take(database, output);
    if (taken != kExitDone)
        return taken;
    // Asked only now that the desk can be set up: nobody types a password for nothing.
    if (!CompletePassword(text, platform, error))
        return Fail(output, kExitUsage, error + "。" + database + " 没有改动。");
    std::string server = TeamServerName(text);
    if (server.empty())
        server = "（连接字符串中没有写明）";
    // While a policy names the connection, the cache stays its library; this desk's own
    // setting waits until the policy goes.
    const TeamChoice policy = ChooseTeam(platform.teamPolicy(), std::nullopt);
    std::string protectedText;
    try {
        protectedText = platform.protector().protect(text);
    } catch (const ProtectionError& e) {
        return Fail(output, kExitUnusable, database + "：" + e.what() + "，没有改动。");
    }
    try {
        Connection connection;
        connection.setConnectionText(ConnectionTextFor(database));
        // A desk an older build set up kept no identity of its connection: it is worked out
        // from the stored text, when this Windows user can read it, so that a new password
        // keeps the cache there too.
        const std::optional<TeamSettings> before = ReadTeamSettings(connection);
        if (before && before->identity.empty()) {
            try {
                RecordTeamIdentity(connection,
                                   TeamConnectionIdentity(platform.protector().unprotect(before->protectedConnection)));
            } catch (const ProtectionError&) {
            }
        }
        ConnectTeamLibrary(connection, protectedText, server, TeamConnectionIdentity(text), policy.identity);
    } catch (const StoreError& e) {
        return Fail(output, kExitFileProblem, database + "：设置失败（" + StoreErrorText(e) + "），没有改动。");
    }
    output.out += database + "：已设置团队模板库（服务器 " + server +
                  "）。Velmora 启动后从服务器读取团队模板；现在不连接服务器。\n";
    output.out += database + "：连接字符串已为当前 Windows 用户加密保存，Velmora 要以这个用户运行才能连接。\n";
    if (policy.connectionByPolicy)
        output.out += database + "：管理员用策略设置了团队模板库（服务器 " + policy.server +
                      "），策略取消之前 Velmora 使用策略的设置。\n";
    return kExitDone;
}

int Off(const std::string& database, Platform& platform, ToolOutput& output)
{
    WriteGuard guard(platform);
    const int taken = guard.take(database, output);
    if (taken != kExitDone)
        return taken;
    bool had = false;
    try {
        Connection connection;
        connection.setConnectionText(ConnectionTextFor(database));
        had = RemoveTeamLibrary(connection);
    } catch (const StoreError& e) {
        return Fail(output, kExitFileProblem, database + "：关闭失败（" + StoreErrorText(e) + "），没有改动。");
    }
    output.out += database + (had ? "：已关闭团队模板库，删除了缓存的团队模板和连接设置；本机自己的模板没有改动。\n"
                                  : "：没有设置团队模板库，没有改动。\n");
    return kExitDone;
}

int Status(const std::string& database, Platform& platform, ToolOutput& output)
{
    if (!platform.isFile(database))
        return Fail(output, kExitFileProblem, database + "：找不到这个文件。");
    std::optional<TeamSettings> settings;
    try {
        Connection connection;
        connection.setConnectionText(ConnectionTextFor(database));
        settings = ReadTeamSettings(connection);
    } catch (const StoreError& e) {
        return Fail(output, kExitUnusable, database + "：团队模板库的设置读不出（" + StoreErrorText(e) + "）。");
    }
    const TeamChoice choice = ChooseTeam(platform.teamPolicy(), settings);
    if (!choice.active) {
        output.out += database + "：没有设置团队模板库。\n";
        return kExitDone;
    }
    // Only what is stored in clear: the connection text, password and all, is never shown. The
    // cache counts only when it holds the library in use (Velmora empties it otherwise).
    const bool cached = settings && settings->cacheIdentity == choice.identity;
    output.out += database + "：团队模板库\n";
    output.out += "  服务器：" + ShownWithSource(choice.server, choice.connectionByPolicy) + "\n";
    if (choice.connectionByPolicy && settings && !settings->protectedConnection.empty())
        output.out += "  本机的设置：服务器 " + settings->server + "，策略取消后使用\n";
    if (choice.needsPassword)
        output.out += "  密码：管理员设置的连接没有密码，请在 Velmora 的“团队模板库…”窗口中输入\n";
    output.out +=
        "  上次同步：" + (cached && settings->lastSync > 0 ? FormatDateTime(settings->lastSync) : "从未同步") + "\n";
    output.out += "  团队模板：" + std::to_string(cached ? settings->rows : 0) + " 条\n";
    output.out += "  上次错误：" + (!cached || settings->lastError.empty() ? "无" : settings->lastError) + "\n";
    if (cached && !settings->note.empty())
        output.out += "  说明：" + settings->note + "\n";
    if (!choice.sets.empty()) {
        std::string sets;
        for (const std::string& set : choice.sets)
            sets += (sets.empty() ? "" : "、") + set;
        output.out += "  分组：" + ShownWithSource(sets, choice.setsByPolicy) + "\n";
    }
    output.out +=
        "  检查间隔：" + ShownWithSource(std::to_string(choice.checkSeconds) + " 秒", choice.checkSecondsByPolicy) +
        "，每次最多 " + std::to_string(settings ? settings->deadlineSeconds : kDefaultTeamDeadlineSeconds) + " 秒\n";
    return kExitDone;
}

} // namespace

bool IsDeskTeamCommand(const std::vector<std::string>& arguments)
{
    return arguments.size() >= 2 && arguments[0] == "team" &&
           (arguments[1] == "connect" || arguments[1] == "off" || arguments[1] == "status");
}

int RunDeskTeamCommand(const std::vector<std::string>& arguments, Platform& platform, ToolOutput& output)
{
    const std::string& command = arguments[1];
    if (command == "connect") {
        if (arguments.size() != 4)
            return Fail(output, kExitUsage, "用法：VelmoraDb team connect DB.mdb \"连接字符串\"|-");
        return Connect(arguments[2], arguments[3], platform, output);
    }
    if (arguments.size() != 3)
        return Fail(output, kExitUsage, "用法：VelmoraDb team " + command + " DB.mdb");
    return command == "off" ? Off(arguments[2], platform, output) : Status(arguments[2], platform, output);
}

std::string DeskTeamHelp()
{
    return "  VelmoraDb team connect DB.mdb \"连接字符串\"|-\n"
           "      让这台电脑使用团队模板库：把 ODBC 连接字符串（要有 Driver= 或 DSN=）为当前 Windows\n"
           "      用户加密保存在 DB.mdb 中，Velmora 要以这个用户运行。现在不连接服务器。建议客服电脑\n"
           "      用 Windows 身份验证（Trusted_Connection=yes）或只能读的数据库账号。再次 connect 时，\n"
           "      只换了密码则保留缓存的团队模板；换了数据库、账号、端口或驱动程序则清空。\n"
           "  VelmoraDb team off DB.mdb\n"
           "      不再使用团队模板库：删除缓存的团队模板和连接设置，本机自己的模板不变。\n"
           "  VelmoraDb team status DB.mdb\n"
           "      团队模板库的情况：服务器、上次同步的时间、团队模板的条数、上次的错误、没有使用的\n"
           "      模板的说明、检查间隔和时限。不显示密码。\n"
           "      connect 和 off 在 Velmora 运行时不做。\n"
           "  客服电脑上的 Velmora 把服务器上的每条模板按发布的规则再检查一遍：含控制字符（制表符和\n"
           "  换行以外的）或改变文字方向的字符的模板不使用，其余照常，并说明有几条没有使用；每条模板\n"
           "  最多 64 KB、整个库最多 100000 条和 64 MB，超过时整个库不用，仍用上次取回的，组长重新\n"
           "  发布之前不再取回；每次检查最多 60 秒，服务器答不完就放弃，下次照常检查。\n"
           "  管理员可以用组策略设置团队模板库：注册表 Software\\Policies\\Velmora 中的 TeamConnection、\n"
           "  TeamSets、TeamCheckSeconds，HKLM 优先于 HKCU。策略优先于 connect 的设置（不覆盖它，策略取消后\n"
           "  仍用它），status 中标明“由管理员设置”。\n";
}

#include "TeamDesk.h"

#include "ConnectionText.h"
#include "ImportLock.h"
#include "Platform.h"

#include "backup/Backup.h"
#include "common/DateTime.h"
#include "common/Protector.h"
#include "common/TemplateRule.h"
#include "common/Text.h"
#include "store/Connection.h"
#include "store/StoreError.h"
#include "store/TeamCache.h"
#include "templates/TeamSync.h"
#include "ui/StoreErrorText.h"

#include <algorithm>
#include <map>
#include <random>
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

// A desk's name for the usage counts: chance from the system, nothing of the user or machine.
std::string NewDeskId()
{
    class SystemRandom : public RandomSource {
    public:
        double next() override { return std::uniform_real_distribution<double>(0.0, 1.0)(engine_); }

    private:
        std::random_device device_;
        std::mt19937_64 engine_{(static_cast<unsigned long long>(device_()) << 32) ^ device_()};
    } random;
    return RandomTeamId(random);
}

// The names of --sets: separated by commas (either width), each trimmed, each once.
bool ParseSets(const std::string& text, std::vector<std::string>& sets, std::string& error)
{
    std::string rest = text;
    for (size_t at; (at = rest.find("，")) != std::string::npos;)
        rest.replace(at, std::string("，").size(), ",");
    size_t from = 0;
    while (from <= rest.size()) {
        const size_t end = std::min(rest.find(',', from), rest.size());
        const std::string name = TrimText(rest.substr(from, end - from));
        from = end + 1;
        if (name.empty())
            continue;
        if (FindRefusedCharacter(name) || name.find('\n') != std::string::npos || CharacterCount(name) > 40) {
            error = "模板组的名字「" + name + "」不能用（最多 40 个字，不含控制字符）";
            return false;
        }
        if (std::find(sets.begin(), sets.end(), name) == sets.end())
            sets.push_back(name);
    }
    if (sets.empty()) {
        error = "--sets 后面没有模板组的名字";
        return false;
    }
    return true;
}

std::string SetList(const std::vector<std::string>& sets)
{
    std::string list;
    for (const std::string& name : sets.empty() ? std::vector<std::string>{kDefaultTeamSetName} : sets)
        list += (list.empty() ? "" : "、") + name;
    return list;
}

int Connect(const std::string& database, const std::string& argument, const std::vector<std::string>& sets,
            Platform& platform, ToolOutput& output)
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
        ConnectTeamLibrary(connection, protectedText, server, TeamConnectionIdentity(text), sets, NewDeskId(),
                           policy.identity);
    } catch (const StoreError& e) {
        return Fail(output, kExitFileProblem, database + "：设置失败（" + StoreErrorText(e) + "），没有改动。");
    }
    output.out += database + "：已设置团队模板库（服务器 " + server +
                  "）。Velmora 启动后从服务器读取团队模板；现在不连接服务器。\n";
    output.out += database + "：列出的模板组：" + SetList(sets) + "\n";
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
    output.out += "  模板组：" + ShownWithSource(SetList(choice.sets), choice.setsByPolicy) + "\n";
    output.out += "  团队模板：" + std::to_string(cached ? settings->rows : 0) + " 条\n";
    output.out += "  上次错误：" + (!cached || settings->lastError.empty() ? "无" : settings->lastError) + "\n";
    if (cached && !settings->note.empty())
        output.out += "  说明：" + settings->note + "\n";
    if (cached && settings->usage)
        output.out += std::string("  ") + kTeamUsageSentence + "\n";
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
        const char* const usage = "用法：VelmoraDb team connect DB.mdb \"连接字符串\"|- [--sets 集1,集2]";
        std::vector<std::string> sets;
        if (arguments.size() == 6 && arguments[4] == "--sets") {
            std::string error;
            if (!ParseSets(arguments[5], sets, error))
                return Fail(output, kExitUsage, error + "。" + arguments[2] + " 没有改动。");
        } else if (arguments.size() != 4) {
            return Fail(output, kExitUsage, usage);
        }
        return Connect(arguments[2], arguments[3], sets, platform, output);
    }
    if (arguments.size() != 3)
        return Fail(output, kExitUsage, "用法：VelmoraDb team " + command + " DB.mdb");
    return command == "off" ? Off(arguments[2], platform, output) : Status(arguments[2], platform, output);
}

std::string DeskTeamHelp()
{
    return "  VelmoraDb team connect DB.mdb \"连接字符串\"|- [--sets 售前,售后]\n"
           "      让这台电脑使用团队模板库：把 ODBC 连接字符串（要有 Driver= 或 DSN=）为当前 Windows\n"
           "      用户加密保存在 DB.mdb 中，Velmora 要以这个用户运行。现在不连接服务器。建议客服电脑\n"
           "      用 Windows 身份验证（Trusted_Connection=yes）或只能读的数据库账号。再次 connect 时，\n"
           "      只换了密码则保留缓存的团队模板；换了数据库、账号、端口或驱动程序则清空。\n"
           "      --sets 是这台电脑列出的模板组，按写的顺序列在本机模板之后；不写时是默认模板组。\n"
           "      服务器上没有了的模板组不再列出，托盘提示说明。\n"
           "  VelmoraDb team off DB.mdb\n"
           "      不再使用团队模板库：删除缓存的团队模板和连接设置，本机自己的模板不变。\n"
           "  VelmoraDb team status DB.mdb\n"
           "      团队模板库的情况：服务器、上次同步的时间、列出的模板组、团队模板的条数、上次的\n"
           "      错误、没有使用的模板的说明、是否在统计使用次数、检查间隔和时限。不显示密码。\n"
           "      connect 和 off 在 Velmora 运行时不做。\n"
           "  客服电脑上的 Velmora 把服务器上的每条模板按发布的规则再检查一遍：含控制字符（制表符和\n"
           "  换行以外的）或改变文字方向的字符的模板不使用，其余照常，并说明有几条没有使用；每条模板\n"
           "  最多 64 KB、整个库最多 100000 条和 64 MB，超过时整个库不用，仍用上次取回的，组长重新\n"
           "  发布之前不再取回；每次检查最多 60 秒，服务器答不完就放弃，下次照常检查。\n"
           "  团队负责人开启使用次数统计（team init --usage on）后，Velmora 记下每条团队模板每天完整\n"
           "  发送的次数，下次检查时交给服务器：只有这台电脑的随机编号、日期、模板组和模板的\n"
           "  编号、次数，没有模板的文字、发送到的窗口、客户的任何内容，也没有用户名。连不上时\n"
           "  先留在 DB.mdb 中（最多 90 天、20000 行），下次再交，同一次统计不会算两遍。\n"
           "  管理员可以用组策略设置团队模板库：注册表 Software\\Policies\\Velmora 中的 TeamConnection、\n"
           "  TeamSets、TeamCheckSeconds，HKLM 优先于 HKCU。策略优先于 connect 的设置（不覆盖它，策略取消后\n"
           "  仍用它），status 中标明“由管理员设置”。\n";
}

#include "TeamUsage.h"

#include "ConnectionText.h"
#include "Csv.h"
#include "Platform.h"

#include "common/TemplateRule.h"
#include "common/Text.h"
#include "store/TeamCache.h"
#include "store/TeamError.h"
#include "ui/StoreErrorText.h"

#ifdef _WIN32
#include "store/TeamServer.h"
#endif

namespace {

const int kDefaultDays = 30;
const int kMostDays = 3660;
// Characters of a template shown on the console's one line.
const int kShownCharacters = 40;

// A template on one line of the console: line breaks and tabs as blanks, characters that
// would act on the console left out (the server's text is not trusted), cut to its room.
std::string OneLine(const std::string& text)
{
    std::string line;
    for (size_t at = 0; at < text.size();) {
        const size_t length = CharacterLength(text, at);
        const std::string character = text.substr(at, length);
        at += length;
        if (character == "\r" || character == "\n" || character == "\t")
            line += ' ';
        else if (!FindRefusedCharacter(character))
            line += character;
    }
    return CharacterCount(line) > kShownCharacters ? ShortenText(line, kShownCharacters - 3) : line;
}

std::string Right(const std::string& text, size_t width)
{
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

bool ParseDays(const std::string& text, int& days)
{
    if (text.empty() || text.size() > 4 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    days = std::stoi(text);
    return days >= 1 && days <= kMostDays;
}

#ifdef _WIN32
class OdbcUsage : public TeamUsageSource {
public:
    explicit OdbcUsage(const std::string& connectionText) : server_(connectionText) {}
    std::vector<TeamUsageLine> usage(const std::string& set, int days) override
    {
        std::vector<TeamUsageLine> lines;
        for (TeamServer::UsageRow& row : server_.usage(set, days))
            lines.push_back({row.templateNo, std::move(row.text), row.sends, row.desks});
        return lines;
    }

private:
    TeamServer server_;
};
#endif

} // namespace

std::unique_ptr<TeamUsageSource> ConnectTeamUsage(const std::string& connectionText)
{
#ifdef _WIN32
    return std::make_unique<OdbcUsage>(connectionText);
#else
    (void)connectionText;
    return nullptr;
#endif
}

bool IsTeamUsageCommand(const std::vector<std::string>& arguments)
{
    return arguments.size() >= 2 && arguments[0] == "team" && arguments[1] == "usage";
}

std::string TeamUsageReport(const std::vector<TeamUsageLine>& lines, const std::string& set, int days)
{
    long long sends = 0;
    size_t sent = 0;
    for (const TeamUsageLine& line : lines) {
        sends += line.sends;
        sent += line.sends > 0 ? 1 : 0;
    }
    std::string report = "模板组「" + set + "」最近 " + std::to_string(days) + " 天：" + std::to_string(lines.size()) +
                         " 条模板，发送过的 " + std::to_string(sent) + " 条，共发送 " + std::to_string(sends) + " 次\n";
    if (sent > 0) {
        report += "  发送次数  电脑数  编号  模板\n";
        for (const TeamUsageLine& line : lines)
            if (line.sends > 0)
                report += "  " + Right(std::to_string(line.sends), 8) + "  " + Right(std::to_string(line.desks), 6) +
                          "  " + Right(std::to_string(line.templateNo), 4) + "  " + OneLine(line.text) + "\n";
    }
    if (sent < lines.size()) {
        report += "从未发送的模板（" + std::to_string(lines.size() - sent) + " 条）：\n";
        for (const TeamUsageLine& line : lines)
            if (line.sends == 0)
                report += "  " + Right(std::to_string(line.templateNo), 4) + "  " + OneLine(line.text) + "\n";
    }
    return report;
}

std::string TeamUsageCsv(const std::vector<TeamUsageLine>& lines, const std::string& set, int days)
{
    std::string csv =
        std::string(kUtf8ByteOrderMark) + CsvRecord({"模板组", "天数", "编号", "发送次数", "电脑数", "模板"});
    for (const TeamUsageLine& line : lines)
        csv += CsvRecord({SpreadsheetCell(set), std::to_string(days), std::to_string(line.templateNo),
                          std::to_string(line.sends), std::to_string(line.desks), SpreadsheetCell(line.text)});
    return csv;
}

int RunTeamUsage(const std::vector<std::string>& arguments, Platform& platform, ToolOutput& output,
                 TeamUsageSource* source)
{
    const std::string usage = "用法：VelmoraDb team usage \"连接文字\"|- [--days 天数] [--set 模板组] [--csv 文件]";
    if (arguments.size() < 3 || arguments.size() % 2 == 0) {
        output.err += usage + "\n";
        return kExitUsage;
    }
    int days = kDefaultDays;
    std::string set = kDefaultTeamSetName, csvFile;
    for (size_t i = 3; i + 1 < arguments.size(); i += 2) {
        const std::string& option = arguments[i];
        const std::string& value = arguments[i + 1];
        if (option == "--days" && ParseDays(value, days))
            continue;
        if (option == "--set" && !TrimText(value).empty()) {
            set = TrimText(value);
            continue;
        }
        if (option == "--csv" && !value.empty()) {
            csvFile = value;
            continue;
        }
        output.err += (option == "--days" ? "VelmoraDb：--days 要 1 到 " + std::to_string(kMostDays) + " 天。"
                                          : "VelmoraDb：不认识 " + option + " " + value + "。") +
                      usage + "\n";
        return kExitUsage;
    }
    // The file is not to be overwritten: looked at before the server is asked.
    if (!csvFile.empty() && platform.isFile(csvFile)) {
        output.err += "VelmoraDb：" + csvFile + " 已经有了，没有改动。请换一个文件名。\n";
        return kExitFileProblem;
    }
    std::vector<TeamUsageLine> lines;
    try {
        std::unique_ptr<TeamUsageSource> server;
        if (!source) {
            std::string connectionText, error;
            if (!TakeConnectionText(arguments[2], platform, connectionText, error) ||
                !CompletePassword(connectionText, platform, error)) {
                output.err += "VelmoraDb：" + error + "。\n";
                return kExitUsage;
            }
            server = ConnectTeamUsage(connectionText);
            if (!server) {
                output.err += "VelmoraDb team 的命令通过 ODBC 连接数据库服务器，只有 Windows 版的 VelmoraDb 有。\n";
                return kExitTeamServer;
            }
            source = server.get();
        }
        lines = source->usage(set, days);
    } catch (const TeamError& e) {
        output.err += "VelmoraDb：" + TeamErrorText(e) + "。\n";
        return kExitTeamServer;
    }
    if (lines.empty()) {
        output.err += "VelmoraDb：服务器上没有模板组「" + set + "」，或者它还没有发布过。\n";
        return kExitUsage;
    }
    output.out += TeamUsageReport(lines, set, days);
    if (!csvFile.empty()) {
        std::string reason;
        if (!platform.writeNewFile(csvFile, TeamUsageCsv(lines, set, days), reason)) {
            output.err += "VelmoraDb：" + csvFile + "：" + reason + "\n";
            return kExitFileProblem;
        }
        output.out += "已写入 " + csvFile + "（" + std::to_string(lines.size()) + " 条）。\n";
    }
    return kExitDone;
}

std::string TeamUsageHelp()
{
    return "  VelmoraDb team usage \"连接文字\"|- [--days 30] [--set 模板组] [--csv 文件]\n"
           "      （团队负责人）一个模板组的模板最近几天（默认 30 天，按服务器的日期）各发送了\n"
           "      多少次、由几台电脑发送，次数多的在前；然后是从未发送的模板，可以考虑删掉。\n"
           "      没有 --set 时是默认模板组。--csv 另外写一个 CSV 文件（和 export 一样，表格程序\n"
           "      打开时不会把文字当成公式），文件已有时不覆盖。要先用 team init --usage on 开启统计。\n";
}

#include "TeamLead.h"

#include "ConnectionText.h"
#include "Csv.h"
#include "Platform.h"
#include "TemplateIntake.h"

#include "common/TemplateRule.h"
#include "common/Text.h"
#include "store/Connection.h"
#include "store/Database.h"
#include "store/StoreError.h"
#include "store/TeamError.h"
#include "ui/StoreErrorText.h"

#include <algorithm>
#include <cstdlib>
#include <map>

namespace {

const size_t kListedAtMost = 20;

std::string Positions(const std::vector<int>& positions)
{
    std::string text;
    for (size_t i = 0; i < positions.size() && i < kListedAtMost; ++i)
        text += (i ? "、" : "") + std::to_string(positions[i]);
    return positions.size() > kListedAtMost ? text + " 等" : text;
}

const char* const kNeedsWindows = "VelmoraDb team 的命令通过 ODBC 连接数据库服务器，只有 Windows 版的 VelmoraDb 有。";

std::unique_ptr<TeamLink> Connect(const std::string& connectionText, ToolOutput& output)
{
    std::unique_ptr<TeamLink> link = ConnectTeam(connectionText);
    if (!link)
        output.err += std::string(kNeedsWindows) + "\n";
    return link;
}

// The options after a command's fixed words: `--name value` for those in `withValue`, `--name`
// alone for those in `flags`; anything else not starting with -- is positional.
struct Options {
    std::vector<std::string> positional;
    std::map<std::string, std::string> values;
    bool has(const std::string& name) const { return values.count(name) != 0; }
    std::string value(const std::string& name, const std::string& otherwise = "") const
    {
        const auto it = values.find(name);
        return it == values.end() ? otherwise : it->second;
    }
};

bool ParseOptions(const std::vector<std::string>& arguments, size_t from, const std::vector<std::string>& withValue,
                  const std::vector<std::string>& flags, Options& options)
{
    const auto among = [](const std::vector<std::string>& names, const std::string& name) {
        return std::find(names.begin(), names.end(), name) != names.end();
    };
    for (size_t i = from; i < arguments.size(); ++i) {
        const std::string& word = arguments[i];
        if (word.size() > 2 && word.compare(0, 2, "--") == 0) {
            if (options.has(word))
                return false;
            if (among(flags, word))
                options.values[word] = "";
            else if (among(withValue, word) && i + 1 < arguments.size())
                options.values[word] = arguments[++i];
            else
                return false;
        } else {
            options.positional.push_back(word);
        }
    }
    return true;
}

// A whole number from `low` to `high`, or -1.
long long NumberIn(const std::string& text, long long low, long long high)
{
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
        return -1;
    const long long value = std::atoll(text.c_str());
    return value >= low && value <= high ? value : -1;
}

// A set's name or a version's note as the lead typed it: whole UTF-8, one line, no refused
// character, within `bytesAtMost`; a set's name holds no comma either (desks list their
// sets separated by commas). Empty when it will do, else why not.
std::string RefusalOf(const std::string& text, size_t bytesAtMost, bool setName)
{
    if (FindInvalidUtf8(text) != std::string::npos)
        return "含有不是 UTF-8 的字节";
    if (text.size() > bytesAtMost)
        return "太长了（最多 " + std::to_string(bytesAtMost) + " 字节）";
    if (text.find_first_of("\r\n\t") != std::string::npos)
        return "不能含有换行或制表符";
    if (const FoundCharacter refused = FindRefusedCharacter(text))
        return "含有" + RefusedCharacterText(refused.code);
    if (setName && (TrimText(text) != text || text.empty()))
        return "不能是空白，前后也不能有空格";
    if (setName && (text.find(',') != std::string::npos || text.find("，") != std::string::npos))
        return "不能含有逗号（座席用逗号分隔选择的模板组）";
    return "";
}

const size_t kSetNameBytes = 90; // 30 Chinese characters
const size_t kNoteBytes = 600;   // 200 Chinese characters

// What the server says, for one line of the console: controls become spaces.
std::string OneLine(std::string text)
{
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = ' ';
    return text;
}

// A template's text as the console shows it under a diff line: each line indented, a refused
// character named instead of acting on the console.
std::string Shown(const std::string& text)
{
    std::string shown = "    ";
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') {
            shown += "\n    ";
            continue;
        }
        if (text[i] == '\r')
            continue;
        const FoundCharacter refused = FindRefusedCharacter(text.substr(i, 4));
        if (refused && refused.at == 0) {
            shown += "[" + CodePointName(refused.code) + "]";
            i += refused.code < 0x80 ? 0 : (refused.code < 0x800 ? 1 : 2);
            continue;
        }
        shown += text[i];
    }
    return shown + "\n";
}

const char* const kUnchanged = "。服务器没有改动。\n";

// The connection text of `argument` with its password; false, with the error said, when not.
bool Connection(const std::string& argument, Platform& platform, std::string& connectionText, ToolOutput& output)
{
    std::string error;
    if (!TakeConnectionText(argument, platform, connectionText, error) ||
        !CompletePassword(connectionText, platform, error)) {
        output.err += "VelmoraDb：" + error + kUnchanged;
        return false;
    }
    return true;
}

int Init(const std::string& argument, const Options& options, Platform& platform, ToolOutput& output)
{
    const long long keep = options.has("--keep") ? NumberIn(options.value("--keep"), 1, 10000) : 0;
    const std::string usage = options.value("--usage");
    if (keep < 0 || (options.has("--usage") && usage != "on" && usage != "off")) {
        output.err +=
            "VelmoraDb：--keep 后面是保留的版本数（1 到 10000），--usage 后面是 on 或 off" + std::string(kUnchanged);
        return kExitUsage;
    }
    std::string connectionText;
    if (!Connection(argument, platform, connectionText, output))
        return kExitUsage;
    try {
        std::unique_ptr<TeamLink> link = Connect(connectionText, output);
        if (!link)
            return kExitTeamServer;
        link->createTables();
        if (keep > 0)
            link->setOption("keep", std::to_string(keep));
        if (!usage.empty())
            link->setOption("usage", usage);
        int setId = 0, current = 0;
        link->findSet(kTeamDefaultSet, setId, current);
        output.out += "团队模板库的表已在服务器上准备好（" + link->serverName() + "，默认模板组" +
                      (current > 0 ? "当前是第 " + std::to_string(current) + " 版" : "还没有发布过") +
                      "）。已有的表和模板不会改动。\n";
        if (keep > 0)
            output.out += "每个模板组保留最近 " + std::to_string(keep) + " 个版本，更早的在下次发布时删除。\n";
        if (usage == "on")
            output.out += "已开启使用次数统计：各个座席只上传每条团队模板每天的发送次数。\n";
        else if (usage == "off")
            output.out += "已关闭使用次数统计。\n";
        return kExitDone;
    } catch (const TeamError& e) {
        output.err += "VelmoraDb：" + TeamErrorText(e) + kUnchanged;
        return kExitTeamServer;
    }
}

struct Publication {
    std::vector<std::string> texts;
    std::vector<long long> ids; // each text's DB.mdb ID
    std::vector<int> empty, repeated;
};

// The templates of `database` in the list's order, under import's rules: trimmed, empty
// ones and repeats skipped. A refused character or bytes that are not UTF-8 refuse the
// whole publish, naming the template and its line: the desks would type them into the
// customer's window. So does a library over the limits the desks hold it to, naming the
// template that takes it over.
int ReadPublication(const std::string& database, Platform& platform, Publication& publication, ToolOutput& output)
{
    if (!platform.isFile(database)) {
        output.err += database + "：找不到这个文件。服务器没有改动。\n";
        return kExitFileProblem;
    }
    TemplateIntake intake;
    LibraryTally library{LibraryLimits{}};
    const auto refuse = [&](int position, const std::string& why) {
        output.err += database + "：第 " + std::to_string(position) + " 条模板" + why + "。服务器没有改动。\n";
        return kExitNeedsAttention;
    };
    const std::string notTaken = "，各个座席不会接受这样的模板库";
    const std::string mend = "，请先在模板管理中改正";
    try {
        Database db(database, Database::Opening::ReadOnly);
        RowReader rows(db, "select TText, ID from TText order by TSortID asc, ID asc");
        // Row by row, so that what is held stays within the limits whatever the file holds.
        for (int position = 1; rows.next(); ++position) {
            const std::string_view text = rows.utf8At(0);
            // A text over the limit is refused by its size, never copied.
            if (text.size() > kMaxTemplateBytes)
                return refuse(position, "：" + library.reason(OverLimit::TemplateTooLong, text.size()) + notTaken);
            const std::string stored(text);
            if (const FoundCharacter refused = FindRefusedCharacter(stored))
                return refuse(position, "第 " + std::to_string(LineOf(stored, refused.at)) + " 行含有" +
                                            RefusedCharacterText(refused.code) + mend);
            if (FindInvalidUtf8(stored) != std::string::npos)
                return refuse(position, "含有不是 UTF-8 的字节" + mend);
            std::string trimmed = TrimText(stored);
            switch (intake.take(trimmed)) {
            case Intake::Take:
                if (const OverLimit over = library.take(trimmed); over != OverLimit::None)
                    return refuse(position, "：" + library.reason(over, trimmed.size()) + notTaken);
                publication.texts.push_back(std::move(trimmed));
                publication.ids.push_back(std::atoll(std::string(rows.utf8At(1)).c_str()));
                break;
            case Intake::Empty: publication.empty.push_back(position); break;
            case Intake::AlreadyThere:
            case Intake::Repeated: publication.repeated.push_back(position); break;
            }
        }
    } catch (const StoreError& e) {
        output.err += database + "：模板读不出（" + std::string(e.what()) + "）。服务器没有改动。\n";
        return kExitUnusable;
    }
    return kExitDone;
}

// "模板组“售后”的第 3 版：新增 1 条、修改 2 条、删除 0 条"
std::string VersionSaid(const std::string& set, const TeamServer::Published& published)
{
    const TeamComparison& c = published.comparison;
    return "模板组“" + set + "”的第 " + std::to_string(published.versionNo) + " 版：新增 " + std::to_string(c.added) +
           " 条、修改 " + std::to_string(c.changed) + " 条、删除 " + std::to_string(c.removed) + " 条";
}

// The set and note options, checked; false with the error said.
bool SetAndNote(const Options& options, std::string& set, std::string& note, ToolOutput& output)
{
    set = options.value("--set", kTeamDefaultSet);
    note = options.value("--note");
    const std::string setWhy = RefusalOf(set, kSetNameBytes, true), noteWhy = RefusalOf(note, kNoteBytes, false);
    if (!setWhy.empty() || !noteWhy.empty()) {
        output.err += "VelmoraDb：" + (setWhy.empty() ? "备注" + noteWhy : "模板组的名称" + setWhy) + kUnchanged;
        return false;
    }
    return true;
}

int Publish(const std::string& database, const std::string& argument, const Options& options, Platform& platform,
            ToolOutput& output)
{
    std::string connectionText, error, set, note;
    if (!SetAndNote(options, set, note, output))
        return kExitUsage;
    if (!TakeConnectionText(argument, platform, connectionText, error)) {
        output.err += "VelmoraDb：" + error + "。服务器上的团队模板库没有改动。\n";
        return kExitUsage;
    }
    Publication publication;
    const int read = ReadPublication(database, platform, publication, output);
    if (read != kExitDone)
        return read;
    // Asked only once the templates can be published: nobody types a password for nothing.
    if (!CompletePassword(connectionText, platform, error)) {
        output.err += "VelmoraDb：" + error + "。服务器上的团队模板库没有改动。\n";
        return kExitUsage;
    }
    TeamServer::Published published;
    std::string server;
    try {
        std::unique_ptr<TeamLink> link = Connect(connectionText, output);
        if (!link)
            return kExitTeamServer;
        server = link->serverName();
        std::vector<TeamVersionRow> rows(publication.texts.size());
        for (size_t i = 0; i < rows.size(); ++i) {
            rows[i].sourceId = publication.ids[i];
            rows[i].text = std::move(publication.texts[i]);
        }
        published = link->publishVersion(set, std::move(rows), link->sourceOf(database), note, false);
    } catch (const TeamError& e) {
        output.err += "VelmoraDb：" + TeamErrorText(e) + "。服务器上的团队模板库没有改动。\n";
        return kExitTeamServer;
    }
    const size_t skipped = publication.empty.size() + publication.repeated.size();
    output.out += database + "：已发布 " + std::to_string(publication.ids.size()) + " 条模板到团队模板库（" + server +
                  "，" + VersionSaid(set, published) + "），跳过 " + std::to_string(skipped) + " 条。\n";
    if (published.newSet)
        output.out += "模板组“" + set + "”是新建的：座席用 team connect … --sets " + set + " 选择它。\n";
    if (!publication.empty.empty())
        output.out += database + "：跳过空白的模板 " + std::to_string(publication.empty.size()) + " 条，第 " +
                      Positions(publication.empty) + " 条。\n";
    if (!publication.repeated.empty())
        output.out += database + "：跳过与前面相同的模板 " + std::to_string(publication.repeated.size()) + " 条，第 " +
                      Positions(publication.repeated) + " 条。\n";
    return kExitDone;
}

// The server reached and the set named by --set found on it.
struct OpenedSet {
    std::unique_ptr<TeamLink> link;
    int setId = 0;
    int current = 0; // the version desks read
};

// Connects and finds the set; kExitDone, or the exit code with a sentence said when the server
// is out of reach in this build or has no set of that name.
int OpenSet(const std::string& connectionText, const std::string& set, OpenedSet& opened, ToolOutput& output)
{
    opened.link = Connect(connectionText, output);
    if (!opened.link)
        return kExitTeamServer;
    if (opened.link->findSet(set, opened.setId, opened.current))
        return kExitDone;
    output.err += "VelmoraDb：服务器上没有名为“" + set + "”的模板组（team sets 列出它们）。\n";
    return kExitUsage;
}

const size_t kHistoryListed = 20;
const size_t kHistoryAtMost = 100000;

int History(const std::string& argument, const Options& options, Platform& platform, ToolOutput& output)
{
    std::string set, note, connectionText;
    if (!SetAndNote(options, set, note, output) || !Connection(argument, platform, connectionText, output))
        return kExitUsage;
    try {
        OpenedSet opened;
        if (const int failed = OpenSet(connectionText, set, opened, output))
            return failed;
        TeamLink& link = *opened.link;
        const bool all = options.has("--all");
        const auto lines = link.history(opened.setId, all ? kHistoryAtMost : kHistoryListed);
        output.out +=
            "模板组“" + set + "”的版本，新的在前" + (all ? "" : "（最近 20 个；--all 列出保留的全部）") + "：\n";
        for (const TeamServer::HistoryLine& line : lines) {
            output.out += "第 " + std::to_string(line.versionNo) + " 版  " + OneLine(line.time) + "  " +
                          OneLine(line.login) + "（" + OneLine(line.user) + "，" + OneLine(line.computer) +
                          "）  新增 " + std::to_string(line.added) + "，修改 " + std::to_string(line.changed) +
                          "，删除 " + std::to_string(line.removed) + "，共 " + std::to_string(line.rows) + " 条" +
                          (line.note.empty() ? "" : "  备注：" + OneLine(line.note)) +
                          (line.versionNo == opened.current ? "  （座席使用的版本）" : "") + "\n";
        }
        if (lines.empty())
            output.out += "还没有发布过。\n";
        return kExitDone;
    } catch (const TeamError& e) {
        output.err += "VelmoraDb：" + TeamErrorText(e) + "。\n";
        return kExitTeamServer;
    }
}

// A kept version's rows, held to the limits a publish is held to; false with a sentence.
bool KeptRows(TeamLink& link, int setId, int versionNo, std::vector<TeamVersionRow>& rows, ToolOutput& output)
{
    rows = link.versionRows(setId, versionNo, kMaxTemplateBytes, kMaxLibraryTemplates);
    LibraryTally tally{LibraryLimits{}};
    for (const TeamVersionRow& row : rows)
        if (tally.take(row.text) != OverLimit::None) {
            output.err += "VelmoraDb：服务器上第 " + std::to_string(versionNo) +
                          " 版的模板超过了模板库的上限，不是 VelmoraDb 发布的。\n";
            return false;
        }
    return true;
}

// Whether the set keeps version `versionNo`; says so when not.
bool Kept(const std::vector<TeamServer::HistoryLine>& lines, int versionNo, const TeamServer::HistoryLine*& found,
          ToolOutput& output)
{
    for (const TeamServer::HistoryLine& line : lines)
        if (line.versionNo == versionNo) {
            found = &line;
            return true;
        }
    output.err +=
        "VelmoraDb：服务器上没有保留第 " + std::to_string(versionNo) + " 版（team history --all 列出保留的版本）。\n";
    return false;
}

int Diff(const std::string& argument, const Options& options, Platform& platform, ToolOutput& output)
{
    std::string set, note, connectionText;
    const long long newer = NumberIn(options.positional[0], 1, 999999999);
    const long long older = options.positional.size() > 1 ? NumberIn(options.positional[1], 1, 999999999) : newer - 1;
    if (newer < 0 || older < 0) {
        output.err += "用法：VelmoraDb team diff \"连接文字\"|- 版本 [对比的版本] [--set 模板组]\n";
        return kExitUsage;
    }
    if (!SetAndNote(options, set, note, output) || !Connection(argument, platform, connectionText, output))
        return kExitUsage;
    try {
        OpenedSet opened;
        if (const int failed = OpenSet(connectionText, set, opened, output))
            return failed;
        TeamLink& link = *opened.link;
        const auto lines = link.history(opened.setId, kHistoryAtMost);
        const TeamServer::HistoryLine* line = nullptr;
        std::vector<TeamVersionRow> before, after;
        if (!Kept(lines, static_cast<int>(newer), line, output) ||
            (older > 0 && !Kept(lines, static_cast<int>(older), line, output)) ||
            !KeptRows(link, opened.setId, static_cast<int>(newer), after, output) ||
            (older > 0 && !KeptRows(link, opened.setId, static_cast<int>(older), before, output)))
            return kExitUsage;
        const std::vector<TeamDifference> differences = DiffVersions(before, after);
        int counts[3] = {};
        for (const TeamDifference& d : differences)
            ++counts[static_cast<int>(d.kind)];
        output.out += "模板组“" + set + "”第 " + std::to_string(newer) + " 版对比" +
                      (older > 0 ? "第 " + std::to_string(older) + " 版" : std::string("空的模板库")) + "：新增 " +
                      std::to_string(counts[0]) + " 条，修改 " + std::to_string(counts[1]) + " 条，删除 " +
                      std::to_string(counts[2]) + " 条。\n";
        for (const TeamDifference& d : differences) {
            const std::string number = "（模板编号 " + std::to_string(d.templateNo) + "）";
            switch (d.kind) {
            case TeamDifference::Kind::Added: output.out += "+ 新增" + number + "\n" + Shown(d.after); break;
            case TeamDifference::Kind::Removed: output.out += "- 删除" + number + "\n" + Shown(d.before); break;
            case TeamDifference::Kind::Changed:
                output.out += "* 修改" + number + "，原来：\n" + Shown(d.before) + "  现在：\n" + Shown(d.after);
                break;
            }
        }
        return kExitDone;
    } catch (const TeamError& e) {
        output.err += "VelmoraDb：" + TeamErrorText(e) + "。\n";
        return kExitTeamServer;
    }
}

int Rollback(const std::string& argument, const Options& options, Platform& platform, ToolOutput& output)
{
    std::string set, note, connectionText;
    const long long target = NumberIn(options.positional[0], 1, 999999999);
    if (target < 0) {
        output.err += "用法：VelmoraDb team rollback \"连接文字\"|- 版本 [--set 模板组] [--note \"备注\"]\n";
        return kExitUsage;
    }
    if (!SetAndNote(options, set, note, output) || !Connection(argument, platform, connectionText, output))
        return kExitUsage;
    if (note.empty())
        note = "回滚到第 " + std::to_string(target) + " 版";
    try {
        OpenedSet opened;
        if (const int failed = OpenSet(connectionText, set, opened, output))
            return failed;
        TeamLink& link = *opened.link;
        const auto lines = link.history(opened.setId, kHistoryAtMost);
        const TeamServer::HistoryLine* line = nullptr;
        std::vector<TeamVersionRow> rows;
        if (!Kept(lines, static_cast<int>(target), line, output) ||
            !KeptRows(link, opened.setId, static_cast<int>(target), rows, output))
            return kExitUsage;
        // Rows the desks would refuse are not published again.
        for (const TeamVersionRow& row : rows)
            if (FindRefusedCharacter(row.text) || FindInvalidUtf8(row.text) != std::string::npos ||
                TrimText(row.text).empty()) {
                output.err += "VelmoraDb：第 " + std::to_string(target) + " 版的模板编号 " +
                              std::to_string(row.templateNo) + " 含有座席不接受的文字" + kUnchanged;
                return kExitNeedsAttention;
            }
        const TeamServer::Published published = link.publishVersion(set, std::move(rows), line->source, note, true);
        output.out += "已把第 " + std::to_string(target) + " 版的模板发布为" + VersionSaid(set, published) +
                      "。各个座席下次检查时取回。\n";
        return kExitDone;
    } catch (const TeamError& e) {
        output.err += "VelmoraDb：" + TeamErrorText(e) + kUnchanged;
        return kExitTeamServer;
    }
}

int Sets(const std::string& argument, const Options& options, Platform& platform, ToolOutput& output)
{
    std::string connectionText;
    const std::string remove = options.value("--remove");
    if (options.has("--remove") && remove == kTeamDefaultSet) {
        output.err += "VelmoraDb：默认模板组不能删除（它是没有选择模板组的座席读取的模板库）" + std::string(kUnchanged);
        return kExitUsage;
    }
    if (!Connection(argument, platform, connectionText, output))
        return kExitUsage;
    try {
        std::unique_ptr<TeamLink> link = Connect(connectionText, output);
        if (!link)
            return kExitTeamServer;
        if (options.has("--remove")) {
            if (!link->removeSet(remove)) {
                output.err += "VelmoraDb：服务器上没有名为“" + OneLine(remove) + "”的模板组" + kUnchanged;
                return kExitUsage;
            }
            output.out += "已删除模板组“" + remove + "”和它保留的全部版本。选择了它的座席下次检查时不再列出它。\n";
            return kExitDone;
        }
        for (const TeamServer::SetLine& line : link->sets())
            output.out += OneLine(line.name) + "  " + std::to_string(line.rows) + " 条模板  " +
                          (line.currentVersion > 0 ? "第 " + std::to_string(line.currentVersion) + " 版，发布于 " +
                                                         OneLine(line.lastPublish)
                                                   : std::string("还没有发布过")) +
                          "\n";
        return kExitDone;
    } catch (const TeamError& e) {
        output.err += "VelmoraDb：" + TeamErrorText(e) + kUnchanged;
        return kExitTeamServer;
    }
}

} // namespace

bool IsLeadTeamCommand(const std::vector<std::string>& arguments)
{
    if (arguments.size() < 2 || arguments[0] != "team")
        return false;
    for (const char* command : {"init", "publish", "history", "diff", "rollback", "sets"})
        if (arguments[1] == command)
            return true;
    return false;
}

int RunTeamLead(const std::vector<std::string>& arguments, Platform& platform, ToolOutput& output)
{
    struct Form {
        const char* command;
        size_t positional, optionalPositional;
        std::vector<std::string> withValue, flags;
        const char* usage;
    };
    static const Form forms[] = {
        {"init", 1, 0, {"--keep", "--usage"}, {}, "team init \"连接文字\"|- [--keep 版本数] [--usage on|off]"},
        {"publish",
         2,
         0,
         {"--set", "--note"},
         {},
         "team publish DB.mdb \"连接文字\"|- [--set 模板组] [--note \"备注\"]"},
        {"history", 1, 0, {"--set"}, {"--all"}, "team history \"连接文字\"|- [--set 模板组] [--all]"},
        {"diff", 2, 1, {"--set"}, {}, "team diff \"连接文字\"|- 版本 [对比的版本] [--set 模板组]"},
        {"rollback",
         2,
         0,
         {"--set", "--note"},
         {},
         "team rollback \"连接文字\"|- 版本 [--set 模板组] [--note \"备注\"]"},
        {"sets", 1, 0, {"--remove"}, {}, "team sets \"连接文字\"|- [--remove 模板组]"},
    };
    const std::string& command = arguments[1];
    for (const Form& form : forms) {
        if (command != form.command)
            continue;
        Options options;
        if (!ParseOptions(arguments, 2, form.withValue, form.flags, options) ||
            options.positional.size() < form.positional ||
            options.positional.size() > form.positional + form.optionalPositional) {
            output.err += std::string("用法：VelmoraDb ") + form.usage + "\n";
            return kExitUsage;
        }
        const std::string& first = options.positional[0];
        Options rest = options;
        rest.positional.erase(rest.positional.begin(), rest.positional.begin() + (command == "publish" ? 2 : 1));
        if (command == "init")
            return Init(first, rest, platform, output);
        if (command == "publish")
            return Publish(first, options.positional[1], rest, platform, output);
        if (command == "history")
            return History(first, rest, platform, output);
        if (command == "diff")
            return Diff(first, rest, platform, output);
        if (command == "rollback")
            return Rollback(first, rest, platform, output);
        return Sets(first, rest, platform, output);
    }
    output.err += "用法：VelmoraDb team init|publish|history|diff|rollback|sets …（VelmoraDb --help 有说明）\n";
    return kExitUsage;
}

std::string LeadTeamHelp()
{
    return "  VelmoraDb team init \"连接文字\"|- [--keep 版本数] [--usage on|off]\n"
           "      （团队负责人）在公司的数据库服务器上建立团队模板库的表，已有的表和模板不动，可以\n"
           "      重复运行；以前的版本建立的模板库成为默认模板组的第 1 版。--keep：每个模板组保留\n"
           "      最近几个版本（1 到 10000，开始是 100），更早的在下次发布时删除；--usage on|off：\n"
           "      开启或关闭使用次数统计（开始是关闭）。支持 Microsoft SQL Server 和 PostgreSQL；\n"
           "      连接文字是 ODBC 的，例如\n"
           "      Driver={ODBC Driver 17 for SQL Server};Server=db01;Database=客服;Trusted_Connection=yes;\n"
           "  VelmoraDb team publish DB.mdb \"连接文字\"|- [--set 模板组] [--note \"备注\"]\n"
           "      把 DB.mdb 中的模板按列表的顺序发布为一个模板组（不写 --set 时是默认模板组）的新\n"
           "      版本，替换这个模板组原有的全部模板，各个座席下次检查时取回；别的模板组不变，\n"
           "      第一次发布的名称新建一个模板组。每个版本记下服务器的时间、登录服务器的账户、\n"
           "      负责人的 Windows 用户和电脑、备注，以及比上一版新增、修改、删除了几条：同一个\n"
           "      DB.mdb 中的模板按它的编号对应（改了文字算修改，移动位置不算改动），另一个\n"
           "      DB.mdb 发布的按文字对应。规则和导入一样：去掉首尾的空白，空白的和重复的跳过；\n"
           "      有模板含有控制字符或双向文字控制符，或超过导入的上限时什么也不发布，并说出是\n"
           "      哪一条。要么全部发布，要么服务器什么也不改。\n"
           "  VelmoraDb team history \"连接文字\"|- [--set 模板组] [--all]\n"
           "      列出模板组最近 20 个版本（--all：保留的全部），新的在前，每个版本一行。\n"
           "  VelmoraDb team diff \"连接文字\"|- 版本 [对比的版本] [--set 模板组]\n"
           "      列出这个版本比上一版（或比指定的版本）新增、删除和修改的模板，逐条列出文字。\n"
           "  VelmoraDb team rollback \"连接文字\"|- 版本 [--set 模板组] [--note \"备注\"]\n"
           "      把保留的一个版本的模板发布为新的版本（以前的版本都还在），座席下次检查时取回。\n"
           "  VelmoraDb team sets \"连接文字\"|- [--remove 模板组]\n"
           "      列出模板组：名称、模板条数、当前版本和发布时间。--remove：删除一个模板组和它的\n"
           "      全部版本（默认模板组不能删除）。\n"
           "  team 命令只有 Windows 版有；密码不会显示出来。模板组的名称最长 30 个汉字，不能含有\n"
           "  逗号；备注最长 200 个汉字，只有一行。\n";
}

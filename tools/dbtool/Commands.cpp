#include "Commands.h"

#include "Csv.h"
#include "ImportLock.h"
#include "Platform.h"
#include "TeamDesk.h"
#include "TeamLead.h"
#include "TeamUsage.h"
#include "TemplateIntake.h"

#include "backup/Backup.h"
#include "common/TemplateRule.h"
#include "common/Text.h"
#include "store/ConfigRecord.h"
#include "store/Connection.h"
#include "store/Database.h"
#include "store/Schema.h"
#include "store/StoreError.h"
#include "ui/StoreErrorText.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <strings.h>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace {

// More findings of one kind than this are counted, not listed.
const size_t kListedAtMost = 20;

// The longest check's reads of the templates and settings may take.
const std::chrono::seconds kReadTime(60);

class Report {
public:
    explicit Report(ToolOutput& output) : output_(output) {}

    void say(const std::string& line) { output_.out += line + "\n"; }
    int fail(int code, const std::string& line)
    {
        output_.err += line + "\n";
        return code;
    }

private:
    ToolOutput& output_;
};

std::string Lines(const std::vector<int>& lines)
{
    std::string text;
    for (size_t i = 0; i < lines.size() && i < kListedAtMost; ++i)
        text += (i ? "、" : "") + std::to_string(lines[i]);
    if (lines.size() > kListedAtMost)
        text += " 等";
    return text;
}

// A copy of the database in a scratch file, removed with the object. The check reads the
// configuration row with the program's own code, which needs a connection that may write;
// on the copy it can never change the user's file.
class ScratchCopy {
public:
    explicit ScratchCopy(Platform& platform) : platform_(platform) {}
    ~ScratchCopy()
    {
        if (!path_.empty())
            platform_.removeFile(path_);
    }
    ScratchCopy(const ScratchCopy&) = delete;
    ScratchCopy& operator=(const ScratchCopy&) = delete;

    bool make(const std::string& database, std::string& reason)
    {
        path_ = platform_.makeScratchFile(reason);
        if (path_.empty())
            return false;
        try {
            Database from(database, Database::Opening::ReadOnlyImmutable);
            Database to(path_, Database::Opening::ReadWrite);
            from.copyInto(to);
        } catch (const StoreError& e) {
            // The engine's own reason: this sentence is the tool's, not a window's.
            reason = e.what();
            return false;
        }
        return true;
    }

    const std::string& path() const { return path_; }

private:
    Platform& platform_;
    std::string path_;
};

// What check finds: problems the program would fail on, and templates that need a look.
struct Findings {
    std::vector<std::string> problems;
    std::vector<std::string> emptyTexts, duplicates, controlCharacters, zeroWidth, invalidUtf8;
    int templates = 0;

    size_t attention() const
    {
        return emptyTexts.size() + duplicates.size() + controlCharacters.size() + zeroWidth.size() + invalidUtf8.size();
    }
};

void CheckConfigRow(Connection& connection, Findings& findings)
{
    try {
        TConfigRecord record;
        if (ReadConfigRecord(connection, record) == ConfigLoad::Loaded)
            return;
        Query count(connection);
        count.open("select count(*) as RowCount from Tconfig where TID=1");
        const int rows = count.fieldInt("RowCount");
        findings.problems.push_back(rows == 0 ? "表 Tconfig 中没有 TID = 1 的设置记录，Velmora 会丢失设置"
                                              : "表 Tconfig 中 TID = 1 的设置记录有 " + std::to_string(rows) +
                                                    " 条，应只有一条，Velmora 会丢失设置");
    } catch (const StoreError& e) {
        findings.problems.push_back(std::string("表 Tconfig 的设置记录读不出：") + StoreErrorText(e) +
                                    "（Velmora 启动时会报错并退出）");
    }
}

void CheckTemplates(Connection& connection, Findings& findings)
{
    try {
        Query query(connection);
        query.open("Select * from TText order by TSortID asc, ID asc");
        std::unordered_map<std::string, int> firstPosition;
        int position = 0;
        for (; !query.eof(); query.next()) {
            ++position;
            const std::string where = "第 " + std::to_string(position) + " 条模板（ID " + query.fieldText("ID") + "）";
            query.fieldInt("ID"); // the manager reads it as an integer
            const std::string text = query.fieldText("TText");
            if (TrimText(text).empty())
                findings.emptyTexts.push_back(where + "是空白的");
            const auto first = firstPosition.emplace(text, position);
            if (!first.second)
                findings.duplicates.push_back(where + "与第 " + std::to_string(first.first->second) + " 条相同");
            if (const FoundCharacter refused = FindRefusedCharacter(text))
                findings.controlCharacters.push_back(where + "第 " + std::to_string(LineOf(text, refused.at)) +
                                                     " 行含有" + RefusedCharacterText(refused.code) +
                                                     "，Velmora 输入这条模板时跳过它");
            // Not refused, as it changes nothing the agent sees, but it goes into the customer's
            // window unseen: a search for the words around it misses the template.
            if (const FoundCharacter unseen = FindZeroWidthCharacter(text))
                findings.zeroWidth.push_back(where + "第 " + std::to_string(LineOf(text, unseen.at)) +
                                             " 行含有看不见的零宽字符 " + CodePointName(unseen.code) +
                                             "（警告：它会随模板输入，请确认是有意的）");
            if (FindInvalidUtf8(text) != std::string::npos)
                findings.invalidUtf8.push_back(where + "含有不是 UTF-8 的字节，Velmora 会把它们显示成 ?");
        }
        findings.templates = position;
    } catch (const std::exception& e) {
        findings.problems.push_back(std::string("表 TText 的模板读不出：") + FailureText(e));
    }
}

void SayListed(Report& report, const std::string& database, const std::vector<std::string>& items)
{
    for (size_t i = 0; i < items.size() && i < kListedAtMost; ++i)
        report.say(database + "：" + items[i] + "。");
    if (items.size() > kListedAtMost)
        report.say(database + "：……同类的还有 " + std::to_string(items.size() - kListedAtMost) + " 条。");
}

int Check(const std::string& database, Platform& platform, Report& report)
{
    if (!platform.isFile(database))
        return report.fail(kExitFileProblem, database + "：找不到这个文件。");
    std::string reason;
    if (!IsSoundDatabase(database, reason)) {
        report.say(database + "：" + reason + "。");
        report.say(database + "：Velmora 无法使用这个数据库，启动时会报错并退出。");
        return kExitUnusable;
    }
    Findings findings;
    // Opening alone reads and writes nothing (the engine touches the file at the first
    // statement); it tells whether the program, which opens for writing, can open it.
    try {
        Connection probe;
        probe.setConnectionText(ConnectionTextFor(database));
        probe.connect();
    } catch (const StoreError& e) {
        findings.problems.push_back(std::string("Velmora 无法以读写方式打开它：") + StoreErrorText(e));
    }
    ScratchCopy copy(platform);
    if (!copy.make(database, reason))
        return report.fail(kExitFileProblem, database + "：无法复制一份来检查（" + reason + "）。");
    {
        Connection connection;
        connection.setConnectionText(ConnectionTextFor(copy.path()));
        // The schema passed the look above, so the reads go through tables only; the limit
        // stands for whatever else a file made to keep the engine busy may hold.
        connection.database().limitTime(kReadTime);
        CheckConfigRow(connection, findings);
        CheckTemplates(connection, findings);
    }
    for (const std::string& problem : findings.problems)
        report.say(database + "：" + problem + "。");
    SayListed(report, database, findings.emptyTexts);
    SayListed(report, database, findings.duplicates);
    SayListed(report, database, findings.controlCharacters);
    SayListed(report, database, findings.zeroWidth);
    SayListed(report, database, findings.invalidUtf8);
    if (!findings.problems.empty()) {
        report.say(database + "：Velmora 无法正常使用这个数据库。");
        return kExitUnusable;
    }
    const std::string count = std::to_string(findings.templates) + " 条模板";
    if (findings.attention() > 0) {
        report.say(database + "：Velmora 可以使用这个数据库（" + count + "），但有 " +
                   std::to_string(findings.attention()) + " 处模板需要处理，见上。");
        return kExitNeedsAttention;
    }
    report.say(database + "：没有发现问题，Velmora 可以正常使用这个数据库（" + count + "）。");
    return kExitDone;
}

int New(const std::vector<std::string>& arguments, Platform& platform, Report& report)
{
    bool empty = false;
    std::vector<std::string> paths;
    for (size_t i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == "--empty")
            empty = true;
        else
            paths.push_back(arguments[i]);
    }
    if (paths.size() != 1)
        return report.fail(kExitUsage, "用法：VelmoraDb new [--empty] DB.mdb");
    const std::string& database = paths[0];
    // Made under a fresh name of its own beside the target, then given the target's name without
    // replacing anything: a file that is there already, or appears meanwhile, is never opened,
    // and a failure removes only what this run made. No look first: it could only be wrong.
    std::string reason;
    const std::string building = platform.makeFileBeside(database, reason);
    if (building.empty())
        return report.fail(kExitFileProblem, database + "：无法新建数据库（" + reason + "）。");
    const auto removeBuilding = [&] {
        platform.removeFile(building + "-journal");
        platform.removeFile(building);
    };
    const std::vector<std::string> templates = empty ? std::vector<std::string>{} : SampleTemplates();
    try {
        CreateDeliveredDatabase(building, templates);
    } catch (const StoreError& e) {
        removeBuilding();
        return report.fail(kExitFileProblem, database + "：无法新建数据库（" + e.what() + "）。");
    }
    if (!platform.renameWithoutReplacing(building, database, reason)) {
        removeBuilding();
        return report.fail(kExitFileProblem, database + "：" + reason + "。");
    }
    report.say(database + "：已新建数据库，其中有 " + std::to_string(templates.size()) + " 条模板。");
    return kExitDone;
}

int Export(const std::string& database, const std::string& file, Platform& platform, Report& report)
{
    if (!platform.isFile(database))
        return report.fail(kExitFileProblem, database + "：找不到这个文件。");
    if (platform.isFile(file))
        return report.fail(kExitFileProblem, file + "：文件已经存在，不会覆盖它。");
    // Read-only, and without the program's checks of the other table: the templates of a
    // database whose settings are damaged are worth saving too.
    std::string reason;
    std::string csv = std::string(kUtf8ByteOrderMark) + CsvRecord({"TText"});
    int count = 0;
    try {
        Database db(database, Database::Opening::ReadOnly);
        RowReader rows(db, "select TText from TText order by TSortID asc, ID asc");
        for (; rows.next(); ++count)
            csv += CsvRecord({SpreadsheetCell(std::string(rows.utf8At(0)))});
    } catch (const StoreError& e) {
        reason = e.what();
    }
    if (!reason.empty())
        return report.fail(kExitUnusable, database + "：模板读不出（" + reason + "），没有导出。");
    if (!platform.writeNewFile(file, csv, reason))
        return report.fail(kExitFileProblem, file + "：" + reason + "。");
    report.say(file + "：已导出 " + std::to_string(count) + " 条模板。");
    return kExitDone;
}

// The rows of a template file after its header, or the exit code and sentence why not.
int ReadTemplateFile(const std::string& file, Platform& platform, Report& report, std::vector<CsvRow>& rows)
{
    const std::string unchanged = "数据库没有改动。";
    std::string bytes, reason;
    // A file larger than a whole library may be is refused before it is read: read whole, it
    // could take more memory than the tool has.
    unsigned long long size = 0;
    if (!platform.fileSize(file, size, reason))
        return report.fail(kExitFileProblem, file + "：" + reason + "。");
    if (size > kMaxLibraryBytes)
        return report.fail(kExitUnreadableCsv, file + "：文件有 " + std::to_string(size) +
                                                   " 字节，超过了模板库合计最多的 " +
                                                   LibraryTally::Amount(kMaxLibraryBytes) + "，没有读取。" + unchanged);
    bytes.reserve(static_cast<size_t>(size));
    if (!platform.readFile(file, bytes, reason))
        return report.fail(kExitFileProblem, file + "：" + reason + "。");
    CsvError error;
    if (!ReadCsv(bytes, rows, error))
        return report.fail(kExitUnreadableCsv,
                           file + " 第 " + std::to_string(error.line) + " 行：" + error.reason + "。" + unchanged);
    if (rows.empty() || rows[0].fields.size() != 1 || strcasecmp(TrimText(rows[0].fields[0]).c_str(), "TText") != 0)
        return report.fail(kExitUnreadableCsv,
                           file + " 第 1 行：第一行应是标题 TText（导出的文件就是这样开始的）。" + unchanged);
    for (const CsvRow& row : rows) {
        if (row.fields.size() != 1)
            return report.fail(kExitUnreadableCsv, file + " 第 " + std::to_string(row.line) + " 行：这一行有 " +
                                                       std::to_string(row.fields.size()) +
                                                       " 个字段，应只有一个（含逗号的模板要整个括在双引号里）。" +
                                                       unchanged);
    }
    // A NUL cuts the template short in the list, the edit box and the delivery, other control
    // characters would act in the customer's window, and a bidirectional mark shows a text
    // otherwise than it is: such a file is refused whole.
    for (const CsvRow& row : rows) {
        if (const FoundCharacter refused = FindRefusedCharacter(row.fields[0]))
            return report.fail(kExitUnreadableCsv,
                               file + " 第 " + std::to_string(row.line + LineOf(row.fields[0], refused.at) - 1) +
                                   " 行：这一行含有" + RefusedCharacterText(refused.code) + "。" + unchanged);
    }
    rows.erase(rows.begin());
    return kExitDone;
}

struct ImportTally {
    int added = 0;
    bool renumbered = false;
    std::vector<int> empty, inDatabase, earlierInFile;
    // The line that takes the library over a limit, and why; 0 when none does.
    int overLimitLine = 0;
    std::string overLimit;
};

// The manager's rules for each row: trimmed, an empty text refused, a text the table holds
// already skipped. The new rows follow the existing ones in the stored order. A row that takes
// the library over its limits refuses the whole file, before anything is written.
void AddTemplates(Connection& connection, const std::vector<CsvRow>& rows, ImportTally& tally)
{
    Transaction transaction(connection);
    std::unordered_set<std::string> existing;
    size_t existingCount = 0, existingBytes = 0;
    Query stored(connection);
    stored.open("select TText from TText");
    for (; !stored.eof(); stored.next(), ++existingCount) {
        std::string text = stored.fieldText("TText");
        existingBytes += text.size();
        existing.insert(std::move(text));
    }

    TemplateIntake intake(std::move(existing));
    LibraryTally library(LibraryLimits{}, existingCount, existingBytes);
    std::vector<std::string> taken;
    for (const CsvRow& row : rows) {
        // A cell the export marked with an apostrophe carries the text exactly as stored, a leading
        // tab included; any other cell is trimmed as the template manager trims what it adds.
        std::string text = FromSpreadsheetCell(TrimText(row.fields[0]));
        switch (intake.take(text)) {
        case Intake::Empty: tally.empty.push_back(row.line); break;
        case Intake::AlreadyThere: tally.inDatabase.push_back(row.line); break;
        case Intake::Repeated: tally.earlierInFile.push_back(row.line); break;
        case Intake::Take:
            if (const OverLimit over = library.take(text); over != OverLimit::None) {
                tally.overLimitLine = row.line;
                tally.overLimit = library.reason(over, text.size());
                if (over != OverLimit::TemplateTooLong)
                    tally.overLimit += "（数据库中原有 " + std::to_string(existingCount) + " 条模板）";
                return;
            }
            taken.push_back(std::move(text));
            break;
        }
    }
    // Velmora reads sort numbers as 32-bit values. When the new rows would not fit after the
    // last one, the stored rows are first numbered 0, 1, 2, ... in their order, as the template
    // manager numbers them when it closes; the order stays the same.
    Query last(connection);
    last.open("select count(*) as Stored, (typeof(coalesce(max(TSortID), -1)) = 'integer' and "
              "coalesce(max(TSortID), -1) <= ?) as Fits from TText",
              {SqlParam::Integer(2147483647LL - static_cast<long long>(taken.size()))});
    long long sortId = last.fieldInt("Stored");
    if (last.fieldInt("Fits")) {
        Query next(connection);
        next.open("select coalesce(max(TSortID), -1) + 1 as NextSortID from TText");
        sortId = next.fieldInt("NextSortID");
    } else {
        connection.execute("update TText set TSortID = ranked.position from (select ID, row_number() over "
                           "(order by TSortID asc, ID asc) - 1 as position from TText) as ranked "
                           "where TText.ID = ranked.ID");
        tally.renumbered = true;
    }

    Command insert(connection, "insert into TText (TText, TSortID) values (?, ?)");
    for (const std::string& text : taken) {
        insert.run({SqlParam::Text(text), SqlParam::Integer(sortId++)});
        ++tally.added;
    }
    transaction.commit();
}

int Import(const std::string& database, const std::string& file, Platform& platform, Report& report)
{
    // First the lock, then the look for Velmora: a Velmora that starts after the look waits for
    // the lock before it opens its database, so the two never work on the file at once.
    ImportLock lock(platform);
    std::string lockError;
    if (!lock.take(lockError))
        return report.fail(kExitVelmoraRunning, lockError + "，" + database + " 没有改动。");
    if (!platform.isFile(database))
        return report.fail(kExitFileProblem,
                           database + "：找不到这个文件。导入不会新建数据库，新建请用 VelmoraDb new。");
    if (platform.velmoraRunning())
        return report.fail(kExitVelmoraRunning, "Velmora 正在运行，请先退出它再导入。" + database + " 没有改动。");
    std::vector<CsvRow> rows;
    const int read = ReadTemplateFile(file, platform, report, rows);
    if (read != kExitDone)
        return read;
    std::string reason;
    if (!IsSoundDatabase(database, reason))
        return report.fail(kExitUnusable, database + "：" + reason + "。没有导入任何模板。");
    ImportTally tally;
    try {
        Connection connection;
        connection.setConnectionText(ConnectionTextFor(database));
        AddTemplates(connection, rows, tally);
    } catch (const StoreError& e) {
        return report.fail(kExitFileProblem, database + "：导入失败（" + StoreErrorText(e) + "），数据库没有改动。");
    }
    if (tally.overLimitLine > 0)
        return report.fail(kExitUnreadableCsv, file + " 第 " + std::to_string(tally.overLimitLine) + " 行：" +
                                                   tally.overLimit + "。没有导入任何模板，数据库没有改动。");
    const size_t skipped = tally.empty.size() + tally.inDatabase.size() + tally.earlierInFile.size();
    report.say(file + "：导入 " + std::to_string(tally.added) + " 条模板，跳过 " + std::to_string(skipped) + " 条。");
    const auto sayLines = [&](const std::vector<int>& lines, const std::string& why) {
        if (!lines.empty())
            report.say(file + "：" + why + " " + std::to_string(lines.size()) + " 条，第 " + Lines(lines) + " 行。");
    };
    if (tally.renumbered)
        report.say(database + "：原有模板的顺序号已重新编为 0、1、2……，顺序不变。");
    sayLines(tally.empty, "跳过空白的模板");
    sayLines(tally.inDatabase, "跳过数据库中已有的模板");
    sayLines(tally.earlierInFile, "跳过与文件中前面的模板相同的");
    return kExitDone;
}

} // namespace

std::string HelpText()
{
    return "VelmoraDb：新建、检查、导出和导入 Velmora 的模板数据库 DB.mdb，发布团队模板库。\n"
           "\n"
           "用法：\n"
           "  VelmoraDb new [--empty] DB.mdb\n"
           "      新建一个数据库：两张表、默认的设置记录和几条示例模板（--empty：不要模板）。\n"
           "      文件不能已经存在。\n"
           "  VelmoraDb check DB.mdb\n"
           "      检查数据库：两张表和 Velmora 读取的每个字段，设置记录（TID = 1 恰好一条，每个值都\n"
           "      能读出），空白或重复的模板，含有控制字符（制表符和换行以外的）或双向文字控制符\n"
           "      （U+202A 到 U+202E、U+2066 到 U+2069）的模板，不是 UTF-8 的字节；含有零宽字符\n"
           "      （U+200B、U+2060、U+FEFF）的模板作为警告列出。只读，不改动文件。\n"
           "      有视图、别的程序加入的触发器、表达式索引或带条件的索引时不通过，并说出是哪一个\n"
           "      （Velmora 启动和还原时也拒绝这样的文件）。先看结构再读数据，最长读一分钟。\n"
           "  VelmoraDb export DB.mdb 模板.csv\n"
           "      按列表的顺序把全部模板写进一个新的 CSV 文件。文件不能已经存在。\n"
           "  VelmoraDb import DB.mdb 模板.csv\n"
           "      把 CSV 文件中的模板加在已有模板的后面，和模板管理中添加时一样：去掉首尾的空白，\n"
           "      空白的不要，数据库中已有的或文件中前面已有的相同模板跳过。文件中有一行读不出时，\n"
           "      什么也不改，并说出是第几行；含有控制字符（制表符和换行以外的）或双向文字控制符的\n"
           "      行也是这样。模板库的上限：一条模板 65536 字节（64 KB），100000 条模板，文字合计\n"
           "      67108864 字节（64 MB），原有的模板也算在内；导入后会超过时什么也不改，并说出从\n"
           "      第几行起超过；大于 64 MB 的文件不读取。\n"
           "      Velmora 运行时不导入，导入期间启动的 Velmora 等导入结束后才打开数据库；不会新建\n"
           "      数据库。\n" +
           LeadTeamHelp() + DeskTeamHelp() + TeamUsageHelp() +
           "  team init、publish 和 connect 的连接文字中不要写密码：命令行上的文字，这台电脑上的其他\n"
           "  程序都能看到。连接文字中没有 Pwd=（或 Password=），又不是 Windows 身份验证时，工具提示\n"
           "  输入密码，输入的字不显示（直接回车表示不用密码）；标准输入不是控制台时，读它的下一行\n"
           "  作为密码。连接文字写作 - 时，从标准输入的第一行读取连接文字。\n"
           "  VelmoraDb --help\n"
           "      显示这段说明。\n"
           "\n"
           "CSV 文件：UTF-8 编码（导出的文件带 BOM，导入时可有可无），只有一列，第一行是标题\n"
           "TText，以后每行（或每个带双引号的字段）是一条模板。含逗号、双引号或换行的模板整个\n"
           "括在双引号里，其中的双引号写成两个。\n"
           "表格软件会把以 =、+、-、@、制表符或回车开头的单元格当作公式或数字，所以导出时在这样的\n"
           "模板前加一个单引号 '，表格软件就照原样显示文字；以单引号开头的模板前也加一个。导入时，\n"
           "字段开头的一个单引号去掉（只去掉一个）。在表格中新写这样的模板时，也请在前面加一个单引号。\n"
           "\n"
           "退出码：\n"
           "  0  完成；check：没有发现问题\n"
           "  1  数据库不能用：Velmora 启动时会报错，或者读不出设置或模板\n"
           "  2  命令行不对（team connect：连接字符串中没有 Driver= 或 DSN=；team：标准输入中\n"
           "     没有要读的连接文字或密码）\n"
           "  3  check：Velmora 能用这个数据库，但有模板需要处理（空白、重复、控制字符、双向文字\n"
           "     控制符、不是 UTF-8 的字节）或值得一看（零宽字符的警告）；team publish：有模板含有\n"
           "     这样的字符或超过上限，服务器没有改动\n"
           "  4  import：CSV 文件有读不出的行、不允许的字符或超过上限，数据库没有改动\n"
           "  5  import、team connect、team off：Velmora 正在运行（或另一个导入一分钟后还没有结束），\n"
           "     数据库没有改动\n"
           "  6  文件找不到、已经存在，或者读写失败\n"
           "  7  team：用不了数据库服务器（没有驱动程序、登录被拒、连不上、没有表、不支持的\n"
           "     服务器），服务器没有改动\n";
}

int RunDbTool(const std::vector<std::string>& arguments, Platform& platform, ToolOutput& output)
{
    Report report(output);
    if (arguments.empty()) {
        output.err += HelpText();
        return kExitUsage;
    }
    const std::string& command = arguments[0];
    if (command == "--help" || command == "-h" || command == "/?" || command == "help") {
        output.out += HelpText();
        return kExitDone;
    }
    if (IsDeskTeamCommand(arguments))
        return RunDeskTeamCommand(arguments, platform, output);
    if (IsTeamUsageCommand(arguments))
        return RunTeamUsage(arguments, platform, output);
    if (command == "new")
        return New(arguments, platform, report);
    if (command == "check") {
        if (arguments.size() != 2)
            return report.fail(kExitUsage, "用法：VelmoraDb check DB.mdb");
        return Check(arguments[1], platform, report);
    }
    if (command == "export" || command == "import") {
        if (arguments.size() != 3)
            return report.fail(kExitUsage, "用法：VelmoraDb " + command + " DB.mdb 模板.csv");
        if (command == "export")
            return Export(arguments[1], arguments[2], platform, report);
        return Import(arguments[1], arguments[2], platform, report);
    }
    if (IsLeadTeamCommand(arguments))
        return RunTeamLead(arguments, platform, output);
    if (command == "team")
        return report.fail(kExitUsage,
                           "用法：VelmoraDb team init|publish|history|diff|rollback|sets|connect|off|status "
                           "…（VelmoraDb --help 有说明）");
    return report.fail(kExitUsage, "没有“" + command + "”这个命令。用 VelmoraDb --help 查看用法。");
}

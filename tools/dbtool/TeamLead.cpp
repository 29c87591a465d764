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

int Init(const std::string& argument, Platform& platform, ToolOutput& output)
{
    std::string connectionText, error;
    if (!TakeConnectionText(argument, platform, connectionText, error) ||
        !CompletePassword(connectionText, platform, error)) {
        output.err += "VelmoraDb：" + error + "。服务器没有改动。\n";
        return kExitUsage;
    }
    try {
        std::unique_ptr<TeamLink> link = Connect(connectionText, output);
        if (!link)
            return kExitTeamServer;
        link->createTables();
        output.out += "团队模板库的表已在服务器上准备好（" + link->serverName() + "，TeamText 和 TeamVersion，版本号 " +
                      std::to_string(link->counter()) + "）。已有的表和模板不会改动。\n";
        return kExitDone;
    } catch (const TeamError& e) {
        output.err += "VelmoraDb：" + TeamErrorText(e) + "。服务器没有改动。\n";
        return kExitTeamServer;
    }
}

struct Publication {
    std::vector<std::string> texts;
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
        RowReader rows(db, "select TText from TText order by TSortID asc, ID asc");
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

int Publish(const std::string& database, const std::string& argument, Platform& platform, ToolOutput& output)
{
    std::string connectionText, error;
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
    long long counter = 0;
    std::string server;
    try {
        std::unique_ptr<TeamLink> link = Connect(connectionText, output);
        if (!link)
            return kExitTeamServer;
        server = link->serverName();
        counter = link->replaceTemplates(publication.texts);
    } catch (const TeamError& e) {
        output.err += "VelmoraDb：" + TeamErrorText(e) + "。服务器上的团队模板库没有改动。\n";
        return kExitTeamServer;
    }
    const size_t skipped = publication.empty.size() + publication.repeated.size();
    output.out += database + "：已发布 " + std::to_string(publication.texts.size()) + " 条模板到团队模板库（" + server +
                  "，版本号 " + std::to_string(counter) + "），跳过 " + std::to_string(skipped) + " 条。\n";
    if (!publication.empty.empty())
        output.out += database + "：跳过空白的模板 " + std::to_string(publication.empty.size()) + " 条，第 " +
                      Positions(publication.empty) + " 条。\n";
    if (!publication.repeated.empty())
        output.out += database + "：跳过与前面相同的模板 " + std::to_string(publication.repeated.size()) + " 条，第 " +
                      Positions(publication.repeated) + " 条。\n";
    return kExitDone;
}

} // namespace

int RunTeamLead(const std::vector<std::string>& arguments, Platform& platform, ToolOutput& output)
{
    const std::string& command = arguments[1];
    if (command == "init") {
        if (arguments.size() != 3) {
            output.err += "用法：VelmoraDb team init \"连接文字\"|-\n";
            return kExitUsage;
        }
        return Init(arguments[2], platform, output);
    }
    if (arguments.size() != 4) {
        output.err += "用法：VelmoraDb team publish DB.mdb \"连接文字\"|-\n";
        return kExitUsage;
    }
    return Publish(arguments[2], arguments[3], platform, output);
}

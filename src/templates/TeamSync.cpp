#include "templates/TeamSync.h"

#include "store/Connection.h"
#include "common/Text.h"
#include "store/StoreError.h"
#include "ui/StoreErrorText.h"

#include <algorithm>
#include <vector>

namespace {

TeamCheck Failed(Connection& desk, const std::string& sentence)
{
    // Recording may fail for the reason the check did (a locked or damaged DB.mdb); the caller
    // still gets the sentence.
    try {
        RecordTeamFailure(desk, sentence);
    } catch (const StoreError&) {
    }
    return {TeamCheckResult::Failed, sentence};
}

TeamCheck Refused(Connection& desk, const TeamLibraryVersion& version, const std::string& sentence)
{
    try {
        RecordTeamRefusal(desk, version, sentence);
    } catch (const StoreError&) {
    }
    return {TeamCheckResult::Failed, sentence};
}

// "64 KB", "64 MB", or bytes as they are.
std::string Bytes(size_t bytes)
{
    const size_t kb = 1024, mb = 1024 * 1024;
    if (bytes >= mb && bytes % mb == 0)
        return std::to_string(bytes / mb) + " MB";
    if (bytes >= kb && bytes % kb == 0)
        return std::to_string(bytes / kb) + " KB";
    return std::to_string(bytes) + " 字节";
}

const char* const kCacheKept = "，整个库没有使用，仍用上次取回的团队模板";

std::string TooLong(const TeamLimits& limits)
{
    return "团队模板库中有模板超过 " + Bytes(limits.templateBytes) + kCacheKept;
}
std::string TooMany(const TeamLimits& limits)
{
    return "团队模板库超过 " + std::to_string(limits.templates) + " 条模板" + kCacheKept;
}
std::string TooLarge(const TeamLimits& limits)
{
    return "团队模板库的文字超过 " + Bytes(limits.libraryBytes) + kCacheKept;
}

// What the server says of its size, against the limits; empty when within them.
std::string OverLimits(const TeamLibrarySize& size, const TeamLimits& limits)
{
    if (size.largestBytes > static_cast<long long>(limits.templateBytes))
        return TooLong(limits);
    if (size.templates > static_cast<long long>(limits.templates))
        return TooMany(limits);
    if (size.bytes > static_cast<long long>(limits.libraryBytes))
        return TooLarge(limits);
    return {};
}

std::string RefusedRowsNote(int refused)
{
    if (refused == 0)
        return {};
    return "团队模板中有 " + std::to_string(refused) + " 条含控制字符的模板没有使用，请组长改正后重新发布";
}

} // namespace

TeamLibrarySize TeamSource::setSize(const TeamSetState&) { throw TeamFailure("这个数据库服务器上没有模板组"); }

void TeamSource::readSet(const TeamSetState&, size_t, const std::function<bool(TeamTemplate)>&)
{
    throw TeamFailure("这个数据库服务器上没有模板组");
}

TeamUploadResult TeamSource::upload(const TeamUsageUpload&) { throw TeamFailure("这个数据库服务器不收使用次数"); }

namespace {

std::string MissingSetsNote(const std::vector<std::string>& missing)
{
    if (missing.empty())
        return {};
    std::string names;
    for (const std::string& name : missing)
        names += "「" + name + "」";
    return "服务器上没有模板组" + names + "，这里不列出它的模板";
}

std::string Joined(const std::string& first, const std::string& second)
{
    return first.empty() ? second : second.empty() ? first : first + "。" + second;
}

// The version of what the desk lists, all its sets together: it changes when any of them
// moves, appears or goes. The default set alone on an older server keeps that server's
// version, as a desk before sets recorded it.
TeamLibraryVersion ListedVersion(const std::vector<TeamSetState>& present, const std::vector<std::string>& missing,
                                 bool withSets)
{
    if (!withSets && missing.empty() && present.size() == 1)
        return present[0].version;
    TeamLibraryVersion version;
    for (const TeamSetState& set : present) {
        version.counter += set.version.counter;
        version.generation += std::to_string(set.setId) + ":" + std::to_string(set.version.counter) + ":" +
                              set.version.generation + ":" + std::to_string(set.versionNo) + ";";
    }
    for (const std::string& name : missing)
        version.generation += "-" + name + ";";
    return version;
}

const TeamSetState* KeptState(const std::vector<TeamSetState>& kept, const TeamSetState& set)
{
    for (const TeamSetState& state : kept)
        if (state.sameVersion(set) && state.name == set.name)
            return &state;
    return nullptr;
}

} // namespace

TeamCheck CheckTeamLibrary(Connection& desk, TeamSource& source, DateTime now, const TeamRowsRead& read,
                           const StopRequested& stopping, const TeamLimits& limits,
                           const std::vector<std::string>& sets)
{
    UpgradeTeamTables(desk);
    const std::optional<TeamSettings> settings = ReadTeamSettings(desk);
    if (!settings)
        return {};
    // A server that answers after the program began to close is not recorded: DB.mdb may be
    // under the exit's backup by then.
    const auto stopped = [&stopping] { return stopping && stopping(); };
    const TeamCheck stop{TeamCheckResult::Stopped, {}};
    std::vector<TeamTemplate> templates;
    std::vector<TeamSetState> present;
    std::vector<std::string> missing;
    TeamLibraryVersion version;
    int refusedRows = 0;
    try {
        source.connect();
        // One question for every set's version: an unchanged check asks nothing more.
        const std::optional<TeamServerSets> server = source.sets();
        std::optional<TeamLibraryVersion> olderServer;
        if (!server)
            olderServer = source.version();
        if (stopped())
            return stop;
        for (const std::string& name : sets.empty() ? ChosenTeamSets(*settings) : sets) {
            bool found = false;
            if (server) {
                for (const TeamSetState& set : server->sets)
                    if (set.name == name) {
                        present.push_back(set);
                        found = true;
                        break;
                    }
            } else if (name == kDefaultTeamSetName) {
                present.push_back({kDefaultTeamSetId, name, *olderServer, 0, 0});
                found = true;
            }
            if (!found)
                missing.push_back(name);
        }
        const bool usage = server && server->usage;
        if (usage != settings->usage)
            RecordTeamUsageSwitch(desk, usage);
        version = ListedVersion(present, missing, server.has_value());
        const std::vector<TeamSetState> kept = ReadTeamSetStates(desk);
        bool same = kept.size() == present.size();
        for (size_t i = 0; same && i < present.size(); ++i)
            same = kept[i].sameVersion(present[i]) && kept[i].name == present[i].name;
        // A cache whose every row was refused is as read as one that holds them.
        if (same && settings->version == version && (settings->rows > 0 || !settings->note.empty())) {
            RecordTeamCheck(desk, now);
            return {TeamCheckResult::Unchanged, {}};
        }
        if (settings->refused == version)
            return Failed(desk, settings->refusedError);
        // The sets whose version the cache holds stay as they are; the others are read.
        const std::vector<TeamTemplate> cached = ReadTeamCache(desk);
        std::vector<const TeamSetState*> keptStates;
        TeamLibrarySize size;
        for (const TeamSetState& set : present) {
            keptStates.push_back(KeptState(kept, set));
            if (keptStates.back()) {
                for (const TeamTemplate& row : cached)
                    if (row.setId == set.setId) {
                        const auto bytes = static_cast<long long>(row.text.size());
                        ++size.templates;
                        size.bytes += bytes;
                        size.largestBytes = std::max(size.largestBytes, bytes);
                    }
                continue;
            }
            const TeamLibrarySize moved = set.versionNo > 0 ? source.setSize(set) : source.size();
            size.templates += moved.templates;
            size.bytes += moved.bytes;
            size.largestBytes = std::max(size.largestBytes, moved.largestBytes);
        }
        const std::string over = OverLimits(size, limits);
        if (!over.empty())
            return Refused(desk, version, over);
        // The version is read before the rows: a publish in between leaves the cache stored
        // under the older version, and the next check reads again.
        std::string overRead;
        size_t seen = 0, bytes = 0;
        for (size_t i = 0; i < present.size(); ++i) {
            TeamSetState& set = present[i];
            if (keptStates[i]) {
                set.refusedRows = keptStates[i]->refusedRows;
                refusedRows += set.refusedRows;
                for (const TeamTemplate& row : cached)
                    if (row.setId == set.setId) {
                        ++seen;
                        bytes += row.text.size();
                        templates.push_back(row);
                    }
                continue;
            }
            const auto take = [&](TeamTemplate row) {
                bytes += row.text.size();
                if (row.text.size() > limits.templateBytes)
                    overRead = TooLong(limits);
                else if (++seen > limits.templates)
                    overRead = TooMany(limits);
                else if (bytes > limits.libraryBytes)
                    overRead = TooLarge(limits);
                if (!overRead.empty())
                    return false;
                // The text reaches the customer's window key by key: a backspace or Ctrl+V in it
                // would act there. The ODBC read goes through UTF-16, so its texts are always UTF-8.
                if (FindRefusedCharacter(row.text)) {
                    ++set.refusedRows;
                    return true;
                }
                row.setId = set.setId;
                row.templateNo = set.versionNo > 0 ? row.id : 0;
                templates.push_back(std::move(row));
                return true;
            };
            if (set.versionNo > 0)
                source.readSet(set, limits.templateBytes, take);
            else
                source.readTemplates(limits.templateBytes, take);
            refusedRows += set.refusedRows;
            if (!overRead.empty())
                break;
        }
        if (!overRead.empty()) {
            std::vector<TeamTemplate>().swap(templates);
            return Refused(desk, version, overRead);
        }
        for (size_t i = 0; i < templates.size(); ++i)
            templates[i].sortId = static_cast<long long>(i);
    } catch (const TeamFailure& e) {
        return stopped() ? stop : Failed(desk, e.what());
    } catch (const StoreError& e) {
        return stopped() ? stop : Failed(desk, StoreErrorText(e));
    } catch (const std::bad_alloc&) {
        std::vector<TeamTemplate>().swap(templates);
        return Failed(desk, "读取团队模板库时内存不够，这次没有使用，仍用上次取回的团队模板");
    } catch (const std::exception& e) {
        std::vector<TeamTemplate>().swap(templates);
        return Failed(desk, std::string("检查团队模板库时出错（") + e.what() + "）");
    }
    if (stopped())
        return stop;
    if (read)
        read(templates);
    try {
        if (!StoreTeamTemplates(desk, templates, version,
                                Joined(RefusedRowsNote(refusedRows), MissingSetsNote(missing)), now, stopping, present))
            return stop;
    } catch (const StoreError& e) {
        return stopped() ? stop : Failed(desk, "团队模板无法存入 DB.mdb：" + StoreErrorText(e));
    }
    return {TeamCheckResult::Updated, {}};
}

bool UploadTeamUsage(Connection& desk, TeamSource& source, const std::function<std::string()>& newId,
                     const StopRequested& stopping)
{
    const std::optional<TeamSettings> settings = ReadTeamSettings(desk);
    if (!settings || !settings->usage)
        return false;
    // A desk an older build set up has no name yet.
    if (settings->deskId.empty())
        RecordTeamDeskId(desk, newId());
    const std::optional<TeamUsageUpload> upload = SealTeamUsage(desk, newId);
    if (!upload)
        return false;
    try {
        source.upload(*upload);
    } catch (const TeamFailure&) {
        // Kept, sealed under the same name, for the next check.
        return false;
    }
    // Past the stop DB.mdb is the backup's: the next start repeats the upload, which the
    // server then finds there already.
    if (stopping && stopping())
        return true;
    ForgetTeamUpload(desk, upload->uploadId);
    return true;
}

std::string RandomTeamId(RandomSource& random)
{
    static const char kDigits[] = "0123456789abcdef";
    std::string id;
    for (int part = 0; part < 4; ++part) {
        double chance = random.next();
        if (!(chance >= 0 && chance < 1))
            chance = 0;
        auto bits = static_cast<unsigned long long>(chance * 4294967296.0);
        for (int digit = 0; digit < 8; ++digit, bits >>= 4)
            id += kDigits[bits & 15];
    }
    return id;
}

long long NextCheckDelayMs(int intervalSeconds, RandomSource& random)
{
    double chance = random.next();
    if (!(chance >= 0 && chance < 1))
        chance = 0.5;
    // An interval past a day (a mistyped TCheckSeconds) waits a day: the wait is a 32-bit
    // count of milliseconds, and a larger one would come round to a short or endless wait.
    const double seconds =
        intervalSeconds <= 0 ? kDefaultTeamCheckSeconds : std::min(intervalSeconds, kLongestTeamCheckSeconds);
    return static_cast<long long>(seconds * 1000.0 * (0.8 + 0.4 * chance));
}

std::string TeamHintLine(const TeamSettings& settings, int room)
{
    // "MM-DD HH:MM" of the stored "YYYY-MM-DD HH:MM:SS": the year and seconds do not help here.
    const std::string when = settings.lastSync > 0 ? FormatDateTime(settings.lastSync).substr(5, 11) : "从未";
    std::string line;
    if (!settings.lastError.empty())
        // A library refused whole came from a server that answered: the desk is not offline,
        // only not up to date.
        line = (settings.refused && settings.lastError == settings.refusedError ? "团队模板：未更新，最后同步 "
                                                                                : "团队模板：离线，最后同步 ") +
               when + "。" + settings.lastError;
    else
        line = "团队模板：在线，最后同步 " + when + (settings.note.empty() ? "" : "。" + settings.note);
    // While the lead counts usage the desk says so on a line of its own, whole: the line
    // above gives way to it.
    const std::string usage = settings.usage ? std::string("\n") + kTeamUsageSentence : std::string();
    const int lineRoom = room - CharacterCount(usage);
    if (lineRoom <= 3)
        return CharacterCount(line) > room ? ShortenText(line, room > 3 ? room - 3 : 0) : line;
    return (CharacterCount(line) > lineRoom ? ShortenText(line, lineRoom - 3) : line) + usage;
}

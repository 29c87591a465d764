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

} // namespace

TeamCheck CheckTeamLibrary(Connection& desk, TeamSource& source, DateTime now, const TeamRowsRead& read,
                           const StopRequested& stopping)
{
    const std::optional<TeamSettings> settings = ReadTeamSettings(desk);
    if (!settings)
        return {};
    // A server that answers after the program began to close is not recorded: DB.mdb may be
    // under the exit's backup by then.
    const auto stopped = [&stopping] { return stopping && stopping(); };
    const TeamCheck stop{TeamCheckResult::Stopped, {}};
    std::vector<TeamTemplate> templates;
    long long counter = 0;
    try {
        source.connect();
        counter = source.changeCounter();
        if (stopped())
            return stop;
        if (settings->counter == counter && settings->rows > 0) {
            RecordTeamCheck(desk, now);
            return {TeamCheckResult::Unchanged, {}};
        }
        // The counter is read before the rows: a publish in between leaves the cache stored
        // under the older counter, and the next check reads again.
        source.readTemplates([&](TeamTemplate row) {
            row.sortId = static_cast<long long>(templates.size());
            templates.push_back(std::move(row));
        });
    } catch (const TeamFailure& e) {
        return stopped() ? stop : Failed(desk, e.what());
    } catch (const StoreError& e) {
        return stopped() ? stop : Failed(desk, StoreErrorText(e));
    }
    if (stopped())
        return stop;
    if (read)
        read(templates);
    try {
        if (!StoreTeamTemplates(desk, templates, counter, now, stopping))
            return stop;
    } catch (const StoreError& e) {
        return stopped() ? stop : Failed(desk, "团队模板无法存入 DB.mdb：" + StoreErrorText(e));
    }
    return {TeamCheckResult::Updated, {}};
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
    std::string line = settings.lastError.empty() ? "团队模板：在线，最后同步 " + when
                                                  : "团队模板：离线，最后同步 " + when + "。" + settings.lastError;
    return CharacterCount(line) > room ? ShortenText(line, room > 3 ? room - 3 : 0) : line;
}

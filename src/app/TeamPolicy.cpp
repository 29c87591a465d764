#include "app/TeamPolicy.h"

#include "common/Protector.h"
#include "common/Text.h"
#include "store/TeamConnectionText.h"

#include <algorithm>

namespace {

std::optional<std::string> Filled(const std::optional<std::string>& value)
{
    if (!value || TrimText(*value).empty())
        return std::nullopt;
    return TrimText(*value);
}

std::optional<long long> Seconds(const std::optional<long long>& value)
{
    if (!value || *value < 1)
        return std::nullopt;
    return std::min<long long>(*value, kLongestTeamCheckSeconds);
}

// HKLM's value where it sets one, else HKCU's.
template <typename T>
std::optional<T> Winning(const std::optional<T>& machine, const std::optional<T>& user)
{
    return machine ? machine : user;
}

} // namespace

std::vector<std::string> SplitTeamSets(const std::string& text)
{
    // A Chinese comma is what an agent's input method types: it separates as ',' does.
    std::string plain = text;
    for (size_t at = plain.find("，"); at != std::string::npos; at = plain.find("，", at))
        plain.replace(at, std::string("，").size(), ",");
    std::vector<std::string> sets;
    size_t start = 0;
    while (start <= plain.size()) {
        const size_t comma = std::min(plain.find(',', start), plain.size());
        const std::string name = TrimText(plain.substr(start, comma - start));
        if (!name.empty() && std::find(sets.begin(), sets.end(), name) == sets.end())
            sets.push_back(name);
        start = comma + 1;
    }
    return sets;
}

TeamChoice ChooseTeam(const TeamPolicy& policy, const std::optional<TeamSettings>& settings)
{
    TeamChoice choice;
    const std::optional<std::string> connection =
        Winning(Filled(policy.machine.connection), Filled(policy.user.connection));
    if (connection) {
        choice.active = true;
        choice.connectionByPolicy = true;
        choice.policyConnection = *connection;
        choice.identity = TeamConnectionIdentity(*connection);
        choice.server = TeamServerName(*connection);
        choice.needsPassword = NeedsPassword(*connection) && (!settings || settings->policyPassword.empty() ||
                                                              settings->policyPasswordIdentity != choice.identity);
    } else if (settings && !settings->protectedConnection.empty()) {
        choice.active = true;
        choice.identity = settings->identity;
        choice.server = settings->server;
    }
    if (const std::optional<long long> seconds =
            Winning(Seconds(policy.machine.checkSeconds), Seconds(policy.user.checkSeconds))) {
        choice.checkSeconds = static_cast<int>(*seconds);
        choice.checkSecondsByPolicy = true;
    } else if (settings) {
        choice.checkSeconds = settings->checkSeconds;
    }
    if (const std::optional<std::string> sets = Winning(Filled(policy.machine.sets), Filled(policy.user.sets))) {
        choice.sets = SplitTeamSets(*sets);
        choice.setsByPolicy = true;
    } else if (settings) {
        choice.sets = settings->sets;
    }
    return choice;
}

TeamChoice SettleTeamLibrary(Connection& desk, const TeamPolicy& policy, bool* cacheEmptied)
{
    const std::optional<TeamSettings> settings = ReadTeamSettings(desk);
    const TeamChoice choice = ChooseTeam(policy, settings);
    bool emptied = false;
    if (choice.active)
        emptied = AdoptTeamCache(desk, choice.identity) && settings && settings->rows > 0;
    else if (settings)
        emptied = RemoveTeamLibrary(desk) && settings->rows > 0; // no connection of its own to go back to
    if (cacheEmptied)
        *cacheEmptied = emptied;
    return choice;
}

std::string PolicyConnectionText(const TeamChoice& choice, const TeamSettings& settings, Protector& protector)
{
    if (!NeedsPassword(choice.policyConnection) || settings.policyPassword.empty() ||
        settings.policyPasswordIdentity != choice.identity)
        return choice.policyConnection;
    return WithPassword(choice.policyConnection, protector.unprotect(settings.policyPassword));
}

std::string ShownWithSource(const std::string& text, bool byPolicy)
{
    return byPolicy ? text + "（" + kSetByAdministrator + "）" : text;
}

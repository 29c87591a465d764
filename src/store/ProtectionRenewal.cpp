#include "store/ProtectionRenewal.h"

#include "store/TeamCache.h"

bool RenewTeamConnectionProtection(Connection& desk, Protector& protector)
{
    const std::optional<TeamSettings> read = ReadTeamSettings(desk);
    if (!read || !protector.outdated(read->protectedConnection))
        return false;
    const std::string text = protector.unprotect(read->protectedConnection);
    const std::string renewed = protector.protect(text);
    // Stored only once it reads back as the same connection the current way.
    if (protector.outdated(renewed) || protector.unprotect(renewed) != text)
        return false;

    Transaction transaction(desk);
    const std::optional<TeamSettings> now = ReadTeamSettings(desk);
    if (!now || now->protectedConnection != read->protectedConnection)
        return false;
    desk.execute("update TTeamConfig set TConnection=? where TID=1", {SqlParam::Blob(renewed)});
    transaction.commit();
    return true;
}

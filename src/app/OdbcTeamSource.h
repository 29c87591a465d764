#pragma once
// The team library's server as the background check asks it: TeamServer through odbc32, the
// connection text read back with the Windows data protection of the signed-in user.
#include "templates/TeamSync.h"

#include <functional>
#include <memory>
#include <string>

class Protector;
class TeamServer;

class OdbcTeamSource : public TeamSource {
public:
    // `protectedConnection` as TTeamConfig keeps it; it is read back only at connect().
    OdbcTeamSource(std::string protectedConnection, Protector& protector);
    // A connection text made only at connect() (a policy's, with the password entered for it
    // read back then); it may throw ProtectionError.
    explicit OdbcTeamSource(std::function<std::string()> connectionText);
    ~OdbcTeamSource() override;

    void connect() override;
    TeamLibraryVersion version() override;
    TeamLibrarySize size() override;
    void readTemplates(size_t textBytesAtMost, const std::function<bool(TeamTemplate)>& take) override;
    std::optional<TeamServerSets> sets() override;
    TeamLibrarySize setSize(const TeamSetState& set) override;
    void readSet(const TeamSetState& set, size_t textBytesAtMost,
                 const std::function<bool(TeamTemplate)>& take) override;
    TeamUploadResult upload(const TeamUsageUpload& upload) override;

private:
    TeamServer& server();

    std::function<std::string()> connectionText_;
    std::unique_ptr<TeamServer> server_;
};

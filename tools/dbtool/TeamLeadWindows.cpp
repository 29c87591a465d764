// The team commands' server on Windows: store/TeamServer through odbc32.
#include "TeamLead.h"

#include "store/TeamServer.h"

namespace {

class OdbcTeamLink : public TeamLink {
public:
    explicit OdbcTeamLink(const std::string& connectionText) : server_(connectionText) {}

    std::string serverName() override { return server_.serverName(); }
    void createTables() override { server_.createTables(); }
    long long counter() override { return server_.counter(); }
    long long replaceTemplates(const std::vector<std::string>& texts) override
    {
        return server_.replaceTemplates(texts);
    }

private:
    TeamServer server_;
};

} // namespace

std::unique_ptr<TeamLink> ConnectTeam(const std::string& connectionText)
{
    return std::make_unique<OdbcTeamLink>(connectionText);
}

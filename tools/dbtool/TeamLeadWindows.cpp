// The team commands' server on Windows: store/TeamServer through odbc32.
#include "TeamLead.h"

namespace {

class OdbcTeamLink : public TeamLink {
public:
    explicit OdbcTeamLink(const std::string& connectionText) : server_(connectionText) {}

    std::string serverName() override { return server_.serverName(); }
    void createTables() override { server_.createTables(); }
    long long counter() override { return server_.counter(); }
    std::string sourceOf(const std::string& databasePath) override { return TeamServer::SourceOf(databasePath); }
    TeamServer::Published publishVersion(const std::string& setName, std::vector<TeamVersionRow> rows,
                                         const std::string& source, const std::string& note, bool numbered) override
    {
        return server_.publishVersion(setName, std::move(rows), source, note, numbered);
    }
    bool findSet(const std::string& name, int& setId, int& currentVersion) override
    {
        return server_.findSet(name, setId, currentVersion);
    }
    std::vector<TeamServer::HistoryLine> history(int setId, size_t atMost) override
    {
        return server_.history(setId, atMost);
    }
    std::vector<TeamVersionRow> versionRows(int setId, int versionNo, size_t textBytesAtMost,
                                            size_t rowsAtMost) override
    {
        return server_.versionRows(setId, versionNo, textBytesAtMost, rowsAtMost);
    }
    std::vector<TeamServer::SetLine> sets() override { return server_.sets(); }
    bool removeSet(const std::string& name) override { return server_.removeSet(name); }
    void setOption(const std::string& name, const std::string& value) override { server_.setOption(name, value); }

private:
    TeamServer server_;
};

} // namespace

std::unique_ptr<TeamLink> ConnectTeam(const std::string& connectionText)
{
    return std::make_unique<OdbcTeamLink>(connectionText);
}

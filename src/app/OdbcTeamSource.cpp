#include "app/OdbcTeamSource.h"

#include "common/Protector.h"
#include "store/TeamServer.h"
#include "ui/StoreErrorText.h"

#include <utility>

OdbcTeamSource::OdbcTeamSource(std::string protectedConnection, Protector& protector)
    : connectionText_([stored = std::move(protectedConnection), &protector] { return protector.unprotect(stored); })
{
}

OdbcTeamSource::OdbcTeamSource(std::function<std::string()> connectionText) : connectionText_(std::move(connectionText))
{
}

OdbcTeamSource::~OdbcTeamSource() = default;

void OdbcTeamSource::connect()
{
    std::string connectionText;
    try {
        connectionText = connectionText_();
    } catch (const ProtectionError& e) {
        // Another Windows user, or DB.mdb copied from another machine: only a new connect helps.
        throw TeamFailure(std::string("无法读出团队模板库的连接文字（") + e.what() +
                          "），请重新运行 VelmoraDb team connect");
    }
    try {
        server_ = std::make_unique<TeamServer>(connectionText);
    } catch (const TeamError& e) {
        throw TeamFailure(TeamErrorText(e));
    }
}

TeamServer& OdbcTeamSource::server()
{
    if (!server_)
        throw TeamFailure("还没有连接团队模板库的服务器");
    return *server_;
}

TeamLibraryVersion OdbcTeamSource::version()
{
    try {
        const TeamServer::Version version = server().version();
        return {version.counter, version.generation};
    } catch (const TeamError& e) {
        throw TeamFailure(TeamErrorText(e));
    }
}

TeamLibrarySize OdbcTeamSource::size()
{
    try {
        const TeamServer::Size size = server().size();
        return {size.templates, size.bytes, size.largestBytes};
    } catch (const TeamError& e) {
        throw TeamFailure(TeamErrorText(e));
    }
}

void OdbcTeamSource::readTemplates(size_t textBytesAtMost, const std::function<bool(TeamTemplate)>& take)
{
    long long id = 0;
    try {
        server().readTemplates(textBytesAtMost, [&](std::string text) {
            TeamTemplate row;
            row.id = ++id;
            row.text = std::move(text);
            return take(std::move(row));
        });
    } catch (const TeamError& e) {
        throw TeamFailure(TeamErrorText(e));
    }
}

std::optional<TeamServerSets> OdbcTeamSource::sets()
{
    try {
        std::vector<TeamServer::SetVersion> found;
        TeamServerSets sets;
        if (!server().readSets(found, sets.usage))
            return std::nullopt;
        for (TeamServer::SetVersion& set : found)
            sets.sets.push_back(
                {set.setId, std::move(set.name), {set.counter, std::move(set.generation)}, set.versionNo, 0});
        return sets;
    } catch (const TeamError& e) {
        throw TeamFailure(TeamErrorText(e));
    }
}

TeamLibrarySize OdbcTeamSource::setSize(const TeamSetState& set)
{
    try {
        const TeamServer::Size size = server().setSize(set.setId, set.versionNo);
        return {size.templates, size.bytes, size.largestBytes};
    } catch (const TeamError& e) {
        throw TeamFailure(TeamErrorText(e));
    }
}

void OdbcTeamSource::readSet(const TeamSetState& set, size_t textBytesAtMost,
                             const std::function<bool(TeamTemplate)>& take)
{
    try {
        server().readSet(set.setId, set.versionNo, textBytesAtMost, [&](long long templateNo, std::string text) {
            TeamTemplate row;
            row.id = templateNo;
            row.text = std::move(text);
            return take(std::move(row));
        });
    } catch (const TeamError& e) {
        throw TeamFailure(TeamErrorText(e));
    }
}

TeamUploadResult OdbcTeamSource::upload(const TeamUsageUpload& upload)
{
    std::vector<TeamServer::UsageCount> counts;
    counts.reserve(upload.counts.size());
    for (const TeamUsageCount& count : upload.counts)
        counts.push_back({count.day, count.setId, count.templateNo, count.sends});
    try {
        return server().addUsage(upload.deskId, upload.uploadId, counts) ? TeamUploadResult::Added
                                                                         : TeamUploadResult::AlreadyThere;
    } catch (const TeamError& e) {
        throw TeamFailure(TeamErrorText(e));
    }
}

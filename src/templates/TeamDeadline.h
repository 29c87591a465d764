#pragma once
// A deadline for the server's side of one check. A server (or a network) that answers one
// byte at a time is not bounded by the driver's query timeout, which counts only the wait for
// the first answer: a check would wait on it for as long as it pleases, and no further check
// would come. Here each call to the server runs on a thread of its own while the check waits
// for it at most until the deadline; past it, the call throws TeamFailure, and its thread,
// with the connection it holds, is left to end when the server lets it go. From then on it
// reaches nothing of the check's: the rows it still reads go nowhere.
#include "templates/TeamSync.h"

#include <chrono>
#include <memory>

class DeadlineSource : public TeamSource {
public:
    // Calls left waiting on servers, all checks together, beyond which a check does not
    // connect again: each holds a thread and a connection.
    static constexpr int kMostLeftWaiting = 4;

    // The deadline runs from now, for all calls together.
    DeadlineSource(std::shared_ptr<TeamSource> source, std::chrono::milliseconds deadline);
    ~DeadlineSource() override;
    DeadlineSource(const DeadlineSource&) = delete;
    DeadlineSource& operator=(const DeadlineSource&) = delete;

    void connect() override;
    TeamLibraryVersion version() override;
    TeamLibrarySize size() override;
    void readTemplates(size_t textBytesAtMost, const std::function<bool(TeamTemplate)>& take) override;
    std::optional<TeamServerSets> sets() override;
    TeamLibrarySize setSize(const TeamSetState& set) override;
    void readSet(const TeamSetState& set, size_t textBytesAtMost,
                 const std::function<bool(TeamTemplate)>& take) override;
    TeamUploadResult upload(const TeamUsageUpload& upload) override;

    // Calls that passed their deadline and still wait on their server.
    static int LeftWaiting();

    struct Shared;
    struct Call;

private:
    std::shared_ptr<Call> run(const std::function<void(TeamSource&, Call&)>& work);

    std::shared_ptr<Shared> shared_;
    std::chrono::steady_clock::time_point deadline_;
    std::chrono::milliseconds length_;
};

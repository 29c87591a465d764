#include "app/TeamSyncThread.h"

#include "app/OdbcTeamSource.h"
#include "app/PolicyRegistry.h"
#include "backup/WinFiles.h"
#include "store/Connection.h"
#include "store/ProtectionRenewal.h"
#include "store/StoreError.h"
#include "store/TeamCache.h"
#include "templates/TeamDeadline.h"
#include "templates/TeamSync.h"
#include "ui/StoreErrorText.h"
#include "ui/DpapiProtector.h"

#include <atomic>
#include <chrono>
#include <optional>
#include <random>
#include <vector>

// What the thread and the window share. The thread holds its own reference, so a thread left
// behind at exit still finds it whole.
struct TeamSyncThread::Shared {
    HWND window = nullptr;
    UINT message = 0;
    UINT rowsMessage = 0;
    std::string databasePath;
    HANDLE stopEvent = nullptr;
    // Set while the thread waits on the server rather than on DB.mdb: a stop then has
    // nothing to wait for, as the server may never answer.
    std::atomic<bool> atServer{false};
    // Set by stop() before it looks at atServer, and read by the thread after every answer of
    // the server and between the rows it stores: either the stop waits for the thread, or the
    // thread sees the stop before it writes.
    std::atomic<bool> stopping{false};

    ~Shared()
    {
        if (stopEvent)
            CloseHandle(stopEvent);
    }
};

namespace {

class MersenneRandom : public RandomSource {
public:
    // The system's chance as well: upload names come from it.
    MersenneRandom() : engine_(std::random_device()() ^ GetTickCount() ^ GetCurrentProcessId()) {}
    double next() override { return std::uniform_real_distribution<double>(0.0, 1.0)(engine_); }

private:
    std::mt19937 engine_;
};

class AtServer {
public:
    explicit AtServer(std::atomic<bool>& flag) : flag_(flag) { flag_ = true; }
    ~AtServer() { flag_ = false; }
    AtServer(const AtServer&) = delete;
    AtServer& operator=(const AtServer&) = delete;

private:
    std::atomic<bool>& flag_;
};

// The server's side of a check, each call marked as a wait on the network. DB.mdb is let go
// for the wait (the next use opens it again), so a server that does not answer never keeps
// the file from a restore.
class MarkedSource : public TeamSource {
public:
    MarkedSource(TeamSource& source, Connection& desk, std::atomic<bool>& atServer)
        : source_(source), desk_(desk), atServer_(atServer)
    {
    }
    void connect() override
    {
        desk_.disconnect();
        AtServer mark(atServer_);
        source_.connect();
    }
    TeamLibraryVersion version() override
    {
        AtServer mark(atServer_);
        return source_.version();
    }
    TeamLibrarySize size() override
    {
        AtServer mark(atServer_);
        return source_.size();
    }
    void readTemplates(size_t textBytesAtMost, const std::function<bool(TeamTemplate)>& take) override
    {
        AtServer mark(atServer_);
        source_.readTemplates(textBytesAtMost, take);
    }
    std::optional<TeamServerSets> sets() override
    {
        AtServer mark(atServer_);
        return source_.sets();
    }
    TeamLibrarySize setSize(const TeamSetState& set) override
    {
        AtServer mark(atServer_);
        return source_.setSize(set);
    }
    void readSet(const TeamSetState& set, size_t textBytesAtMost,
                 const std::function<bool(TeamTemplate)>& take) override
    {
        AtServer mark(atServer_);
        source_.readSet(set, textBytesAtMost, take);
    }
    TeamUploadResult upload(const TeamUsageUpload& counts) override
    {
        AtServer mark(atServer_);
        return source_.upload(counts);
    }

private:
    TeamSource& source_;
    Connection& desk_;
    std::atomic<bool>& atServer_;
};

// One check; what DB.mdb itself refuses counts as a failed check, never an end of the thread.
TeamCheckResult CheckOnce(Connection& desk, DpapiProtector& protector, RandomSource& random, int& intervalSeconds,
                          std::atomic<bool>& atServer, const TeamRowsRead& read, const StopRequested& stopping)
{
    std::optional<DeadlineSource> source;
    TeamCheckResult result = TeamCheckResult::Failed;
    std::string failure;
    try {
        // The policy is read at every check: IT may set, change or remove it while the desk runs.
        bool emptied = false;
        const TeamChoice choice = SettleTeamLibrary(desk, ReadTeamPolicy(), &emptied);
        if (!choice.active)
            return TeamCheckResult::NoLibrary;
        // Another library's rows are gone from DB.mdb: the list lets them go at once, whether
        // or not the new library answers.
        if (emptied && read)
            read({});
        const std::optional<TeamSettings> settings = ReadTeamSettings(desk);
        if (!settings)
            return TeamCheckResult::NoLibrary;
        intervalSeconds = choice.checkSeconds;
        std::shared_ptr<OdbcTeamSource> odbc =
            choice.connectionByPolicy ? std::make_shared<OdbcTeamSource>([choice, settings = *settings, &protector] {
                return PolicyConnectionText(choice, settings, protector);
            })
                                      : std::make_shared<OdbcTeamSource>(settings->protectedConnection, protector);
        // A server that answers slowly holds the check no longer than its deadline.
        source.emplace(std::move(odbc), std::chrono::seconds(settings->deadlineSeconds));
        MarkedSource marked(*source, desk, atServer);
        const std::vector<std::string> policySets = choice.setsByPolicy ? choice.sets : std::vector<std::string>{};
        result = CheckTeamLibrary(desk, marked, WinClock().now(), read, stopping, {}, policySets).result;
        // Within the same deadline: an upload left waiting is repeated, under its name, next time.
        if (result == TeamCheckResult::Unchanged || result == TeamCheckResult::Updated)
            UploadTeamUsage(
                desk, marked, [&random] { return RandomTeamId(random); }, stopping);
    } catch (const std::bad_alloc&) {
        failure = "检查团队模板库时内存不够，这次没有使用，仍用上次取回的团队模板";
    } catch (const StoreError& e) {
        failure = "检查团队模板库时 DB.mdb 出错（" + StoreErrorText(e) + "）";
    } catch (const std::exception& e) {
        failure = std::string("检查团队模板库时出错（") + e.what() + "）";
    } catch (...) {
        failure = "检查团队模板库时出错";
    }
    // No failure goes unsaid: the tray hint and `team status` show it, if DB.mdb takes it.
    if (!failure.empty()) {
        try {
            RecordTeamFailure(desk, failure);
        } catch (...) {
        }
    }
    // Hanging up may wait on the server too.
    AtServer mark(atServer);
    source.reset();
    return result;
}

DWORD WINAPI Run(void* parameter)
{
    std::unique_ptr<std::shared_ptr<TeamSyncThread::Shared>> owned(
        static_cast<std::shared_ptr<TeamSyncThread::Shared>*>(parameter));
    const std::shared_ptr<TeamSyncThread::Shared> shared = *owned;
    Connection desk;
    desk.setConnectionText(ConnectionTextFor(shared->databasePath));
    DpapiProtector protector;
    MersenneRandom random;
    int intervalSeconds = kDefaultTeamCheckSeconds;
    // The rows read go to the window before they are stored, the slow part: the window
    // need not wait for that, nor read them back from DB.mdb.
    const auto handOver = [&](const std::vector<TeamTemplate>& read) {
        if (WaitForSingleObject(shared->stopEvent, 0) == WAIT_OBJECT_0)
            return;
        auto rows = std::make_unique<TeamSyncThread::Rows>();
        rows->reserve(read.size());
        for (const TeamTemplate& row : read)
            rows->push_back(row.text);
        if (PostMessageW(shared->window, shared->rowsMessage, 0, reinterpret_cast<LPARAM>(rows.get())))
            rows.release();
    };
    // A connection stored before the program protected it with its own entropy is stored
    // anew, once, before the first check; when that fails it stays as it was, readable.
    try {
        RenewTeamConnectionProtection(desk, protector);
    } catch (const std::exception&) {
    }
    const StopRequested stopping = [&shared] { return shared->stopping.load(); };
    for (;;) {
        const TeamCheckResult result =
            CheckOnce(desk, protector, random, intervalSeconds, shared->atServer, handOver, stopping);
        // The server may have kept the thread past the stop: then nobody is told.
        if (result == TeamCheckResult::Stopped || WaitForSingleObject(shared->stopEvent, 0) == WAIT_OBJECT_0)
            break;
        PostMessageW(shared->window, shared->message, static_cast<WPARAM>(result), 0);
        if (result == TeamCheckResult::NoLibrary)
            break;         // `team off` while running: nothing more to ask
        desk.disconnect(); // DB.mdb stays free between checks
        const long long delay = NextCheckDelayMs(intervalSeconds, random);
        if (WaitForSingleObject(shared->stopEvent, static_cast<DWORD>(delay)) == WAIT_OBJECT_0)
            break;
    }
    desk.disconnect();
    return 0;
}

} // namespace

TeamSyncThread::~TeamSyncThread() { stop(); }

void TeamSyncThread::start(HWND window, UINT message, UINT rowsMessage, const std::string& databasePath)
{
    if (thread_)
        return;
    shared_ = std::make_shared<Shared>();
    shared_->window = window;
    shared_->message = message;
    shared_->rowsMessage = rowsMessage;
    shared_->databasePath = databasePath;
    shared_->stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!shared_->stopEvent)
        return;
    auto* parameter = new std::shared_ptr<Shared>(shared_);
    thread_ = CreateThread(nullptr, 0, Run, parameter, 0, nullptr);
    if (!thread_)
        delete parameter;
}

void TeamSyncThread::stop()
{
    if (!thread_)
        return;
    shared_->stopping = true;
    SetEvent(shared_->stopEvent);
    // A write to DB.mdb under way rolls back; a wait on the server is not waited for.
    for (DWORD waited = 0; waited < kStopWaitMs && !shared_->atServer; waited += kStopSliceMs)
        if (WaitForSingleObject(thread_, kStopSliceMs) == WAIT_OBJECT_0)
            break;
    CloseHandle(thread_);
    thread_ = nullptr;
}

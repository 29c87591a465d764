#include "templates/TeamDeadline.h"

#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

// What the check and the threads of its calls share; a thread left behind keeps it alive,
// with the connection, until it ends.
struct DeadlineSource::Shared {
    std::shared_ptr<TeamSource> source;
    // Held while a row goes to the check and while the check gives up: once it has given up,
    // no row reaches it.
    std::mutex gate;
    bool givenUp = false;
};

// One call: its outcome, handed from its thread to the check.
struct DeadlineSource::Call {
    std::mutex mutex;
    std::condition_variable ended;
    bool finished = false;
    bool leftBehind = false;
    std::exception_ptr error;
    TeamLibraryVersion version;
    TeamLibrarySize size;
    std::optional<TeamServerSets> sets;
    TeamUploadResult uploaded = TeamUploadResult::Added;
};

namespace {

std::atomic<int> leftWaiting{0};

std::string Duration(std::chrono::milliseconds deadline)
{
    const long long ms = deadline.count();
    return ms % 1000 == 0 ? std::to_string(ms / 1000) + " 秒" : std::to_string(ms) + " 毫秒";
}

} // namespace

DeadlineSource::DeadlineSource(std::shared_ptr<TeamSource> source, std::chrono::milliseconds deadline)
    : shared_(std::make_shared<Shared>()), deadline_(std::chrono::steady_clock::now() + deadline), length_(deadline)
{
    shared_->source = std::move(source);
}

DeadlineSource::~DeadlineSource() = default;

int DeadlineSource::LeftWaiting() { return leftWaiting; }

std::shared_ptr<DeadlineSource::Call> DeadlineSource::run(const std::function<void(TeamSource&, Call&)>& work)
{
    const std::string waited = Duration(length_);
    if (shared_->givenUp)
        throw TeamFailure("数据库服务器 " + waited + "内没有答完，这次检查放弃了，下次照常检查");
    if (leftWaiting >= kMostLeftWaiting)
        throw TeamFailure("数据库服务器还没有答完前几次检查，这次没有再连接，下次照常检查");
    auto call = std::make_shared<Call>();
    std::thread([shared = shared_, call, work] {
        std::exception_ptr error;
        try {
            work(*shared->source, *call);
        } catch (...) {
            error = std::current_exception();
        }
        std::lock_guard<std::mutex> lock(call->mutex);
        call->error = error;
        call->finished = true;
        if (call->leftBehind)
            --leftWaiting;
        call->ended.notify_all();
    }).detach();

    std::unique_lock<std::mutex> lock(call->mutex);
    if (!call->ended.wait_until(lock, deadline_, [&] { return call->finished; })) {
        call->leftBehind = true;
        ++leftWaiting;
        lock.unlock();
        {
            std::lock_guard<std::mutex> gate(shared_->gate);
            shared_->givenUp = true;
        }
        throw TeamFailure("数据库服务器 " + waited + "内没有答完，这次检查放弃了，下次照常检查");
    }
    lock.unlock();
    if (call->error)
        std::rethrow_exception(call->error);
    return call;
}

void DeadlineSource::connect()
{
    run([](TeamSource& source, Call&) { source.connect(); });
}

TeamLibraryVersion DeadlineSource::version()
{
    return run([](TeamSource& source, Call& call) { call.version = source.version(); })->version;
}

TeamLibrarySize DeadlineSource::size()
{
    return run([](TeamSource& source, Call& call) { call.size = source.size(); })->size;
}

void DeadlineSource::readTemplates(size_t textBytesAtMost, const std::function<bool(TeamTemplate)>& take)
{
    run([shared = shared_, textBytesAtMost, take](TeamSource& source, Call&) {
        source.readTemplates(textBytesAtMost, [&](TeamTemplate row) {
            std::lock_guard<std::mutex> gate(shared->gate);
            return !shared->givenUp && take(std::move(row));
        });
    });
}

std::optional<TeamServerSets> DeadlineSource::sets()
{
    return run([](TeamSource& source, Call& call) { call.sets = source.sets(); })->sets;
}

TeamLibrarySize DeadlineSource::setSize(const TeamSetState& set)
{
    return run([set](TeamSource& source, Call& call) { call.size = source.setSize(set); })->size;
}

void DeadlineSource::readSet(const TeamSetState& set, size_t textBytesAtMost,
                             const std::function<bool(TeamTemplate)>& take)
{
    run([shared = shared_, set, textBytesAtMost, take](TeamSource& source, Call&) {
        source.readSet(set, textBytesAtMost, [&](TeamTemplate row) {
            std::lock_guard<std::mutex> gate(shared->gate);
            return !shared->givenUp && take(std::move(row));
        });
    });
}

// An upload left behind at the deadline may still be committed: the next one, under the same
// name, then finds it there.
TeamUploadResult DeadlineSource::upload(const TeamUsageUpload& counts)
{
    return run([counts](TeamSource& source, Call& call) { call.uploaded = source.upload(counts); })->uploaded;
}

#pragma once
// Keeping the desk's copy of the team library up to date: one check asks the server for its
// change counter and reads the templates only when it moved. The check runs on whatever
// thread its caller chooses; it starts none itself. The server is reached through TeamSource,
// which the program implements over ODBC and the tests fake.
#include "common/DateTime.h"
#include "common/TemplateRule.h"
#include "store/TeamCache.h"

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

class Connection;

// Why the server could not be asked: one sentence for the tray hint and `team status`. It never
// holds the connection text.
class TeamFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// How much the library on the server holds, as the server measures it before it is read, in
// a measure never above the text's UTF-8 bytes (PostgreSQL's bytes, SQL Server's UTF-16 code
// units): a library it shows over the limits is over them, and is refused unread.
struct TeamLibrarySize {
    long long templates = 0;
    long long bytes = 0;        // all the texts together
    long long largestBytes = 0; // the longest text
};

// The most a desk takes from the server (common/TemplateRule.h); the tests choose smaller ones.
struct TeamLimits {
    size_t templateBytes = kMaxTemplateBytes;
    size_t templates = kMaxLibraryTemplates;
    size_t libraryBytes = kMaxLibraryBytes;
};

// The sets on a server that has them, each with its version, and whether the lead counts usage.
struct TeamServerSets {
    std::vector<TeamSetState> sets;
    bool usage = false;
};

// How an upload of usage counts ended: added now, or found on the server already (an earlier
// try was committed though its answer was lost).
enum class TeamUploadResult { Added, AlreadyThere };

class TeamSource {
public:
    virtual ~TeamSource() = default;
    // Each call may throw TeamFailure.
    virtual void connect() = 0;
    // The library's version; it moves on at every publish.
    virtual TeamLibraryVersion version() = 0;
    virtual TeamLibrarySize size() = 0;
    // Hands the templates over in the server's order, one at a time (their sortId is ignored),
    // until `take` returns false. A text longer than `textBytesAtMost` is not fetched whole: it
    // may be handed over cut, but always still longer than that.
    virtual void readTemplates(size_t textBytesAtMost, const std::function<bool(TeamTemplate)>& take) = 0;

    // The sets with their versions and the usage switch, in one question; nothing from a
    // server made by an older build and not initialised since: its library is the default
    // set alone, asked for with version(), size() and readTemplates().
    virtual std::optional<TeamServerSets> sets() { return std::nullopt; }
    // As size() and readTemplates() for one version of one set; each template's id is its
    // number in the set.
    virtual TeamLibrarySize setSize(const TeamSetState& set);
    virtual void readSet(const TeamSetState& set, size_t textBytesAtMost,
                         const std::function<bool(TeamTemplate)>& take);
    // Adds the counts with the upload's name in one transaction.
    virtual TeamUploadResult upload(const TeamUsageUpload& upload);
};

enum class TeamCheckResult {
    NoLibrary, // the desk has no team library: nothing was asked
    Unchanged, // the server answered; its counter is the one the cache was read at
    Updated,   // the cache now holds the server's templates
    Failed,    // the cache is as it was, and the reason is recorded
    Stopped,   // the program is closing: nothing was written after the stop, the cache is as it was
};

struct TeamCheck {
    TeamCheckResult result = TeamCheckResult::NoLibrary;
    std::string error; // for Failed
};

// One check at `now`. The templates are read when the version differs from the one the cache
// was read at (a restored backup's older counter included), or when the cache is empty; never
// while the server's version is one refused before. They are read whole before anything is
// written, then replace the cache in one transaction, so a failure at any point leaves the
// cache as it was.
// Everything from the server is checked here, once: a text the character rule refuses
// (common/TemplateRule.h) is left out and the check notes how many; a library over `limits`
// (first as the server measures it, then while it is read, which stops at once) is refused
// whole with its version, and the cache kept. Every failure, a lack of memory included, is
// recorded as one sentence. Throws nothing but what the desk's own database throws when it
// cannot even read its settings. `read`, if given, sees the templates once they are read whole,
// before they are stored (a window may list them meanwhile).
// `stopping` is asked after each answer of the server and between the rows stored: once it
// says so, the check writes nothing more and rolls back a store under way.
using TeamRowsRead = std::function<void(const std::vector<TeamTemplate>&)>;
// `sets`, when given, are the sets listed instead of the desk's own choice (a policy's).
TeamCheck CheckTeamLibrary(Connection& desk, TeamSource& source, DateTime now, const TeamRowsRead& read = {},
                           const StopRequested& stopping = {}, const TeamLimits& limits = {},
                           const std::vector<std::string>& sets = {});

// After a check: the usage counts kept on the desk go to the server while the lead counts
// usage, as one upload named once (`newId`) and repeated under that name until the server has
// it, so that none is added twice. A failure keeps them for the next check and is not the
// check's: it is not recorded. True when an upload reached the server (or was there already).
bool UploadTeamUsage(Connection& desk, TeamSource& source, const std::function<std::string()>& newId,
                     const StopRequested& stopping = {});

// A number in [0, 1), as evenly spread as the caller's source of chance makes it.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual double next() = 0;
};

// A name no other desk or upload has: 32 hexadecimal digits of chance.
std::string RandomTeamId(RandomSource& random);

// Milliseconds until the next check: the interval, moved by up to a fifth either way, so that
// desks started together (a whole office at nine) spread their questions over the interval.
long long NextCheckDelayMs(int intervalSeconds, RandomSource& random);

// The tray hint's line for a desk with a team library: online with the time of the last
// sync and what the read left out, or offline with it and why the last check failed (not
// updated, for a library refused whole), cut so that the whole hint stays
// within what the notification area shows (127 characters). Never holds the password: the
// sentence is the one recorded, already without it.
std::string TeamHintLine(const TeamSettings& settings, int room);

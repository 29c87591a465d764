#pragma once
// The team library's server through ODBC (Windows only: it links odbc32). One object is one
// connection: made with a login timeout, so a server that accepts and never answers costs
// seconds, not the caller; every statement has a query timeout too. The server names itself
// and its dialect (store/TeamSql.h) is chosen by that name; any other server is refused.
// Only the wide functions and SQL_C_WCHAR: narrow text would pass through a code page and
// lose Chinese. Texts in and out are UTF-8. Failures throw TeamError, never with the password.
#include "store/TeamCompare.h"
#include "store/TeamSql.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TeamServer {
public:
    static constexpr int kLoginTimeoutSeconds = 5;
    static constexpr int kQueryTimeoutSeconds = 30;

    explicit TeamServer(const std::string& connectionText, int loginTimeoutSeconds = kLoginTimeoutSeconds,
                        int queryTimeoutSeconds = kQueryTimeoutSeconds);
    ~TeamServer();
    TeamServer(const TeamServer&) = delete;
    TeamServer& operator=(const TeamServer&) = delete;

    TeamDialect dialect() const { return dialect_; }
    const std::string& serverName() const { return serverName_; }

    // Creates the team tables and the counter's row where they are missing.
    void createTables();
    // The change counter.
    long long counter();
    // The counter and the generation; an empty generation on tables an older build made.
    struct Version {
        long long counter = 0;
        std::string generation;
    };
    Version version();
    // What the library holds, as TeamSql's readSize measures it.
    struct Size {
        long long templates = 0, bytes = 0, largestBytes = 0;
    };
    Size size();
    // The team's templates in their order, handed over one at a time until `take` returns
    // false. A text is fetched in pieces and no further once it is longer than
    // `textBytesAtMost` UTF-8 bytes: it is handed over cut, still longer than that.
    void readTemplates(size_t textBytesAtMost, const std::function<bool(std::string)>& take);
    // All of them, whatever their length.
    std::vector<std::string> readTemplates();
    // The team library becomes `texts`, in this order, in one transaction that also moves the
    // counter on; on any failure nothing changes. Returns the new counter.
    long long replaceTemplates(const std::vector<std::string>& texts);

    // Versions and sets (store/TeamSql.h). The default set is the one named kTeamDefaultSet.
    struct Published {
        int setId = 0, versionNo = 0;
        long long counter = 0;
        TeamComparison comparison;
        bool newSet = false;
    };
    // Publishes `rows` as the next version of the set named `setName`, made at its first
    // publish, in one transaction: the set's counter, its rows and history line, its current
    // version, TeamText for the default set, and the removal of versions beyond those kept. The
    // rows get their TemplateNo here, against the current version: by their own numbers when
    // `numbered` (a rollback), else by their sourceId when the current version came from the
    // same `source`, else by text. On any failure nothing changes.
    Published publishVersion(const std::string& setName, std::vector<TeamVersionRow> rows, const std::string& source,
                             const std::string& note, bool numbered);
    // The set's ID and current version; false when there is none of that name.
    bool findSet(const std::string& name, int& setId, int& currentVersion);
    struct HistoryLine {
        int versionNo = 0;
        std::string time, login, user, computer, note, source;
        int added = 0, changed = 0, removed = 0, rows = 0;
    };
    // The set's versions, newest first, at most `atMost`.
    std::vector<HistoryLine> history(int setId, size_t atMost);
    // A kept version's rows in order, each text read no further than `textBytesAtMost`
    // (handed over cut, still longer than that), and at most `rowsAtMost` + 1 of them.
    std::vector<TeamVersionRow> versionRows(int setId, int versionNo, size_t textBytesAtMost, size_t rowsAtMost);
    struct SetLine {
        int setId = 0, currentVersion = 0, rows = 0;
        std::string name, lastPublish; // lastPublish empty before the first
    };
    std::vector<SetLine> sets();
    // Removes the named set whole, in one transaction; false when there is none of that name.
    // The default set is never removed.
    bool removeSet(const std::string& name);
    void setOption(const std::string& name, const std::string& value);
    // Where a publish from the DB.mdb at `databasePath` comes from, as a version records it:
    // the Windows user, the computer and the file's full path.
    static std::string SourceOf(const std::string& databasePath);

    // What a desk asks (TeamSql's desk statements). The sets with their versions and the usage
    // switch in one question; false on a server without sets (never initialised by a build
    // that has them).
    struct SetVersion {
        long long setId = 0;
        std::string name;
        long long counter = 0;
        std::string generation;
        long long versionNo = 0;
    };
    bool readSets(std::vector<SetVersion>& sets, bool& usage);
    Size setSize(long long setId, long long versionNo);
    // As readTemplates for one version of one set; each with its TemplateNo.
    void readSet(long long setId, long long versionNo, size_t textBytesAtMost,
                 const std::function<bool(long long, std::string)>& take);
    struct UsageCount {
        std::string day; // "YYYY-MM-DD"
        long long setId = 0, templateNo = 0, sends = 0;
    };
    // One upload in one transaction; false when the server has it already (its key refused it).
    bool addUsage(const std::string& deskId, const std::string& uploadId, const std::vector<UsageCount>& counts);
    // `team usage`: the current templates of the set named `setName`, the most sent over the
    // last `days` days first.
    struct UsageRow {
        long long templateNo = 0;
        std::string text;
        long long sends = 0, desks = 0;
    };
    std::vector<UsageRow> usage(const std::string& setName, int days);

private:
    struct Handles;
    std::unique_ptr<Handles> handles_;
    std::string connectionText_; // kept only to scrub the password from what the driver says
    int queryTimeout_;
    TeamDialect dialect_ = TeamDialect::PostgreSql;
    std::string serverName_;
};

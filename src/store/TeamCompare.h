#pragma once
// How one version of a team set differs from the one before it. A template keeps its number
// (TemplateNo) across the versions of its set, so that a reply edited by the lead is the same
// template "changed", and what desks counted of it follows it. Order is not compared: moving a
// template up or down changes nothing a desk sends. Portable: the lead's tool uses it on rows
// read from the server, the tests on rows of their own.
#include <string>
#include <vector>

// A row of a kept version: its number, the lead's DB.mdb ID it came from (0 when unknown) and
// its text.
struct TeamVersionRow {
    long long templateNo = 0;
    long long sourceId = 0;
    std::string text;
};

// How a new version's rows are matched with the current version's.
enum class TeamIdentity {
    // A rollback: the rows carry the numbers they had.
    Numbered,
    // From the DB.mdb the current version came from: its IDs, then the text for rows whose ID
    // is new (a lead who deleted a reply and typed it again).
    SourceId,
    // From another DB.mdb, whose IDs mean nothing here: the text alone. An edited reply is then
    // one removed and one added.
    Text,
};

struct TeamComparison {
    int added = 0, changed = 0, removed = 0;
    // The highest number the set has given, the new rows' included.
    long long lastTemplateNo = 0;
};

// Gives each row of `next` its TemplateNo (matched rows keep the current one, new rows the
// numbers after `lastTemplateNo`, in order) and counts what changed against `current`.
TeamComparison CompareVersions(const std::vector<TeamVersionRow>& current, std::vector<TeamVersionRow>& next,
                               TeamIdentity identity, long long lastTemplateNo);

// What `newer` added and changed against `older`, by TemplateNo, in `newer`'s order, then what
// it removed, in `older`'s.
struct TeamDifference {
    enum class Kind { Added, Changed, Removed } kind = Kind::Added;
    long long templateNo = 0;
    std::string before, after; // `before` empty when added, `after` when removed
};
std::vector<TeamDifference> DiffVersions(const std::vector<TeamVersionRow>& older,
                                         const std::vector<TeamVersionRow>& newer);

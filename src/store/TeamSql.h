#pragma once
// The team library's tables on the company's database server, as SQL text for each server
// Velmora supports. Only this file knows the differences between them (identity column, text
// type, creating a table only when it is missing); the ODBC layer runs what it is given.
//
// TeamText holds the team's templates in their order (TSortID, then ID), like the local TText.
// TeamVersion holds one row (ID 1) whose Version moves on at every publish: a desk asks for
// it every few minutes and reads the templates again only when it changed. Its Generation is
// made anew by init (where there is none) and by every publish, so that a library made again
// (tables dropped and made anew, the database restored from a backup) never shows a desk a
// version it holds: the counter alone may come back to a number a desk has seen. Tables made
// by an older build get the column at the next init or publish; until then desks compare the
// counter alone, and older desks never ask for it.
//
// Every publish is also kept as a version of its set (TeamSet, TeamHistory, TeamHistoryText):
// the library TeamText holds is the default set's current version, which is SetID 1 and
// TeamVersion's row 1; a named set has its own TeamVersion row, ID = SetID. A template keeps
// its TemplateNo across the versions of its set. TeamOption holds the lead's choices (how many
// versions are kept, whether desks count what they send); TeamUsage and TeamUpload take the
// desks' counts, which the desk account may insert and never read. TeamHistory's Source is
// where a version was published from (the lead's user, computer and DB.mdb path), so that the
// next publish knows whether the DB.mdb IDs it recorded mean anything; its Templates is the
// version's row count (ROWS is a word of both servers' SQL).
#include "store/TeamCompare.h"

#include <string>
#include <vector>

enum class TeamDialect { PostgreSql, SqlServer };

// The name of the default set, the library desks read before there were sets.
constexpr const char* kTeamDefaultSet = "默认";

// The names the servers give themselves through ODBC (SQL_DBMS_NAME).
constexpr const char* kPostgreSqlName = "PostgreSQL";
constexpr const char* kSqlServerName = "Microsoft SQL Server";

// The dialect of the server that calls itself `serverName`; false for a server not supported.
bool TeamDialectFor(const std::string& serverName, TeamDialect& dialect);

struct TeamSql {
    // Each creates what is missing and leaves what is there: init may run any number of times.
    std::vector<std::string> createTables;
    // Run after createTables in one transaction: a library published by a build without
    // versions becomes version 1 of the default set, its rows numbered in their order. Does
    // nothing once the default set has a version. The one parameter in it, in order: the
    // Windows user and the computer of the lead who runs init.
    std::vector<std::string> migrateLibrary;
    // One row, one column: the counter.
    std::string readCounter;
    // One row: the counter and the generation (NULL where init has not made one yet). Fails on
    // tables an older build made, until the column is added.
    std::string readVersion;
    // One row: the number of templates, their texts' length together and the longest, in a
    // measure never above their UTF-8 bytes (bytes in PostgreSQL, UTF-16 code units in SQL
    // Server), so that a desk refuses a library too large before fetching it.
    std::string readSize;
    // The texts of the templates in their order, one column.
    std::string readTemplates;
    // One row, one column: 1 when TeamVersion has its Generation column, else 0.
    std::string hasGeneration;
    // Adds the column where it is missing.
    std::string addGeneration;
    // A publish, in one transaction, in this order. The counter moves first: its row stays
    // locked until the commit, so two publishes at once take turns instead of mixing rows. It
    // makes a new generation; moveCounterOnly is for tables whose column could not be added.
    std::string moveCounter;
    std::string moveCounterOnly;
    std::string deleteTemplates;
    std::string insertTemplate; // parameters: the text, the sort number

    // Versions and sets. Parameters are named in order after each; SetID is "set", VersionNo
    // "version". A publish of a set, in one transaction: findSet (or newSetId, insertSetCounter,
    // insertSet for a set never published), moveSetCounter first (its row stays locked until
    // the commit: two publishes of one set take turns), readNewest, readKeep, readVersionRows
    // of the current version, insertVersionRows, insertHistory, setCurrent; for the default set
    // deleteTemplates and copyToTeamText; pruneRows and pruneHistory; readSetCounter.
    std::string findSet;          // name -> SetID, CurrentVersion
    std::string newSetId;         // -> the next SetID: never one a removed set had
    std::string insertSetCounter; // set
    std::string insertSet;        // set, name
    std::string moveSetCounter;   // set
    std::string readSetCounter;   // set -> counter
    std::string readNewest;       // set -> VersionNo, Source, LastTemplateNo of the newest version
    std::string readKeep;         // -> how many versions a set keeps, as text
    std::string readVersionRows;  // set, version -> TemplateNo, SourceID, TSortID, TText in order
    // set, version, units -> TSortID, TText of every row whose text may have that many UTF-16
    // code units or more (and some shorter)
    std::string readLongVersionRows;
    std::string insertVersionRows; // the statement up to its VALUES: TeamInsertVersionRows makes the rest
    std::string insertHistory;     // set, version, user, computer, source, note, added, changed, removed, rows,
                                   // highest TemplateNo
    std::string setCurrent;        // version, set
    std::string copyToTeamText;    // version
    std::string pruneRows;         // set, the newest version removed
    std::string pruneHistory;      // set, the newest version removed
    // One line per version, newest first: VersionNo, the time as text, login, user, computer,
    // note, added, changed, removed, rows, source.
    std::string readHistory; // set
    // SetID, name, current version, its rows, its time as text (NULL before the first publish).
    std::string readSets;
    // Removing a set: its rows, its versions, the set; its counter's row stays, so that its
    // SetID is never given again.
    std::string removeSetRows, removeSetHistory, removeSet; // set
    std::string setOption;                                  // value, name

    // What a desk asks, and what it adds while the lead counts usage.
    // Every set: SetID, Name, its counter and generation, the version desks read, and the usage
    // switch ('on'/'off', NULL when unset) in every row: one question for an unchanged check.
    // Fails on a server without TeamSet (SQLSTATE 42P01 / 42S02).
    std::string deskSets;
    // As readSize and readTemplates, for one version of one set (parameters: SetID, VersionNo);
    // the templates come as TemplateNo, TText.
    std::string deskSetSize;
    std::string deskSetTemplates;
    // An upload: its row first (parameters: DeskID, UploadID), whose key refuses a repeat of
    // one already committed, then its counts (DeskID, UploadID, the day as 'YYYY-MM-DD', SetID,
    // TemplateNo, Sends; TeamUsageRows for several at once), in one transaction.
    std::string deskUpload;
    std::string deskUsage;
    // `team usage`: the current version's templates of the set named by the second parameter
    // with their sends and sending desks over the last days (the first parameter), the most
    // sent first: TemplateNo, TText, Sends, Desks.
    std::string usageReport;
};

const TeamSql& TeamSqlFor(TeamDialect dialect);

// Rows a publish inserts with one statement: one round trip per row made 10,000 templates
// take seconds. Both servers take this many (SQL Server at most 1,000 rows of VALUES and
// 2,100 parameters in one statement).
constexpr size_t kTeamInsertBatch = 100;
// The same for a version's rows, one parameter each: ten statements for 10,000 templates took
// a publish 25 ms less than a hundred.
constexpr size_t kTeamVersionBatch = 1000;

// insertTemplate for `rows` rows at once: the text and sort number of each row in turn.
std::string TeamInsertRows(const TeamSql& sql, size_t rows);
// insertVersionRows for `count` rows of `rows` from `first`, version `versionNo` of the set
// `setId`, sorted from `first`. The numbers are written into the statement (they are this
// program's own, never text from anywhere); the texts are its parameters, one per row, in
// order: a row of six parameters made a publish of 10,000 templates twice as slow.
std::string TeamInsertVersionRows(const TeamSql& sql, long long setId, long long versionNo,
                                  const std::vector<TeamVersionRow>& rows, size_t first, size_t count);

// Rows of usage counts an upload inserts with one statement (six parameters each).
constexpr size_t kTeamUsageBatch = 100;
std::string TeamUsageRows(const TeamSql& sql, size_t rows);

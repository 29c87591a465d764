#pragma once
// The team library's tables on the company's database server, as SQL text for each server
// Velmora supports. Only this file knows the differences between them (identity column, text
// type, creating a table only when it is missing); the ODBC layer runs what it is given.
//
// TeamText holds the team's templates in their order (TSortID, then ID), like the local TText.
// TeamVersion holds one row (ID 1) whose Version moves on at every publish: a desk asks for
// it every few minutes and reads the templates again only when it changed.
#include <string>
#include <vector>

enum class TeamDialect { PostgreSql, SqlServer };

// The names the servers give themselves through ODBC (SQL_DBMS_NAME).
constexpr const char* kPostgreSqlName = "PostgreSQL";
constexpr const char* kSqlServerName = "Microsoft SQL Server";

// The dialect of the server that calls itself `serverName`; false for a server not supported.
bool TeamDialectFor(const std::string& serverName, TeamDialect& dialect);

struct TeamSql {
    // Each creates what is missing and leaves what is there: init may run any number of times.
    std::vector<std::string> createTables;
    // One row, one column: the counter.
    std::string readCounter;
    // The texts of the templates in their order, one column.
    std::string readTemplates;
    // A publish, in one transaction, in this order. The counter moves first: its row stays
    // locked until the commit, so two publishes at once take turns instead of mixing rows.
    std::string moveCounter;
    std::string deleteTemplates;
    std::string insertTemplate; // parameters: the text, the sort number
};

const TeamSql& TeamSqlFor(TeamDialect dialect);

// Rows a publish inserts with one statement: one round trip per row made 10,000 templates
// take seconds. Both servers take this many (SQL Server at most 1,000 rows of VALUES and
// 2,100 parameters in one statement).
constexpr size_t kTeamInsertBatch = 100;

// insertTemplate for `rows` rows at once: the text and sort number of each row in turn.
std::string TeamInsertRows(const TeamSql& sql, size_t rows);

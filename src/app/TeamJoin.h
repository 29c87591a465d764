#pragma once
// What the join window ("团队模板库…") does, without the window: the connection text its
// fields make and the fields a stored text shows, what it lets the user change under a
// policy, and the lines of its state. Texts are UTF-8.
#include "app/TeamPolicy.h"
#include "store/TeamCache.h"

#include <optional>
#include <string>

enum class ServerKind { PostgreSql = 0, SqlServer = 1 };

struct JoinFields {
    ServerKind kind = ServerKind::PostgreSql;
    std::string server;
    std::string port; // empty: the server kind's usual one
    std::string database;
    std::string user; // SQL Server without a user: the Windows user's own sign-in
    std::string password;
};

// The ODBC driver each kind is reached with: the ones the servers' makers ship for Windows.
inline constexpr const char* kPostgreSqlDriver = "PostgreSQL Unicode";
inline constexpr const char* kSqlServerDriver = "ODBC Driver 17 for SQL Server";

// The connection text of the fields; empty, with the sentence why in `error`, when a field the
// server needs is missing or the port is no port.
std::string JoinConnectionText(const JoinFields& fields, std::string& error);
// The fields a connection text shows; the password is never among them.
JoinFields JoinFieldsOf(const std::string& connectionText);

// What the window lets the user do.
struct JoinControls {
    bool fieldsEditable = true;   // server kind, server, port, database, user
    bool passwordEditable = true; // also under a policy whose connection names no password
    bool canTest = true;
    bool canJoin = true;
    bool canLeave = false;
};
JoinControls JoinControlsFor(const TeamChoice& choice);

// The state below the buttons, one line each: where the setting comes from, online or
// offline, the last sync, the rows, the sets, the last sentence.
std::string JoinStateText(const TeamChoice& choice, const std::optional<TeamSettings>& settings);

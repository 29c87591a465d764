#pragma once
// A failure on the way to the team library's server, in the style of StoreError: what kind
// of failure it is and the driver's own description (what()), never the sentence the user
// reads (ui/StoreErrorText words it). Nothing here ever holds the password: descriptions are
// scrubbed before they are kept.
#include <stdexcept>
#include <string>
#include <utility>

enum class TeamFault {
    DriverMissing,     // the connection text names a driver this machine does not have
    LoginRefused,      // wrong user name or password, or no right to the database
    Unreachable,       // no server at that address, or it did not answer in time
    TableMissing,      // the team tables are not there: init has not been run
    UnsupportedServer, // subject: the name the server gives itself
    Unexpected,        // anything else the server or driver said
};

class TeamError : public std::runtime_error {
public:
    TeamError(TeamFault fault, const std::string& description, std::string sqlState = {}, std::string subject = {})
        : std::runtime_error(description), fault_(fault), sqlState_(std::move(sqlState)), subject_(std::move(subject))
    {
    }

    TeamFault fault() const { return fault_; }
    const std::string& sqlState() const { return sqlState_; }
    const std::string& subject() const { return subject_; }

private:
    TeamFault fault_;
    std::string sqlState_;
    std::string subject_;
};

// The kind of failure an ODBC SQLSTATE stands for.
TeamFault TeamFaultFromSqlState(const std::string& sqlState);

// `text` with the value of every Pwd= or Password= key of a connection text replaced by ***,
// and every appearance of `connectionText`'s password itself as well, so that neither a
// connection text nor a driver's message that echoes it shows the password.
std::string ScrubPassword(const std::string& text, const std::string& connectionText);

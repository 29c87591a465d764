#pragma once
// The team library's server through ODBC (Windows only: it links odbc32). One object is one
// connection: made with a login timeout, so a server that accepts and never answers costs
// seconds, not the caller; every statement has a query timeout too. The server names itself
// and its dialect (store/TeamSql.h) is chosen by that name; any other server is refused.
// Only the wide functions and SQL_C_WCHAR: narrow text would pass through a code page and
// lose Chinese. Texts in and out are UTF-8. Failures throw TeamError, never with the password.
#include "store/TeamSql.h"

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
    // The team's templates in their order.
    std::vector<std::string> readTemplates();
    // The team library becomes `texts`, in this order, in one transaction that also moves the
    // counter on; on any failure nothing changes. Returns the new counter.
    long long replaceTemplates(const std::vector<std::string>& texts);

private:
    struct Handles;
    std::unique_ptr<Handles> handles_;
    std::string connectionText_; // kept only to scrub the password from what the driver says
    int queryTimeout_;
    TeamDialect dialect_ = TeamDialect::PostgreSql;
    std::string serverName_;
};

// Plain SQL on the team library's server, outside VelmoraDb, as a DBA, a lead with another tool
// or anyone who took the server can run it. Header only: just the cases that link odbc32 use it.
#pragma once

#include "Driver.h"

#include <gtest/gtest.h>

#include <sql.h>
#include <sqlext.h>

#include <string>

namespace vt {

inline void ServerSql(const std::string& connectionText, const std::string& sql)
{
    SQLHANDLE environment = SQL_NULL_HANDLE, connection = SQL_NULL_HANDLE, statement = SQL_NULL_HANDLE;
    ASSERT_TRUE(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &environment)));
    SQLSetEnvAttr(environment, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, environment, &connection);
    std::wstring text = wt::Widen(connectionText), wideSql = wt::Widen(sql);
    const bool connected =
        SQL_SUCCEEDED(SQLDriverConnectW(connection, nullptr, reinterpret_cast<SQLWCHAR*>(text.data()), SQL_NTS, nullptr,
                                        0, nullptr, SQL_DRIVER_NOPROMPT));
    bool ran = false;
    if (connected) {
        SQLAllocHandle(SQL_HANDLE_STMT, connection, &statement);
        // A DELETE or UPDATE that meets no row answers SQL_NO_DATA: it ran all the same.
        const SQLRETURN result = SQLExecDirectW(statement, reinterpret_cast<SQLWCHAR*>(wideSql.data()), SQL_NTS);
        ran = SQL_SUCCEEDED(result) || result == SQL_NO_DATA;
        SQLFreeHandle(SQL_HANDLE_STMT, statement);
        SQLDisconnect(connection);
    }
    SQLFreeHandle(SQL_HANDLE_DBC, connection);
    SQLFreeHandle(SQL_HANDLE_ENV, environment);
    EXPECT_TRUE(connected);
    EXPECT_TRUE(ran) << sql;
}

// The first column of the first row of `sql`, as text; empty when there is none.
inline std::string ServerValue(const std::string& connectionText, const std::string& sql)
{
    SQLHANDLE environment = SQL_NULL_HANDLE, connection = SQL_NULL_HANDLE, statement = SQL_NULL_HANDLE;
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &environment);
    SQLSetEnvAttr(environment, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, environment, &connection);
    std::wstring text = wt::Widen(connectionText), wideSql = wt::Widen(sql);
    std::string value;
    if (SQL_SUCCEEDED(SQLDriverConnectW(connection, nullptr, reinterpret_cast<SQLWCHAR*>(text.data()), SQL_NTS, nullptr,
                                        0, nullptr, SQL_DRIVER_NOPROMPT))) {
        SQLAllocHandle(SQL_HANDLE_STMT, connection, &statement);
        SQLWCHAR buffer[1024] = {};
        SQLLEN length = 0;
        if (SQL_SUCCEEDED(SQLExecDirectW(statement, reinterpret_cast<SQLWCHAR*>(wideSql.data()), SQL_NTS)) &&
            SQL_SUCCEEDED(SQLFetch(statement)) &&
            SQL_SUCCEEDED(SQLGetData(statement, 1, SQL_C_WCHAR, buffer, sizeof buffer, &length)) &&
            length != SQL_NULL_DATA)
            value = wt::Narrow(reinterpret_cast<const wchar_t*>(buffer));
        SQLFreeHandle(SQL_HANDLE_STMT, statement);
        SQLDisconnect(connection);
    }
    SQLFreeHandle(SQL_HANDLE_DBC, connection);
    SQLFreeHandle(SQL_HANDLE_ENV, environment);
    return value;
}

} // namespace vt

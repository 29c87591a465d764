// The ODBC functions the program calls, taken from odbc32.dll the first time one is called
// rather than imported. An import would load odbc32 (and, under Wine, the system's ODBC
// manager behind it) at every start, on every desk, though only a desk with a team library
// and the lead's `team` commands ever reach a server.
//
// Each function here has the name and the signature <sql.h> declares, so the code calling
// ODBC reads as it always did; link `velmora_odbc` instead of odbc32, never both. The
// library is loaded once, from the system folder, and stays for the life of the process.
// Should it be missing, every call fails as a driver manager without a driver would:
// SQLAllocHandle gives SQL_ERROR and no handle, and the caller words that as ODBC missing.
#include <windows.h>

#include <sql.h>
#include <sqlext.h>

namespace {

// The entry points, each typed by its declaration in <sql.h>: a signature that drifted from
// the header would not compile.
struct OdbcEntries {
    decltype(&::SQLAllocHandle) allocHandle = nullptr;
    decltype(&::SQLBindCol) bindCol = nullptr;
    decltype(&::SQLBindParameter) bindParameter = nullptr;
    decltype(&::SQLCancel) cancel = nullptr;
    decltype(&::SQLDisconnect) disconnect = nullptr;
    decltype(&::SQLDriverConnectW) driverConnect = nullptr;
    decltype(&::SQLEndTran) endTran = nullptr;
    decltype(&::SQLExecDirectW) execDirect = nullptr;
    decltype(&::SQLExecute) execute = nullptr;
    decltype(&::SQLFetch) fetch = nullptr;
    decltype(&::SQLFreeHandle) freeHandle = nullptr;
    decltype(&::SQLGetData) getData = nullptr;
    decltype(&::SQLGetDiagRecW) getDiagRec = nullptr;
    decltype(&::SQLGetInfoW) getInfo = nullptr;
    decltype(&::SQLPrepareW) prepare = nullptr;
    decltype(&::SQLRowCount) rowCount = nullptr;
    decltype(&::SQLSetConnectAttrW) setConnectAttr = nullptr;
    decltype(&::SQLSetEnvAttr) setEnvAttr = nullptr;
    decltype(&::SQLSetStmtAttrW) setStmtAttr = nullptr;
};

template <typename Function>
void Take(HMODULE module, const char* name, Function& entry)
{
    entry = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

OdbcEntries Load()
{
    OdbcEntries e;
    HMODULE module = LoadLibraryExW(L"odbc32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Before Windows 8 without its update the flag is unknown and refused: the system folder
    // is then searched first anyway for a known system DLL.
    if (!module && GetLastError() == ERROR_INVALID_PARAMETER)
        module = LoadLibraryW(L"odbc32.dll");
    if (!module)
        return e;
    Take(module, "SQLAllocHandle", e.allocHandle);
    Take(module, "SQLBindCol", e.bindCol);
    Take(module, "SQLBindParameter", e.bindParameter);
    Take(module, "SQLCancel", e.cancel);
    Take(module, "SQLDisconnect", e.disconnect);
    Take(module, "SQLDriverConnectW", e.driverConnect);
    Take(module, "SQLEndTran", e.endTran);
    Take(module, "SQLExecDirectW", e.execDirect);
    Take(module, "SQLExecute", e.execute);
    Take(module, "SQLFetch", e.fetch);
    Take(module, "SQLFreeHandle", e.freeHandle);
    Take(module, "SQLGetData", e.getData);
    Take(module, "SQLGetDiagRecW", e.getDiagRec);
    Take(module, "SQLGetInfoW", e.getInfo);
    Take(module, "SQLPrepareW", e.prepare);
    Take(module, "SQLRowCount", e.rowCount);
    Take(module, "SQLSetConnectAttrW", e.setConnectAttr);
    Take(module, "SQLSetEnvAttr", e.setEnvAttr);
    Take(module, "SQLSetStmtAttrW", e.setStmtAttr);
    return e;
}

// Loaded by the first call from any thread; the others wait for it.
const OdbcEntries& Odbc()
{
    static const OdbcEntries entries = Load();
    return entries;
}

// Calls `entry` when odbc32 has it; SQL_ERROR otherwise.
template <typename Function, typename... Arguments>
SQLRETURN Call(Function entry, Arguments... arguments)
{
    return entry ? entry(arguments...) : SQL_ERROR;
}

} // namespace

extern "C" {

SQLRETURN SQL_API SQLAllocHandle(SQLSMALLINT type, SQLHANDLE input, SQLHANDLE* output)
{
    if (output)
        *output = SQL_NULL_HANDLE;
    return Call(Odbc().allocHandle, type, input, output);
}

SQLRETURN SQL_API SQLBindCol(SQLHSTMT statement, SQLUSMALLINT column, SQLSMALLINT valueType, SQLPOINTER value,
                             SQLLEN capacity, SQLLEN* length)
{
    return Call(Odbc().bindCol, statement, column, valueType, value, capacity, length);
}

SQLRETURN SQL_API SQLBindParameter(SQLHSTMT statement, SQLUSMALLINT number, SQLSMALLINT direction,
                                   SQLSMALLINT valueType, SQLSMALLINT parameterType, SQLULEN columnSize,
                                   SQLSMALLINT digits, SQLPOINTER value, SQLLEN bufferLength, SQLLEN* indicator)
{
    return Call(Odbc().bindParameter, statement, number, direction, valueType, parameterType, columnSize, digits, value,
                bufferLength, indicator);
}

SQLRETURN SQL_API SQLCancel(SQLHSTMT statement) { return Call(Odbc().cancel, statement); }

SQLRETURN SQL_API SQLDisconnect(SQLHDBC connection) { return Call(Odbc().disconnect, connection); }

SQLRETURN SQL_API SQLDriverConnectW(SQLHDBC connection, SQLHWND window, SQLWCHAR* in, SQLSMALLINT inLength,
                                    SQLWCHAR* out, SQLSMALLINT outCapacity, SQLSMALLINT* outLength,
                                    SQLUSMALLINT completion)
{
    return Call(Odbc().driverConnect, connection, window, in, inLength, out, outCapacity, outLength, completion);
}

SQLRETURN SQL_API SQLEndTran(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT completion)
{
    return Call(Odbc().endTran, type, handle, completion);
}

SQLRETURN SQL_API SQLExecDirectW(SQLHSTMT statement, SQLWCHAR* text, SQLINTEGER length)
{
    return Call(Odbc().execDirect, statement, text, length);
}

SQLRETURN SQL_API SQLExecute(SQLHSTMT statement) { return Call(Odbc().execute, statement); }

SQLRETURN SQL_API SQLFetch(SQLHSTMT statement) { return Call(Odbc().fetch, statement); }

SQLRETURN SQL_API SQLFreeHandle(SQLSMALLINT type, SQLHANDLE handle) { return Call(Odbc().freeHandle, type, handle); }

SQLRETURN SQL_API SQLGetData(SQLHSTMT statement, SQLUSMALLINT column, SQLSMALLINT targetType, SQLPOINTER target,
                             SQLLEN capacity, SQLLEN* indicator)
{
    return Call(Odbc().getData, statement, column, targetType, target, capacity, indicator);
}

SQLRETURN SQL_API SQLGetDiagRecW(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record, SQLWCHAR* state,
                                 SQLINTEGER* nativeError, SQLWCHAR* message, SQLSMALLINT capacity, SQLSMALLINT* length)
{
    return Call(Odbc().getDiagRec, type, handle, record, state, nativeError, message, capacity, length);
}

SQLRETURN SQL_API SQLGetInfoW(SQLHDBC connection, SQLUSMALLINT info, SQLPOINTER value, SQLSMALLINT capacity,
                              SQLSMALLINT* length)
{
    return Call(Odbc().getInfo, connection, info, value, capacity, length);
}

SQLRETURN SQL_API SQLPrepareW(SQLHSTMT statement, SQLWCHAR* text, SQLINTEGER length)
{
    return Call(Odbc().prepare, statement, text, length);
}

SQLRETURN SQL_API SQLRowCount(SQLHSTMT statement, SQLLEN* count) { return Call(Odbc().rowCount, statement, count); }

SQLRETURN SQL_API SQLSetConnectAttrW(SQLHDBC connection, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER length)
{
    return Call(Odbc().setConnectAttr, connection, attribute, value, length);
}

SQLRETURN SQL_API SQLSetEnvAttr(SQLHENV environment, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER length)
{
    return Call(Odbc().setEnvAttr, environment, attribute, value, length);
}

SQLRETURN SQL_API SQLSetStmtAttrW(SQLHSTMT statement, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER length)
{
    return Call(Odbc().setStmtAttr, statement, attribute, value, length);
}

} // extern "C"

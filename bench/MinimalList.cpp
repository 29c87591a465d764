// MinimalList.exe: the least a Win32 program can do to show the templates, the baseline the
// list benchmark (tests/wine/bench/ListBench.cpp) measures Velmora.exe against.
//
//   MinimalList.exe DBFILE
//   MinimalList.exe --typed DBFILE
//   MinimalList.exe --odbc "CONNECTION TEXT"
//
// Opens DBFILE with SQLite, reads "Select * from TText order by TSortId asc" (column TText,
// UTF-8 converted to wide) into a plain LISTBOX and shows its window. A text box and two
// buttons do what Velmora's search box, search icon and show-all icon do: the search lists the
// rows whose TText contains the text (LIKE, the same pattern and escape as Velmora), show-all
// lists every row again. Each empties the list first and fills it in one go, with redraw off.
// A fourth button does what Velmora's template manager does at its least: it opens a window
// whose plain list holds every row in stored order, and its Done button stores that order
// (one prepared statement in one transaction, each row's place by its text) and closes it.
// The controls' positions and classes are fixed, so that the benchmark finds and clicks them.
//
// With --typed the search follows the text box as it changes (the baseline of the typed search in
// tests/wine/bench/SearchBench.cpp): every change of the box's text (EN_CHANGE: a typed or pasted
// character) runs the same literal search at once and fills the list, an empty box lists every
// row; nothing waits for a pause in the typing and nothing reads pinyin.
//
// With --odbc it is the baseline of the team library's benchmark (tests/wine/bench/TeamBench.cpp)
// instead: it connects through odbc32 with the wide functions, reads the team's table in its
// order as SQL_C_WCHAR and fills the same list box with the rows before its window shows;
// show-all reads them again, and the search and manager buttons do nothing.
#include <windows.h>

#include <shellapi.h>

#include <sql.h>
#include <sqlext.h>
#include <sqlite3.h>

#include "common/Text.h" // ContainsPattern: the pattern Velmora searches with

#include <string>

namespace {

const wchar_t kClass[] = L"VelmoraMinimalList";
const wchar_t kManagerClass[] = L"VelmoraMinimalManager";
const int kEditId = 101, kSearchId = 102, kAllId = 103, kListId = 104, kManageId = 105;
const int kManagerListId = 201, kDoneId = 202;

sqlite3* g_db = nullptr;
std::wstring g_server; // the ODBC connection text in --odbc mode
HWND g_list = nullptr;
HWND g_edit = nullptr;
HWND g_manager = nullptr;
bool g_typed = false; // the search follows the text box (--typed)

std::wstring Widen(const char* utf8, int bytes)
{
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8, bytes, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8, bytes, wide.data(), length);
    return wide;
}

std::string Utf8(const std::wstring& wide)
{
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, utf8.data(), length, nullptr, nullptr);
    utf8.resize(static_cast<size_t>(length > 0 ? length - 1 : 0));
    return utf8;
}

// Empties the list and fills it from the query: each row is converted and added as it is read.
void FillList(HWND list, const char* sql, const std::string* contains)
{
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(g_db, sql, -1, &stmt, nullptr) == SQLITE_OK) {
        if (contains)
            sqlite3_bind_text(stmt, 1, ContainsPattern(*contains).c_str(), -1, SQLITE_TRANSIENT);
        int column = 0;
        for (int i = 0; i < sqlite3_column_count(stmt); ++i)
            if (lstrcmpiA(sqlite3_column_name(stmt, i), "TText") == 0)
                column = i;
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            const char* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
            const std::wstring row = Widen(text ? text : "", sqlite3_column_bytes(stmt, column));
            SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str()));
        }
    }
    sqlite3_finalize(stmt);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

const char kAllRows[] = "Select * from TText order by TSortId asc";

bool Succeeded(SQLRETURN result) { return result == SQL_SUCCESS || result == SQL_SUCCESS_WITH_INFO; }

// Empties the list and fills it with the team's rows as the server gives them; a failure
// leaves the list empty, which the benchmark reports as a list that never filled.
void FillFromServer(HWND list)
{
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    SQLHANDLE env = SQL_NULL_HANDLE, dbc = SQL_NULL_HANDLE, stmt = SQL_NULL_HANDLE;
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    SQLSetConnectAttrW(dbc, SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(5), 0);
    const bool connected = Succeeded(SQLDriverConnectW(dbc, nullptr, reinterpret_cast<SQLWCHAR*>(g_server.data()),
                                                       SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT));
    wchar_t sql[] = L"SELECT TText FROM TeamText ORDER BY TSortID, ID";
    if (connected && Succeeded(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt)) &&
        Succeeded(SQLExecDirectW(stmt, reinterpret_cast<SQLWCHAR*>(sql), SQL_NTS))) {
        std::wstring row;
        wchar_t buffer[4096];
        while (Succeeded(SQLFetch(stmt))) {
            // A text longer than the buffer comes in pieces.
            row.clear();
            for (;;) {
                SQLLEN indicator = 0;
                const SQLRETURN got = SQLGetData(stmt, 1, SQL_C_WCHAR, buffer, sizeof buffer, &indicator);
                if (!Succeeded(got) || indicator == SQL_NULL_DATA)
                    break;
                const SQLLEN room = static_cast<SQLLEN>(sizeof buffer - sizeof buffer[0]);
                const SQLLEN bytes = indicator == SQL_NO_TOTAL || indicator > room ? room : indicator;
                row.append(buffer, static_cast<size_t>(bytes) / sizeof buffer[0]);
                if (got == SQL_SUCCESS)
                    break;
            }
            SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str()));
        }
    }
    if (stmt != SQL_NULL_HANDLE)
        SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    if (connected)
        SQLDisconnect(dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

void ShowAll()
{
    if (g_db)
        FillList(g_list, kAllRows, nullptr);
    else
        FillFromServer(g_list);
}

void Search()
{
    const int length = GetWindowTextLengthW(g_edit);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(g_edit, text.data(), length + 1);
    text.resize(static_cast<size_t>(length));
    const std::string utf8 = Utf8(text);
    if (utf8.empty())
        ShowAll();
    else
        FillList(g_list, "Select * from TText where TText like ? escape '\\'", &utf8);
}

std::wstring EntryText(HWND list, int index)
{
    const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    return text;
}

// Each row's place in the list becomes its sort number, in one transaction.
void StoreOrder(HWND list)
{
    sqlite3_exec(g_db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(g_db, "Update TText set TSortID=? where TText=?", -1, &stmt, nullptr);
    const int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        const std::string text = Utf8(EntryText(list, i));
        sqlite3_bind_int(stmt, 1, i);
        sqlite3_bind_text(stmt, 2, text.c_str(), static_cast<int>(text.size()), SQLITE_STATIC);
        sqlite3_step(stmt);
        sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
    sqlite3_exec(g_db, "COMMIT", nullptr, nullptr, nullptr);
}

HWND Child(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w, int h, int id)
{
    HWND child = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    return child;
}

LRESULT CALLBACK ManagerProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE: {
        HWND list = Child(window, L"LISTBOX", L"",
                          WS_BORDER | WS_VSCROLL | LBS_NOTIFY | LBS_HASSTRINGS | LBS_EXTENDEDSEL | LBS_NOINTEGRALHEIGHT,
                          4, 4, 395, 360, kManagerListId);
        Child(window, L"BUTTON", L"Done", BS_PUSHBUTTON, 323, 370, 76, 25, kDoneId);
        FillList(list, kAllRows, nullptr);
        return 0;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == kDoneId && HIWORD(wParam) == BN_CLICKED) {
            StoreOrder(GetDlgItem(window, kManagerListId));
            DestroyWindow(window);
        }
        return 0;
    case WM_DESTROY: g_manager = nullptr; return 0;
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}

void OpenManager(HWND owner)
{
    if (g_manager)
        return;
    g_manager = CreateWindowExW(0, kManagerClass, L"Minimal manager", WS_OVERLAPPED | WS_CAPTION, CW_USEDEFAULT,
                                CW_USEDEFAULT, 419, 451, owner, nullptr, GetModuleHandleW(nullptr), nullptr);
    ShowWindow(g_manager, SW_SHOWNORMAL);
    UpdateWindow(g_manager);
}

LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE:
        g_edit = Child(window, L"EDIT", L"", WS_BORDER | ES_AUTOHSCROLL, 4, 4, 150, 22, kEditId);
        Child(window, L"BUTTON", L"Search", BS_PUSHBUTTON, 158, 4, 52, 22, kSearchId);
        Child(window, L"BUTTON", L"All", BS_PUSHBUTTON, 214, 4, 40, 22, kAllId);
        g_list =
            Child(window, L"LISTBOX", L"", WS_BORDER | WS_VSCROLL | LBS_NOTIFY | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT,
                  4, 30, 250, 240, kListId);
        Child(window, L"BUTTON", L"Manage", BS_PUSHBUTTON, 4, 274, 70, 22, kManageId);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == kSearchId && HIWORD(wParam) == BN_CLICKED && g_db)
            Search();
        else if (LOWORD(wParam) == kEditId && HIWORD(wParam) == EN_CHANGE && g_typed && g_db)
            Search();
        else if (LOWORD(wParam) == kAllId && HIWORD(wParam) == BN_CLICKED)
            ShowAll();
        else if (LOWORD(wParam) == kManageId && HIWORD(wParam) == BN_CLICKED && g_db)
            OpenManager(window);
        return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc == 3 && lstrcmpW(argv[1], L"--odbc") == 0)
        g_server = argv[2];
    else {
        g_typed = argc == 3 && lstrcmpW(argv[1], L"--typed") == 0;
        if (argc != (g_typed ? 3 : 2) ||
            sqlite3_open_v2(Utf8(argv[argc - 1]).c_str(), &g_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
            return 2;
    }
    LocalFree(argv);

    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClass;
    RegisterClassW(&windowClass);
    windowClass.lpfnWndProc = ManagerProc;
    windowClass.lpszClassName = kManagerClass;
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, kClass, L"Minimal list", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 275,
                                  340, nullptr, nullptr, instance, nullptr);
    ShowAll();
    ShowWindow(window, show);
    UpdateWindow(window);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    sqlite3_close(g_db);
    return static_cast<int>(msg.wParam);
}

// Template manager speed with 1,000 and 10,000 templates, timed from outside as a user waits:
//   manager load: from the click on the tray menu's template row until the manager is shown
//     with every row listed;
//   order store at close: from the click on BtnOK until the manager is gone.
// Against baselines this program runs itself with SQLite on a copy of the same DB.mdb, in
// the same run. Prints medians and ratios; nothing passes or fails on time.
#include "Menus.h"
#include "Timing.h"
#include "Velmora.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

double Median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

double TimeOf(const std::function<void()>& work)
{
    const double start = vt::Now();
    work();
    return vt::Now() - start;
}

std::vector<std::string> ReadAll(sqlite3* db)
{
    std::vector<std::string> rows;
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, "Select * from TText order by TSortID asc", -1, &stmt, nullptr);
    const int column = 1; // ID, TText, TSortID
    while (sqlite3_step(stmt) == SQLITE_ROW)
        rows.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(stmt, column)));
    sqlite3_finalize(stmt);
    return rows;
}

void FillPlainList(HWND list, const std::vector<std::string>& rows)
{
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    SendMessageW(list, LB_INITSTORAGE, rows.size(), 0);
    for (const std::string& row : rows)
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wt::Widen(row).c_str()));
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
}

void StoreOrder(sqlite3* db, const std::vector<std::string>& rows)
{
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, "Update TText set TSortID=? where TText=?", -1, &stmt, nullptr);
    for (size_t i = 0; i < rows.size(); ++i) {
        sqlite3_bind_int(stmt, 1, static_cast<int>(i));
        sqlite3_bind_text(stmt, 2, rows[i].c_str(), -1, SQLITE_STATIC);
        sqlite3_step(stmt);
        sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
}

LRESULT Count(HWND list) { return SendMessageW(list, LB_GETCOUNT, 0, 0); }

HWND ShownManager(DWORD pid)
{
    HWND window = FindWindowW(L"TMBFrm", nullptr);
    return window && IsWindowVisible(window) && wt::WindowProcessId(window) == pid ? window : nullptr;
}

// Every wait polls at this gentle pace, so that the polling does not compete with Velmora
// for the processor it is timing.
const unsigned kPollMs = 10;

struct Figures {
    double load = 0, store = 0, read = 0, readAndFill = 0, prepared = 0;
};

bool Measure(int n, int rounds, Figures& out)
{
    vt::Installation app;
    // Sort numbers with gaps, so that the first store at close renumbers every row.
    vt::RunSql(app.folder, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                               std::to_string(n) +
                               ") INSERT INTO TText (TText, TSortID) SELECT '第' || i || '条回复: "
                               "您好,很高兴为您服务,请问有什么可以帮您? Order #' || (100000 + i), 2 * (" +
                               std::to_string(n) + " - i) FROM n");
    app.folder.copyIn(app.folder.file("DB.mdb"), "baseline.mdb");

    std::vector<double> load, store, read, readAndFill, prepared;
    {
        vt::Velmora program(app.folder);
        if (!program.waitForMainWindow(30000) || !wt::WaitUntil([&] { return Count(program.list()) == n; }, 60000))
            return false;
        for (int round = 0; round < rounds; ++round) {
            HWND menu = vt::OpenTrayMenu();
            if (!menu)
                return false;
            const int row = static_cast<int>(vt::TrayItem::Templates);
            const POINT item = vt::MenuItemPoint(menu, row, row);
            HWND manager = nullptr;
            double start = vt::PressAndRelease(item);
            wt::WaitUntil([&] { return (manager = ShownManager(program.pid())) != nullptr; }, 120000, kPollMs);
            if (!manager ||
                !wt::WaitUntil([&] { return Count(wt::FindChild(manager, "ListBox")) == n; }, 60000, kPollMs))
                return false;
            load.push_back(vt::Now() - start);
            wt::Pause(300);

            // BtnOK: 76 x 25 at (307, 403) of the client area.
            POINT ok = {307 + 38, 403 + 12};
            ClientToScreen(manager, &ok);
            start = vt::PressAndRelease(ok);
            if (!wt::WaitUntil([&] { return !IsWindow(manager) || !IsWindowVisible(manager); }, 120000, kPollMs))
                return false;
            store.push_back(vt::Now() - start);
            // The main list reloads after the manager: let it finish before the next round.
            wt::WaitUntil([&] { return Count(program.list()) == n; }, 60000);
            wt::Pause(300);
        }
    }
    if (vt::QueryValue(app.folder, "SELECT MAX(TSortID) FROM TText") != std::to_string(n - 1))
        return false;

    sqlite3* db = nullptr;
    sqlite3_open_v2(app.folder.file("baseline.mdb").c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    HWND list = CreateWindowExW(0, L"LISTBOX", L"", WS_POPUP | WS_VSCROLL | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT, 0, 0,
                                395, 200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    for (int round = 0; round < rounds; ++round) {
        read.push_back(TimeOf([&] { ReadAll(db); }));
        readAndFill.push_back(TimeOf([&] { FillPlainList(list, ReadAll(db)); }));
        const std::vector<std::string> rows = ReadAll(db);
        prepared.push_back(TimeOf([&] { StoreOrder(db, rows); }));
    }
    const bool filled = Count(list) == n;
    DestroyWindow(list);
    sqlite3_close(db);
    out = {Median(load), Median(store), Median(read), Median(readAndFill), Median(prepared)};
    return filled;
}

void Line(const char* figure, int n, double velmora, double baseline)
{
    std::printf("  %-28s %6d %10.1f %10.1f %7.2f   <= 2.00\n", figure, n, velmora * 1000, baseline * 1000,
                velmora / baseline);
}

} // namespace

int main()
{
    const int sizes[] = {1000, 10000};
    std::printf("template manager, medians of 5 rounds, times in ms (Velmora timed from outside, polled\n"
                "every %u ms)\n",
                kPollMs);
    std::printf("  load baseline: the same query read into strings and added to a plain LISTBOX of this\n"
                "  program, since Velmora must fill its list before the user sees a row; the bare read\n"
                "  alone is shown too. Store baseline: one prepared statement per row, one transaction.\n");
    std::printf("  %-28s %6s %10s %10s %7s   %s\n", "figure", "rows", "Velmora", "baseline", "ratio", "aim");
    for (int n : sizes) {
        Figures f;
        if (!Measure(n, 5, f)) {
            std::printf("the manager did not open, list or close as expected with %d templates\n", n);
            return 1;
        }
        Line("manager load (read + fill)", n, f.load, f.readAndFill);
        Line("manager load (bare read)", n, f.load, f.read);
        Line("order store at close", n, f.store, f.prepared);
    }
    return 0;
}

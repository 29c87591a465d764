// The template manager with 10,000 templates, timed from outside as a user waits, Velmora.exe
// against the minimal program (bench/MinimalList.cpp) on the same DB.mdb, alternating:
//   open to full list: from the release of the mouse button on the tray menu's template row
//     (the minimal program's Manage button) until the shown manager's list holds every row;
//   close to stored order: from the release on BtnOK (Done) until the manager is gone, the
//     order stored.
// Both programs run side by side; each round measures one, then the other. Medians, spread
// and ratios; nothing passes or fails on time. Runs: $VELMORA_BENCH_RUNS (10).
#include "Menus.h"
#include "Timing.h"
#include "Velmora.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

const int kTemplates = 10000;
const unsigned kPollMs = 10;

LRESULT Count(HWND list) { return list ? SendMessageW(list, LB_GETCOUNT, 0, 0) : -1; }

HWND ShownWindow(const wchar_t* cls, DWORD pid)
{
    HWND window = FindWindowW(cls, nullptr);
    return window && IsWindowVisible(window) && wt::WindowProcessId(window) == pid ? window : nullptr;
}

struct Round {
    double open = -1, close = -1;
};

// Opens the manager with `openClick`, waits for its full list, closes it with the click
// `closeAt` returns, waits until it is gone.
template <typename OpenClick, typename CloseAt>
Round Measure(const wchar_t* cls, DWORD pid, OpenClick openClick, CloseAt closeAt)
{
    Round round;
    HWND manager = nullptr;
    double start = openClick();
    if (start < 0 || !wt::WaitUntil([&] { return (manager = ShownWindow(cls, pid)) != nullptr; }, 30000, kPollMs)) {
        std::fprintf(stderr, "no manager window shown\n");
        return round;
    }
    if (!wt::WaitUntil([&] { return Count(wt::FindChild(manager, "ListBox")) == kTemplates; }, 60000, kPollMs)) {
        std::fprintf(stderr, "the manager listed %ld rows\n",
                     static_cast<long>(Count(wt::FindChild(manager, "ListBox"))));
        return round;
    }
    round.open = vt::Now() - start;
    wt::Pause(300);
    start = vt::PressAndRelease(closeAt(manager));
    if (wt::WaitUntil([&] { return !IsWindow(manager) || !IsWindowVisible(manager); }, 120000, kPollMs))
        round.close = vt::Now() - start;
    return round;
}

} // namespace

int main()
{
    vt::Installation app;
    // Sort numbers with gaps, so that the first store renumbers every row.
    vt::RunSql(app.folder, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                               std::to_string(kTemplates) +
                               ") INSERT INTO TText (TText, TSortID) SELECT '第' || i || '条回复: "
                               "您好,很高兴为您服务,请问有什么可以帮您? Order #' || (100000 + i), 2 * (" +
                               std::to_string(kTemplates) + " - i) FROM n");
    app.folder.copyIn(wt::RequiredEnvironmentPath("VELMORA_MINIMAL_EXE"), "MinimalList.exe");

    vt::Velmora velmora(app.folder);
    if (!velmora.waitForMainWindow(30000) ||
        !wt::WaitUntil([&] { return Count(velmora.list()) == kTemplates; }, 60000)) {
        std::printf("Velmora did not list %d templates\n", kTemplates);
        return 1;
    }
    wt::AppProcess minimal(app.folder.file("MinimalList.exe"), app.folder.path(), {app.folder.file("DB.mdb")});
    HWND minimalMain = nullptr;
    if (!wt::WaitUntil([&] { return (minimalMain = ShownWindow(L"VelmoraMinimalList", minimal.pid())) != nullptr; },
                       60000)) {
        std::printf("the minimal program did not start\n");
        return 1;
    }
    // Off the notification area's window, where Velmora's tray icon is clicked.
    SetWindowPos(minimalMain, nullptr, GetSystemMetrics(SM_CXSCREEN) - 300, 200, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

    const auto velmoraOpen = [&] {
        HWND menu = vt::OpenTrayMenu();
        if (!menu)
            return -1.0;
        const int row = static_cast<int>(vt::TrayItem::Templates);
        return vt::PressAndRelease(vt::MenuItemPoint(menu, row, row));
    };
    const auto velmoraOk = [](HWND manager) {
        POINT ok = {307 + 38, 403 + 12}; // BtnOK: 76 x 25 at (307, 403) of the client area
        ClientToScreen(manager, &ok);
        return ok;
    };
    const auto minimalOpen = [&] {
        return vt::PressAndRelease(wt::Centre(wt::WindowRect(GetDlgItem(minimalMain, 105))));
    };
    const auto minimalDone = [](HWND manager) { return wt::Centre(wt::WindowRect(GetDlgItem(manager, 202))); };

    const int runs = vt::BenchRuns();
    std::vector<double> open[2], close[2]; // [0] Velmora, [1] the minimal program
    for (int run = 0; run < runs; ++run)
        for (int turn = 0; turn < 2; ++turn) {
            const int who = (run + turn) % 2;
            const Round round = who == 0 ? Measure(L"TMBFrm", velmora.pid(), velmoraOpen, velmoraOk)
                                         : Measure(L"VelmoraMinimalManager", minimal.pid(), minimalOpen, minimalDone);
            if (round.open < 0 || round.close < 0) {
                std::printf("%s's manager did not open, list or close as expected\n",
                            who == 0 ? "Velmora" : "the minimal program");
                return 1;
            }
            open[who].push_back(round.open);
            close[who].push_back(round.close);
            // Velmora reloads its main list after the manager: let it finish first.
            wt::WaitUntil([&] { return Count(velmora.list()) == kTemplates; }, 60000);
            wt::Pause(500);
        }
    if (vt::QueryValue(app.folder, "SELECT MAX(TSortID) FROM TText") != std::to_string(kTemplates - 1)) {
        std::printf("the order was not stored\n");
        return 1;
    }

    std::printf("template manager with %d templates, Velmora.exe against the minimal program, medians of %d\n"
                "alternating runs, min..max in brackets, timed from outside (polled every %u ms)\n",
                kTemplates, runs, kPollMs);
    vt::PrintFigureHeader("minimal program");
    vt::PrintFigure("manager open to full list, 10,000", open[0], open[1], 1000, "ms", "-");
    vt::PrintFigure("manager close to stored order, 10,000", close[0], close[1], 1000, "ms", "<= 2");
    return 0;
}

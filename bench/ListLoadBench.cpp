// How long the main list takes to load 10,000 templates, against the bare database
// read of the same rows in the same run. Prints both and their ratio.
#include "store/Connection.h"
#include "store/Schema.h"
#include "ui/AnsiCodec.h"
#include "ui/ListFill.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const int kTemplates = 10000;
const int kRounds = 5;

double Seconds()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

template <typename Work>
double Best(Work work)
{
    double best = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        const double start = Seconds();
        work();
        best = std::min(best, Seconds() - start);
    }
    return best;
}

} // namespace

int main()
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring path = std::wstring(temp) + L"velmora-bench-" + std::to_wstring(GetCurrentProcessId()) + L".mdb";
    char utf8Path[MAX_PATH * 3];
    WideCharToMultiByte(CP_UTF8, 0, path.c_str(), -1, utf8Path, sizeof utf8Path, nullptr, nullptr);

    std::vector<std::string> templates;
    for (int i = 0; i < kTemplates; ++i)
        templates.push_back("第" + std::to_string(i) + "条回复: 您好,很高兴为您服务,请问有什么可以帮您? Order #" +
                            std::to_string(100000 + i));
    CreateDeliveredDatabase(utf8Path, templates);

    AnsiCodec codec;
    Connection conn(codec);
    conn.setConnectionText(ConnectionTextFor(utf8Path));
    conn.connect();

    const char* const sql = "Select * from TText order by TSortId asc";
    size_t bytes = 0;
    const double bare = Best([&] {
        Query query(conn);
        query.open(sql);
        for (; !query.eof(); query.next())
            bytes += query.fieldText("TText").size();
    });

    HWND list =
        CreateWindowExW(0, L"LISTBOX", L"",
                        WS_POPUP | WS_VSCROLL | LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT,
                        0, 0, 266, 265, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    const double full = Best([&] {
        SendMessageA(list, LB_RESETCONTENT, 0, 0);
        Query query(conn);
        query.open(sql);
        FillListFromQuery(list, query, "TText");
    });
    const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    DestroyWindow(list);
    conn.disconnect();
    DeleteFileW(path.c_str());

    std::printf("list load of %d templates (best of %d, %ld rows listed)\n", kTemplates, kRounds,
                static_cast<long>(count));
    std::printf("  bare database read: %8.1f ms\n", bare * 1000);
    std::printf("  full list load:     %8.1f ms\n", full * 1000);
    std::printf("  ratio full / bare:  %8.2f\n", full / bare);
    return count == kTemplates ? 0 : 1;
}

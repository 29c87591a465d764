// Delivery speed: a 2,000-byte template (Chinese and Latin) typed by the real Velmora.exe into
// a target that only counts the characters it receives (VelmoraTarget.exe --count), against a
// bare loop of the same SendMessageA calls from a helper process into the same target, in the
// same run, alternating. Velmora is timed from the release of the double-click, the bare loop
// from the signal that starts it, both until the target has counted every byte.
//   DeliveryBench.exe                   runs the benchmark (under scripts/with-wine.sh)
//   DeliveryBench.exe --bare HWND EVENT the helper process's loop
// Runs: $VELMORA_BENCH_RUNS (10); the template's size: $VELMORA_BENCH_BYTES (2000).
#include "Timing.h"
#include "Velmora.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

const char* const kEventName = "VelmoraDeliveryBenchGo";
const UINT kCountQuery = WM_APP + 7; // answered by the counting target with its count
const unsigned kPollMs = 10;
size_t kBytes = 2000;

std::string TemplateOfTheSize()
{
    std::string utf8;
    const std::string chunk = "您好,订单已发货 Order 12345 shipped. ";
    while (wt::ToCodePage(utf8 + chunk, 936).size() <= kBytes)
        utf8 += chunk;
    while (wt::ToCodePage(utf8, 936).size() < kBytes)
        utf8 += "x";
    return utf8;
}

int BareLoop(HWND target)
{
    HANDLE go = OpenEventA(SYNCHRONIZE, FALSE, kEventName);
    WaitForSingleObject(go, 30000);
    for (char c : wt::ToCodePage(TemplateOfTheSize(), 936))
        SendMessageA(target, WM_CHAR, static_cast<unsigned char>(c), 0);
    return 0;
}

LRESULT Counted(HWND counter) { return SendMessageW(counter, kCountQuery, 0, 0); }

// Seconds from `start` until the counter has `count` characters; negative when it never does.
double UntilCounted(HWND counter, LRESULT count, double start)
{
    if (!wt::WaitUntil([&] { return Counted(counter) >= count; }, 120000, kPollMs))
        return -1;
    return vt::Now() - start;
}

double BareRun(HWND counter, size_t bytes)
{
    HANDLE go = CreateEventA(nullptr, TRUE, FALSE, kEventName);
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    char handle[32];
    std::snprintf(handle, sizeof handle, "%lx", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(counter)));
    wt::AppProcess helper(self, "C:\\", {"--bare", handle});
    wt::Pause(1000);
    const LRESULT before = Counted(counter);
    const double start = vt::Now();
    SetEvent(go);
    const double time = UntilCounted(counter, before + static_cast<LRESULT>(bytes), start);
    helper.waitForExit(10000);
    CloseHandle(go);
    return time;
}

// The hotkey over the counter shows Velmora; a double-click on the template types it.
double VelmoraRun(vt::Velmora& program, HWND counter, size_t bytes)
{
    HWND main = program.mainWindow();
    SetForegroundWindow(counter);
    wt::MovePointer(wt::Centre(wt::WindowRect(counter)));
    wt::Pause(100);
    wt::PressCtrlLetter('A');
    if (!wt::WaitUntil([&] { return wt::IsShown(main) && GetForegroundWindow() == main; }, 5000))
        return -1;
    wt::Pause(300);
    const RECT row = program.rowRect(0);
    const LRESULT before = Counted(counter);
    const POINT at = {row.left + 120, (row.top + row.bottom) / 2};
    wt::Click(at);
    const double start = vt::PressAndRelease(at); // the second click's release starts the typing
    const double time = UntilCounted(counter, before + static_cast<LRESULT>(bytes), start);
    // Delivery hides the window when it is done.
    wt::WaitUntil([&] { return !wt::IsShown(main); }, 5000);
    return time;
}

} // namespace

int main(int argc, char** argv)
{
    if (const char* bytes = std::getenv("VELMORA_BENCH_BYTES"))
        kBytes = std::strtoul(bytes, nullptr, 10);
    if (argc == 3 && std::string(argv[1]) == "--bare")
        return BareLoop(reinterpret_cast<HWND>(std::strtoul(argv[2], nullptr, 16)));

    const std::string text = TemplateOfTheSize();
    const size_t bytes = wt::ToCodePage(text, 936).size();

    vt::Installation app({text});
    vt::Velmora program(app.folder);
    HWND main = program.waitForMainWindow();
    if (!main)
        return 1;
    program.click(218 + 8, 7 + 8); // minimise, so that the hotkey's show proves the press arrived
    wt::WaitForWindowGone(main, 3000);

    wt::AppProcess target(wt::RequiredEnvironmentPath("VELMORA_TARGET_EXE"), "C:\\", {"--count"});
    HWND counter = nullptr;
    if (!wt::WaitUntil([&] { return (counter = FindWindowW(L"VelmoraCountingTarget", nullptr)) != nullptr; }, 10000)) {
        std::printf("the counting target did not start\n");
        return 1;
    }

    const int runs = vt::BenchRuns();
    std::vector<double> velmora, bare;
    for (int run = 0; run < runs; ++run)
        for (int turn = 0; turn < 2; ++turn) {
            const bool isVelmora = (run + turn) % 2 == 0;
            const double time = isVelmora ? VelmoraRun(program, counter, bytes) : BareRun(counter, bytes);
            if (time < 0) {
                std::printf("%s did not deliver all %u bytes (the target counted %ld)\n",
                            isVelmora ? "Velmora" : "the bare loop", static_cast<unsigned>(bytes),
                            static_cast<long>(Counted(counter)));
                return 1;
            }
            (isVelmora ? velmora : bare).push_back(time);
            wt::Pause(500);
        }

    std::printf("delivery of a %u-byte template into a target that counts characters, medians of %d\n"
                "alternating runs, min..max in brackets, timed from outside (polled every %u ms)\n",
                static_cast<unsigned>(bytes), runs, kPollMs);
    vt::PrintFigureHeader("bare SendMessageA loop");
    vt::PrintFigure("delivery, 2,000 mixed bytes", velmora, bare, 1000, "ms", "<= 1.11");
    return 0;
}

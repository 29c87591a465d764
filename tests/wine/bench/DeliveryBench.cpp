// Delivery speed: a 2,000-byte template (Chinese and Latin) typed by the real Velmora.exe into
// a target that only counts the characters it receives (VelmoraTarget.exe --count), against a
// bare loop of the same SendMessageA calls from a helper process into the same target, in the
// same run, alternating. Velmora is timed from the release of the double-click, the bare loop
// from the signal that starts it, both until the target has counted every byte.
// The same for a template of 2,000 UTF-16 code units (Chinese and Latin) into a Unicode
// counting window (--count-unicode) against a bare SendMessageW loop, and that template typed
// into the Unicode window against the same template typed byte-wise into the ANSI one.
//   DeliveryBench.exe                         runs the benchmark (under scripts/with-wine.sh)
//   DeliveryBench.exe --bare[-unicode] HWND   the helper process's loop
// Runs: $VELMORA_BENCH_RUNS (10); the template's size: $VELMORA_BENCH_BYTES (2000), in bytes
// for the first template, in code units for the second.
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

const std::string kChunk = "您好,订单已发货 Order 12345 shipped. ";

std::string TemplateOfTheSize()
{
    std::string utf8;
    while (wt::ToCodePage(utf8 + kChunk, 936).size() <= kBytes)
        utf8 += kChunk;
    while (wt::ToCodePage(utf8, 936).size() < kBytes)
        utf8 += "x";
    return utf8;
}

// The same text, kBytes UTF-16 code units long.
std::string UnicodeTemplateOfTheSize()
{
    std::string utf8;
    while (wt::Widen(utf8 + kChunk).size() <= kBytes)
        utf8 += kChunk;
    while (wt::Widen(utf8).size() < kBytes)
        utf8 += "x";
    return utf8;
}

int BareLoop(HWND target, bool unicode)
{
    HANDLE go = OpenEventA(SYNCHRONIZE, FALSE, kEventName);
    WaitForSingleObject(go, 30000);
    if (unicode) {
        for (wchar_t unit : wt::Widen(UnicodeTemplateOfTheSize()))
            SendMessageW(target, WM_CHAR, unit, 0);
        return 0;
    }
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

double BareRun(HWND counter, size_t bytes, bool unicode)
{
    HANDLE go = CreateEventA(nullptr, TRUE, FALSE, kEventName);
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    char handle[32];
    std::snprintf(handle, sizeof handle, "%lx", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(counter)));
    wt::AppProcess helper(self, "C:\\", {unicode ? "--bare-unicode" : "--bare", handle});
    wt::Pause(1000);
    const LRESULT before = Counted(counter);
    const double start = vt::Now();
    SetEvent(go);
    const double time = UntilCounted(counter, before + static_cast<LRESULT>(bytes), start);
    helper.waitForExit(10000);
    CloseHandle(go);
    return time;
}

// The hotkey over the counter shows Velmora; a double-click on template `row` types it.
double VelmoraRun(vt::Velmora& program, HWND counter, size_t bytes, int row)
{
    HWND main = program.mainWindow();
    SetForegroundWindow(counter);
    wt::MovePointer(wt::Centre(wt::WindowRect(counter)));
    wt::Pause(100);
    wt::PressCtrlLetter('A');
    if (!wt::WaitUntil([&] { return wt::IsShown(main) && GetForegroundWindow() == main; }, 5000))
        return -1;
    wt::Pause(300);
    const RECT rect = program.rowRect(row);
    const LRESULT before = Counted(counter);
    const POINT at = {rect.left + 120, (rect.top + rect.bottom) / 2};
    wt::Click(at);
    const double start = vt::PressAndRelease(at); // the second click's release starts the typing
    const double time = UntilCounted(counter, before + static_cast<LRESULT>(bytes), start);
    // Delivery hides the window when it is done.
    wt::WaitUntil([&] { return !wt::IsShown(main); }, 5000);
    return time;
}

HWND StartCounter(std::vector<wt::AppProcess>& targets, bool unicode)
{
    targets.emplace_back(wt::RequiredEnvironmentPath("VELMORA_TARGET_EXE"), "C:\\",
                         std::vector<std::string>{unicode ? "--count-unicode" : "--count"});
    const wchar_t* name = unicode ? L"VelmoraUnicodeCountingTarget" : L"VelmoraCountingTarget";
    HWND counter = nullptr;
    if (!wt::WaitUntil([&] { return (counter = FindWindowW(name, nullptr)) != nullptr; }, 10000))
        return nullptr;
    return counter;
}

// One way of typing a template into a counter, measured run after run.
struct Typing {
    const char* name;
    HWND counter;
    size_t count; // the characters the counter receives
    int row;      // Velmora's template; -1: the bare loop
    bool unicode; // for the bare loop: SendMessageW of code units
    std::vector<double> times;
};

} // namespace

int main(int argc, char** argv)
{
    if (const char* bytes = std::getenv("VELMORA_BENCH_BYTES"))
        kBytes = std::strtoul(bytes, nullptr, 10);
    if (argc == 3 && (std::string(argv[1]) == "--bare" || std::string(argv[1]) == "--bare-unicode"))
        return BareLoop(reinterpret_cast<HWND>(std::strtoul(argv[2], nullptr, 16)),
                        std::string(argv[1]) == "--bare-unicode");

    const std::string text = TemplateOfTheSize();
    const size_t bytes = wt::ToCodePage(text, 936).size();
    const std::string unicodeText = UnicodeTemplateOfTheSize();
    const size_t units = wt::Widen(unicodeText).size();

    vt::Installation app({text, unicodeText});
    vt::Velmora program(app.folder);
    HWND main = program.waitForMainWindow();
    if (!main)
        return 1;
    program.click(218 + 8, 7 + 8); // minimise, so that the hotkey's show proves the press arrived
    wt::WaitForWindowGone(main, 3000);

    std::vector<wt::AppProcess> targets;
    targets.reserve(2);
    HWND counter = StartCounter(targets, false);
    HWND unicodeCounter = StartCounter(targets, true);
    if (!counter || !unicodeCounter) {
        std::printf("the counting targets did not start\n");
        return 1;
    }
    // Side by side, clear of Velmora in the middle of the screen.
    SetWindowPos(unicodeCounter, nullptr, 640, 420, 320, 220, SWP_NOZORDER);

    // Velmora's and the bare loop's turns alternate, and so do the three ways Velmora types.
    const size_t unicodeBytes = wt::ToCodePage(unicodeText, 936).size();
    std::vector<Typing> typings = {
        {"Velmora, bytes", counter, bytes, 0, false, {}},
        {"the bare SendMessageA loop", counter, bytes, -1, false, {}},
        {"Velmora, code units", unicodeCounter, units, 1, true, {}},
        {"the bare SendMessageW loop", unicodeCounter, units, -1, true, {}},
        {"Velmora, the same text as bytes", counter, unicodeBytes, 1, false, {}},
    };
    const int runs = vt::BenchRuns();
    for (int run = 0; run < runs; ++run)
        for (size_t turn = 0; turn < typings.size(); ++turn) {
            // Each pair of the same text swaps places every run.
            const size_t index = turn < 4 && run % 2 ? turn ^ 1 : turn;
            Typing& typing = typings[index];
            const double time = typing.row >= 0 ? VelmoraRun(program, typing.counter, typing.count, typing.row)
                                                : BareRun(typing.counter, typing.count, typing.unicode);
            if (time < 0) {
                std::printf("%s did not deliver all %u characters (the target counted %ld)\n", typing.name,
                            static_cast<unsigned>(typing.count), static_cast<long>(Counted(typing.counter)));
                return 1;
            }
            typing.times.push_back(time);
            wt::Pause(500);
        }

    std::printf("delivery of a %u-byte template into a target that counts characters, and of a template of\n"
                "%u UTF-16 code units into a Unicode one, medians of %d alternating runs, min..max in\n"
                "brackets, timed from outside (polled every %u ms)\n",
                static_cast<unsigned>(bytes), static_cast<unsigned>(units), runs, kPollMs);
    vt::PrintFigureHeader("bare loop / byte-wise");
    vt::PrintFigure("delivery, 2,000 mixed bytes", typings[0].times, typings[1].times, 1000, "ms", "<= 1.1");
    vt::PrintFigure("Unicode, 2,000 mixed characters", typings[2].times, typings[3].times, 1000, "ms", "<= 1.1");
    vt::PrintFigure("Unicode vs bytes of the same text", typings[2].times, typings[4].times, 1000, "ms", "<= 1.0");
    return 0;
}

// The search as typed, timed from outside as a user waits, Velmora.exe against the minimal
// program (bench/MinimalList.cpp, started with --typed: every change of its text box runs the
// literal search at once and fills its plain list) on the same DB.mdb in the same run, alternating.
//
// The rows: a tenth of them end in 请稍候 (found by "qsh" as pinyin, and literally by 请稍候),
// another tenth in 请随意 (found by "qs" but not by "qsh"); every row holds 请 (found by "q").
//   typed search over 100,000: the list shows everything, the box is empty and has the focus
//     (clicked into); Velmora gets q, s and h as key presses 100 ms apart, a fast typist's pace,
//     and is timed from the last key-down until the box holds "qsh" and the list its 10,000
//     rows. The minimal program gets 请稍候 pasted (Ctrl+V), its least: one change of the box,
//     one literal search, the same 10,000 rows; it is timed from the V's key-down.
//   each keystroke over 10,000: the box holds the last search (查无此句, no rows) selected, as
//     after the hotkey; Velmora gets q, s and h (10,000, 2,000 and 1,000 rows), the minimal
//     program 请, 稍 and 候 as characters chosen one at a time in an input method (10,000,
//     1,000 and 1,000 rows); each is timed from its key-down until the box holds the text typed
//     so far and the list its rows, and the list is left to settle before the next key.
//   peak working set with 100,000 after the typed search (PeakWorkingSetSize, read from here).
//   the same search by the search icon (button) over 100,000, after show-all, from the release of
//     the click: the search and the fill without keys coming meanwhile; and Velmora's search of
//     请稍候 the same way, the same rows found literally (the pinyin's own price).
// The list is polled every millisecond; a control's text is read with WM_GETTEXT, which the
// program answers only between its messages, so the minimal program, which searches within
// the change of its box, is seen done once its box shows the new text.
// Prints medians, spread (min..max), ratios and differences; nothing passes or fails on time.
// Runs per figure: $VELMORA_BENCH_RUNS (10); the minimal program: $VELMORA_MINIMAL_EXE.
#include "Timing.h"
#include "Velmora.h"

#include <psapi.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

const unsigned kPollMs = 1;
const unsigned kKeyGapMs = 100; // from one key-down to the next while typing on
const unsigned kSettleMs = 300; // after a keystroke's rows show, before the next key
const unsigned kTimeoutMs = 20000;
const std::string kLastSearch = "查无此句"; // no row holds it

LRESULT Count(HWND list) { return list ? SendMessageW(list, LB_GETCOUNT, 0, 0) : -1; }

// One keystroke as the keyboard gives it, down and up together; returns the moment of the down.
double Keystroke(INPUT down)
{
    INPUT keys[2] = {down, down};
    keys[1].ki.dwFlags |= KEYEVENTF_KEYUP;
    const double start = vt::Now();
    SendInput(2, keys, sizeof(INPUT));
    return start;
}

INPUT Key(WORD virtualKey)
{
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
    return input;
}

// A character an input method hands on once it is chosen (VK_PACKET, arriving as WM_CHAR).
INPUT Character(wchar_t unit)
{
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wScan = unit;
    input.ki.dwFlags = KEYEVENTF_UNICODE;
    return input;
}

bool PutOnClipboard(const std::string& utf8)
{
    const std::wstring text = wt::Widen(utf8);
    if (!OpenClipboard(nullptr))
        return false;
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    bool put = false;
    if (memory) {
        std::memcpy(GlobalLock(memory), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
        GlobalUnlock(memory);
        put = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
        if (!put)
            GlobalFree(memory);
    }
    CloseClipboard();
    return put;
}

// One running program, Velmora or the minimal one, seen the same way from here.
class Subject {
public:
    Subject(bool velmora, const wt::ProgramFolder& folder) : velmora_(velmora)
    {
        if (velmora)
            process_ = std::make_unique<wt::AppProcess>(wt::StartProgram(folder));
        else
            process_ = std::make_unique<wt::AppProcess>(folder.file("MinimalList.exe"), folder.path(),
                                                        std::vector<std::string>{"--typed", folder.file("DB.mdb")});
    }

    bool waitForList(LRESULT rows)
    {
        const std::string cls = velmora_ ? "TMainFrm" : "VelmoraMinimalList";
        return wt::WaitUntil(
            [&] {
                if (!main_)
                    for (HWND window : wt::TopLevelWindows(process_->pid()))
                        if (wt::ClassName(window) == cls)
                            main_ = window;
                return main_ && Count(list()) == rows;
            },
            120000, 10);
    }

    POINT searchIcon() const
    {
        return velmora_ ? clientPoint(2 + 202 + 8, 36 + 7 + 8) : wt::Centre(wt::WindowRect(GetDlgItem(main_, 102)));
    }
    POINT showAllIcon() const
    {
        return velmora_ ? clientPoint(2 + 225 + 8, 36 + 8 + 8) : wt::Centre(wt::WindowRect(GetDlgItem(main_, 103)));
    }

    void setSearchText(const std::string& text)
    {
        SendMessageW(box(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wt::Widen(text).c_str()));
        wt::Pause(kSettleMs);
    }

    // The last search listed through the search icon (button), as a user left it.
    bool searchBefore(const std::string& text)
    {
        setSearchText(text);
        wt::Click(searchIcon());
        if (wt::WaitUntil([&] { return Count(list()) == 0; }, kTimeoutMs, 10))
            return true;
        std::fprintf(stderr, "the search for %s did not empty the list\n", text.c_str());
        return false;
    }

    // Clicks into the search box and selects its text, as the hotkey leaves it.
    bool focusBox()
    {
        wt::Click(wt::Centre(wt::WindowRect(box())));
        SendMessageW(box(), EM_SETSEL, 0, -1);
        wt::Pause(kSettleMs);
        if (wt::FocusOfThreadOf(main_) == box())
            return true;
        std::fprintf(stderr, "the search box did not take the focus\n");
        return false;
    }

    // From `start` until the box holds `text` and the list `rows` rows; -1 when it never did.
    double waitForHits(double start, const std::string& text, LRESULT rows)
    {
        if (!wt::WaitUntil([&] { return wt::ControlText(box()) == text && Count(list()) == rows; }, kTimeoutMs,
                           kPollMs)) {
            std::fprintf(stderr, "waited for \"%s\" and %ld rows, the box holds \"%s\" and the list %ld rows\n",
                         text.c_str(), static_cast<long>(rows), wt::ControlText(box()).c_str(),
                         static_cast<long>(Count(list())));
            return -1;
        }
        return vt::Now() - start;
    }

    // The text in the box searched again by the icon (button) after show-all: the search and the
    // fill alone, without keys coming meanwhile; from the release of the click.
    double searchByIcon(const std::string& text, LRESULT all, LRESULT rows)
    {
        wt::Click(showAllIcon());
        if (!wt::WaitUntil([&] { return Count(list()) == all; }, kTimeoutMs, 10))
            return -1;
        wt::Pause(kSettleMs);
        return waitForHits(vt::PressAndRelease(searchIcon()), text, rows);
    }

    double peakWorkingSetMiB() const
    {
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof counters;
        if (!GetProcessMemoryInfo(process_->handle(), &counters, sizeof counters))
            return 0;
        return static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
    }

    bool velmora() const { return velmora_; }

private:
    HWND list() const { return velmora_ ? wt::FindChild(main_, "ListBox") : GetDlgItem(main_, 104); }
    HWND box() const { return velmora_ ? wt::FindChild(main_, "Edit") : GetDlgItem(main_, 101); }
    POINT clientPoint(int x, int y) const
    {
        POINT p = {x, y};
        ClientToScreen(main_, &p);
        return p;
    }

    bool velmora_;
    std::unique_ptr<wt::AppProcess> process_;
    HWND main_ = nullptr;
};

// The figures of one program: name -> one value per run.
using Figures = std::map<std::string, std::vector<double>>;

// One key, or character, at a time, each timed until its rows show.
bool EachKeystroke(Subject& subject, int n, Figures& out)
{
    struct Step {
        INPUT input;
        std::string text;
        LRESULT rows;
        const char* figure;
    };
    const std::vector<Step> steps = subject.velmora()
                                        ? std::vector<Step>{{Key('Q'), "q", n, "key 1"},
                                                            {Key('S'), "qs", n / 5, "key 2"},
                                                            {Key('H'), "qsh", n / 10, "key 3"}}
                                        : std::vector<Step>{{Character(L'请'), "请", n, "key 1"},
                                                            {Character(L'稍'), "请稍", n / 10, "key 2"},
                                                            {Character(L'候'), "请稍候", n / 10, "key 3"}};
    if (!subject.searchBefore(kLastSearch) || !subject.focusBox())
        return false;
    for (const Step& step : steps) {
        const double took = subject.waitForHits(Keystroke(step.input), step.text, step.rows);
        if (took < 0)
            return false;
        out[step.figure].push_back(took);
        wt::Pause(kSettleMs);
    }
    return true;
}

// q, s and h typed on at a fast typist's pace (Velmora), or 请稍候 pasted (the minimal program).
bool TypedOver(Subject& subject, int n, Figures& out)
{
    if (!subject.focusBox())
        return false;
    double last = 0;
    if (subject.velmora()) {
        for (WORD key : {'Q', 'S', 'H'}) {
            const double wait = last > 0 ? kKeyGapMs - (vt::Now() - last) * 1000 : 0;
            if (wait > 0)
                wt::Pause(static_cast<unsigned>(wait));
            last = Keystroke(Key(key));
        }
    } else {
        if (!PutOnClipboard("请稍候"))
            return false;
        wt::KeyDown(VK_CONTROL);
        last = Keystroke(Key('V'));
    }
    const double took = subject.waitForHits(last, subject.velmora() ? "qsh" : "请稍候", n / 10);
    if (!subject.velmora())
        wt::KeyUp(VK_CONTROL);
    if (took < 0)
        return false;
    out["typed"].push_back(took);
    out["peak"].push_back(subject.peakWorkingSetMiB());
    const double icon = subject.searchByIcon(subject.velmora() ? "qsh" : "请稍候", n, n / 10);
    // The same rows found by their characters, as the minimal program finds them.
    subject.setSearchText("请稍候");
    const double literal = subject.searchByIcon("请稍候", n, n / 10);
    if (icon < 0 || literal < 0)
        return false;
    out["icon"].push_back(icon);
    out["literal"].push_back(literal);
    return true;
}

bool Round(bool velmora, const wt::ProgramFolder& folder, int n, Figures& out)
{
    Subject subject(velmora, folder);
    if (!subject.waitForList(n))
        return false;
    // Whatever a program does once its window shows is over before the typing starts.
    wt::Pause(1000);
    return n == 100000 ? TypedOver(subject, n, out) : EachKeystroke(subject, n, out);
}

} // namespace

int main()
{
    const int runs = vt::BenchRuns();
    std::map<int, std::pair<Figures, Figures>> figures; // n -> (Velmora, minimal)
    for (int n : {10000, 100000}) {
        vt::Installation app;
        vt::RunSql(app.folder, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                                   std::to_string(n) +
                                   ") INSERT INTO TText (TText, TSortID) SELECT '第' || i || '条回复: "
                                   "您好,很高兴为您服务,请问有什么可以帮您? Order #' || (100000 + i) || "
                                   "CASE i % 10 WHEN 0 THEN ' 请稍候' WHEN 5 THEN ' 请随意' ELSE '' END, i FROM n");
        app.folder.copyIn(wt::RequiredEnvironmentPath("VELMORA_MINIMAL_EXE"), "MinimalList.exe");
        const bool measured =
            vt::AlternateRounds(runs, n, "take the keys or list the hits expected", [&](bool velmora) {
                return Round(velmora, app.folder, n, velmora ? figures[n].first : figures[n].second);
            });
        if (!measured)
            return 1;
    }

    std::printf("search as typed, Velmora.exe against the minimal program (bench/MinimalList.cpp --typed),\n"
                "medians of %d alternating runs, min..max in brackets, timed from outside (polled every %u ms);\n"
                "Velmora types q, s, h (100 ms apart over 100,000); the minimal program gets 请稍候 pasted\n"
                "over 100,000, and 请, 稍, 候 one at a time over 10,000\n",
                runs, kPollMs);
    vt::PrintFigureHeader("minimal program");
    auto& big = figures[100000];
    vt::PrintFigure("typed to hits, 100,000 (10,000 hits)", big.first["typed"], big.second["typed"], 1000, "ms",
                    "<= 1.5");
    vt::PrintFigure("qsh by the search icon, 100,000", big.first["icon"], big.second["icon"], 1000, "ms", "");
    vt::PrintFigure("请稍候 by the search icon, 100,000", big.first["literal"], big.second["literal"], 1000, "ms", "");
    auto& small = figures[10000];
    const char* keys[][2] = {{"key 1", "1st key, 10,000 (10,000 rows)"},
                             {"key 2", "2nd key, 10,000 (2,000 / 1,000 rows)"},
                             {"key 3", "3rd key, 10,000 (1,000 rows)"}};
    for (const auto& key : keys)
        vt::PrintFigure(key[1], small.first[key[0]], small.second[key[0]], 1000, "ms", "<= +16.7 ms");
    vt::PrintFigure("peak working set after it, 100,000", big.first["peak"], big.second["peak"], 1, "MiB", "<= 1.15");
    std::printf("each key over 10,000, Velmora's median less the minimal program's (aim: at most 16.7 ms, a frame):");
    for (const auto& key : keys) {
        const std::vector<double>&velmora = small.first[key[0]], &minimal = small.second[key[0]];
        if (velmora.empty() || minimal.empty())
            std::printf(" %s measured nothing;", key[0]);
        else
            std::printf(" %s %+.1f ms;", key[0], (vt::SpreadOf(velmora).median - vt::SpreadOf(minimal).median) * 1000);
    }
    std::printf("\n");
    return 0;
}

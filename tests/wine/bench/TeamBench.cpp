// The team library at start, timed from outside as a user waits: a team lead publishes 10,000
// templates to the private PostgreSQL server scripts/bench.sh starts, and two desks hold the
// same 100 own templates, one connected to the team library and one without it. In one run,
// alternating:
//   desk start: from process creation until the shown list holds the desk's own rows, the team
//     desk with an empty cache (its first sync running) against the desk without a library;
//   team rows show: from process creation until the team desk's list (empty cache) holds its
//     own rows and the team's, against MinimalList.exe --odbc (bench/MinimalList.cpp), which
//     reads the same rows through odbc32 into its list box before its window shows;
//   a second start: the team desk with its cache filled until its list holds every row, against
//     a desk without a library whose own templates are the same rows.
// Then the lead publishes 60,000 templates, whose first sync lasts well past the moment a user
// can first press the hotkey, and:
//   a hotkey during the sync: right after the team desk's window shows (empty cache), or 15,
//     30 or 45 ms later in turn, a target window brought to the front and Ctrl+A pressed over
//     it, from the letter's press until Velmora's window is the foreground window; the same
//     press on the desk without a library is the baseline. The list is read just before the
//     press and after the answer: the presses made before the team rows showed are the figure,
//     split into those answered while the sync still ran in the background and those answered
//     only once the list had taken the team's rows.
// Prints medians, spread (min..max) and ratios, or that a figure measured nothing; nothing
// passes or fails on time.
// Runs per figure: $VELMORA_BENCH_RUNS (10); the server: $VELMORA_TEAM_LEAD and
// $VELMORA_TEAM_DESK (the lead's and a desk's connection texts); the minimal program:
// $VELMORA_MINIMAL_EXE; the team lead's tool: $VELMORA_DB_EXE.
#include "Timing.h"
#include "Tool.h"
#include "Velmora.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

const unsigned kPollMs = 10;       // the list, as the other benchmarks poll it
const LRESULT kOwnRows = 100;      // each desk's own templates
const LRESULT kTeamRows = 10000;   // the team library
const LRESULT kLargeRows = 60000;  // the library the hotkey is pressed during
const int kMinimalListId = 104;    // bench/MinimalList.cpp's list box
const unsigned kTeardownMs = 3000; // Wine ends the last process before the next one starts

// Replies as a customer-service team writes them: a greeting, one to several sentences about
// an order, a closing; from 52 to 360 characters (122 on average), each one different.
std::vector<std::string> TeamTemplates(LRESULT count)
{
    const std::vector<std::string> greetings = {"亲，您好！", "您好，感谢您的耐心等待。", "尊敬的客户您好，",
                                                "您好，这里是售后服务中心。", "亲爱的顾客，"};
    const std::vector<std::string> sentences = {
        "您的订单已经打包完毕，预计今天下午由顺丰快递发出。",
        "物流信息一般会在发货后二十四小时内更新，请您留意短信通知。",
        "如果收到的商品有破损或者少件，请在签收后四十八小时内拍照联系我们。",
        "退货时请保持商品包装完整，并在包裹内附上写有订单号的纸条。",
        "优惠券在结算页面自动抵扣，每笔订单限用一张，不能与满减活动同时使用。",
        "您申请的退款已经审核通过，款项将在三到五个工作日内原路退回。",
        "这款产品支持七天无理由退换，但贴身衣物拆封后不予退换。",
        "发票会在订单完成后以电子形式发送到您预留的邮箱。",
        "偏远地区需要额外加收运费，具体金额以结算页面显示为准。",
        "我们已经为您催促仓库加急处理，请您再耐心等待一下。",
        "商品的保修期为一年，保修期内非人为损坏可以免费维修。",
        "您可以在“我的订单”中随时查看处理进度。",
        "节假日期间快递可能会有延误，给您带来不便敬请谅解。",
        "如需修改收货地址，请在发货前联系我们，发货后无法修改。",
        "会员积分会在确认收货后七天内到账，一百积分可以抵扣一元。",
    };
    const std::vector<std::string> closings = {"祝您生活愉快！", "如有其他问题，欢迎随时咨询。", "感谢您的支持与理解！",
                                               "期待您的再次光临。", "有任何需要请随时联系我们。"};
    std::vector<std::string> texts;
    texts.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        std::string text = greetings[static_cast<size_t>(i) % greetings.size()];
        // One to five sentences, and one reply in fifty runs to a dozen.
        const int sentenceCount = i % 50 == 0 ? 12 : 1 + i % 5;
        for (int s = 0; s < sentenceCount; ++s)
            text += sentences[static_cast<size_t>(i * 7 + s * 3) % sentences.size()];
        text += "订单号 " + std::to_string(2026000000 + i) + "。";
        text += closings[static_cast<size_t>(i / 5) % closings.size()];
        texts.push_back(text);
    }
    return texts;
}

std::vector<std::string> OwnTemplates()
{
    std::vector<std::string> texts;
    for (int i = 1; i <= kOwnRows; ++i)
        texts.push_back("本机第" + std::to_string(i) + "条：您好，请问有什么可以帮您？");
    return texts;
}

// A delivered DB.mdb holding `texts` in this order, written in one statement: row by row, as
// the delivered database's writer adds them, 10,000 rows take most of a minute under Wine.
void WriteTemplates(const wt::ProgramFolder& folder, const std::vector<std::string>& texts)
{
    vt::WriteDatabase(folder);
    std::string sql = "delete from TText; insert into TText (TText, TSortID) values ";
    for (size_t i = 0; i < texts.size(); ++i) {
        std::string quoted;
        for (char c : texts[i])
            quoted += c == '\'' ? std::string("''") : std::string(1, c);
        sql += (i ? ", ('" : "('") + quoted + "', " + std::to_string(i + 1) + ")";
    }
    vt::RunSql(folder, sql);
}

LRESULT Count(HWND list) { return list ? SendMessageW(list, LB_GETCOUNT, 0, 0) : -1; }

// One started program, Velmora or the minimal one, seen from here: its shown window and list.
class Started {
public:
    // Velmora.exe from `folder`, or MinimalList.exe --odbc `server` when `server` is given.
    explicit Started(const wt::ProgramFolder& folder, const std::string& server = "")
        : velmora_(server.empty()), start_(vt::Now())
    {
        if (velmora_)
            process_ = std::make_unique<wt::AppProcess>(wt::StartProgram(folder));
        else
            process_ = std::make_unique<wt::AppProcess>(folder.file("MinimalList.exe"), folder.path(),
                                                        std::vector<std::string>{"--odbc", server});
    }

    // Seconds from process creation until the shown list holds at least `rows` rows; negative
    // when it does not within two minutes.
    double untilRows(LRESULT rows)
    {
        const std::string cls = velmora_ ? "TMainFrm" : "VelmoraMinimalList";
        const bool shown = wt::WaitUntil(
            [&] {
                if (!main_)
                    for (HWND window : wt::TopLevelWindows(process_->pid()))
                        if (wt::ClassName(window) == cls)
                            main_ = window;
                return main_ && Count(list()) >= rows;
            },
            120000, kPollMs);
        return shown ? vt::Now() - start_ : -1;
    }

    HWND main() const { return main_; }
    HWND list() const { return velmora_ ? wt::FindChild(main_, "ListBox") : GetDlgItem(main_, kMinimalListId); }

private:
    bool velmora_;
    double start_;
    std::unique_ptr<wt::AppProcess> process_;
    HWND main_ = nullptr;
};

// One press of the hotkey over the target, as it lands.
struct Press {
    bool pressed = false; // false: the target did not come to the front, nothing was pressed
    double answer = -1;   // seconds from the letter's press until Velmora's window is in front
    LRESULT before = -1;  // the list's rows just before the press; -1: the program was busy
    LRESULT after = -1;   // the list's rows once the press was answered
};

// Brings the target to the front (the pointer rests on it), holds Ctrl, reads the list and
// presses A; the answer is polled every millisecond.
Press PressHotKey(Started& program, const wt::TargetProcess& target)
{
    Press press;
    SetForegroundWindow(target.window());
    if (!wt::WaitUntil([&] { return GetForegroundWindow() == target.window(); }, 3000, 1))
        return press;
    // Keys pressed at once after a change of the foreground can reach Wine before it has
    // finished the change, and the window shown by the press is then put back behind: a short
    // rest, as the tests take after giving a window the focus.
    wt::Pause(100);
    wt::KeyDown(VK_CONTROL);
    wt::Pause(30); // as the driver paces keys: Wine routes one before the next arrives
    DWORD_PTR rows = 0;
    if (SendMessageTimeoutW(program.list(), LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 5, &rows))
        press.before = static_cast<LRESULT>(rows);
    const double start = vt::Now();
    wt::KeyDown('A');
    press.pressed = true;
    HWND main = program.main();
    if (wt::WaitUntil([&] { return GetForegroundWindow() == main && wt::IsShown(main); }, 5000, 1))
        press.answer = vt::Now() - start;
    wt::KeyUp('A');
    wt::KeyUp(VK_CONTROL);
    press.after = Count(program.list());
    return press;
}

// The figures of the run, one value per start.
struct Figures {
    std::vector<double> plainStart, teamStart; // to the own rows
    std::vector<double> teamRows, minimalRows; // to the team's rows
    std::vector<double> filledStart, sameRows; // a second start, every row
    std::vector<double> plainPress, syncPress; // the hotkey's answer
    std::vector<double> pressInBackground;     // answered before the team rows showed
    std::vector<double> pressAfterReload;      // answered only once they had
    int lost = 0, presses = 0;
};

// The team desk's cache as a fresh `team connect` leaves it: empty, so the next start reads.
void EmptyCache(const wt::ProgramFolder& desk)
{
    vt::RunSql(desk, "delete from TTeamText; update TTeamConfig set TCounter=NULL, TLastSync='', TRows=0, "
                     "TLastError='' where TID=1");
}

bool Fail(const char* what)
{
    std::printf("%s\n", what);
    return false;
}

// The plain desk (teamRows 0) or the team desk with an empty cache, its library `teamRows`
// rows: to the own rows, which is the start's figure when no `target` is given; else the
// hotkey over the target. The team desk then goes on until it lists the team's rows, so that
// the sync ends before the program does and the cache is whole for the next start.
bool StartAndPress(const wt::ProgramFolder& folder, LRESULT teamRows, const wt::TargetProcess* target, unsigned delayMs,
                   Figures& out)
{
    const bool team = teamRows > 0;
    const LRESULT all = kOwnRows + teamRows;
    if (team)
        EmptyCache(folder);
    Started program(folder);
    const double start = program.untilRows(kOwnRows);
    if (start < 0)
        return Fail(team ? "the team desk did not list its own rows" : "the plain desk did not list its rows");
    if (!target) {
        (team ? out.teamStart : out.plainStart).push_back(start);
        return program.untilRows(all) >= 0 || Fail("the team desk did not list the team's rows");
    }
    wt::Pause(delayMs);
    const Press press = PressHotKey(program, *target);
    if (!press.pressed)
        return Fail("the target window did not come to the front");
    if (press.answer < 0) {
        // Counted and reported: a press the program never answers is what a user meets.
        ++out.lost;
        std::fprintf(stderr, "a hotkey press on the %s desk was not answered within 5 s (%ld rows before it)\n",
                     team ? "team" : "plain", static_cast<long>(press.before));
        return program.untilRows(all) >= 0 || Fail("the team desk did not list the team's rows after the hotkey");
    }
    if (!team) {
        out.plainPress.push_back(press.answer);
        return true;
    }
    ++out.presses;
    // Before the team rows showed: the list held only the own rows just before the press or
    // still did once it was answered, or it did not answer just before the press because the
    // main thread was busy taking the team's rows (it has nothing else to do then).
    if (press.before < all || press.after < all) {
        out.syncPress.push_back(press.answer);
        (press.after < all ? out.pressInBackground : out.pressAfterReload).push_back(press.answer);
    }
    return program.untilRows(all) >= 0 || Fail("the team desk did not list the team's rows after the hotkey");
}

// The team lead's folder holding `texts`, published as the team library; the publish's time in
// seconds, negative when it failed.
double Publish(const wt::ProgramFolder& leadFolder, const std::vector<std::string>& texts, const std::string& lead)
{
    WriteTemplates(leadFolder, texts);
    const double publishing = vt::Now();
    const vt::ToolRun publish = vt::RunTool(leadFolder, {"team", "publish", leadFolder.file("DB.mdb"), lead});
    if (publish.exitCode != 0) {
        std::printf("team publish failed: %s\n", publish.output.c_str());
        return -1;
    }
    return vt::Now() - publishing;
}

bool Measure(const char* what, double seconds, std::vector<double>& out)
{
    if (seconds < 0)
        return Fail(what);
    out.push_back(seconds);
    return true;
}

// "n, median x ms (max y)", or that there was none.
std::string CountAndMedian(const std::vector<double>& values)
{
    if (values.empty())
        return "0 (nothing measured)";
    const vt::Spread spread = vt::SpreadOf(values);
    char text[96];
    std::snprintf(text, sizeof text, "%u, median %.1f ms (max %.1f)", static_cast<unsigned>(values.size()),
                  spread.median * 1000, spread.high * 1000);
    return text;
}

} // namespace

int main()
{
    const std::string lead = vt::TeamServerText("VELMORA_TEAM_LEAD");
    const std::string desk = vt::TeamServerText("VELMORA_TEAM_DESK");
    if (lead.empty() || desk.empty()) {
        std::printf("VELMORA_TEAM_LEAD and VELMORA_TEAM_DESK are not set: scripts/bench.sh starts the server\n");
        return 1;
    }
    const std::vector<std::string> team = TeamTemplates(kTeamRows);
    const std::vector<std::string> own = OwnTemplates();
    size_t characters = 0;
    for (const std::string& text : team)
        characters += wt::Widen(text).size();

    // The team lead publishes once for the starts, and once more, a larger library, for the hotkey.
    wt::ProgramFolder leadFolder("组长");
    if (vt::RunTool(leadFolder, {"team", "init", lead}).exitCode != 0) {
        std::printf("team init failed\n");
        return 1;
    }
    const double published = Publish(leadFolder, team, lead);
    if (published < 0)
        return 1;

    vt::Installation teamDesk(own, "团队座席");
    const vt::ToolRun connect = vt::RunTool(teamDesk.folder, {"team", "connect", teamDesk.folder.file("DB.mdb"), desk});
    if (connect.exitCode != 0) {
        std::printf("team connect failed: %s\n", connect.output.c_str());
        return 1;
    }
    // Only the first check of each start counts.
    vt::RunSql(teamDesk.folder, "update TTeamConfig set TCheckSeconds=3600");
    teamDesk.folder.copyIn(wt::RequiredEnvironmentPath("VELMORA_MINIMAL_EXE"), "MinimalList.exe");
    vt::Installation plainDesk(own, "本机座席");
    std::vector<std::string> every = own;
    every.insert(every.end(), team.begin(), team.end());
    vt::Installation sameRowsDesk({}, "同样的行");
    WriteTemplates(sameRowsDesk.folder, every);

    Figures figures;
    const int runs = vt::BenchRuns();
    const LRESULT all = kOwnRows + kTeamRows;
    for (int run = 0; run < runs; ++run) {
        const bool swap = run % 2 == 1;
        // Each pair of starts swaps places every run; the second start of the team desk finds
        // the cache the starts before it filled.
        for (int turn = 0; turn < 6; ++turn) {
            const int step = swap ? turn ^ 1 : turn;
            bool ok = true;
            switch (step) {
            case 0: ok = StartAndPress(plainDesk.folder, 0, nullptr, 0, figures); break;
            case 1: ok = StartAndPress(teamDesk.folder, kTeamRows, nullptr, 0, figures); break;
            case 2: {
                EmptyCache(teamDesk.folder);
                Started program(teamDesk.folder);
                ok = Measure("the team desk did not list the team's rows", program.untilRows(all), figures.teamRows);
                break;
            }
            case 3: {
                Started program(teamDesk.folder, desk);
                ok = Measure("the minimal program did not list the team's rows", program.untilRows(kTeamRows),
                             figures.minimalRows);
                break;
            }
            case 4: {
                Started program(teamDesk.folder);
                ok = Measure("the team desk did not list its cached rows", program.untilRows(all), figures.filledStart);
                break;
            }
            case 5: {
                Started program(sameRowsDesk.folder);
                ok = Measure("the desk with the same rows did not list them", program.untilRows(all), figures.sameRows);
                break;
            }
            }
            if (!ok)
                return 1;
            wt::Pause(kTeardownMs);
            std::fprintf(stderr, "team library, run %d of %d, start %d done\n", run + 1, runs, step + 1);
        }
    }

    // The hotkey during the first sync of the larger library.
    if (Publish(leadFolder, TeamTemplates(kLargeRows), lead) < 0)
        return 1;
    // The window typed into; the pointer rests on it, clear of Velmora in the middle of the screen.
    wt::TargetProcess target;
    vt::PlaceTarget(target);
    vt::RestPointerOn(target);
    for (int run = 0; run < runs; ++run) {
        // The press comes at once after the own rows show, or up to 45 ms later (and the
        // target's 100 ms rest), while the sync reads the library in the background, hands it
        // over and the list takes it in slices.
        const unsigned delayMs = static_cast<unsigned>(run % 4) * 15;
        for (int turn = 0; turn < 2; ++turn) {
            const bool teamTurn = (turn == 1) != (run % 2 == 1);
            if (!StartAndPress(teamTurn ? teamDesk.folder : plainDesk.folder, teamTurn ? kLargeRows : 0, &target,
                               delayMs, figures))
                return 1;
            wt::Pause(kTeardownMs);
            std::fprintf(stderr, "hotkey, run %d of %d, %s desk done\n", run + 1, runs, teamTurn ? "team" : "plain");
        }
    }

    std::printf("team library of %d templates (%u characters, Chinese) on the private PostgreSQL server, desks with\n"
                "%d own templates; medians of %d alternating runs, min..max in brackets, timed from outside\n"
                "(the list polled every %u ms, the hotkey's answer every 1 ms). Baselines: the same desk without a\n"
                "team library; MinimalList --odbc; a desk without one whose own rows are the same %d\n",
                static_cast<int>(kTeamRows), static_cast<unsigned>(characters), static_cast<int>(kOwnRows), runs,
                kPollMs, static_cast<int>(all));
    vt::PrintFigureHeader("baseline");
    vt::PrintFigure("desk start to own rows, sync running", figures.teamStart, figures.plainStart, 1000, "ms",
                    "<= 1.05");
    vt::PrintFigure("start until the team rows show", figures.teamRows, figures.minimalRows, 1000, "ms", "<= 1.5");
    vt::PrintFigure("second start to all rows, cache filled", figures.filledStart, figures.sameRows, 1000, "ms", "");
    std::printf("the hotkey during the first sync of a library of %d templates:\n", static_cast<int>(kLargeRows));
    vt::PrintFigure("hotkey answered during the sync", figures.syncPress, figures.plainPress, 1000, "ms", "<= 50 ms");
    std::printf("hotkey presses before the team rows showed: %u of %d; answered before they showed: %s;\n"
                "answered only after the list took them: %s\n",
                static_cast<unsigned>(figures.syncPress.size()), figures.presses,
                CountAndMedian(figures.pressInBackground).c_str(), CountAndMedian(figures.pressAfterReload).c_str());
    std::printf("hotkey presses not answered within 5 s (left out above): %d\n", figures.lost);
    std::printf("team publish of the %d templates, the whole VelmoraDb process, once: %.0f ms\n",
                static_cast<int>(kTeamRows), published * 1000);
    return 0;
}

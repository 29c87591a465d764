// Velmora stopped in the middle of its writes: killed while it stores the order as the template
// manager closes and while it makes the backup at exit, and closed while the team library's
// check stores a large cache. Whatever the moment, the files it leaves must be sound, every
// backup must pass the restore's check, and the next start must work.
//
// Each write is timed beforehand by what only a write under way leaves beside DB.mdb: its
// journal (for the backup, its temporary file too). The moments spread over that time, and
// each half fails unless at least half of its moments land inside the write, as the files then
// show: a kill after the write has ended proves nothing. VELMORA_KILL_MOMENTS asks for more
// moments than the quick default (all three writes together).
#include "Manager.h"
#include "Tool.h"
#include "Velmora.h"

#include "backup/Backup.h"
#include "store/TeamServer.h"

#include <sqlite3.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

using vt::Manager;
using vt::Velmora;
using Steady = std::chrono::steady_clock;
using Milliseconds = std::chrono::duration<double, std::milli>;

namespace {

const int kTemplates = 20000;
const char kOldStamp[] = "2020-01-01 00:00:00";
// The drag before the manager closes: the first row down onto the ninth, so that an order
// stored only in part shows as two rows with one number.
const int kDragFrom = 0, kDragTo = 8;
// A reply of a customer-service desk, a few of which make each template.
const char kReply[] = "您好,很高兴为您服务,您的订单已经发货,请注意查收。如有其他问题,欢迎随时联系我们。";

int MomentsPerWrite()
{
    const char* asked = std::getenv("VELMORA_KILL_MOMENTS");
    const int all = asked && std::atoi(asked) > 0 ? std::atoi(asked) : 8;
    return std::max(2, (all + 2) / 3);
}

// The first column of the first row of `sql` on the database file `path`, or SQLite's
// complaint after a "!" when it cannot answer. Read-write lets SQLite roll back what a
// killed writer left in its journal, as the program's next start does.
std::string Ask(const std::string& path, const std::string& sql, bool readWrite = false)
{
    sqlite3* db = nullptr;
    std::string answer;
    if (sqlite3_open_v2(path.c_str(), &db, readWrite ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY, nullptr) !=
        SQLITE_OK) {
        answer = std::string("!") + (db ? sqlite3_errmsg(db) : "cannot open");
        sqlite3_close(db);
        return answer;
    }
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
        answer = std::string("!") + sqlite3_errmsg(db);
    } else {
        const int rc = sqlite3_step(stmt);
        if (rc == SQLITE_ROW && sqlite3_column_text(stmt, 0))
            answer = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
        else if (rc != SQLITE_ROW && rc != SQLITE_DONE)
            answer = std::string("!") + sqlite3_errmsg(db);
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return answer;
}

// `count` rows (ID, text, place): IDs from 1, places from 0, texts "<prefix>NNNNN " followed by
// `replies` replies, as a recursive query makes them for one statement (row by row, tens of
// thousands take minutes under Wine).
std::string NumberedRows(int count, const std::string& prefix, int replies)
{
    std::string filler;
    for (int i = 0; i < replies; ++i)
        filler += kReply;
    return "with recursive n(i) as (select 1 union all select i + 1 from n where i < " + std::to_string(count) +
           ") select i, printf('" + prefix + "%05d ', i) || '" + filler + "', i - 1 from n";
}

const char kOrderQuery[] = "SELECT group_concat(ID) FROM (SELECT ID FROM TText ORDER BY TSortID, ID)";

bool IsBackupName(const std::string& name)
{
    return name.size() == 19 && name.substr(14) == "Bk.bk" &&
           std::all_of(name.begin(), name.begin() + 14, [](char c) { return c >= '0' && c <= '9'; });
}

bool EndsWithBk(std::string name)
{
    std::transform(name.begin(), name.end(), name.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return name.size() >= 3 && name.substr(name.size() - 3) == ".bk";
}

// Whether the stamp "YYYY-MM-DD HH:MM:SS" records the backup `name`: a backup is named after
// the very moment its stamp holds (a name already taken is stepped forward, and the stamp with it).
bool StampNamesBackup(const std::string& stamp, const std::string& name)
{
    std::string digits;
    for (char c : stamp)
        if (c >= '0' && c <= '9')
            digits += c;
    return digits.size() == 14 && name.compare(0, 14, digits) == 0;
}

// The restore's own check of a backup, or its reason.
std::string RestoreCheck(const std::string& path)
{
    std::string reason;
    return IsSoundDatabase(path, reason) ? "ok" : reason;
}

struct Orders {
    std::string old, moved; // the ID lists, comma-separated, top row first
};

Orders OrdersOf(const wt::ProgramFolder& seed)
{
    Orders orders;
    orders.old = Ask(seed.file("DB.mdb"), kOrderQuery);
    std::vector<std::string> ids;
    for (size_t start = 0, comma; start <= orders.old.size(); start = comma + 1) {
        comma = std::min(orders.old.find(',', start), orders.old.size());
        ids.push_back(orders.old.substr(start, comma - start));
    }
    std::rotate(ids.begin() + kDragFrom, ids.begin() + kDragFrom + 1, ids.begin() + kDragTo + 1);
    for (const std::string& id : ids)
        orders.moved += (orders.moved.empty() ? "" : ",") + id;
    return orders;
}

// Checks what a killed run left in `app` and returns a line saying what it found.
std::string CheckWhatWasLeft(const wt::ProgramFolder& app, const Orders& orders)
{
    // The database is read from a copy, journal included, so that the next start meets the
    // files exactly as the kill left them.
    wt::ProgramFolder copy;
    std::string found;
    for (const char* name : {"DB.mdb", "DB.mdb-journal", "DB.mdb-wal", "DB.mdb-shm"})
        if (app.exists(name)) {
            copy.copyIn(app.file(name), name);
            found += std::string(found.empty() ? "" : "+") + name;
        }
    const std::string db = copy.file("DB.mdb");
    EXPECT_EQ(Ask(db, "PRAGMA integrity_check", true), "ok");
    const std::string order = Ask(db, kOrderQuery);
    EXPECT_TRUE(order == orders.old || order == orders.moved) << "the order is neither the old nor the new one";
    EXPECT_EQ(Ask(db, "SELECT COUNT(DISTINCT TSortID) FROM TText"), std::to_string(kTemplates))
        << "two rows share a place";
    found += order == orders.old ? ", old order" : order == orders.moved ? ", new order" : ", MIXED order";

    std::vector<std::string> sound;
    for (const std::string& name : app.list("DatabackUp")) {
        const std::string path = app.file("DatabackUp\\" + name);
        if (IsBackupName(name)) {
            const std::string check = RestoreCheck(path);
            const std::string rows = Ask(path, "SELECT COUNT(*) FROM TText");
            EXPECT_TRUE(check == "ok" && rows == std::to_string(kTemplates))
                << name << " is no sound backup: " << check << ", " << rows << " templates";
            if (check == "ok" && rows == std::to_string(kTemplates))
                sound.push_back(name);
            found += ", backup " + name + (check == "ok" && rows == std::to_string(kTemplates) ? "" : " (BROKEN)");
        } else {
            EXPECT_FALSE(EndsWithBk(name)) << name << " would be listed for a restore";
            found += ", other file " + name;
        }
    }

    const std::string stamp = Ask(db, "SELECT TDeadDay FROM Tconfig WHERE TID = 1");
    const bool named =
        std::any_of(sound.begin(), sound.end(), [&](const std::string& name) { return StampNamesBackup(stamp, name); });
    EXPECT_TRUE(stamp == kOldStamp || named) << "the stamp " << stamp << " names no sound backup";
    found += ", stamp " + (stamp == kOldStamp ? std::string("old") : stamp + (named ? "" : " (NO SUCH BACKUP)"));
    return found;
}

std::string RowText(HWND list, int index)
{
    const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length < 0)
        return "";
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    return wt::Narrow(text);
}

void WaitForFullList(HWND list, LRESULT rows = kTemplates, unsigned timeoutMs = 60000)
{
    EXPECT_TRUE(wt::WaitUntil([&] { return SendMessageW(list, LB_GETCOUNT, 0, 0) == rows; }, timeoutMs))
        << "the list holds " << SendMessageW(list, LB_GETCOUNT, 0, 0) << " rows, not " << rows;
}

void ExpectNextStartWorks(const wt::ProgramFolder& app)
{
    Velmora velmora(app);
    ASSERT_TRUE(velmora.waitForMainWindow(30000)) << "the next start shows no main window";
    WaitForFullList(velmora.list());
    velmora.quitWith(IDYES);
    EXPECT_TRUE(velmora.process().waitForExit(60000)) << "the next start does not end";
    EXPECT_EQ(velmora.process().exitCode(), 0u);
    // What a killed backup left unfinished is gone after the next exit.
    for (const std::string& name : app.list("DatabackUp"))
        EXPECT_TRUE(IsBackupName(name)) << name << " is still in DatabackUp after the next exit";
}

// What only a write under way leaves in the program folder: DB.mdb's journal, which the engine
// removes as the transaction ends; for the backup also its temporary file, renamed at its end.
bool JournalThere(const wt::ProgramFolder& app) { return app.exists("DB.mdb-journal"); }
bool BackupUnderWay(const wt::ProgramFolder& app)
{
    return app.exists("DatabackUp\\Unfinished.tmp") || JournalThere(app);
}

// Waits until `seen` holds; returns when, or nothing when `ended` came first or a minute passed.
std::optional<Steady::time_point> WaitToSee(const std::function<bool()>& seen, const std::function<bool()>& ended)
{
    const Steady::time_point giveUp = Steady::now() + std::chrono::seconds(60);
    while (Steady::now() < giveUp) {
        if (seen())
            return Steady::now();
        if (ended())
            return seen() ? std::optional<Steady::time_point>(Steady::now()) : std::nullopt;
        Sleep(1);
    }
    return std::nullopt;
}

// From `first` until the write is over: the milliseconds it was last seen under way after `first`.
double SpanUnderWay(Steady::time_point first, const std::function<bool()>& seen, const std::function<bool()>& ended)
{
    Steady::time_point last = first;
    const Steady::time_point giveUp = first + std::chrono::seconds(120);
    while (Steady::now() < giveUp) {
        const bool there = seen();
        if (there)
            last = Steady::now();
        else if (ended())
            break;
        Sleep(1);
    }
    return Milliseconds(last - first).count();
}

// Waits until `until`, looking at the files as the timing did (the looks cost the program time
// under Wine, so a wait without them would meet a quicker write); returns when the write was
// last seen under way.
Steady::time_point SettleWatching(Steady::time_point from, Steady::time_point until, const std::function<bool()>& seen)
{
    Steady::time_point last = from;
    while (Steady::now() < until) {
        if (seen())
            last = Steady::now();
        Sleep(1);
    }
    return last;
}

// The k-th of n moments over a write timed at `span` ms: the middle of the k-th of n equal parts.
double Moment(double span, int k, int n) { return span * (k - 0.5) / n; }

// The quickest of the timings: on a busy machine one run of a write takes a third longer than
// the next, and moments spread over the quickest still fall inside a quick one.
double Quickest(const std::vector<double>& spans) { return *std::min_element(spans.begin(), spans.end()); }

// A moment that came after the write had ended shows the write quicker than it was timed (on a
// busy machine it can be half as long): the later moments spread over what was seen instead.
void Shorten(double& span, Steady::time_point first, Steady::time_point lastSeen)
{
    span = std::min(span, static_cast<double>(Milliseconds(lastSeen - first).count()));
}

void ExpectAGoodShareInside(int inside, int moments, const char* what)
{
    std::cout << inside << " of " << moments << " moments landed inside " << what << std::endl;
    EXPECT_GE(inside * 2, moments) << "only " << inside << " of " << moments << " moments landed inside " << what
                                   << ": the rest prove nothing";
}

// The write a kill interrupts: `prepare` brings a started Velmora to the click that starts
// it and returns that click; `ended` tells whether the write is over; `underWay` whether the
// files show it under way.
struct Write {
    std::function<std::function<void()>(Velmora&, std::unique_ptr<Manager>&)> prepare;
    std::function<bool(Velmora&, const Manager*)> ended;
    std::function<bool(const wt::ProgramFolder&)> underWay;
    const char* what;
};

// A program folder for one run: the program and a copy of the seed's database.
struct Run {
    explicit Run(const wt::ProgramFolder& seed)
    {
        folder.copyProgram();
        folder.copyIn(seed.file("DB.mdb"), "DB.mdb");
    }
    wt::ProgramFolder folder;
};

// Velmora brought to a write and the write started: `first` is when the files first showed it.
struct StartedWrite {
    StartedWrite(const Write& write, const wt::ProgramFolder& folder) : velmora(folder)
    {
        const std::function<void()> click = write.prepare(velmora, manager);
        if (!click)
            return;
        ended = [this, &write] { return write.ended(velmora, manager.get()); };
        underWay = [&write, &folder] { return write.underWay(folder); };
        click();
        first = WaitToSee(underWay, ended);
    }

    Velmora velmora;
    std::unique_ptr<Manager> manager;
    std::function<bool()> ended, underWay;
    std::optional<Steady::time_point> first;
};

// Times the write three times while the files show it under way, then kills Velmora at
// moments spread over the quickest of those, counted from when the files first show it, and
// checks each time what was left.
void KillDuringWrite(const Write& write)
{
    wt::ProgramFolder seed;
    vt::WriteDatabase(seed);
    vt::RunSql(seed, std::string("DELETE FROM TText; INSERT INTO TText (ID, TText, TSortID) ") +
                         NumberedRows(kTemplates, "模板 ", 8) + "; UPDATE Tconfig SET TSaveDB=1, TSaveDay=7, " +
                         "TASaveDB=0, TDeadDay='" + kOldStamp + "'");
    const Orders orders = OrdersOf(seed);

    std::vector<double> spans;
    for (int timing = 0; timing < 3; ++timing) {
        Run run(seed);
        StartedWrite started(write, run.folder);
        ASSERT_TRUE(started.ended);
        ASSERT_TRUE(started.first) << "the files never showed " << write.what << " under way";
        spans.push_back(SpanUnderWay(*started.first, started.underWay, started.ended));
        std::cout << write.what << " is under way for " << spans.back() << " ms" << std::endl;
    }
    double span = Quickest(spans);

    const int moments = MomentsPerWrite();
    int inside = 0;
    for (int k = 1; k <= moments; ++k) {
        const double at = Moment(span, k, moments);
        SCOPED_TRACE("kill " + std::to_string(k) + "/" + std::to_string(moments) + " at " + std::to_string(at) +
                     " ms into " + write.what);
        Run run(seed);
        {
            StartedWrite started(write, run.folder);
            ASSERT_TRUE(started.ended);
            ASSERT_TRUE(started.first) << "the files never showed " << write.what << " under way";
            const Steady::time_point last = SettleWatching(
                *started.first, *started.first + std::chrono::microseconds(static_cast<long long>(at * 1000)),
                started.underWay);
            started.velmora.process().kill();
            // The process is gone: what a write under way leaves is there for good.
            const bool landed = write.underWay(run.folder);
            inside += landed ? 1 : 0;
            if (!landed)
                Shorten(span, *started.first, last);
            std::cout << "kill " << k << "/" << moments << " at " << at << " ms"
                      << (landed ? std::string(" (inside the write)")
                                 : " (the write had ended, last seen at " +
                                       std::to_string(Milliseconds(last - *started.first).count()) + " ms)")
                      << ": ";
        }
        std::cout << CheckWhatWasLeft(run.folder, orders) << std::endl;
        ExpectNextStartWorks(run.folder);
        if (::testing::Test::HasFatalFailure())
            return;
    }
    ExpectAGoodShareInside(inside, moments, write.what);
}

} // namespace

TEST(KillDuringWrites, TheOrderStoredAsTheManagerCloses)
{
    Write write;
    write.what = "the order's store";
    write.prepare = [](Velmora& velmora, std::unique_ptr<Manager>& manager) -> std::function<void()> {
        if (!velmora.waitForMainWindow(30000))
            return {};
        WaitForFullList(velmora.list());
        manager = std::make_unique<Manager>(velmora);
        if (!manager->window())
            return {};
        WaitForFullList(manager->list());
        manager->dragRow(kDragFrom, kDragTo);
        // The dragged row stands ninth: the order to store differs from the stored one.
        const bool moved =
            wt::WaitUntil([&] { return RowText(manager->list(), kDragTo).rfind("模板 00001 ", 0) == 0; }, 5000);
        EXPECT_TRUE(moved) << "the drag moved nothing";
        if (!moved)
            return {};
        return [&manager] { manager->clickButton("BtnOK"); };
    };
    write.ended = [](Velmora&, const Manager* manager) { return !IsWindowVisible(manager->window()); };
    write.underWay = JournalThere;
    KillDuringWrite(write);
}

TEST(KillDuringWrites, TheBackupMadeAtExit)
{
    Write write;
    write.what = "the backup";
    write.prepare = [](Velmora& velmora, std::unique_ptr<Manager>&) -> std::function<void()> {
        if (!velmora.waitForMainWindow(30000))
            return {};
        WaitForFullList(velmora.list());
        velmora.click(242 + 8, 7 + 8); // the close icon
        auto box = wt::WaitForMessageBox(velmora.pid(), 10000);
        EXPECT_TRUE(box && box->text == "是否想退出系统？") << "no quit question";
        if (!box)
            return {};
        return [box] { wt::Press(*box, IDYES); };
    };
    write.ended = [](Velmora& velmora, const Manager*) { return !velmora.process().running(); };
    write.underWay = BackupUnderWay;
    KillDuringWrite(write);
}

namespace {

const int kTeamRows = 60000;

// A desk whose cache holds an older library of kTeamRows rows, and whose check, at the start,
// finds the server's counter moved and stores the server's library in its place; the
// automatic backup is due at exit.
void WriteTeamDesk(const wt::ProgramFolder& desk, const std::string& connection)
{
    vt::WriteDatabase(desk, {"本机的模板：您好", "本机的模板：再见"});
    const vt::ToolRun connect = vt::RunTool(desk, {"team", "connect", desk.file("DB.mdb"), connection});
    ASSERT_EQ(connect.exitCode, 0u) << connect.output;
    vt::RunSql(desk, "DELETE FROM TTeamText; INSERT INTO TTeamText (ID, TText, TSortID) " +
                         NumberedRows(kTeamRows, "旧的团队模板 ", 2) +
                         "; UPDATE TTeamConfig SET TCounter=-1, TRows=" + std::to_string(kTeamRows) +
                         ", TLastSync='2020-01-01 00:00:00', TLastError='', TCheckSeconds=3600 WHERE TID=1; "
                         "UPDATE Tconfig SET TSaveDB=1, TSaveDay=7, TASaveDB=0, TDeadDay='" +
                         kOldStamp + "'");
}

// Velmora started on a copy of the desk and brought to its quit question while the check runs.
struct TeamRun {
    explicit TeamRun(const wt::ProgramFolder& seed) : run(seed), velmora(run.folder)
    {
        if (!velmora.waitForMainWindow(60000))
            return;
        velmora.click(242 + 8, 7 + 8); // the close icon
        // The store is watched for from the click: it may begin before the question shows.
        const Steady::time_point giveUp = Steady::now() + std::chrono::seconds(30);
        while (!box && Steady::now() < giveUp) {
            if (!first && JournalThere(run.folder))
                first = Steady::now();
            box = wt::WaitForMessageBox(velmora.pid(), 1);
        }
        EXPECT_TRUE(box && box->text == "是否想退出系统？") << "no quit question";
        if (box && first)
            std::cout << "(the store began before the quit question showed) ";
        if (box && !first)
            first = WaitToSee([this] { return JournalThere(run.folder); }, [] { return false; });
    }
    bool ended() { return !velmora.process().running(); }
    void quit()
    {
        wt::Press(*box, IDYES);
        EXPECT_TRUE(velmora.process().waitForExit(60000)) << "Velmora does not end";
        EXPECT_EQ(velmora.process().exitCode(), 0u);
    }

    Run run;
    Velmora velmora;
    std::optional<wt::MessageBoxInfo> box;
    std::optional<Steady::time_point> first;
};

// What a quit left: DB.mdb sound, with the library stored whole or not at all; one backup,
// named by the stamp, that passes the restore's check and VelmoraDb check, holding a whole
// library too. Returns a line saying what it found.
std::string CheckTeamQuit(const wt::ProgramFolder& app)
{
    const std::string db = app.file("DB.mdb");
    EXPECT_FALSE(JournalThere(app)) << "the quit left a write half done";
    EXPECT_EQ(Ask(db, "PRAGMA integrity_check"), "ok");
    const auto library = [](const std::string& path) {
        const std::string rows = Ask(path, "SELECT COUNT(*) FROM TTeamText");
        const std::string old = Ask(path, "SELECT COUNT(*) FROM TTeamText WHERE TText LIKE '旧的团队模板%'");
        EXPECT_EQ(rows, std::to_string(kTeamRows)) << path;
        EXPECT_TRUE(old == "0" || old == rows) << path << ": " << old << " of " << rows << " rows are old ones";
        return old == "0" ? std::string("the server's library") : old == rows ? "the older library" : "MIXED rows";
    };
    std::string found = "DB.mdb holds " + library(db);

    const std::vector<std::string> backups = app.list("DatabackUp", "*.bk");
    EXPECT_EQ(backups.size(), 1u) << "the automatic backup was due";
    for (const std::string& name : backups) {
        const std::string path = app.file("DatabackUp\\" + name);
        const std::string restore = RestoreCheck(path);
        const vt::ToolRun check = vt::RunTool(app, {"check", path});
        EXPECT_EQ(restore, "ok") << name;
        EXPECT_EQ(check.exitCode, 0u) << name << ": " << check.output;
        found += ", backup " + name + " (restore's check " + restore + ", VelmoraDb check exit " +
                 std::to_string(check.exitCode) + ") holds " + library(path);
        const std::string stamp = Ask(db, "SELECT TDeadDay FROM Tconfig WHERE TID = 1");
        EXPECT_TRUE(StampNamesBackup(stamp, name)) << "the stamp " << stamp << " does not name " << name;
    }
    return found;
}

} // namespace

TEST(KillDuringTeamStore, AQuitWhileTheCheckStoresALargeCacheLeavesASoundBackup)
{
    TEAM_SERVER_OR_SKIP(lead, desk);
    std::vector<std::string> library;
    for (int i = 1; i <= kTeamRows; ++i)
        library.push_back("团队模板 " + std::to_string(i) + " " + kReply + kReply);
    {
        TeamServer server(lead);
        server.createTables();
        server.replaceTemplates(library);
    }
    wt::ProgramFolder seed;
    WriteTeamDesk(seed, desk);
    if (::testing::Test::HasFatalFailure())
        return;

    std::vector<double> spans;
    for (int timing = 0; timing < 3; ++timing) {
        TeamRun run(seed);
        ASSERT_TRUE(run.first) << "the files never showed the team library's store under way";
        spans.push_back(SpanUnderWay(
            *run.first, [&run] { return JournalThere(run.run.folder); }, [] { return true; }));
        std::cout << "the team library's store is under way for " << spans.back() << " ms" << std::endl;
        run.quit();
    }
    double span = Quickest(spans);

    const int moments = MomentsPerWrite();
    int inside = 0;
    for (int k = 1; k <= moments; ++k) {
        const double at = Moment(span, k, moments);
        SCOPED_TRACE("quit " + std::to_string(k) + "/" + std::to_string(moments) + " at " + std::to_string(at) +
                     " ms into the team library's store");
        TeamRun run(seed);
        ASSERT_TRUE(run.first) << "the files never showed the team library's store under way";
        const Steady::time_point last =
            SettleWatching(*run.first, *run.first + std::chrono::microseconds(static_cast<long long>(at * 1000)),
                           [&run] { return JournalThere(run.run.folder); });
        const bool landed = JournalThere(run.run.folder);
        const Steady::time_point quitting = Steady::now();
        run.quit();
        inside += landed ? 1 : 0;
        if (!landed)
            Shorten(span, *run.first, last);
        std::cout << "quit " << k << "/" << moments << " at " << at << " ms"
                  << (landed ? std::string(" (inside the store)")
                             : " (the store had ended, last seen at " +
                                   std::to_string(Milliseconds(last - *run.first).count()) + " ms)")
                  << ", ended after " << Milliseconds(Steady::now() - quitting).count()
                  << " ms: " << CheckTeamQuit(run.run.folder) << std::endl;
        if (::testing::Test::HasFatalFailure())
            return;
    }
    ExpectAGoodShareInside(inside, moments, "the team library's store");
}

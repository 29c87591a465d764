// Velmora killed while it writes: the order stored as the template manager closes, and the
// backup made at exit. Whatever the moment, the files it leaves must be sound and the next
// start must work. The kills spread over each write as timed once beforehand;
// VELMORA_KILL_MOMENTS asks for more moments than the quick default (both writes together).
#include "Manager.h"
#include "Velmora.h"

#include <sqlite3.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

using vt::Manager;
using vt::Velmora;
using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::duration<double, std::milli>;

namespace {

const int kTemplates = 3000;
const char kOldStamp[] = "2020-01-01 00:00:00";
// The drag before the manager closes: the first row down onto the ninth, so that an order
// stored only in part shows as two rows with one number.
const int kDragFrom = 0, kDragTo = 8;

int MomentsPerWrite()
{
    const char* asked = std::getenv("VELMORA_KILL_MOMENTS");
    const int all = asked && std::atoi(asked) > 0 ? std::atoi(asked) : 8;
    return std::max(1, all / 2);
}

std::string TemplateText(int number)
{
    char head[32];
    std::snprintf(head, sizeof head, "模板 %04d ", number);
    std::string text = head;
    // Long replies: a database of a few megabytes takes a while to copy.
    for (int i = 0; i < 8; ++i)
        text += "您好,很高兴为您服务,您的订单已经发货,请注意查收。如有其他问题,欢迎随时联系我们。";
    return text;
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
            const std::string check = Ask(path, "PRAGMA integrity_check");
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

void WaitForFullList(HWND list, unsigned timeoutMs = 30000)
{
    EXPECT_TRUE(wt::WaitUntil([&] { return SendMessageW(list, LB_GETCOUNT, 0, 0) == kTemplates; }, timeoutMs))
        << "the list holds " << SendMessageW(list, LB_GETCOUNT, 0, 0) << " rows";
}

void ExpectNextStartWorks(const wt::ProgramFolder& app)
{
    Velmora velmora(app);
    ASSERT_TRUE(velmora.waitForMainWindow(30000)) << "the next start shows no main window";
    WaitForFullList(velmora.list());
    velmora.quitWith(IDYES);
    EXPECT_TRUE(velmora.process().waitForExit(30000)) << "the next start does not end";
    EXPECT_EQ(velmora.process().exitCode(), 0u);
    // What a killed backup left unfinished is gone after the next exit.
    for (const std::string& name : app.list("DatabackUp"))
        EXPECT_TRUE(IsBackupName(name)) << name << " is still in DatabackUp after the next exit";
}

// The write a kill interrupts: `prepare` brings a started Velmora to the click that starts
// it and returns that click; `ended` tells whether the write is over.
struct Write {
    std::function<std::function<void()>(Velmora&, std::unique_ptr<Manager>&)> prepare;
    std::function<bool(Velmora&, const Manager*)> ended;
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

// What the files of the program folder look like now: names, sizes and times of change.
std::string FilesNow(const wt::ProgramFolder& app)
{
    std::string seen;
    for (const char* folder : {"", "DatabackUp\\"}) {
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW(wt::Widen(app.path() + folder + "*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            continue;
        do {
            seen += wt::Narrow(found.cFileName) + ":" + std::to_string(found.nFileSizeLow) + ":" +
                    std::to_string(found.ftLastWriteTime.dwLowDateTime) + ";";
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    return seen;
}

// Waits until the files of `app` differ from `before` (or the write has ended); returns when.
Clock::time_point WaitForChange(const wt::ProgramFolder& app, const std::string& before,
                                const std::function<bool()>& ended)
{
    const Clock::time_point giveUp = Clock::now() + std::chrono::seconds(60);
    while (FilesNow(app) == before && !ended() && Clock::now() < giveUp)
        Sleep(1);
    return Clock::now();
}

void Settle(Clock::time_point until)
{
    while (Clock::now() < until)
        Sleep(1);
}

// Velmora brought to a write and the write started: `first` is when the files first changed.
struct StartedWrite {
    StartedWrite(const Write& write, const wt::ProgramFolder& folder) : velmora(folder)
    {
        const std::function<void()> click = write.prepare(velmora, manager);
        if (!click)
            return;
        ended = [this, &write] { return write.ended(velmora, manager.get()); };
        files = FilesNow(folder);
        click();
        first = WaitForChange(folder, files, ended);
    }
    bool started() const { return static_cast<bool>(ended); }

    Velmora velmora;
    std::unique_ptr<Manager> manager;
    std::function<bool()> ended;
    std::string files; // as they were before the click
    Clock::time_point first;
};

// Times the writes from the first change of the files to the last, then kills Velmora
// at moments spread over that span, counted from the first change, and checks each time what
// was left.
void KillDuringWrite(const Write& write)
{
    wt::ProgramFolder seed;
    std::vector<std::string> texts;
    for (int i = 1; i <= kTemplates; ++i)
        texts.push_back(TemplateText(i));
    vt::WriteDatabase(seed, texts);
    vt::RunSql(seed, std::string("UPDATE Tconfig SET TSaveDB=1, TSaveDay=7, TASaveDB=0, TDeadDay='") + kOldStamp + "'");
    const Orders orders = OrdersOf(seed);

    // The writes, timed three times from the first change the files show to the last; the
    // middle span counts, as one slow or quick run would spread the kills past the writes or
    // crowd them at their start.
    std::vector<double> spans;
    for (int timing = 0; timing < 3; ++timing) {
        double span = 0;
        Run run(seed);
        StartedWrite started(write, run.folder);
        ASSERT_TRUE(started.started());
        std::string files = started.files;
        ASSERT_NE(FilesNow(run.folder), files) << "the write changed no file";
        while (!started.ended() && Clock::now() - started.first < std::chrono::seconds(60)) {
            const std::string now = FilesNow(run.folder);
            if (now != files) {
                span = Milliseconds(Clock::now() - started.first).count();
                files = now;
            }
            Sleep(1);
        }
        std::cout << "the files change during " << span << " ms" << std::endl;
        spans.push_back(span);
    }
    std::sort(spans.begin(), spans.end());
    const double last = spans[1];

    const int moments = MomentsPerWrite();
    for (int k = 1; k <= moments; ++k) {
        // The middle of the k-th of n equal parts of the writes as timed, the span a millisecond
        // earlier (a change is seen a little after it began) and a quarter longer (a run on a
        // busy machine may be slower), so that some kills also come as the writes end.
        const double at = (last * 1.25 + 1) * (k - 0.5) / moments - 1;
        SCOPED_TRACE("kill " + std::to_string(k) + "/" + std::to_string(moments) + " at " + std::to_string(at) +
                     " ms into the writes");
        Run run(seed);
        {
            StartedWrite started(write, run.folder);
            ASSERT_TRUE(started.started());
            Settle(started.first + std::chrono::microseconds(static_cast<long long>(at * 1000)));
            const bool inTime = !started.ended();
            started.velmora.process().kill();
            std::cout << "kill " << k << "/" << moments << " at " << at << " ms"
                      << (inTime ? "" : " (the write had ended)") << ": ";
        }
        std::cout << CheckWhatWasLeft(run.folder, orders) << std::endl;
        ExpectNextStartWorks(run.folder);
        if (::testing::Test::HasFatalFailure())
            return;
    }
}

} // namespace

TEST(KillDuringWrites, TheOrderStoredAsTheManagerCloses)
{
    Write write;
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
            wt::WaitUntil([&] { return RowText(manager->list(), kDragTo).rfind("模板 0001", 0) == 0; }, 5000);
        EXPECT_TRUE(moved) << "the drag moved nothing";
        if (!moved)
            return {};
        return [&manager] { manager->clickButton("BtnOK"); };
    };
    write.ended = [](Velmora&, const Manager* manager) { return !IsWindowVisible(manager->window()); };
    KillDuringWrite(write);
}

TEST(KillDuringWrites, TheBackupMadeAtExit)
{
    Write write;
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
    KillDuringWrite(write);
}

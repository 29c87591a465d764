#pragma once
// The team library's background check: a thread of its own that asks the server, keeps the
// cache in DB.mdb up to date and tells the main window each result with a posted message
// (wParam: the TeamCheckResult). A library read anew is handed over first, before it is
// stored: `rowsMessage` with lParam a TeamSyncThread::Rows the window takes over (its texts
// in order). It has its own connection to DB.mdb and never touches a
// window or the main thread's connection, so a server that does not answer holds nothing up.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

class TeamSyncThread {
public:
    TeamSyncThread() = default;
    ~TeamSyncThread();
    TeamSyncThread(const TeamSyncThread&) = delete;
    TeamSyncThread& operator=(const TeamSyncThread&) = delete;

    // Checks at once, then after each pause; `message` goes to `window` after every check.
    void start(HWND window, UINT message, UINT rowsMessage, const std::string& databasePath);
    // Asks the thread to end and waits while it works on DB.mdb: a store under way gives up at
    // the next row and rolls back, so the close's backup never meets the check's transaction.
    // A thread waiting on the server is left to the process's end: exit does not wait on a
    // network, and the thread writes nothing once it comes back.
    void stop();

    using Rows = std::vector<std::string>;

    // What is left once the stop is seen is one row, a rollback, or a commit already begun:
    // milliseconds, up to a second or so for a large cache on a slow disk. The bound is there
    // only for a disk that stops answering; the close then goes on, and the backup, which the
    // engine copies as committed, waits for the file or says why it could not be made.
    static constexpr DWORD kStopWaitMs = 5000;
    static constexpr DWORD kStopSliceMs = 10;

    // What the thread and the window share (TeamSyncThread.cpp).
    struct Shared;

private:
    std::shared_ptr<Shared> shared_;
    HANDLE thread_ = nullptr;
};

#include "TargetProcess.h"

#include "Handle.h"
#include "Input.h"
#include "Text.h"
#include "Wait.h"
#include "WindowQuery.h"

#include <atomic>
#include <cstdlib>
#include <stdexcept>

namespace wt {

namespace {

const char kTargetTitle[] = "Velmora Target";

std::string TargetExe() { return RequiredEnvironmentPath("VELMORA_TARGET_EXE"); }

std::string NewRecordPath()
{
    static std::atomic<unsigned> counter{0};
    wchar_t folder[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, folder);
    return Narrow(folder) + "velmora-target-" + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(++counter) + ".txt";
}

std::string WorkingFolder(const std::string& exe) { return exe.substr(0, exe.find_last_of('\\') + 1); }

std::string NotepadExe()
{
    wchar_t folder[MAX_PATH + 1];
    GetWindowsDirectoryW(folder, MAX_PATH + 1);
    return Narrow(folder) + "\\notepad.exe";
}

std::vector<std::string> TargetArguments(const std::string& recordPath, bool hangAfterFirstChar,
                                         unsigned slowFirstCharMs)
{
    std::vector<std::string> arguments = {"--record", recordPath};
    if (hangAfterFirstChar)
        arguments.push_back("--hang-after-first-char");
    if (slowFirstCharMs) {
        arguments.push_back("--slow-first-char");
        arguments.push_back(std::to_string(slowFirstCharMs));
    }
    return arguments;
}

} // namespace

TargetProcess::TargetProcess(bool hangAfterFirstChar, unsigned slowFirstCharMs)
    : recordPath_(NewRecordPath()), process_(TargetExe(), WorkingFolder(TargetExe()),
                                             TargetArguments(recordPath_, hangAfterFirstChar, slowFirstCharMs))
{
    window_ = WaitForWindow(pid(), HasTitle(kTargetTitle), 10000);
    if (!window_)
        throw std::runtime_error("the target window did not appear");
    edit_ = FindChild(window_, "Edit");
    if (!edit_)
        throw std::runtime_error("the target window has no edit control");
}

TargetProcess::TargetProcess(TargetKind kind)
    : kind_(kind), recordPath_(kind == TargetKind::Notepad ? "" : NewRecordPath()),
      process_(kind == TargetKind::Notepad ? AppProcess(NotepadExe(), "C:\\")
               : kind == TargetKind::Unicode
                   ? AppProcess(TargetExe(), WorkingFolder(TargetExe()), {"--record-unicode", recordPath_})
               : kind == TargetKind::UnicodeTurningAnsi
                   ? AppProcess(TargetExe(), WorkingFolder(TargetExe()),
                                {"--record-unicode", recordPath_, "--turn-ansi-after-first-char"})
               : kind == TargetKind::AnsiWithSubject
                   ? AppProcess(TargetExe(), WorkingFolder(TargetExe()), {"--record", recordPath_, "--subject-box"})
                   : AppProcess(TargetExe(), WorkingFolder(TargetExe()), TargetArguments(recordPath_, false, 0)))
{
    window_ = WaitForWindow(pid(), kind == TargetKind::Notepad ? HasClass("Notepad") : HasTitle(kTargetTitle), 10000);
    if (!window_)
        throw std::runtime_error("the target window did not appear");
    edit_ = FindChild(window_, "Edit");
    if (!edit_)
        throw std::runtime_error("the target window has no edit control");
}

TargetProcess::~TargetProcess()
{
    stop();
    if (!recordPath_.empty())
        DeleteFileW(Widen(recordPath_).c_str());
}

POINT TargetProcess::editCentre() const { return Centre(WindowRect(edit_)); }

std::vector<unsigned> TargetProcess::recordedChars() const
{
    UniqueHandle file(CreateFileW(Widen(recordPath_).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    std::vector<unsigned> chars;
    if (recordPath_.empty() || !file)
        return chars;
    std::string content;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr) && read > 0)
        content.append(buffer, read);
    // Only complete lines: the target may be writing the next one right now.
    size_t start = 0;
    for (size_t end = content.find('\n'); end != std::string::npos; end = content.find('\n', start)) {
        chars.push_back(static_cast<unsigned>(std::strtoul(content.substr(start, end - start).c_str(), nullptr, 16)));
        start = end + 1;
    }
    return chars;
}

bool TargetProcess::waitForChars(size_t count, unsigned timeoutMs) const
{
    return WaitUntil([&] { return recordedChars().size() >= count; }, timeoutMs);
}

std::string TargetProcess::editText() const { return ControlText(edit_); }

std::wstring TargetProcess::editTextUtf16() const { return ControlTextUtf16(edit_); }

void TargetProcess::setEditText(const std::string& text) const
{
    const std::wstring wide = Widen(text);
    SendMessageTimeoutW(edit_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()), SMTO_ABORTIFHUNG, 2000, nullptr);
}

std::pair<int, int> TargetProcess::editSelection() const
{
    DWORD_PTR range = 0;
    SendMessageTimeoutW(edit_, EM_GETSEL, 0, 0, SMTO_ABORTIFHUNG, 2000, &range);
    return {LOWORD(range), HIWORD(range)};
}

POINT TargetProcess::characterPoint(int index) const
{
    DWORD_PTR position = 0;
    SendMessageTimeoutW(edit_, EM_POSFROMCHAR, static_cast<WPARAM>(index), 0, SMTO_ABORTIFHUNG, 2000, &position);
    // EM_POSFROMCHAR gives the character's top-left corner; the target's font is 16 pixels
    // high, so 6 pixels down is inside the line.
    POINT point{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position)) + 6};
    ClientToScreen(edit_, &point);
    return point;
}

bool TargetProcess::focusEdit()
{
    // Now and then Wine drops the activation that a click into another process's window
    // asks for; a second click, well after the double-click time, takes.
    for (int attempt = 0; attempt < 3; ++attempt) {
        BringToForeground(window_);
        Click(editCentre());
        if (WaitUntil([&] { return GetForegroundWindow() == window_ && FocusOfThreadOf(window_) == edit_; }, 2000))
            return true;
    }
    return false;
}

void TargetProcess::stop()
{
    if (!process_.running())
        return;
    // A hung target (see hangAfterFirstChar) would not answer WM_CLOSE: end it at once.
    // Notepad would ask whether to save what was typed into it: end it at once too.
    if (kind_ == TargetKind::Notepad || !SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 300, nullptr)) {
        process_.kill();
        return;
    }
    PostMessageW(window_, WM_CLOSE, 0, 0);
    if (!process_.waitForExit(2000))
        process_.kill();
}

AppProcess ShowTargetMessageBox(const std::string& caption, const std::string& text, unsigned flags)
{
    char hexFlags[16];
    wsprintfA(hexFlags, "%X", flags);
    const std::string exe = TargetExe();
    return AppProcess(exe, WorkingFolder(exe), {"--message-box", hexFlags, caption, text});
}

} // namespace wt

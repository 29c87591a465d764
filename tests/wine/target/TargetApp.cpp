// VelmoraTarget.exe: the window the Wine tests deliver text into, in a process of its own
// (delivery between processes is what the real program does, and within one process Wine
// converts characters differently).
//
//   VelmoraTarget.exe --record FILE [--hang-after-first-char | --subject-box]
//       A window "Velmora Target" with a Unicode multi-line edit control, subclassed by an
//       ANSI window procedure so that characters sent with SendMessageA arrive as the bytes
//       that were sent (a Chinese character as lead and trail byte). Every WM_CHAR is
//       appended to FILE as one line of hex before the control handles it, so the recording
//       can be read even while this program does not answer.
//       With --hang-after-first-char the program stops handling messages for 60 s after the
//       first character, as a hung program does.
//       With --subject-box a single-line edit control sits above the recording one, and the
//       window gives it the focus whenever the window itself gets it (as a mail program's
//       subject line, say): the recording box keeps the focus only when it is given back to it.
//
//   VelmoraTarget.exe --record-unicode FILE [--turn-ansi-after-first-char]
//       The same window, but the edit control keeps a Unicode window procedure, as most
//       programs have today: every WM_CHAR arrives as one UTF-16 code unit (a character
//       outside the BMP as its high then its low surrogate) and is recorded as such.
//
//       With --turn-ansi-after-first-char the edit control is subclassed anew with an ANSI
//       procedure once it has its first character: an older window from then on.
//   VelmoraTarget.exe --count
//       A window "Velmora Counter" that only counts the WM_CHAR messages it receives (the
//       bytes sent, a Chinese character as two), for the delivery benchmark: the count
//       answers the message WM_APP + 7 (kCountQuery).
//
//   VelmoraTarget.exe --count-unicode
//       The same as a Unicode window "Velmora Unicode Counter" (class
//       VelmoraUnicodeCountingTarget): it counts UTF-16 code units, a Chinese character as one.
//
//   VelmoraTarget.exe --message-box FLAGS CAPTION TEXT
//       Shows MessageBoxW(nullptr, TEXT, CAPTION, FLAGS) (FLAGS in hex) and exits with the
//       button id it returned.
//
//   VelmoraTarget.exe --hold-hotkey LETTER
//       Holds Ctrl+LETTER as a global hotkey until it is ended.
#include <windows.h>

#include <shellapi.h>

#include <cwchar>
#include <string>
#include <vector>

namespace {

const wchar_t kWindowClass[] = L"VelmoraTargetWindow";
const wchar_t kTitle[] = L"Velmora Target";
const int kEditId = 100;

class TargetWindow {
public:
    TargetWindow(const std::wstring& recordPath, DWORD pauseAfterFirstCharMs, bool unicode, bool turnAnsi = false,
                 bool subjectBox = false)
        : pauseAfterFirstCharMs_(pauseAfterFirstCharMs), unicode_(unicode), turnAnsi_(turnAnsi), subjectBox_(subjectBox)
    {
        record_ = CreateFileW(recordPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    ~TargetWindow()
    {
        if (record_ != INVALID_HANDLE_VALUE)
            CloseHandle(record_);
        if (font_)
            DeleteObject(font_);
    }
    TargetWindow(const TargetWindow&) = delete;
    TargetWindow& operator=(const TargetWindow&) = delete;

    bool create(HINSTANCE instance)
    {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = WindowProc;
        windowClass.hInstance = instance;
        windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = kWindowClass;
        if (!RegisterClassW(&windowClass))
            return false;
        window_ = CreateWindowExW(0, kWindowClass, kTitle, WS_OVERLAPPEDWINDOW, 40, 40, 420, 260, nullptr, nullptr,
                                  instance, this);
        if (!window_)
            return false;
        ShowWindow(window_, SW_SHOWNORMAL);
        UpdateWindow(window_);
        return true;
    }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_NCCREATE) {
            auto* self = static_cast<TargetWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
            self->window_ = window;
        }
        auto* self = reinterpret_cast<TargetWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        return self ? self->handleMessage(message, wParam, lParam) : DefWindowProcW(window, message, wParam, lParam);
    }

    static LRESULT CALLBACK EditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<TargetWindow*>(GetWindowLongPtrW(GetParent(edit), GWLP_USERDATA));
        LRESULT result = 0;
        if (message == WM_CHAR) {
            self->onEditChar(wParam);
            result = self->passCharOn(edit, wParam, lParam);
        } else {
            // The edit control's procedure gets the message in the form this one was given it.
            result = self->unicode_ ? CallWindowProcW(self->editProc_, edit, message, wParam, lParam)
                                    : CallWindowProcA(self->editProc_, edit, message, wParam, lParam);
        }
        if (message == WM_CHAR && self->turnAnsi_) {
            // The A function makes the control an ANSI window (IsWindowUnicode says no); the
            // edit control's own procedure stays the one handed the characters.
            self->turnAnsi_ = false;
            self->unicode_ = false;
            SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TargetWindow::EditProc));
        }
        if (message == WM_CHAR && self->pauseAfterFirstCharMs_) {
            const DWORD pause = self->pauseAfterFirstCharMs_;
            self->pauseAfterFirstCharMs_ = 0;
            Sleep(pause);
        }
        return result;
    }

    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam)
    {
        switch (message) {
        case WM_CREATE: return onCreate();
        case WM_SIZE: onSize(LOWORD(lParam), HIWORD(lParam)); return 0;
        case WM_SETFOCUS: SetFocus(subject_ ? subject_ : edit_); return 0;
        case WM_DESTROY: PostQuitMessage(0); return 0;
        default: return DefWindowProcW(window_, message, wParam, lParam);
        }
    }

    LRESULT onCreate()
    {
        edit_ =
            CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                            WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN, 0, 0, 0,
                            0, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEditId)), nullptr, nullptr);
        if (!edit_)
            return -1;
        // Made after the recording box, which stays the first edit control among the children.
        if (subjectBox_)
            subject_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 0, 0, 0,
                                       0, window_, nullptr, nullptr, nullptr);
        // SimSun, so that screenshots show the Chinese text that arrives.
        font_ = CreateFontW(-16, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"SimSun");
        SendMessageW(edit_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
        // Subclassing with the A function makes the edit control an ANSI window (characters sent
        // to it as bytes stay bytes); with the W function it stays a Unicode window.
        const auto proc = reinterpret_cast<LONG_PTR>(&TargetWindow::EditProc);
        editProc_ = reinterpret_cast<WNDPROC>(unicode_ ? SetWindowLongPtrW(edit_, GWLP_WNDPROC, proc)
                                                       : SetWindowLongPtrA(edit_, GWLP_WNDPROC, proc));
        return 0;
    }

    // Hands a byte of code page 936 on to the Unicode edit control: a lead byte waits for
    // its trail byte, and the two go on as one character.
    // A Unicode window gets UTF-16 code units, which go on as they came.
    LRESULT passCharOn(HWND edit, WPARAM byte, LPARAM lParam)
    {
        if (unicode_)
            return CallWindowProcW(editProc_, edit, WM_CHAR, byte, lParam);
        if (leadByte_) {
            const char pair[2] = {static_cast<char>(leadByte_), static_cast<char>(byte)};
            leadByte_ = 0;
            wchar_t character = 0;
            if (MultiByteToWideChar(936, 0, pair, 2, &character, 1) != 1)
                return 0;
            return CallWindowProcW(editProc_, edit, WM_CHAR, character, lParam);
        }
        if (byte >= 0x81 && byte <= 0xFE) {
            leadByte_ = static_cast<unsigned>(byte);
            return 0;
        }
        return CallWindowProcW(editProc_, edit, WM_CHAR, byte, lParam);
    }

    void onSize(int width, int height)
    {
        const int top = subject_ ? 40 : 8;
        if (subject_)
            MoveWindow(subject_, 8, 8, width - 16, 24, TRUE);
        MoveWindow(edit_, 8, top, width - 16, height - top - 8, TRUE);
    }

    void onEditChar(WPARAM character)
    {
        if (record_ == INVALID_HANDLE_VALUE)
            return;
        char line[16];
        const int length = wsprintfA(line, "%X\r\n", static_cast<unsigned>(character));
        DWORD written = 0;
        WriteFile(record_, line, static_cast<DWORD>(length), &written, nullptr);
    }

    HWND window_ = nullptr;
    HWND edit_ = nullptr;
    HWND subject_ = nullptr;
    HFONT font_ = nullptr;
    WNDPROC editProc_ = nullptr;
    HANDLE record_ = INVALID_HANDLE_VALUE;
    DWORD pauseAfterFirstCharMs_; // busy this long in the first WM_CHAR; 0: never
    bool unicode_;
    bool turnAnsi_; // an ANSI window once the first character is in
    bool subjectBox_;
    unsigned leadByte_ = 0;
};

int RunRecorder(HINSTANCE instance, const std::wstring& recordPath, DWORD pauseAfterFirstCharMs, bool unicode,
                bool turnAnsi = false, bool subjectBox = false)
{
    TargetWindow target(recordPath, pauseAfterFirstCharMs, unicode, turnAnsi, subjectBox);
    if (!target.create(instance))
        return 2;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

const UINT kCountQuery = WM_APP + 7;

LRESULT count = 0; // WM_CHAR messages the counting window received

// An ANSI window: a Chinese character sent as lead and trail byte arrives as two messages,
// so the count is the bytes sent.
LRESULT CALLBACK CounterProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CHAR: ++count; return 0;
    case kCountQuery: return count;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

// A Unicode window: one message per UTF-16 code unit.
LRESULT CALLBACK UnicodeCounterProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CHAR: ++count; return 0;
    case kCountQuery: return count;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcW(window, message, wParam, lParam);
    }
}

int RunCounter(HINSTANCE instance)
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = CounterProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = "VelmoraCountingTarget";
    if (!RegisterClassA(&windowClass))
        return 2;
    HWND window = CreateWindowExA(0, windowClass.lpszClassName, "Velmora Counter", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20,
                                  60, 320, 220, nullptr, nullptr, instance, nullptr);
    if (!window)
        return 2;
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}

int RunUnicodeCounter(HINSTANCE instance)
{
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = UnicodeCounterProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = L"VelmoraUnicodeCountingTarget";
    if (!RegisterClassW(&windowClass))
        return 2;
    HWND window =
        CreateWindowExW(0, windowClass.lpszClassName, L"Velmora Unicode Counter", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20,
                        60, 320, 220, nullptr, nullptr, instance, nullptr);
    if (!window)
        return 2;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
        DispatchMessageW(&message);
    return 0;
}

// Holds Ctrl + `letter` as a global hotkey until it is ended; its window, titled
// "VelmoraHotKeyHolder", appears once the registration has succeeded.
int HoldHotKey(wchar_t letter)
{
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    if (!RegisterHotKey(window, 1, MOD_CONTROL, static_cast<UINT>(letter)))
        return 3;
    SetWindowTextW(window, L"VelmoraHotKeyHolder");
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
        DispatchMessageW(&message);
    return 0;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::wstring> args(arguments, arguments + count);
    LocalFree(arguments);

    if (args.size() == 5 && args[1] == L"--message-box") {
        const UINT flags = static_cast<UINT>(std::wcstoul(args[2].c_str(), nullptr, 16));
        return MessageBoxW(nullptr, args[4].c_str(), args[3].c_str(), flags);
    }
    if (args.size() == 2 && args[1] == L"--count")
        return RunCounter(instance);
    if (args.size() == 2 && args[1] == L"--count-unicode")
        return RunUnicodeCounter(instance);
    if ((args.size() == 3 || args.size() == 4) && args[1] == L"--record-unicode")
        return RunRecorder(instance, args[2], 0, true, args.size() == 4 && args[3] == L"--turn-ansi-after-first-char");
    if (args.size() == 3 && args[1] == L"--hold-hotkey")
        return HoldHotKey(args[2][0]);
    if (args.size() >= 3 && args[1] == L"--record") {
        // Hung: no message looked at for a minute. Slow: busy for a while, yet not hung.
        DWORD pause = 0;
        if (args.size() >= 4 && args[3] == L"--hang-after-first-char")
            pause = 60000;
        else if (args.size() >= 5 && args[3] == L"--slow-first-char")
            pause = static_cast<DWORD>(std::wcstoul(args[4].c_str(), nullptr, 10));
        return RunRecorder(instance, args[2], pause, false, false, args.size() == 4 && args[3] == L"--subject-box");
    }
    MessageBoxW(nullptr,
                L"VelmoraTarget.exe --record FILE [--hang-after-first-char | --slow-first-char MS | --subject-box]\n"
                L"VelmoraTarget.exe --record-unicode FILE [--turn-ansi-after-first-char]\n"
                L"VelmoraTarget.exe --count | --count-unicode\n"
                L"VelmoraTarget.exe --message-box FLAGS CAPTION TEXT\n"
                L"VelmoraTarget.exe --hold-hotkey LETTER",
                kTitle, MB_OK);
    return 1;
}

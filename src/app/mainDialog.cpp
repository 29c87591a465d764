#include "app/mainDialog.h"

#include "backup/Backup.h"
#include "common/FunPub.h"
#include "store/ConfigRecord.h"
#include "ui/WinText.h"

std::string AppPath;
TMainFrm* MainFrm = nullptr;

namespace {

const int kClientWidth = 270;
const int kClientHeight = 370;
const int kFrame = 2;

std::string ExecutableFolder()
{
    char path[MAX_PATH * 2] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder = path;
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

} // namespace

TMainFrm::TMainFrm(const TextCodec& codec) : _conn(codec) { MainFrm = this; }

TMainFrm::~TMainFrm()
{
    if (MainFrm == this)
        MainFrm = nullptr;
}

bool TMainFrm::Create()
{
    const int width = kClientWidth + 2 * kFrame;
    const int height = kClientHeight + 2 * kFrame;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    if (!CreateWindowOf(L"TMainFrm", 0, WS_POPUP | WS_CLIPCHILDREN, L"MainFrm", x, y, width, height, nullptr,
                        static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH))))
        return false;
    boxes_.setOwner(hwnd());
    trayPicture_ = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
    trayIcon_.add(hwnd(), trayPicture_);
    FormCreate();
    return !closed_;
}

void TMainFrm::ShowAtStart()
{
    ShowWindow(hwnd(), SW_SHOWNORMAL);
    FormShow();
}

void TMainFrm::FormCreate()
{
    AppPath = ExecutableFolder();
    if (!OpenDatabase())
        return;
    RegisterHotKeyOnce();
}

void TMainFrm::FormShow() {}

bool TMainFrm::OpenDatabase()
{
    try {
        _conn.disconnect();
        const std::string path = AppPath + "DB.mdb";
        _conn.setConnectionText(ConnectionTextFor(path));
        _conn.connect();
        LoadConfig();
        return true;
    } catch (const std::exception& e) {
        boxes_.notice(std::string(Texts::kConnectError) + e.what(), NoticeType::Exclamation);
        SendMessageW(hwnd(), WM_CLOSE, 0, 0);
        return false;
    }
}

void TMainFrm::LoadConfig()
{
    if (ReadConfigRecord(_conn, Config) != ConfigLoad::Loaded) {
        boxes_.notice(Texts::kConfigRowError, NoticeType::Exclamation);
        return;
    }
    ApplyTitleColor();
    trayIcon_.setHint(TrayHintText(Config.THotKeyInt));
}

void TMainFrm::ApplyTitleColor() {}

void TMainFrm::RegisterHotKeyOnce()
{
    const ATOM atom = GlobalAddAtomA("Exe");
    HotKeyId = static_cast<int>(static_cast<unsigned short>(atom)) - 0xC000;
    RegisterHotKey(hwnd(), HotKeyId, MOD_CONTROL, static_cast<UINT>(Config.THotKeyInt));
}

void TMainFrm::UnregisterHotKeyOnce() { UnregisterHotKey(hwnd(), HotKeyId); }

void TMainFrm::HideToTray()
{
    ShowWindow(hwnd(), SW_SHOWMINIMIZED);
    ShowWindow(hwnd(), SW_HIDE);
}

void TMainFrm::ConfirmQuit()
{
    if (!boxes_.question(Texts::kQuitQuestion))
        return;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    SendMessageW(hwnd(), WM_CLOSE, 0, 0);
}

void TMainFrm::FormClose()
{
    if (closed_)
        return;
    closed_ = true;
    UnregisterHotKeyOnce();
    BackupAtExit();
    trayIcon_.remove();
    DestroyWindow(hwnd());
}

LRESULT TMainFrm::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (trayIcon_.handleShellRestart(msg))
        return 0;
    switch (msg) {
    case WM_CLOSE:
        FormClose();
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefaultHandling(msg, wParam, lParam);
    }
}

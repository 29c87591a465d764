#pragma once
// The main window: start-up, the tray icon, the close path.
#include "store/Connection.h"
#include "ui/TrayIcon.h"
#include "ui/WinMessageBoxes.h"
#include "ui/Window.h"

#include <string>

// The program folder, ending in a backslash; recorded once at start.
extern std::string AppPath;

class TMainFrm : public Window {
public:
    explicit TMainFrm(const TextCodec& codec);
    ~TMainFrm() override;

    // Creates the window and runs FormCreate. False when start-up ended on the way
    // (the close path has run then).
    bool Create();
    // The first show at start.
    void ShowAtStart();

    Connection _conn;

    void HideToTray();
    void ConfirmQuit();

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void FormCreate();
    void FormShow();
    void FormClose();
    bool OpenDatabase();
    void LoadConfig();
    void ApplyTitleColor();
    void RegisterHotKeyOnce();
    void UnregisterHotKeyOnce();

    WinMessageBoxes boxes_;
    TrayIcon trayIcon_;
    HICON trayPicture_ = nullptr;
    int HotKeyId = 0;
    bool closed_ = false;
};

extern TMainFrm* MainFrm;

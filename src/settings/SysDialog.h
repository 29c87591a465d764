#pragma once
// The settings dialog TSysFrm: the hotkey letter, the backup policy and the five colours
// of the main window, saved into Config and the Tconfig row.
#include "settings/SettingsLogic.h"
#include "settings/SysLayout.h"
#include "ui/ColourPanel.h"
#include "ui/ControlHook.h"
#include "ui/Gdi.h"
#include "ui/ModalWindow.h"
#include "ui/WinMessageBoxes.h"

#include <array>
#include <memory>

class Connection;

class TSysFrm : public ModalWindow {
public:
    explicit TSysFrm(Connection& connection);

protected:
    ModalFrame Frame() const override;
    void OnCreated() override;
    bool PreTranslate(MSG& msg) override;
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void CreateControls();
    HWND Child(SysControl control) const;
    void FormShow();
    void LoadControls();
    SettingsControls ReadControls() const;
    void PanelClick(int panel);
    void BitBtn1Click();
    void BitBtn2Click();
    void OnCommand(int id, int code);
    static LRESULT DiscardTypingProc(const ControlHook& hook, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    Connection& connection_;
    WinMessageBoxes boxes_;
    Font font_;
    Bitmap illustration_;
    std::array<ColourPanel, 5> panels_;
    std::array<ControlHook, 2> typingHooks_;
    // The colour the picker opens on: the last one confirmed in this opening.
    COLORREF lastPicked_ = RGB(0, 0, 0);
    COLORREF customColours_[16] = {};
};

std::unique_ptr<ModalWindow> NewSettingsDialog(Connection& connection);

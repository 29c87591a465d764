#pragma once
#include "common/FunPub.h"

#include <windows.h>

// The application's title: the executable's file name without its extension.
std::string ApplicationTitle();

// The program's message boxes, owned by one window.
class WinMessageBoxes : public MessageBoxes {
public:
    explicit WinMessageBoxes(HWND owner = nullptr) : owner_(owner) {}
    void setOwner(HWND owner) { owner_ = owner; }

    void notice(const std::string& text, NoticeType type) override;
    bool question(const std::string& text) override;
    void plain(const std::string& text) override;

private:
    HWND owner_;
};

// Any message box: UTF-8 text and caption.
int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags);

// The general error report: a failure no handler caught, shown with its own text.
void ReportError(HWND owner, const char* what);

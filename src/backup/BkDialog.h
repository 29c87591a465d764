#pragma once
// The restore dialog TBkFrm: lists the backups and puts the chosen one in place of DB.mdb,
// after which the program ends.
#include "backup/Backup.h"
#include "ui/Gdi.h"
#include "ui/ModalWindow.h"
#include "backup/WinFiles.h"
#include "ui/WinMessageBoxes.h"

#include <memory>

class TBkFrm : public ModalWindow {
public:
    TBkFrm(Connection& connection, BackupPlaces places);

protected:
    ModalFrame Frame() const override;
    void OnCreated() override;
    bool PreTranslate(MSG& msg) override;
    bool OnSessionEnding() override { return !restoring_; }
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void CreateControls();
    void FormShow();
    void Button1Click();
    // The end after a restore (or a restore that failed with the connection closed): the
    // program's loop stops, without the close path and its exit backup.
    void EndProgram();

    Connection& connection_;
    BackupPlaces places_;
    WinFiles files_;
    WinMessageBoxes boxes_;
    Font font_;
    HWND FileListBox1 = nullptr;
    HWND Button1 = nullptr;
    HWND Label2 = nullptr;
    bool restoring_ = false;
};

std::unique_ptr<ModalWindow> NewRestoreDialog(Connection& connection, const BackupPlaces& places);

#pragma once
// The template manager window TMBFrm: lists, searches, adds, modifies and deletes the
// templates, reorders them by dragging, and stores the order when it closes.
#include "templates/MbLayout.h"
#include "templates/TemplateManager.h"
#include "ui/ControlHook.h"
#include "ui/Gdi.h"
#include "ui/Hints.h"
#include "ui/ModalWindow.h"
#include "ui/SkinnedFrame.h"
#include "ui/WinMessageBoxes.h"

#include <functional>
#include <memory>
#include <optional>

// The line the manager shows on a desk with a team library.
inline constexpr const char* kTeamNoteText = "团队模板由团队负责人维护";

class TMBFrm : public ModalWindow {
public:
    // `mainWindow`: the saving notice is centred over it.
    TMBFrm(Connection& connection, HWND mainWindow);

    // Stores the order as the close does, asking nothing: a failure is raised to the
    // caller. Only the window's own close request asks the user what to do then.
    void SaveOrder();

protected:
    ModalFrame Frame() const override;
    void OnCreated() override;
    bool OnCloseRequest() override;
    bool OnSessionEnding() override;
    bool PreTranslate(MSG& msg) override;
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    // The window (MbDialog.cpp).
    void CreateControls();
    void CreateTeamNote();
    void PaintContent(HDC dc);
    void PaintToolBar(HDC dc);
    std::optional<MbControl> ControlAt(POINT p) const;
    bool HandAt(POINT p) const;
    void OnMouseDown(POINT p);
    void OnMouseUp(POINT p);
    void OnClick(MbControl control);
    void FormShow();
    void FormClose();
    void BtnOKClick();
    void BtnRefreshClick();
    void BtnNewClick();
    void BtnEditClick();
    void BtnCancelClick();
    void Image5Click();
    std::string MemoText() const;
    void SetMemoText(const std::string& utf8);
    void ShowRows();
    void ShowRowsAfter(const std::function<void()>& operation);
    // Add, modify or delete with the memo's text; the memo shows what the operation left.
    void RunOnMemo(const std::function<TemplateResult(std::string&)>& operation);

    // The list and the drag (MbDialog.List.cpp).
    void ListBox1Click();
    void ListBox1DblClick();
    void ListBox1DrawItem(const DRAWITEMSTRUCT& item);
    int CurrentRow() const;
    int RowAt(POINT listPoint) const;
    // The list's mouse while the left button is down: true when the message was taken.
    bool ListMouse(UINT msg, POINT listPoint);
    void ListBox1DragOver(POINT listPoint);
    static LRESULT ListBoxProc(const ControlHook& hook, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    HWND mainWindow_;
    Connection& connection_;
    WinMessageBoxes boxes_;
    TemplateManager manager_;
    Hints hints_;
    SkinnedFrame<MbControl> skin_;
    HWND Edit1 = nullptr;
    HWND ListBox1 = nullptr;
    ControlHook listHook_;
    HWND Memo1 = nullptr;
    // On a desk with a team library: the line saying who keeps the team's templates.
    HWND TeamNote = nullptr;
    POINT pressPoint_ = {};
    bool pressArmed_ = false;
    bool dragging_ = false;
    bool saving_ = false;
    bool askingToClose_ = false;
};

std::unique_ptr<ModalWindow> NewTemplateManager(Connection& connection, HWND mainWindow);

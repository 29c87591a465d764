#include "ui/Hints.h"

#include "ui/Gdi.h"
#include "ui/WinText.h"

namespace {

const wchar_t kClassName[] = L"VelmoraHint";
const UINT_PTR kFirstShowTimer = 1;
const UINT_PTR kRebuildTimer = 2;
const int kPadding = 3;
const int kBelowPointer = 20;

} // namespace

Hints::~Hints()
{
    if (window_)
        DestroyWindow(window_);
    if (font_)
        DeleteObject(font_);
}

void Hints::create(HWND owner)
{
    owner_ = owner;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW wc = {};
    if (!GetClassInfoW(instance, kClassName, &wc)) {
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        wc.lpszClassName = kClassName;
        RegisterClassW(&wc);
    }
    window_ = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kClassName, L"",
                              WS_POPUP | WS_BORDER, 0, 0, 0, 0, owner, nullptr, instance, this);
    font_ = MakeFont(L"宋体", 12).release();
}

void Hints::addArea(const RECT& rect, const std::string& utf8Text) { tools_.push_back({nullptr, rect, Widen(utf8Text)}); }

void Hints::addWindow(HWND child, const std::string& utf8Text) { tools_.push_back({child, {}, Widen(utf8Text)}); }

void Hints::setWindowHint(HWND child, const std::string& utf8Text)
{
    for (size_t i = 0; i < tools_.size(); ++i) {
        if (tools_[i].child != child)
            continue;
        tools_[i].text = Widen(utf8Text);
        // A hint on show takes the new text at once instead of at the next rebuild.
        if (shown_ && current_ == static_cast<int>(i))
            onTimer(kRebuildTimer);
    }
}

int Hints::toolAtPointer(POINT& pointer) const
{
    GetCursorPos(&pointer);
    HWND under = WindowFromPoint(pointer);
    if (under == window_)
        return current_; // the hint itself lies under the pointer: nothing has changed
    for (size_t i = 0; i < tools_.size(); ++i) {
        const Tool& tool = tools_[i];
        if (tool.child) {
            if (under == tool.child)
                return static_cast<int>(i);
        } else if (under == owner_) {
            POINT client = pointer;
            ScreenToClient(owner_, &client);
            if (PtInRect(&tool.area, client))
                return static_cast<int>(i);
        }
    }
    return -1;
}

void Hints::pointerMoved()
{
    POINT pointer;
    const int tool = toolAtPointer(pointer);
    // Hear of the pointer leaving the window it is over, so the hint goes at once.
    TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, WindowFromPoint(pointer), 0};
    if (track.hwndTrack == owner_ || (tool >= 0 && track.hwndTrack == tools_[static_cast<size_t>(tool)].child))
        TrackMouseEvent(&track);
    if (tool < 0) {
        hide();
        return;
    }
    if (shown_ && tool != current_) {
        // Another control: its hint comes with the next rebuild.
        current_ = tool;
        return;
    }
    if (!shown_ && !waiting_) {
        current_ = tool;
        waiting_ = true;
        // The system's usual pause before a first hint.
        SetTimer(window_, kFirstShowTimer, GetDoubleClickTime(), nullptr);
    }
}

void Hints::onTimer(UINT_PTR id)
{
    if (id == kFirstShowTimer) {
        KillTimer(window_, kFirstShowTimer);
        waiting_ = false;
        SetTimer(window_, kRebuildTimer, kRebuildMs, nullptr);
    }
    POINT pointer;
    const int tool = toolAtPointer(pointer);
    if (tool < 0) {
        hide();
        return;
    }
    current_ = tool;
    if (tools_[static_cast<size_t>(tool)].text.empty()) {
        ShowWindow(window_, SW_HIDE);
        shown_ = false;
        return;
    }
    show(tools_[static_cast<size_t>(tool)], pointer);
}

void Hints::show(const Tool& tool, POINT pointer)
{
    SetWindowTextW(window_, tool.text.c_str());
    RECT text = {0, 0, kMaxWidth - 2 * kPadding - 2, 0};
    {
        HDC dc = GetDC(window_);
        SelectGuard font(dc, font_);
        DrawTextW(dc, tool.text.c_str(), -1, &text, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        ReleaseDC(window_, dc);
    }
    int width = text.right + 2 * kPadding + 2;
    int height = text.bottom + 2 * kPadding + 2;
    int x = pointer.x;
    int y = pointer.y + kBelowPointer;
    // Keep it on the screen.
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    if (x + width > screenWidth)
        x = screenWidth - width;
    if (y + height > screenHeight)
        y = pointer.y - height - 4;
    SetWindowPos(window_, HWND_TOPMOST, x, y, width, height, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    InvalidateRect(window_, nullptr, TRUE);
    shown_ = true;
}

void Hints::hide()
{
    KillTimer(window_, kFirstShowTimer);
    KillTimer(window_, kRebuildTimer);
    ShowWindow(window_, SW_HIDE);
    waiting_ = false;
    shown_ = false;
    current_ = -1;
}

void Hints::paint()
{
    PaintGuard paint(window_);
    RECT client;
    GetClientRect(window_, &client);
    FillSolid(paint.dc(), client, kBackground);
    const int length = GetWindowTextLengthW(window_);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(window_, text.data(), length + 1);
    text.resize(static_cast<size_t>(length));
    SelectGuard font(paint.dc(), font_);
    SetBkMode(paint.dc(), TRANSPARENT);
    SetTextColor(paint.dc(), RGB(0, 0, 0));
    InflateRect(&client, -kPadding, -kPadding);
    DrawTextW(paint.dc(), text.c_str(), -1, &client, DT_WORDBREAK | DT_NOPREFIX);
}

LRESULT CALLBACK Hints::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCCREATE)
        SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    auto* self = reinterpret_cast<Hints*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && self->window_) {
        switch (msg) {
        case WM_TIMER: self->onTimer(wParam); return 0;
        case WM_PAINT: self->paint(); return 0;
        case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
        default: break;
        }
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

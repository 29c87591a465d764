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

void Hints::create(HWND owner)
{
    owner_ = owner;
    font_ = MakeFont(L"宋体", 12);
    CreateWindowOf(kClassName, WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, WS_POPUP | WS_BORDER, L"", 0, 0, 0,
                   0, owner);
}

void Hints::addArea(const RECT& rect, const std::string& utf8Text)
{
    tools_.push_back({nullptr, rect, Widen(utf8Text)});
}

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
    if (under == hwnd())
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
        SetTimer(hwnd(), kFirstShowTimer, GetDoubleClickTime(), nullptr);
    }
}

void Hints::onTimer(UINT_PTR id)
{
    if (id == kFirstShowTimer) {
        KillTimer(hwnd(), kFirstShowTimer);
        waiting_ = false;
        SetTimer(hwnd(), kRebuildTimer, kRebuildMs, nullptr);
    }
    POINT pointer;
    const int tool = toolAtPointer(pointer);
    if (tool < 0) {
        hide();
        return;
    }
    current_ = tool;
    if (tools_[static_cast<size_t>(tool)].text.empty()) {
        ShowWindow(hwnd(), SW_HIDE);
        shown_ = false;
        return;
    }
    show(tools_[static_cast<size_t>(tool)], pointer);
}

void Hints::show(const Tool& tool, POINT pointer)
{
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromPoint(pointer, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT work = monitor.rcWork;
    const int maxHeight = work.bottom - work.top;
    if (tool.text != measuredText_ || maxHeight != measuredFor_) {
        SetWindowTextW(hwnd(), tool.text.c_str());
        measure(tool.text, maxHeight);
    }
    const int width = shownSize_.cx;
    const int height = shownSize_.cy;
    int x = pointer.x;
    int y = pointer.y + kBelowPointer;
    // Keep it on the screen; one as tall as the work area starts at its top.
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    if (x + width > screenWidth)
        x = screenWidth - width;
    if (y + height > screenHeight)
        y = pointer.y - height - 4;
    if (y < work.top)
        y = work.top;
    SetWindowPos(hwnd(), HWND_TOPMOST, x, y, width, height, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    InvalidateRect(hwnd(), nullptr, TRUE);
    shown_ = true;
}

void Hints::measure(const std::wstring& text, int maxHeight)
{
    const int frame = 2 * kPadding + 2;
    WindowDc dc(hwnd());
    SelectGuard font(dc.dc(), font_.get());
    auto textRect = [&](const std::wstring& shown) {
        RECT r = {0, 0, kMaxWidth - frame, 0};
        DrawTextW(dc.dc(), shown.c_str(), -1, &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        return r;
    };
    measuredText_ = text;
    measuredFor_ = maxHeight;
    shownText_ = text;
    RECT r = textRect(text);
    if (r.bottom + frame > maxHeight) {
        // The longest beginning that fits with "…" after it (DT_END_ELLIPSIS cuts single lines only).
        size_t fits = 0;
        size_t tooLong = text.size();
        while (tooLong - fits > 1) {
            const size_t middle = (fits + tooLong) / 2;
            if (textRect(text.substr(0, middle) + L"…").bottom + frame <= maxHeight)
                fits = middle;
            else
                tooLong = middle;
        }
        if (fits > 0 && IS_HIGH_SURROGATE(text[fits - 1]))
            --fits;
        shownText_ = text.substr(0, fits) + L"…";
        r = textRect(shownText_);
    }
    shownSize_ = {r.right + frame, r.bottom + frame};
}

void Hints::hide()
{
    KillTimer(hwnd(), kFirstShowTimer);
    KillTimer(hwnd(), kRebuildTimer);
    ShowWindow(hwnd(), SW_HIDE);
    waiting_ = false;
    shown_ = false;
    current_ = -1;
}

void Hints::paint()
{
    PaintGuard paint(hwnd());
    RECT client;
    GetClientRect(hwnd(), &client);
    FillSolid(paint.dc(), client, kBackground);
    SelectGuard font(paint.dc(), font_.get());
    SetBkMode(paint.dc(), TRANSPARENT);
    SetTextColor(paint.dc(), RGB(0, 0, 0));
    InflateRect(&client, -kPadding, -kPadding);
    DrawTextW(paint.dc(), shownText_.c_str(), -1, &client, DT_WORDBREAK | DT_NOPREFIX);
}

LRESULT Hints::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_TIMER: onTimer(wParam); return 0;
    case WM_PAINT: paint(); return 0;
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    default: return DefaultHandling(msg, wParam, lParam);
    }
}

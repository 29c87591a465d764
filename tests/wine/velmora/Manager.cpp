#include "Manager.h"

#include "Menus.h"

#include <cstdlib>

namespace vt {

namespace {

// Tool-bar buttons: left edge and width; all 25 pixels high from y = 403.
struct Button {
    const char* name;
    int left, width;
};
const Button kButtons[] = {
    {"BtnRefresh", 51, 60}, {"BtnNew", 119, 60}, {"BtnEdit", 179, 60}, {"BtnCancel", 239, 60}, {"BtnOK", 307, 76}};

std::string ControlText(HWND control)
{
    const LRESULT length = SendMessageW(control, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(control, WM_GETTEXT, static_cast<WPARAM>(length + 1), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    return wt::Narrow(text);
}

} // namespace

Manager::Manager(Velmora& velmora) : velmora_(velmora)
{
    if (!ChooseTrayItem(TrayItem::Templates))
        return;
    window_ = wt::WaitForWindow(velmora.pid(), wt::HasClass("TMBFrm"), 10000);
    if (!window_)
        return;
    for (HWND child = GetWindow(window_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const std::string kind = wt::ClassName(child);
        if (kind == "ListBox")
            list_ = child;
        else if (kind == "Edit" && (GetWindowLongW(child, GWL_STYLE) & ES_MULTILINE))
            memo_ = child;
        else if (kind == "Edit")
            search_ = child;
    }
}

POINT Manager::screenPoint(int x, int y) const
{
    POINT p = {x, y};
    ClientToScreen(window_, &p);
    return p;
}

void Manager::click(int x, int y) const { wt::Click(screenPoint(x, y)); }

void Manager::clickButton(const std::string& name) const
{
    for (const Button& button : kButtons)
        if (name == button.name)
            click(button.left + button.width / 2, 403 + 12);
}

std::vector<std::string> Manager::rows() const
{
    std::vector<std::string> texts;
    const LRESULT count = SendMessageW(list_, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendMessageW(list_, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        SendMessageW(list_, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<size_t>(length));
        texts.push_back(wt::Narrow(text));
    }
    return texts;
}

RECT Manager::rowRect(int index) const
{
    RECT r = {};
    SendMessageW(list_, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
    MapWindowPoints(list_, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void Manager::doubleClickRow(int index) const
{
    const RECT r = rowRect(index);
    wt::DoubleClick({r.left + 100, (r.top + r.bottom) / 2});
}

void Manager::dragRow(int from, int to) const
{
    const RECT a = rowRect(from);
    const RECT b = rowRect(to);
    wt::Drag({a.left + 100, (a.top + a.bottom) / 2}, {b.left + 100, (b.top + b.bottom) / 2}, wt::MouseButton::Left,
             4 * std::abs(from - to));
}

std::string Manager::memoText() const { return ControlText(memo_); }

void Manager::setMemoText(const std::string& text) const
{
    SendMessageW(memo_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wt::Widen(text).c_str()));
}

void Manager::search(const std::string& text, bool byEnter) const
{
    SendMessageW(search_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wt::Widen(text).c_str()));
    // A row the program never writes: it goes when the list is filled afresh.
    SendMessageW(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"(before the search)"));
    if (byEnter) {
        wt::Click(wt::Centre(wt::WindowRect(search_)));
        wt::PressKey(VK_RETURN);
    } else {
        click(202 + 8, 48 + 8);
    }
    wt::WaitUntil(
        [&] {
            const std::vector<std::string> now = rows();
            return now.empty() || now.back() != "(before the search)";
        },
        5000);
}

} // namespace vt

#include "app/AboutDialog.h"

#include "ui/Gdi.h"
#include "ui/Layout.h"
#include "ui/ModalWindow.h"
#include "ui/WinText.h"

#include <shellapi.h>

namespace {

const char* const kHomePage = "https://velmora.example.com/";

enum class AboutControl {
    Label1,      // the program, its version, makers and support address
    RzURLLabel2, // the home page link
    RzLabel1,    // 关闭
};

const Layout<AboutControl>& AboutLayout()
{
    using K = ControlKind;
    static const Layout<AboutControl> layout = {
        {AboutControl::Label1, K::Label, 8, 10, 376, 150,
         "软件: Velmora\r\n\r\n版本: 1.0\r\n\r\n"
         "制作: Velmora 团队\r\n"
         "献给每天在聊天和邮件里答复客户的你。\r\n"
         "\r\n\r\n\r\n\r\n" // the link lies over these lines
         "支持: support@velmora.example.com",
         "", false},
        {AboutControl::RzURLLabel2, K::Label, 51, 105, 161, 13, kHomePage, "", true},
        {AboutControl::RzLabel1, K::Label, 333, 170, 33, 17, "关闭", "", true},
    };
    return layout;
}

const ControlLayout<AboutControl>& Control(AboutControl id) { return ControlOf(AboutLayout(), id); }

const int kLabelLineStep = 12;
const UINT_PTR kBlinkTimer = 1;
const UINT kBlinkMs = 500;

class TAboutFrm : public ModalWindow {
protected:
    ModalFrame Frame() const override
    {
        return {L"TAboutFrm",
                L"Velmora",
                WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
                WS_EX_DLGMODALFRAME,
                392,
                195,
                GetSysColorBrush(COLOR_BTNFACE)};
    }

    void OnCreated() override { SetTimer(hwnd(), kBlinkTimer, kBlinkMs, nullptr); }

    bool OnCloseRequest() override
    {
        KillTimer(hwnd(), kBlinkTimer);
        return true;
    }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        switch (msg) {
        case WM_PAINT: {
            PaintGuard paint(hwnd());
            PaintContent(paint.dc());
            return 0;
        }
        case WM_TIMER:
            blinkRed_ = !blinkRed_;
            {
                const RECT label = Control(AboutControl::RzLabel1).rect();
                InvalidateRect(hwnd(), &label, FALSE);
            }
            return 0;
        case WM_SETCURSOR:
            if (LOWORD(lParam) == HTCLIENT && ControlAtCursor()) {
                SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND)));
                return TRUE;
            }
            break;
        case WM_LBUTTONUP: {
            const POINT p = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            if (const ControlLayout<AboutControl>* control = ControlAt(p))
                OnClick(control->id);
            return 0;
        }
        default: break;
        }
        return ModalWindow::HandleMessage(msg, wParam, lParam);
    }

private:
    // The clickable control at a client point: the link or the close label.
    static const ControlLayout<AboutControl>* ControlAt(POINT p)
    {
        for (const ControlLayout<AboutControl>& control : AboutLayout())
            if (control.handCursor && control.contains(p))
                return &control;
        return nullptr;
    }

    const ControlLayout<AboutControl>* ControlAtCursor() const
    {
        POINT p;
        GetCursorPos(&p);
        ScreenToClient(hwnd(), &p);
        return ControlAt(p);
    }

    void OnClick(AboutControl control)
    {
        switch (control) {
        case AboutControl::RzLabel1: RequestClose(); break;
        case AboutControl::RzURLLabel2:
            ShellExecuteW(hwnd(), L"open", Widen(kHomePage).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
            break;
        case AboutControl::Label1: break;
        }
    }

    void PaintContent(HDC dc)
    {
        SetBkMode(dc, TRANSPARENT);
        const auto& label = Control(AboutControl::Label1);
        {
            Font font = MakeFont(L"宋体", 12);
            SelectGuard select(dc, font.get());
            SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
            // One line every 12 pixels, the height of the 12-pixel font, whatever face stands in for it.
            const std::wstring text = Widen(label.text);
            int y = label.top;
            for (size_t start = 0; start <= text.size(); y += kLabelLineStep) {
                size_t end = text.find(L"\r\n", start);
                if (end == std::wstring::npos)
                    end = text.size();
                TextOutW(dc, label.left, y, text.c_str() + start, static_cast<int>(end - start));
                start = end + 2;
            }
        }
        const auto& link = Control(AboutControl::RzURLLabel2);
        {
            // 8 points at the screen's 96 dots per inch.
            Font font = MakeFont(L"MS Sans Serif", MulDiv(8, GetDeviceCaps(dc, LOGPIXELSY), 72), false, true);
            SelectGuard select(dc, font.get());
            SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHT));
            RECT r = link.rect();
            DrawTextW(dc, Widen(link.text).c_str(), -1, &r, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
        }
        const auto& close = Control(AboutControl::RzLabel1);
        {
            const RECT r = close.rect();
            Brush fill(CreateSolidBrush(RGB(0, 128, 64)));
            Pen border(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW)));
            SelectGuard brushGuard(dc, fill.get());
            SelectGuard penGuard(dc, border.get());
            RoundRect(dc, r.left, r.top, r.right, r.bottom, 6, 6);
            Font font = MakeFont(L"宋体", 12, false, true);
            SelectGuard select(dc, font.get());
            SetTextColor(dc, blinkRed_ ? RGB(255, 0, 0) : GetSysColor(COLOR_WINDOWTEXT));
            RECT text = r;
            DrawTextW(dc, Widen(close.text).c_str(), -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        }
    }

    bool blinkRed_ = false;
};

} // namespace

std::unique_ptr<ModalWindow> NewAboutWindow() { return std::make_unique<TAboutFrm>(); }

#include "app/TeamJoinDialog.h"

#include "app/PolicyRegistry.h"
#include "app/TeamJoin.h"
#include "common/Protector.h"
#include "store/Connection.h"
#include "store/StoreError.h"
#include "store/TeamConnectionText.h"
#include "store/TeamServer.h"
#include "ui/DpapiProtector.h"
#include "ui/StoreErrorText.h"
#include "ui/WinText.h"

#include <exception>

namespace {

using C = TeamJoinControl;

const UINT_PTR kStateTimer = 1;
const UINT kStateEveryMs = 1000;

struct Probe {
    HWND window;
    std::string text;
};

// Connects and asks the library's size: a wrong password, a missing driver or table, a server
// that does not answer within the login timeout each come back as one sentence.
DWORD WINAPI RunProbe(void* parameter)
{
    std::unique_ptr<Probe> probe(static_cast<Probe*>(parameter));
    auto outcome = std::make_unique<TTeamJoinFrm::Outcome>();
    try {
        TeamServer server(probe->text);
        const TeamServer::Size size = server.size();
        outcome->connected = true;
        outcome->sentence = "连接成功，团队模板库有 " + std::to_string(size.templates) + " 条模板";
    } catch (const TeamError& e) {
        outcome->sentence = TeamErrorText(e);
    } catch (const std::exception&) {
        outcome->sentence = "连接团队模板库的服务器时出错";
    }
    // The window may be gone meanwhile: then the answer goes with this thread.
    if (PostMessageW(probe->window, TTeamJoinFrm::kTested, 0, reinterpret_cast<LPARAM>(outcome.get())))
        outcome.release();
    return 0;
}

} // namespace

TTeamJoinFrm::TTeamJoinFrm(Connection& desk, TeamLibraryChange change)
    : desk_(desk), change_(std::move(change)), skin_(TeamJoinLayout(), C::Panel, TeamJoinLook::kSkin)
{
}

std::unique_ptr<ModalWindow> NewTeamJoinWindow(Connection& desk, TeamLibraryChange change)
{
    return std::make_unique<TTeamJoinFrm>(desk, std::move(change));
}

ModalFrame TTeamJoinFrm::Frame() const
{
    return {L"TTeamJoinFrm",
            L"团队模板库",
            WS_POPUP | WS_CLIPCHILDREN,
            0,
            TeamJoinLook::kClientWidth,
            TeamJoinLook::kClientHeight,
            nullptr};
}

HWND TTeamJoinFrm::Child(TeamJoinControl control) const { return GetDlgItem(hwnd(), TeamJoinControlId(control)); }

void TTeamJoinFrm::OnCreated()
{
    boxes_.setOwner(hwnd());
    CreateControls();
    ShowSetting();
    SetTimer(hwnd(), kStateTimer, kStateEveryMs, nullptr);
}

void TTeamJoinFrm::CreateControls()
{
    skin_.create(hwnd(), hints_);
    HINSTANCE instance = GetModuleHandleW(nullptr);
    for (const ControlLayout<TeamJoinControl>& c : TeamJoinLayout()) {
        const wchar_t* kind = nullptr;
        DWORD style = WS_CHILD | WS_VISIBLE;
        DWORD exStyle = 0;
        int height = c.height;
        switch (c.kind) {
        case ControlKind::Edit:
            kind = L"EDIT";
            style |= WS_TABSTOP | ES_AUTOHSCROLL | (c.id == C::Password ? ES_PASSWORD : 0);
            exStyle = WS_EX_CLIENTEDGE;
            break;
        case ControlKind::ComboBox:
            kind = L"COMBOBOX";
            style |= WS_TABSTOP | CBS_DROPDOWNLIST;
            height = TeamJoinLook::kComboDropHeight;
            break;
        case ControlKind::Button:
            kind = L"BUTTON";
            style |= WS_TABSTOP | BS_PUSHBUTTON;
            break;
        case ControlKind::Label:
            // The state changes; the other labels are painted by the skin.
            if (c.id != C::State)
                continue;
            kind = L"STATIC";
            style |= SS_LEFT | SS_NOPREFIX;
            break;
        default: continue;
        }
        HWND control =
            CreateWindowExW(exStyle, kind, Widen(c.text).c_str(), style, c.left, c.top, c.width, height, hwnd(),
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(TeamJoinControlId(c.id))), instance, nullptr);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(skin_.font()), FALSE);
    }
    for (const char* kind : {"PostgreSQL", "SQL Server"})
        SendMessageW(Child(C::Kind), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(kind).c_str()));
    SendMessageW(Child(C::Kind), CB_SETCURSEL, 0, 0);
    SendMessageW(Child(C::Password), EM_LIMITTEXT, 256, 0);
}

void TTeamJoinFrm::ShowSetting()
{
    // What cannot be read shows as a desk without a team library; the state says why.
    try {
        settings_ = ReadTeamSettings(desk_);
    } catch (const StoreError& e) {
        settings_.reset();
        message_ = "团队模板库的设置读不出（" + StoreErrorText(e) + "）";
    }
    choice_ = ChooseTeam(ReadTeamPolicy(), settings_);
    ownText_.clear();
    std::string shown = choice_.policyConnection;
    if (!choice_.connectionByPolicy && choice_.active) {
        try {
            ownText_ = DpapiProtector().unprotect(settings_->protectedConnection);
            shown = ownText_;
        } catch (const ProtectionError&) {
        }
    }
    if (!shown.empty()) {
        const JoinFields fields = JoinFieldsOf(shown);
        SendMessageW(Child(C::Kind), CB_SETCURSEL, static_cast<WPARAM>(fields.kind), 0);
        SetWindowTextW(Child(C::Server), Widen(fields.server).c_str());
        SetWindowTextW(Child(C::Port), Widen(fields.port).c_str());
        SetWindowTextW(Child(C::Database), Widen(fields.database).c_str());
        SetWindowTextW(Child(C::User), Widen(fields.user).c_str());
    }
    SetWindowTextW(Child(C::Password), L"");
    SetBusy(false);
    ShowState();
}

void TTeamJoinFrm::SetBusy(bool busy)
{
    busy_ = busy;
    const JoinControls controls = JoinControlsFor(choice_);
    for (C field : {C::Server, C::Port, C::Database, C::User})
        SendMessageW(Child(field), EM_SETREADONLY, controls.fieldsEditable ? FALSE : TRUE, 0);
    SendMessageW(Child(C::Password), EM_SETREADONLY, controls.passwordEditable ? FALSE : TRUE, 0);
    EnableWindow(Child(C::Kind), controls.fieldsEditable && !busy);
    EnableWindow(Child(C::Test), controls.canTest && !busy);
    EnableWindow(Child(C::Join), controls.canJoin && !busy);
    EnableWindow(Child(C::Leave), controls.canLeave && !busy);
}

void TTeamJoinFrm::ShowState()
{
    // The check writes DB.mdb now and then: a read that meets it keeps what was shown.
    try {
        settings_ = ReadTeamSettings(desk_);
        choice_ = ChooseTeam(ReadTeamPolicy(), settings_);
    } catch (const StoreError&) {
    }
    std::string text = JoinStateText(choice_, settings_);
    if (!message_.empty())
        text += (text.back() == '\n' ? "" : "\n") + message_ + "。";
    const std::wstring wide = Widen(text);
    if (WindowTextWide(Child(C::State)) != wide)
        SetWindowTextW(Child(C::State), wide.c_str());
}

void TTeamJoinFrm::Say(const std::string& sentence)
{
    message_ = sentence;
    ShowState();
}

std::string TTeamJoinFrm::FieldText(TeamJoinControl control) const
{
    return Utf8FromWide(WindowTextWide(Child(control)));
}

std::string TTeamJoinFrm::ConnectionToUse(std::string& error) const
{
    const std::string password = FieldText(C::Password);
    if (choice_.connectionByPolicy) {
        if (!password.empty() && NeedsPassword(choice_.policyConnection))
            return WithPassword(choice_.policyConnection, password);
        if (!settings_)
            return choice_.policyConnection;
        try {
            DpapiProtector protector;
            return PolicyConnectionText(choice_, *settings_, protector);
        } catch (const ProtectionError& e) {
            error = std::string("保存的密码读不出（") + e.what() + "），请重新输入";
            return {};
        }
    }
    JoinFields fields;
    fields.kind = static_cast<ServerKind>(SendMessageW(Child(C::Kind), CB_GETCURSEL, 0, 0) == 1 ? 1 : 0);
    fields.server = FieldText(C::Server);
    fields.port = FieldText(C::Port);
    fields.database = FieldText(C::Database);
    fields.user = FieldText(C::User);
    fields.password = password;
    const std::string text = JoinConnectionText(fields, error);
    // The stored connection, password and all, when the fields name it and no new password was typed.
    if (!text.empty() && password.empty() && !ownText_.empty() &&
        TeamConnectionIdentity(text) == TeamConnectionIdentity(ownText_))
        return ownText_;
    return text;
}

void TTeamJoinFrm::Ask(bool join)
{
    if (busy_)
        return;
    std::string error;
    const std::string text = ConnectionToUse(error);
    if (join && choice_.connectionByPolicy && FieldText(C::Password).empty()) {
        Say("请输入管理员设置的连接所用的密码");
        return;
    }
    if (text.empty()) {
        Say(error);
        return;
    }
    auto* probe = new Probe{hwnd(), text};
    HANDLE thread = CreateThread(nullptr, 0, RunProbe, probe, 0, nullptr);
    if (!thread) {
        delete probe;
        Say("无法开始连接服务器");
        return;
    }
    CloseHandle(thread);
    joinAfterTest_ = join;
    testedText_ = text;
    SetBusy(true);
    Say("正在连接服务器");
}

void TTeamJoinFrm::OnTested(std::unique_ptr<Outcome> outcome)
{
    SetBusy(false);
    if (!outcome->connected || !joinAfterTest_) {
        Say(outcome->sentence);
        return;
    }
    Join();
}

void TTeamJoinFrm::Join()
{
    // Stored as `VelmoraDb team connect` stores it: protected for this Windows user.
    const std::string text = testedText_;
    testedText_.clear();
    try {
        DpapiProtector protector;
        if (choice_.connectionByPolicy) {
            const std::string password = protector.protect(FieldText(C::Password));
            const std::string identity = choice_.identity;
            change_([&] {
                AdoptTeamCache(desk_, identity);
                StorePolicyPassword(desk_, identity, password);
            });
        } else {
            const std::string stored = protector.protect(text);
            std::string server = TeamServerName(text);
            // The sets chosen with `team connect --sets` stay; the desk gets its name at its first upload.
            const std::vector<std::string> sets = settings_ ? settings_->sets : std::vector<std::string>{};
            change_([&] { ConnectTeamLibrary(desk_, stored, server, TeamConnectionIdentity(text), sets); });
        }
    } catch (const ProtectionError& e) {
        Say(std::string("连接没有保存（") + e.what() + "）");
        return;
    } catch (const std::exception& e) {
        Say("连接没有保存（" + FailureText(e) + "）");
        return;
    }
    message_ = "已连接团队模板库";
    ShowSetting();
}

void TTeamJoinFrm::Leave()
{
    if (busy_ || !boxes_.question("断开后这台电脑不再使用团队模板库，列表中的团队模板也会去掉。是否断开？"))
        return;
    try {
        change_([this] { RemoveTeamLibrary(desk_); });
    } catch (const std::exception& e) {
        Say("没有断开（" + FailureText(e) + "）");
        return;
    }
    message_ = "已断开团队模板库";
    ShowSetting();
}

bool TTeamJoinFrm::PreTranslate(MSG& msg)
{
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
        PostMessageW(hwnd(), WM_CLOSE, 0, 0);
        return true;
    }
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB)
        return IsDialogMessageW(hwnd(), &msg) != FALSE;
    return false;
}

LRESULT TTeamJoinFrm::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    const POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    LRESULT painted = 0;
    if (HandlePaintMessages(hwnd(), msg, wParam, painted,
                            [this](HDC dc) { skin_.paint(dc, TeamJoinLook::kHeaderColour); }))
        return painted;
    switch (msg) {
    case WM_LBUTTONDOWN: skin_.press(skin_.controlAt(point)); return 0;
    case WM_LBUTTONUP:
        if (skin_.release(skin_.controlAt(point)) == C::Close)
            PostMessageW(hwnd(), WM_CLOSE, 0, 0);
        return 0;
    case WM_MOUSEMOVE:
    case WM_MOUSELEAVE: hints_.pointerMoved(); return 0;
    case WM_SETCURSOR:
        if (skin_.setCursor(wParam, lParam))
            return TRUE;
        break;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) {
            const int id = LOWORD(wParam);
            if (id == TeamJoinControlId(C::Test))
                Ask(false);
            else if (id == TeamJoinControlId(C::Join))
                Ask(true);
            else if (id == TeamJoinControlId(C::Leave))
                Leave();
            return 0;
        }
        break;
    case WM_TIMER:
        if (wParam == kStateTimer && !busy_)
            ShowState();
        return 0;
    case kTested: OnTested(std::unique_ptr<Outcome>(reinterpret_cast<Outcome*>(lParam))); return 0;
    case WM_CTLCOLORSTATIC:
        // The state lies on the white panel; a read-only field keeps the system's grey, so that
        // it does not look as if it could be typed in.
        if (reinterpret_cast<HWND>(lParam) == Child(C::State)) {
            SetBkColor(reinterpret_cast<HDC>(wParam), RGB(255, 255, 255));
            return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
        }
        break;
    case WM_DESTROY: KillTimer(hwnd(), kStateTimer); break;
    default: break;
    }
    return ModalWindow::HandleMessage(msg, wParam, lParam);
}

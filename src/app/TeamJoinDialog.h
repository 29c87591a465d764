#pragma once
// The join window "团队模板库…" (from the tray menu): an agent joins the team library, tests
// the connection or leaves it without a command line, and sees how the desk stands. Under a
// policy it shows IT's connection, read-only, and takes only a password the policy left out.
// The server is asked on a thread of its own: the window keeps answering, and a login waits no
// longer than the login timeout.
#include "app/TeamJoinLayout.h"
#include "app/TeamPolicy.h"
#include "ui/Hints.h"
#include "ui/ModalWindow.h"
#include "ui/SkinnedFrame.h"
#include "ui/WinMessageBoxes.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

class Connection;

// Stops the background check, runs the change on DB.mdb, then lists again and checks at once
// (or lets the team's rows go). Raises what the change raises.
using TeamLibraryChange = std::function<void(const std::function<void()>&)>;

class TTeamJoinFrm : public ModalWindow {
public:
    TTeamJoinFrm(Connection& desk, TeamLibraryChange change);

    // The answer of a test on its thread (lParam: an Outcome, taken over).
    static const UINT kTested = WM_APP + 40;
    struct Outcome {
        bool connected = false;
        std::string sentence;
    };

protected:
    ModalFrame Frame() const override;
    void OnCreated() override;
    bool PreTranslate(MSG& msg) override;
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    HWND Child(TeamJoinControl control) const;
    void CreateControls();
    void ShowSetting();
    void ShowState();
    std::string FieldText(TeamJoinControl control) const;
    // The connection the buttons use; empty, with the sentence why, when there is none.
    std::string ConnectionToUse(std::string& error) const;
    void Ask(bool join);
    void OnTested(std::unique_ptr<Outcome> outcome);
    void Join();
    void Leave();
    void SetBusy(bool busy);
    void Say(const std::string& sentence);

    Connection& desk_;
    TeamLibraryChange change_;
    WinMessageBoxes boxes_;
    Hints hints_;
    SkinnedFrame<TeamJoinControl> skin_;
    TeamChoice choice_;
    std::optional<TeamSettings> settings_;
    // The desk's own connection as stored, read back: a join or a test with the password left
    // empty uses its password when the fields name the same connection.
    std::string ownText_;
    std::string message_; // the last test's or join's sentence
    bool busy_ = false;
    bool joinAfterTest_ = false;
    std::string testedText_;
};

std::unique_ptr<ModalWindow> NewTeamJoinWindow(Connection& desk, TeamLibraryChange change);

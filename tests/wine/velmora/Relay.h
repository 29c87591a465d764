// A relay of the test's own between a desk and the team library's server: it forwards every
// connection on a loopback port to the server's port, and can be closed and opened again, so
// that a test takes the server away from a desk (and gives it back) while the real server,
// shared by the other cases, keeps running; or makes the server answer a byte at a time.
#pragma once

// Before windows.h, which the others bring in.
#include <winsock2.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace vt {

// The port named by `Port=` in an ODBC connection text; 0 when it names none.
int PortOf(const std::string& connectionText);
// The connection text with its `Port=` naming `port` instead.
std::string WithPort(const std::string& connectionText, int port);

// A listener on a free loopback port that takes connections and never says a word: a server
// that accepts and then does not answer.
class SilentListener {
public:
    SilentListener();
    ~SilentListener();
    SilentListener(const SilentListener&) = delete;
    SilentListener& operator=(const SilentListener&) = delete;
    int port() const { return port_; }

private:
    SOCKET socket_ = INVALID_SOCKET;
    int port_ = 0;
};

class Relay {
public:
    // Listens on a free loopback port and forwards to `serverPort` on loopback.
    explicit Relay(int serverPort);
    ~Relay();
    Relay(const Relay&) = delete;
    Relay& operator=(const Relay&) = delete;

    int port() const { return port_; }
    bool listening() const { return listening_; }
    // Stops listening and breaks every live connection at once, as a server that went away:
    // the desk's connection drops and new connects are refused. Returns when it is so.
    void close();
    // Listens again on the same port; false when the port could not be had again.
    bool open();
    // From now on, each connection gets the server's first `bytes` as they come and the rest
    // one byte every `everyMs`: a server (or a network) that answers, slowly enough to stall.
    void dribbleAfter(size_t bytes, unsigned everyMs);
    // Everything held back goes at once, and from now on as it comes.
    void flow();
    // Once: the connection on which the desk next sends `marker` (a statement's words, as the
    // driver sends them in clear) has it reach the server, then breaks before the server's
    // answer reaches the desk, as a network that fails just after a commit went out. Other
    // connections go on.
    void breakAfterDeskSends(const std::string& marker);
    // Connections broken that way so far.
    int breaks() const { return breaks_; }

private:
    struct Pair {
        SOCKET desk = INVALID_SOCKET;
        SOCKET server = INVALID_SOCKET;
        size_t fromServer = 0; // bytes the desk has been sent
        std::string held;      // the server's bytes not yet sent on
        ULONGLONG dripped = 0; // when the last held byte went
        ULONGLONG breakAt = 0; // when to break it; 0: not to
    };
    // Sends what the server said to the desk, or holds it back; false when the desk is gone.
    bool toDesk(Pair& pair, const char* data, int size);
    bool drip(Pair& pair);
    void run();
    bool listen();
    void accept();
    void closeAll();

    int serverPort_ = 0;
    int port_ = 0;
    SOCKET listener_ = INVALID_SOCKET;
    std::vector<Pair> pairs_; // the relay thread's only
    std::atomic<bool> wantOpen_{true};
    std::atomic<bool> listening_{false};
    std::atomic<bool> openFailed_{false};
    std::atomic<bool> ending_{false};
    std::atomic<size_t> dribbleAfter_{static_cast<size_t>(-1)};
    std::atomic<unsigned> dribbleMs_{0};
    std::string breakMarker_; // the relay thread's once set: breakArmed_ tells when
    std::atomic<bool> breakArmed_{false};
    std::atomic<int> breaks_{0};
    std::thread thread_;
};

} // namespace vt

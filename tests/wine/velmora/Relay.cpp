#include "Relay.h"

#include "Driver.h"

#include <algorithm>
#include <stdexcept>

namespace vt {

namespace {

sockaddr_in Loopback(int port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<u_short>(port));
    return address;
}

// Closed with a reset rather than a goodbye: the other end sees the connection break, as when
// a server or the network goes away, and the port keeps no waiting connections behind.
void Abort(SOCKET socket)
{
    linger now{1, 0};
    setsockopt(socket, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&now), sizeof now);
    closesocket(socket);
}

bool SendAll(SOCKET socket, const char* data, int size)
{
    while (size > 0) {
        const int sent = send(socket, data, size, 0);
        if (sent <= 0)
            return false;
        data += sent;
        size -= sent;
    }
    return true;
}

} // namespace

int PortOf(const std::string& connectionText)
{
    const size_t key = connectionText.find("Port=");
    return key == std::string::npos ? 0 : std::atoi(connectionText.c_str() + key + 5);
}

std::string WithPort(const std::string& connectionText, int port)
{
    std::string text = connectionText;
    const size_t key = text.find("Port=");
    if (key != std::string::npos) {
        const size_t end = text.find(';', key);
        text.replace(key, (end == std::string::npos ? text.size() : end) - key, "Port=" + std::to_string(port));
    }
    return text;
}

SilentListener::SilentListener()
{
    WSADATA wsa;
    if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0)
        throw std::runtime_error("WSAStartup failed");
    socket_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = Loopback(0);
    int length = sizeof address;
    if (socket_ == INVALID_SOCKET || bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(socket_, 8) != 0 || getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (socket_ != INVALID_SOCKET)
            closesocket(socket_);
        WSACleanup();
        throw std::runtime_error("the silent listener cannot listen on loopback");
    }
    port_ = ntohs(address.sin_port);
}

SilentListener::~SilentListener()
{
    closesocket(socket_);
    WSACleanup();
}

Relay::Relay(int serverPort) : serverPort_(serverPort)
{
    WSADATA wsa;
    if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0)
        throw std::runtime_error("WSAStartup failed");
    if (!listen()) {
        WSACleanup();
        throw std::runtime_error("the relay cannot listen on loopback");
    }
    thread_ = std::thread([this] { run(); });
}

Relay::~Relay()
{
    ending_ = true;
    thread_.join();
    closeAll();
    WSACleanup();
}

bool Relay::listen()
{
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (listener_ == INVALID_SOCKET)
        return false;
    const BOOL reuse = TRUE;
    setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse), sizeof reuse);
    sockaddr_in address = Loopback(port_);
    int length = sizeof address;
    if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listener_, 16) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        closesocket(listener_);
        listener_ = INVALID_SOCKET;
        return false;
    }
    port_ = ntohs(address.sin_port);
    listening_ = true;
    return true;
}

void Relay::close()
{
    wantOpen_ = false;
    wt::WaitUntil([&] { return !listening_; }, 5000);
}

bool Relay::open()
{
    openFailed_ = false;
    wantOpen_ = true;
    wt::WaitUntil([&] { return listening_ || openFailed_; }, 5000);
    return listening_;
}

void Relay::dribbleAfter(size_t bytes, unsigned everyMs)
{
    dribbleMs_ = everyMs;
    dribbleAfter_ = bytes;
}

void Relay::flow() { dribbleAfter_ = static_cast<size_t>(-1); }

void Relay::breakAfterDeskSends(const std::string& marker)
{
    breakMarker_ = marker;
    breakArmed_ = true;
}

bool Relay::toDesk(Pair& pair, const char* data, int size)
{
    const size_t after = dribbleAfter_;
    if (pair.held.empty() && pair.fromServer < after) {
        const int now = static_cast<int>(std::min<size_t>(static_cast<size_t>(size), after - pair.fromServer));
        if (!SendAll(pair.desk, data, now))
            return false;
        pair.fromServer += static_cast<size_t>(now);
        data += now;
        size -= now;
    }
    pair.held.append(data, static_cast<size_t>(size));
    return drip(pair);
}

bool Relay::drip(Pair& pair)
{
    if (pair.held.empty())
        return true;
    size_t bytes = pair.held.size();
    if (dribbleAfter_ != static_cast<size_t>(-1)) {
        if (GetTickCount64() - pair.dripped < dribbleMs_)
            return true;
        bytes = 1;
    }
    if (!SendAll(pair.desk, pair.held.data(), static_cast<int>(bytes)))
        return false;
    pair.held.erase(0, bytes);
    pair.fromServer += bytes;
    pair.dripped = GetTickCount64();
    return true;
}

void Relay::closeAll()
{
    if (listener_ != INVALID_SOCKET)
        closesocket(listener_);
    listener_ = INVALID_SOCKET;
    for (const Pair& pair : pairs_) {
        Abort(pair.desk);
        Abort(pair.server);
    }
    pairs_.clear();
    listening_ = false;
}

void Relay::accept()
{
    const SOCKET desk = ::accept(listener_, nullptr, nullptr);
    if (desk == INVALID_SOCKET)
        return;
    const SOCKET server = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    const sockaddr_in address = Loopback(serverPort_);
    if (server == INVALID_SOCKET || connect(server, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        if (server != INVALID_SOCKET)
            closesocket(server);
        Abort(desk);
        return;
    }
    Pair pair;
    pair.desk = desk;
    pair.server = server;
    pair.dripped = GetTickCount64();
    pairs_.push_back(pair);
}

// One thread does it all, so the sockets are only ever touched by it: a close from the test's
// thread is a wish it carries out between two waits.
void Relay::run()
{
    std::vector<char> buffer(64 * 1024);
    while (!ending_) {
        if (!wantOpen_ && listening_)
            closeAll();
        if (wantOpen_ && !listening_ && !openFailed_ && !listen())
            openFailed_ = true;
        fd_set readable;
        FD_ZERO(&readable);
        if (listener_ != INVALID_SOCKET)
            FD_SET(listener_, &readable);
        for (const Pair& pair : pairs_) {
            FD_SET(pair.desk, &readable);
            FD_SET(pair.server, &readable);
        }
        timeval wait{0, 20 * 1000};
        if (readable.fd_count == 0) {
            Sleep(20);
            continue;
        }
        const int ready = select(0, &readable, nullptr, nullptr, &wait);
        // A desk gone meanwhile shows at the next wait, as readable with nothing to read.
        for (Pair& pair : pairs_)
            drip(pair);
        // A connection to break goes whether or not anything came meanwhile.
        for (size_t i = 0; i < pairs_.size();) {
            if (pairs_[i].breakAt != 0 && GetTickCount64() >= pairs_[i].breakAt) {
                Abort(pairs_[i].desk);
                Abort(pairs_[i].server);
                ++breaks_;
                pairs_.erase(pairs_.begin() + static_cast<long>(i));
            } else {
                ++i;
            }
        }
        if (ready <= 0)
            continue;
        if (listener_ != INVALID_SOCKET && FD_ISSET(listener_, &readable))
            accept();
        for (size_t i = 0; i < pairs_.size();) {
            bool ended = false;
            Pair& pair = pairs_[i];
            if (FD_ISSET(pair.desk, &readable)) {
                const int got = recv(pair.desk, buffer.data(), static_cast<int>(buffer.size()), 0);
                ended = got <= 0 || !SendAll(pair.server, buffer.data(), got);
                if (!ended && breakArmed_ &&
                    std::string(buffer.data(), static_cast<size_t>(got)).find(breakMarker_) != std::string::npos) {
                    breakArmed_ = false;
                    // Time for the server to carry it out; its answer is dropped meanwhile.
                    pair.breakAt = GetTickCount64() + 500;
                }
            }
            if (!ended && FD_ISSET(pair.server, &readable)) {
                const int got = recv(pair.server, buffer.data(), static_cast<int>(buffer.size()), 0);
                ended = got <= 0 || (pair.breakAt == 0 && !toDesk(pair, buffer.data(), got));
            }
            if (ended) {
                // One end said goodbye (or broke): the other is told the same way.
                closesocket(pairs_[i].desk);
                closesocket(pairs_[i].server);
                pairs_.erase(pairs_.begin() + static_cast<long>(i));
            } else {
                ++i;
            }
        }
    }
}

} // namespace vt

#include "delay_proxy.h"

#include <algorithm>
#include <arpa/inet.h>
#include <deque>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

sockaddr_in loopback(int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(uint16_t(port));
    return a;
}

// Small writes must not wait for each other: the delay is the proxy's to add.
void noDelay(int s) {
    const int on = 1;
    ::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

bool sendAll(int s, const std::string& bytes) {
    for (size_t sent = 0; sent < bytes.size();) {
        const ssize_t n = ::send(s, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        sent += size_t(n);
    }
    return true;
}

// Copies from to to, each read held until oneWay after it came (first held longer by extra), in
// the order read; then passes the end of the stream on.
void pump(int from, int to, std::chrono::milliseconds oneWay, std::chrono::milliseconds extra) {
    std::deque<std::pair<Clock::time_point, std::string>> held;
    Clock::time_point lastDue{};
    bool reading = true;
    for (;;) {
        while (!held.empty() && held.front().first <= Clock::now()) {
            if (!sendAll(to, held.front().second)) {
                ::shutdown(from, SHUT_RD);
                return;
            }
            held.pop_front();
        }
        if (!reading && held.empty())
            break;
        int waitMs = -1; // nothing held: until something comes
        if (!held.empty()) {
            const auto left = held.front().first - Clock::now();
            waitMs = std::max(0, int(std::chrono::ceil<std::chrono::milliseconds>(left).count()));
        }
        pollfd p{from, POLLIN, 0};
        if (::poll(&p, reading ? 1 : 0, waitMs) <= 0)
            continue;
        char buffer[64 * 1024];
        const ssize_t n = ::read(from, buffer, sizeof buffer);
        if (n <= 0) {
            reading = false;
            continue;
        }
        lastDue = std::max(Clock::now() + oneWay + extra, lastDue);
        extra = {};
        held.emplace_back(lastDue, std::string(buffer, size_t(n)));
    }
    ::shutdown(to, SHUT_WR);
}

} // namespace

DelayProxy::DelayProxy(int targetPort, std::chrono::milliseconds oneWay)
    : targetPort_(targetPort), oneWay_(oneWay) {
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = loopback(0);
    ::bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::listen(listener_, 64);
    socklen_t len = sizeof a;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(a.sin_port);
    acceptor_ = std::thread([this] { accepting(); });
}

DelayProxy::~DelayProxy() {
    ::shutdown(listener_, SHUT_RDWR);
    acceptor_.join();
    ::close(listener_);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (const int s : open_)
            ::shutdown(s, SHUT_RDWR);
    }
    for (Relay& r : relays_)
        r.thread.join();
}

void DelayProxy::accepting() {
    for (;;) {
        const int client = ::accept(listener_, nullptr, nullptr);
        if (client < 0)
            return;
        // Relays that have ended are joined here, so a long benchmark does not pile them up.
        relays_.remove_if([](Relay& r) {
            if (!r.done->load())
                return false;
            r.thread.join();
            return true;
        });
        auto done = std::make_shared<std::atomic<bool>>(false);
        relays_.push_back({std::thread([this, client, done] {
                               relay(client);
                               done->store(true);
                           }),
                           done});
    }
}

void DelayProxy::track(int socket, bool open) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (open)
        open_.insert(socket);
    else
        open_.erase(socket);
}

void DelayProxy::relay(int client) {
    const int server = ::socket(AF_INET, SOCK_STREAM, 0);
    track(client, true);
    track(server, true);
    const sockaddr_in target = loopback(targetPort_);
    if (::connect(server, reinterpret_cast<const sockaddr*>(&target), sizeof target) == 0) {
        noDelay(client);
        noDelay(server);
        std::thread back([&] { pump(server, client, oneWay_, {}); });
        pump(client, server, oneWay_, 2 * oneWay_);
        back.join();
    }
    track(client, false);
    track(server, false);
    ::close(client);
    ::close(server);
}

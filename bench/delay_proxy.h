#pragma once

#include <atomic>
#include <chrono>
#include <list>
#include <memory>
#include <mutex>
#include <set>
#include <thread>

// A TCP relay on 127.0.0.1 in front of a loopback server that holds whatever passes through it
// for oneWay in each direction, so that a round trip costs what it does across a network. A new
// connection's first bytes wait one round trip more, for the TCP handshake that loopback
// completes at once. The kernel's traffic shaper (tc netem) would do this better but needs a
// module this machine lacks.
class DelayProxy {
public:
    DelayProxy(int targetPort, std::chrono::milliseconds oneWay);
    ~DelayProxy();
    DelayProxy(const DelayProxy&) = delete;
    DelayProxy& operator=(const DelayProxy&) = delete;

    int port() const { return port_; }

private:
    struct Relay {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    void accepting();
    void relay(int client);
    void track(int socket, bool open);

    int targetPort_;
    std::chrono::milliseconds oneWay_;
    int listener_ = -1;
    int port_ = 0;
    std::thread acceptor_;
    std::mutex mutex_;
    std::set<int> open_; // the relays' sockets, shut down when the proxy goes
    std::list<Relay> relays_;
};

#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace httplib {
class Server;
}

// A real HTTP server on 127.0.0.1 for the tests: each test registers the pages it needs and
// reads back the request log afterwards. Nothing leaves the machine.
class FixtureServer {
public:
    struct Page {
        Page() = default;
        Page(int status, QByteArray contentType, QByteArray body, int delayMs = 0,
             QByteArray location = {})
            : status(status), contentType(std::move(contentType)), body(std::move(body)),
              delayMs(delayMs), location(std::move(location)) {}

        int status = 200;
        QByteArray contentType = "text/html";
        QByteArray body;
        int delayMs = 0;
        QByteArray location; // redirect target, with status 301/302
    };

    FixtureServer();
    ~FixtureServer();

    // Serves page for every request whose path (without query) equals path.
    void add(const std::string& path, Page page);
    // Serves whatever produce returns for requests to path; it sees the raw request target.
    void add(const std::string& path, std::function<Page(const std::string& target)> produce);

    int port() const { return port_; }
    QString base() const; // "http://127.0.0.1:PORT"

    // Raw request targets (path and query, as sent) in arrival order.
    QStringList requests() const;
    void clearRequests();

private:
    std::unique_ptr<httplib::Server> server_;
    std::thread thread_;
    int port_ = 0;
    mutable std::mutex mutex_;
    QStringList log_;
    std::map<std::string, std::function<Page(const std::string&)>> routes_;
};

// A bare TCP listener on 127.0.0.1 for the failures HTTP libraries will not produce: it reads
// one request, answers with reply (may be empty) and then closes the connection, with a reset
// when reset is set.
class RawServer {
public:
    RawServer(QByteArray reply, bool reset);
    ~RawServer();
    QString base() const;

private:
    int listener_ = -1;
    int port_ = 0;
    std::thread thread_;
};

#include "fixture_server.h"

#include <arpa/inet.h>
#include <chrono>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

FixtureServer::FixtureServer() : server_(std::make_unique<httplib::Server>()) {
    server_->set_keep_alive_max_count(1);
    server_->set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
        std::function<Page(const std::string&)> produce;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            log_ << QString::fromStdString(req.target);
            const auto it = routes_.find(req.path);
            if (it != routes_.end())
                produce = it->second;
        }
        if (!produce) {
            res.status = 404;
            res.set_content("no such fixture page", "text/plain");
            return httplib::Server::HandlerResponse::Handled;
        }
        const Page page = produce(req.target);
        if (page.delayMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(page.delayMs));
        res.status = page.status;
        if (!page.location.isEmpty())
            res.set_header("Location", page.location.toStdString());
        res.set_content(page.body.toStdString(), page.contentType.toStdString());
        return httplib::Server::HandlerResponse::Handled;
    });
    port_ = server_->bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_->listen_after_bind(); });
    while (!server_->is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

FixtureServer::~FixtureServer() {
    server_->stop();
    thread_.join();
}

void FixtureServer::add(const std::string& path, Page page) {
    add(path, [page](const std::string&) { return page; });
}

void FixtureServer::add(const std::string& path,
                        std::function<Page(const std::string& target)> produce) {
    std::lock_guard<std::mutex> lock(mutex_);
    routes_[path] = std::move(produce);
}

QString FixtureServer::base() const {
    return QStringLiteral("http://127.0.0.1:%1").arg(port_);
}

QStringList FixtureServer::requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return log_;
}

void FixtureServer::clearRequests() {
    std::lock_guard<std::mutex> lock(mutex_);
    log_.clear();
}

RawServer::RawServer(QByteArray reply, bool reset) {
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    ::listen(listener_, 4);
    socklen_t len = sizeof addr;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    thread_ = std::thread([this, reply, reset] {
        const int c = ::accept(listener_, nullptr, nullptr);
        if (c < 0)
            return;
        char buf[4096];
        std::string request;
        while (request.find("\r\n\r\n") == std::string::npos) {
            const ssize_t n = ::read(c, buf, sizeof buf);
            if (n <= 0)
                break;
            request.append(buf, size_t(n));
        }
        if (!reply.isEmpty())
            (void)!::write(c, reply.constData(), size_t(reply.size()));
        if (reset) {
            linger l{1, 0}; // closing with a zero linger sends RST instead of FIN
            ::setsockopt(c, SOL_SOCKET, SO_LINGER, &l, sizeof l);
        }
        ::close(c);
    });
}

RawServer::~RawServer() {
    ::shutdown(listener_, SHUT_RDWR);
    ::close(listener_);
    thread_.join();
}

QString RawServer::base() const {
    return QStringLiteral("http://127.0.0.1:%1").arg(port_);
}

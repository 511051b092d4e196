#include "net/whois_client.h"

#include "base/tool_error.h"
#include "net/resolver.h"
#include "net/stoppable_call.h"

#include <QUrl>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kStopPollMs = 50;

struct Socket {
    int fd = -1;
    ~Socket() {
        if (fd >= 0)
            ::close(fd);
    }
};

QString where(const HostPort& server) {
    return server.host.contains(u':') ? QStringLiteral("[%1]:%2").arg(server.host).arg(server.port)
                                      : QStringLiteral("%1:%2").arg(server.host).arg(server.port);
}

struct Addresses {
    int error = 0;
    std::vector<sockaddr_storage> list;
    std::vector<socklen_t> sizes;
};

Addresses addressesOf(const QByteArray& host, quint16 port) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    Addresses a;
    a.error = getaddrinfo(host.constData(), QByteArray::number(port).constData(), &hints, &found);
    for (const addrinfo* i = found; i; i = i->ai_next) {
        sockaddr_storage s{};
        std::memcpy(&s, i->ai_addr, i->ai_addrlen);
        a.list.push_back(s);
        a.sizes.push_back(i->ai_addrlen);
    }
    if (found)
        freeaddrinfo(found);
    return a;
}

// Waits for events on fd until they come or deadline passes; false on time-out. A stop raises.
bool await(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        if (stopRequested())
            throw ToolStopped{};
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return false;
        pollfd p{fd, events, 0};
        const int n = ::poll(&p, 1, int(std::min<long long>(left.count(), kStopPollMs)));
        if (n > 0)
            return true;
        if (n < 0 && errno != EINTR)
            return true; // the call that follows reports it
    }
}

} // namespace

QByteArray TcpWhoisClient::query(const HostPort& server, const QString& question) {
    return queryWithin(server, question, limits_.totalTimeout);
}

QByteArray TcpWhoisClient::queryWithin(const HostPort& server, const QString& question,
                                       std::chrono::milliseconds timeout) {
    WhoisLimits limits = limits_;
    limits.connectTimeout = std::min(limits.connectTimeout, timeout);
    limits.totalTimeout = std::min(limits.totalTimeout, timeout);
    const auto start = Clock::now();
    const auto deadline = start + limits.totalTimeout;
    const QString name = where(server);
    const auto fail = [&](const QString& what) {
        return ToolError(QStringLiteral("WHOIS 服务器 %1 %2").arg(echoed(name), what));
    };
    const QByteArray host =
        QUrl::toAce(server.host).isEmpty() ? server.host.toLatin1() : QUrl::toAce(server.host);
    const quint16 port = server.port;
    const Addresses addresses =
        stoppableCall<Addresses>([host, port] { return addressesOf(host, port); });
    if (addresses.error != 0)
        throw fail(QStringLiteral("无法解析：%1").arg(describeResolveFailure(addresses.error)));

    Socket socket;
    QString lastError = QStringLiteral("没有地址");
    for (size_t i = 0; i < addresses.list.size() && socket.fd < 0; ++i) {
        Socket attempt;
        attempt.fd =
            ::socket(addresses.list[i].ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (attempt.fd < 0)
            continue;
        const auto* address = reinterpret_cast<const sockaddr*>(&addresses.list[i]);
        if (::connect(attempt.fd, address, addresses.sizes[i]) != 0 && errno != EINPROGRESS) {
            lastError = QString::fromLocal8Bit(std::strerror(errno));
            continue;
        }
        const auto connectDeadline = std::min(deadline, Clock::now() + limits.connectTimeout);
        if (!await(attempt.fd, POLLOUT, connectDeadline)) {
            lastError =
                QStringLiteral("%1 秒内未能连接")
                    .arg(std::chrono::duration_cast<std::chrono::seconds>(limits.connectTimeout)
                             .count());
            continue;
        }
        int error = 0;
        socklen_t size = sizeof error;
        ::getsockopt(attempt.fd, SOL_SOCKET, SO_ERROR, &error, &size);
        if (error != 0) {
            lastError = QString::fromLocal8Bit(std::strerror(error));
            continue;
        }
        std::swap(socket.fd, attempt.fd);
    }
    if (socket.fd < 0)
        throw fail(QStringLiteral("无法连接：%1").arg(lastError));

    const QByteArray line = QUrl::toAce(question).isEmpty() ? question.toUtf8() + "\r\n"
                                                            : QUrl::toAce(question) + "\r\n";
    for (qsizetype sent = 0; sent < line.size();) {
        if (!await(socket.fd, POLLOUT, deadline))
            throw fail(
                QStringLiteral("在 %1 秒内没有收下查询").arg(limits.totalTimeout.count() / 1000));
        const ssize_t n =
            ::send(socket.fd, line.constData() + sent, size_t(line.size() - sent), MSG_NOSIGNAL);
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            throw fail(QStringLiteral("发送查询失败：%1")
                           .arg(QString::fromLocal8Bit(std::strerror(errno))));
        if (n > 0)
            sent += n;
    }

    QByteArray answer;
    char buffer[16 * 1024];
    for (;;) {
        if (!await(socket.fd, POLLIN, deadline))
            throw fail(
                QStringLiteral("在 %1 秒内没有答完").arg(limits.totalTimeout.count() / 1000));
        const ssize_t n = ::recv(socket.fd, buffer, sizeof buffer, 0);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EAGAIN || errno == EINTR)
                continue;
            if (!answer.isEmpty() && errno == ECONNRESET)
                break; // some servers reset instead of closing once they have answered
            throw fail(QStringLiteral("接收回答失败：%1")
                           .arg(QString::fromLocal8Bit(std::strerror(errno))));
        }
        if (answer.size() + n > limits.maxAnswerBytes)
            throw fail(QStringLiteral("的回答超过 %1 KB，不像 WHOIS 记录")
                           .arg(limits.maxAnswerBytes / 1024));
        answer.append(buffer, n);
    }
    return answer;
}

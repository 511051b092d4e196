#pragma once

#include "net/host_port.h"

#include <QByteArray>
#include <QString>
#include <chrono>

// Where the WHOIS lookup sends its port-43 queries. The programs use TcpWhoisClient, the demo
// its own.
class WhoisClient {
public:
    virtual ~WhoisClient() = default;
    // The server's whole answer to one query line (the line without its CR LF). Raises
    // ToolError naming the server on failure, ToolStopped when the run is stopped.
    virtual QByteArray query(const HostPort& server, const QString& question) = 0;
    // The same within timeout at most (the rest of a lookup's time limit), or sooner when the
    // client's own limits say so. A client without time-outs of its own ignores it.
    virtual QByteArray queryWithin(const HostPort& server, const QString& question,
                                   std::chrono::milliseconds timeout) {
        (void)timeout;
        return query(server, question);
    }
};

struct WhoisLimits {
    std::chrono::milliseconds connectTimeout{10'000};
    std::chrono::milliseconds totalTimeout{30'000};
    // A WHOIS record is a few kilobytes; a server sending this much is sending something else.
    qint64 maxAnswerBytes = 1024 * 1024;
};

// RFC 3912 over a plain TCP connection: the question and CR LF, then everything up to the
// server's close. Each wait looks at the run's stop flag every 50 ms.
class TcpWhoisClient : public WhoisClient {
public:
    explicit TcpWhoisClient(WhoisLimits limits = {}) : limits_(limits) {}
    QByteArray query(const HostPort& server, const QString& question) override;
    QByteArray queryWithin(const HostPort& server, const QString& question,
                           std::chrono::milliseconds timeout) override;

private:
    WhoisLimits limits_;
};

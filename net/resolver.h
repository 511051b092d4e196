#pragma once

#include <QString>
#include <QStringList>

// What the system resolver knows of a name.
struct Resolution {
    QStringList aliases;   // the CNAME chain after the name asked, in order; empty when none
    QStringList addresses; // every A and AAAA address, in the resolver's order, without repeats
};

// Where the IP lookup gets names and addresses from. The programs use SystemResolver, the demo
// its own, tests their fakes.
class Resolver {
public:
    virtual ~Resolver() = default;
    // Raises ToolError naming host when it has no address; ToolStopped when the run is stopped.
    virtual Resolution resolve(const QString& host) = 0;
    // The address's reverse name (PTR), empty when it has none. ToolStopped as resolve.
    virtual QString reverse(const QString& address) = 0;
};

// The system's resolver (getaddrinfo, getnameinfo: /etc/hosts, then DNS), each call on a thread
// that a stop abandons, so that a slow name server cannot hold a stopped run. A name with a
// canonical name of its own is asked once more over DNS for the CNAME records between them.
class SystemResolver : public Resolver {
public:
    Resolution resolve(const QString& host) override;
    QString reverse(const QString& address) override;
};

// What a getaddrinfo failure (an EAI_* code) means, in Chinese, with the resolver's own words
// after it in parentheses: "找不到该主机名，域名不存在或拼写有误（Name or service not known）".
QString describeResolveFailure(int eaiCode);

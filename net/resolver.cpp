#include "net/resolver.h"

#include "base/tool_error.h"
#include "net/stoppable_call.h"

#include <QUrl>
#include <arpa/inet.h>
#include <arpa/nameser.h>
#include <netdb.h>
#include <resolv.h>
#include <sys/socket.h>

namespace {

QString withoutRootDot(QString name) {
    if (name.endsWith(u'.'))
        name.chop(1);
    return name;
}

// The CNAME records of the answer to an A query for name, in the order the chain runs. Empty
// when DNS cannot be asked: the canonical name alone then stands for the chain.
QStringList cnameChain(const QByteArray& name) {
    struct __res_state state {};
    if (res_ninit(&state) != 0)
        return {};
    // The resolver's defaults wait up to half a minute for a name server that does not answer.
    state.retrans = 2;
    state.retry = 1;
    unsigned char answer[NS_PACKETSZ * 4];
    const int length = res_nquery(&state, name.constData(), ns_c_in, ns_t_a, answer, sizeof answer);
    QStringList chain;
    ns_msg message;
    if (length > 0 && ns_initparse(answer, length, &message) == 0) {
        for (int i = 0; i < ns_msg_count(message, ns_s_an); ++i) {
            ns_rr rr;
            char target[NS_MAXDNAME];
            if (ns_parserr(&message, ns_s_an, i, &rr) == 0 && ns_rr_type(rr) == ns_t_cname &&
                ns_name_uncompress(ns_msg_base(message), ns_msg_end(message), ns_rr_rdata(rr),
                                   target, sizeof target) >= 0)
                chain << withoutRootDot(QString::fromLatin1(target));
        }
    }
    res_nclose(&state);
    return chain;
}

struct Lookup {
    int error = 0;
    QString canonical;
    QStringList addresses;
};

Lookup lookUp(const QByteArray& ace) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_CANONNAME;
    addrinfo* list = nullptr;
    Lookup l;
    l.error = getaddrinfo(ace.constData(), nullptr, &hints, &list);
    if (l.error != 0)
        return l;
    for (const addrinfo* a = list; a; a = a->ai_next) {
        if (a->ai_canonname && l.canonical.isEmpty())
            l.canonical = withoutRootDot(QString::fromLatin1(a->ai_canonname));
        char text[INET6_ADDRSTRLEN] = {};
        const void* raw = a->ai_family == AF_INET
                              ? static_cast<const void*>(
                                    &reinterpret_cast<const sockaddr_in*>(a->ai_addr)->sin_addr)
                              : &reinterpret_cast<const sockaddr_in6*>(a->ai_addr)->sin6_addr;
        if ((a->ai_family == AF_INET || a->ai_family == AF_INET6) &&
            inet_ntop(a->ai_family, raw, text, sizeof text) && !l.addresses.contains(text))
            l.addresses << QString::fromLatin1(text);
    }
    freeaddrinfo(list);
    return l;
}

// The codes getaddrinfo gives for a name that does not resolve, and what each means to the user.
const struct {
    int code;
    const char* what;
} kResolveFailures[] = {
    {EAI_NONAME, "找不到该主机名，域名不存在或拼写有误"},
    {EAI_NODATA, "该主机名没有地址记录"},
    {EAI_ADDRFAMILY, "该主机名没有地址记录"},
    {EAI_AGAIN, "域名服务器暂时无法应答，请检查网络连接后再试"},
    {EAI_FAIL, "域名服务器无法应答，请检查网络设置中的 DNS 服务器"},
    {EAI_MEMORY, "内存不足"},
    {EAI_SYSTEM, "系统错误"},
};

} // namespace

QString describeResolveFailure(int eaiCode) {
    QString what = QStringLiteral("域名解析失败");
    for (const auto& f : kResolveFailures)
        if (f.code == eaiCode)
            what = QString::fromUtf8(f.what);
    return QStringLiteral("%1（%2）").arg(what, QString::fromUtf8(gai_strerror(eaiCode)));
}

Resolution SystemResolver::resolve(const QString& host) {
    const QByteArray ace = QUrl::toAce(host);
    if (ace.isEmpty())
        throw ToolError(QStringLiteral("“%1”不是有效的域名").arg(echoed(host)));
    const Lookup l = stoppableCall<Lookup>([ace] { return lookUp(ace); });
    if (l.error != 0)
        throw ToolError(QStringLiteral("无法解析域名“%1”：%2")
                            .arg(echoed(host), describeResolveFailure(l.error)));
    Resolution r;
    r.addresses = l.addresses;
    if (!l.canonical.isEmpty() &&
        l.canonical.compare(withoutRootDot(QString::fromLatin1(ace)), Qt::CaseInsensitive) != 0) {
        r.aliases = stoppableCall<QStringList>([ace] { return cnameChain(ace); });
        if (r.aliases.isEmpty() || r.aliases.last().compare(l.canonical, Qt::CaseInsensitive) != 0)
            r.aliases = {l.canonical};
    }
    return r;
}

QString SystemResolver::reverse(const QString& address) {
    const QByteArray text = address.toLatin1();
    return stoppableCall<QString>([text] {
        sockaddr_storage storage{};
        socklen_t size = 0;
        auto* v4 = reinterpret_cast<sockaddr_in*>(&storage);
        auto* v6 = reinterpret_cast<sockaddr_in6*>(&storage);
        if (inet_pton(AF_INET, text.constData(), &v4->sin_addr) == 1) {
            v4->sin_family = AF_INET;
            size = sizeof *v4;
        } else if (inet_pton(AF_INET6, text.constData(), &v6->sin6_addr) == 1) {
            v6->sin6_family = AF_INET6;
            size = sizeof *v6;
        } else {
            return QString();
        }
        char name[NI_MAXHOST] = {};
        if (getnameinfo(reinterpret_cast<sockaddr*>(&storage), size, name, sizeof name, nullptr, 0,
                        NI_NAMEREQD) != 0)
            return QString();
        return withoutRootDot(QUrl::fromAce(name));
    });
}

#include "audit/robots_rules.h"

#include <QRegularExpression>
#include <cctype>

namespace {

// A pattern as the path is sent: bytes outside printable ASCII percent-encoded, and the
// escapes in upper case, so "/%e4%b8%ad" and "/中" match the same path.
QByteArray normalised(const QByteArray& text) {
    static const char hex[] = "0123456789ABCDEF";
    QByteArray out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b == '%' && i + 2 < text.size() &&
            std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
            out += '%';
            out += char(std::toupper(static_cast<unsigned char>(text[i + 1])));
            out += char(std::toupper(static_cast<unsigned char>(text[i + 2])));
            i += 2;
        } else if (b <= 0x20 || b >= 0x7F) {
            out += '%';
            out += hex[b >> 4];
            out += hex[b & 15];
        } else {
            out += char(b);
        }
    }
    return out;
}

// Whether pattern ("*" any run of bytes, a final "$" the end) matches the start of path.
bool matches(const QByteArray& pattern, const QByteArray& path) {
    const bool anchored = pattern.endsWith('$');
    const QByteArray p = anchored ? pattern.chopped(1) : pattern;
    // Positions in path that the pattern so far can end at, smallest first.
    std::vector<qsizetype> ends{0};
    qsizetype at = 0;
    while (at < p.size()) {
        if (p[at] == '*') {
            ++at;
            const qsizetype from = ends.front();
            ends.clear();
            for (qsizetype i = from; i <= path.size(); ++i)
                ends.push_back(i);
            continue;
        }
        qsizetype next = p.indexOf('*', at);
        if (next < 0)
            next = p.size();
        const QByteArray piece = p.mid(at, next - at);
        std::vector<qsizetype> moved;
        for (const qsizetype e : ends)
            if (path.mid(e, piece.size()) == piece)
                moved.push_back(e + piece.size());
        ends = std::move(moved);
        if (ends.empty())
            return false;
        at = next;
    }
    if (!anchored)
        return true;
    for (const qsizetype e : ends)
        if (e == path.size())
            return true;
    return false;
}

QByteArray productTokenOf(const QByteArray& value) {
    static const QRegularExpression token(QStringLiteral("^[A-Za-z_-]+"));
    const auto m = token.match(QString::fromLatin1(value));
    return m.hasMatch() ? m.captured().toLatin1().toLower() : value.toLower();
}

} // namespace

RobotsRules RobotsRules::allowAll() {
    return {};
}

RobotsRules RobotsRules::disallowAll() {
    RobotsRules r;
    r.blockAll_ = true;
    return r;
}

RobotsRules RobotsRules::parse(const QByteArray& file, const QString& productToken) {
    const QByteArray ours = productToken.toLatin1().toLower();
    struct Group {
        bool ours = false;
        bool star = false;
        std::vector<Rule> rules;
        std::optional<double> delay;
    };
    std::vector<Group> groups;
    RobotsRules result;
    bool inAgents = false; // the last record was a user-agent line
    for (QByteArray line : file.left(kMaxRobotsBytes).split('\n')) {
        const qsizetype hash = line.indexOf('#');
        if (hash >= 0)
            line.truncate(hash);
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            continue;
        const QByteArray key = line.left(colon).trimmed().toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (key == "sitemap") {
            if (!value.isEmpty())
                result.sitemaps_ << QString::fromUtf8(value);
            continue;
        }
        if (key == "user-agent") {
            if (!inAgents || groups.empty())
                groups.emplace_back();
            inAgents = true;
            const QByteArray agent = productTokenOf(value);
            if (value == "*")
                groups.back().star = true;
            else if (!agent.isEmpty() && agent == ours)
                groups.back().ours = true;
            continue;
        }
        if (groups.empty())
            continue;
        inAgents = false;
        if (key == "allow" || key == "disallow") {
            // An empty disallow allows everything, which no rule says as well.
            if (!value.isEmpty())
                groups.back().rules.push_back({normalised(value), key == "allow"});
        } else if (key == "crawl-delay") {
            bool ok = false;
            const double seconds = value.toDouble(&ok);
            if (ok && seconds >= 0)
                groups.back().delay = seconds;
        }
    }
    bool anyOurs = false;
    for (const Group& g : groups)
        anyOurs = anyOurs || g.ours;
    for (const Group& g : groups) {
        if (anyOurs ? !g.ours : !g.star)
            continue;
        result.rules_.insert(result.rules_.end(), g.rules.begin(), g.rules.end());
        if (g.delay)
            result.crawlDelay_ = std::max(result.crawlDelay_.value_or(0), *g.delay);
    }
    return result;
}

bool RobotsRules::allows(const QByteArray& pathAndQuery) const {
    if (pathAndQuery == "/robots.txt")
        return true;
    if (blockAll_)
        return false;
    const QByteArray path = normalised(pathAndQuery);
    qsizetype best = -1;
    bool allowed = true;
    for (const Rule& r : rules_) {
        if (!matches(r.pattern, path))
            continue;
        const qsizetype length = r.pattern.size();
        if (length > best || (length == best && r.allow)) {
            best = length;
            allowed = r.allow;
        }
    }
    return allowed;
}

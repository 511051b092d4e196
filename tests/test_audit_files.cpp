#include "tools/audit_files.h"

#include <gtest/gtest.h>

namespace {

AuditReport brokenLinks(int n) {
    AuditReport report;
    for (int i = 0; i < n; ++i) {
        const QString url = QStringLiteral("http://a.cn/死链/%1").arg(i);
        report.problems.push_back({QStringLiteral("broken_link"), url, {}, QStringLiteral("404")});
        // The same address again, as another kind and as the same one: written once.
        report.problems.push_back({QStringLiteral("missing_title"), url, {}, {}});
        report.problems.push_back({QStringLiteral("broken_link"), url, {}, QStringLiteral("404")});
    }
    return report;
}

TEST(AuditFiles, DeadLinksGoFiftyThousandAFileEachOnce) {
    struct Case {
        int broken;
        QList<int> lines;
    };
    for (const Case& c : {Case{0, {}}, Case{1, {1}}, Case{kDeadLinksPerFile, {kDeadLinksPerFile}},
                          Case{kDeadLinksPerFile + 1, {kDeadLinksPerFile, 1}}}) {
        const QList<QByteArray> files = deadLinkFiles(brokenLinks(c.broken));
        QList<int> lines;
        for (const QByteArray& f : files)
            lines << int(f.count('\n'));
        EXPECT_EQ(lines, c.lines) << c.broken;
    }
    EXPECT_EQ(deadLinkFiles(brokenLinks(1)).value(0),
              QStringLiteral("http://a.cn/死链/0\n").toUtf8());
}

TEST(AuditFiles, LaterDeadLinkFilesAreNumberedBesideTheFirst) {
    EXPECT_EQ(deadLinkFilePath(QStringLiteral("/t/dead.txt"), 0), QStringLiteral("/t/dead.txt"));
    EXPECT_EQ(deadLinkFilePath(QStringLiteral("/t/dead.txt"), 1), QStringLiteral("/t/dead-2.txt"));
    EXPECT_EQ(deadLinkFilePath(QStringLiteral("/t/dead"), 2), QStringLiteral("/t/dead-3"));
}

} // namespace

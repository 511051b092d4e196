#include "tools/push_reports.h"

namespace {

QString count(qsizetype n) {
    return QString::number(n);
}

QString failure(const QString& error, qsizetype unsent, const char* what) {
    if (error.isEmpty())
        return {};
    return error + QStringLiteral("（%1 个网址%2）").arg(unsent).arg(QString::fromUtf8(what));
}

} // namespace

QList<Figure> baiduPushFigures(const BaiduPushReport& report) {
    return {countFigure(QStringLiteral("sent"), count(report.sent)),
            countFigure(QStringLiteral("accepted"), count(report.accepted)),
            report.remain ? countFigure(QStringLiteral("remain"), count(*report.remain))
                          : missingFigure(QStringLiteral("remain"), QStringLiteral("-"),
                                          Why::Failed, report.error),
            countFigure(QStringLiteral("not_same_site"), count(report.notSameSite.size())),
            countFigure(QStringLiteral("not_valid"), count(report.notValid.size())),
            countFigure(QStringLiteral("unsent"), count(report.unsent.size()))};
}

QList<Figure> indexNowFigures(const IndexNowReport& report) {
    return {countFigure(QStringLiteral("sent"), count(report.sent)),
            countFigure(QStringLiteral("unsent"), count(report.unsent.size()))};
}

QString baiduPushProgress(const BaiduPushReport& report) {
    return QStringLiteral("已推送 %1 批，%2 个网址，百度接受 %3 个")
        .arg(report.batches)
        .arg(report.sent)
        .arg(report.accepted);
}

QList<QStringList> baiduPushRows(const BaiduPushReport& report) {
    QList<QStringList> rows{{QStringLiteral("已推送"), count(report.sent)},
                            {QStringLiteral("百度接受"), count(report.accepted)}};
    if (report.remain)
        rows.append({QStringLiteral("今天剩余配额"), count(*report.remain)});
    for (const QString& a : report.notSameSite)
        rows.append({QStringLiteral("不是本站网址"), a});
    for (const QString& a : report.notValid)
        rows.append({QStringLiteral("不合法的网址"), a});
    if (report.overQuota)
        rows.append({QStringLiteral("停止"), baiduPushMeaning(QStringLiteral("over quota"))});
    for (const QString& a : report.unsent)
        rows.append({QStringLiteral("未推送"), a});
    return rows;
}

QList<QStringList> indexNowRows(const IndexNowReport& report) {
    QList<QStringList> rows{{QStringLiteral("已提交"), count(report.sent)}};
    if (report.pending)
        rows.append({QStringLiteral("说明"), QStringLiteral("已收到，密钥尚待验证（202）")});
    for (const QString& a : report.unsent)
        rows.append({QStringLiteral("未提交"), a});
    return rows;
}

QString baiduPushFailure(const BaiduPushReport& report) {
    return failure(report.error, report.unsent.size(), "未推送");
}

QString indexNowFailure(const IndexNowReport& report) {
    return failure(report.error, report.unsent.size(), "未提交");
}

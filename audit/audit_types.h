#pragma once

#include "audit/page_scan.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>

// One address the audit asked for, and what came back.
struct FetchResult {
    QString url;
    LinkKind kind = LinkKind::Page;
    int depth = 0;
    int status = 0;   // 0: no answer (error says why)
    QString error;    // the failure's description
    QString location; // a redirect's target, resolved
    QByteArray contentType;
    bool html = false;
    QString title;
    QString description;
    bool hasDescription = false;
    int h1s = 0;
    bool noindex = false;
    QString canonical;
    QString charset;
    QString mismatch;
    qint64 bytes = 0;
    qint64 ms = 0;
    bool truncated = false;
    QStringList imagesNoAlt;
    QStringList insecure;

    QJsonObject toJson() const;
    static FetchResult fromJson(const QJsonObject& o);
};

struct LinkRow {
    QString from;
    QString to;
    QString text;
};

// A finding that is no fetch: a trap's bound, a sitemap that could not be read.
struct Note {
    QString kind;
    QString url;
    QString detail;
};

// An address waiting in the frontier.
struct QueuedUrl {
    QString url;
    int depth = 0;
    LinkKind kind = LinkKind::Page;
    int hops = 0; // redirects that led here
};

#include "track/result_page.h"

#include "track/result_address.h"
#include "track/track_rows.h"

#include <QSet>
#include <QUrl>
#include <libxml/HTMLparser.h>
#include <libxml/xpath.h>
#include <memory>

namespace {

struct DocFree {
    void operator()(xmlDoc* d) const { xmlFreeDoc(d); }
};
struct ContextFree {
    void operator()(xmlXPathContext* c) const { xmlXPathFreeContext(c); }
};
struct ObjectFree {
    void operator()(xmlXPathObject* o) const { xmlXPathFreeObject(o); }
};
struct CompiledFree {
    void operator()(xmlXPathCompExpr* e) const { xmlXPathFreeCompExpr(e); }
};
using Object = std::unique_ptr<xmlXPathObject, ObjectFree>;

// libxml2 would print a refused expression's error on standard error.
void keepQuiet(void*, xmlError*) {}

QString textOf(xmlChar* owned) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(owned));
    xmlFree(owned);
    return text;
}

class Reader {
public:
    explicit Reader(const QString& html) {
        const QByteArray utf8 = html.toUtf8();
        doc_.reset(htmlReadMemory(utf8.constData(), int(utf8.size()), nullptr, "UTF-8",
                                  HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING |
                                      HTML_PARSE_NONET | HTML_PARSE_IGNORE_ENC));
        if (doc_)
            context_.reset(xmlXPathNewContext(doc_.get()));
        if (context_)
            context_->error = keepQuiet;
    }

    bool ready() const { return context_ != nullptr; }
    const QString& problem() const { return problem_; }

    // The nodes of the first expression that selects any.
    QList<xmlNode*> nodes(const QStringList& expressions, xmlNode* at) {
        for (const QString& e : expressions) {
            const Object o = evaluate(e, at);
            if (o && o->type == XPATH_NODESET && o->nodesetval && o->nodesetval->nodeNr > 0) {
                QList<xmlNode*> found;
                for (int i = 0; i < o->nodesetval->nodeNr; ++i)
                    found << o->nodesetval->nodeTab[i];
                return found;
            }
        }
        return {};
    }

    // The string value of the first expression whose value is not blank.
    QString string(const QStringList& expressions, xmlNode* at) {
        for (const QString& e : expressions)
            if (const Object o = evaluate(e, at)) {
                const QString s = textOf(xmlXPathCastToString(o.get())).simplified();
                if (!s.isEmpty())
                    return s;
            }
        return {};
    }

    // The string value of expression as it is, blanks kept: a form's value is sent unchanged.
    QString raw(const QString& expression, xmlNode* at) {
        const Object o = evaluate(expression, at);
        return o ? textOf(xmlXPathCastToString(o.get())) : QString();
    }

    QString text() {
        xmlNode* root = xmlDocGetRootElement(doc_.get());
        return root ? textOf(xmlNodeGetContent(root)) : QString();
    }

private:
    Object evaluate(const QString& expression, xmlNode* at) {
        const QByteArray e = expression.toUtf8();
        const std::unique_ptr<xmlXPathCompExpr, CompiledFree> compiled(
            xmlXPathCtxtCompile(context_.get(), reinterpret_cast<const xmlChar*>(e.constData())));
        if (!compiled) {
            if (problem_.isEmpty())
                problem_ = QStringLiteral("XPath 表达式“%1”无法理解").arg(expression);
            return {};
        }
        context_->node = at ? at : reinterpret_cast<xmlNode*>(doc_.get());
        return Object(xmlXPathCompiledEval(compiled.get(), context_.get()));
    }

    std::unique_ptr<xmlDoc, DocFree> doc_;
    std::unique_ptr<xmlXPathContext, ContextFree> context_;
    QString problem_;
};

} // namespace

ResultPage readResultPage(const QString& html, const TrackRow& row) {
    ResultPage page;
    Reader reader(html);
    if (!reader.ready()) {
        page.problem = QStringLiteral("页面无法解析为 HTML");
        return page;
    }
    for (const QString& e : row.blockXPath)
        if (!reader.nodes({e}, nullptr).isEmpty()) {
            page.blockSign = e;
            return page;
        }

    QSet<xmlNode*> ads;
    QSet<xmlNode*> holdingAds; // every ancestor of an ad: an item that holds one is one
    for (xmlNode* ad : reader.nodes(row.ads, nullptr)) {
        ads.insert(ad);
        for (xmlNode* up = ad->parent; up; up = up->parent)
            holdingAds.insert(up);
    }
    page.ads = int(ads.size());
    const auto isAd = [&](xmlNode* item) {
        if (holdingAds.contains(item))
            return true;
        for (xmlNode* n = item; n; n = n->parent)
            if (ads.contains(n))
                return true;
        return false;
    };
    for (xmlNode* item : reader.nodes(row.items, nullptr))
        if (!isAd(item))
            page.organic.append({reader.string(row.title, item),
                                 resultAddress(row.address, reader.string(row.link, item))});
    if (const QList<xmlNode*> forms = reader.nodes(row.nextForm, nullptr); !forms.isEmpty()) {
        QList<QByteArray> fields;
        for (xmlNode* input : reader.nodes({QStringLiteral(".//input[@name]")}, forms.front()))
            fields << QUrl::toPercentEncoding(reader.raw(QStringLiteral("string(@name)"), input)) +
                          '=' +
                          QUrl::toPercentEncoding(
                              reader.raw(QStringLiteral("string(@value)"), input));
        page.nextForm = fields.join('&');
    }
    page.problem = reader.problem();
    if (!page.problem.isEmpty())
        return page;

    if (page.organic.isEmpty()) {
        const QString text = reader.text();
        for (const QString& sign : row.blockTexts)
            if (text.contains(sign)) {
                page.blockSign = sign;
                return page;
            }
        for (const QString& none : row.noResults)
            page.noResults = page.noResults || text.contains(none);
    }
    return page;
}

// Where an audited page's time goes, on the benchmark site's kind of page (bench/
// make_audit_site.py: about 20 KB, some Chinese, 40 links): libxml2's HTML parser alone on the
// bytes, and the audit's whole reading of a page (the charset, the text, the parse, the title,
// description, headings and links, each link resolved and encoded). wget2 --spider spends about
// 0.08 ms of CPU on each page of that site in all (bench/run_audit_bench.sh).
#include "audit/page_decode.h"
#include "audit/page_scan.h"

#include <QUrl>
#include <benchmark/benchmark.h>
#include <libxml/HTMLparser.h>

namespace {

QByteArray sitePage() {
    const QString chinese =
        QStringLiteral("网站体检检查每个网页的标题、描述、链接和编码，找出死链和重定向。");
    const QString latin = QStringLiteral(
        "The quick audit reads every page of the site and checks each link it finds. ");
    QString links;
    for (int t = 1; t <= 40; ++t)
        links += QStringLiteral("<li><a href=\"/p/%1.html\">第%1页 page %1</a></li>").arg(t * 2477);
    QString text;
    while (text.toUtf8().size() < 18'000)
        text += QStringLiteral("<p>%1%2</p>").arg(chinese, latin);
    return QStringLiteral(
               "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>第7页 示例网站"
               "</title><meta name=\"description\" content=\"示例网站第7页\"></head><body>"
               "<h1>第7页</h1>%1<ul>%2</ul></body></html>")
        .arg(text, links)
        .toUtf8();
}

void libxml2Parse(benchmark::State& state) {
    const QByteArray page = sitePage();
    for (auto _ : state) {
        htmlDocPtr doc = htmlReadMemory(
            page.constData(), int(page.size()), "http://127.0.0.1/p/7.html", "utf-8",
            HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET);
        benchmark::DoNotOptimize(doc);
        xmlFreeDoc(doc);
    }
    state.SetBytesProcessed(state.iterations() * page.size());
}
BENCHMARK(libxml2Parse)->Unit(benchmark::kMicrosecond);

void auditReading(benchmark::State& state) {
    const QByteArray page = sitePage();
    const QUrl address(QStringLiteral("http://127.0.0.1/p/7.html"));
    for (auto _ : state) {
        const DecodedPage decoded = decodeAuditPage(page, "text/html");
        const PageScan scan = scanPage(decoded.text, address);
        benchmark::DoNotOptimize(scan.links.size());
    }
    state.SetBytesProcessed(state.iterations() * page.size());
}
BENCHMARK(auditReading)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();

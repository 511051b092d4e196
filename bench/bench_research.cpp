// Keyword density end to end on a 4 MB page served from memory (time, and the peak resident
// memory the run adds), and getFrequency on "aaa…" in "aaa…" at doubling sizes, beside a
// restart-one-further search loop on the same input for the ratio.
#include "base/charset.h"
#include "net/http_fetch.h"
#include "research/keyword_density.h"
#include "research/text_measures.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <benchmark/benchmark.h>
#include <cstdio>

namespace {

class MemoryFetcher : public Fetcher {
public:
    explicit MemoryFetcher(HttpResponse r) : response_(std::move(r)) {}
    HttpResponse get(const QString&) override { return response_; }

private:
    HttpResponse response_;
};

// About 4 MB of a blog-like page: text, links, inline scripts and styles, blanks and entities.
// The second variant declares UTF-8, so the run decodes the same response twice.
HttpResponse page(bool utf8) {
    const QString head =
        utf8 ? QStringLiteral(
                   "<html><head><meta charset=\"UTF-8\"><title>网站优化</title></head>\r\n")
             : QStringLiteral(
                   "<html><head><meta charset=\"gb2312\"><title>网站优化</title></head>\r\n");
    const QString block = QStringLiteral(
        "<div class=\"post\"><h2>网站优化 第 N 篇</h2>\r\n<p>网站优化（SEO）是让网站在搜索引擎"
        "中获得更好自然排名的方法，关键词密度是其中的一个指标。&nbsp;合理的关键词　密度一般在"
        " 2% 到 8% 之间，Keyword density matters.</p>\r\n<script type=\"text/javascript\">var "
        "n = 1; if (n < 2) { document.write('<span>广告</span>'); }</script>\r\n<style>.post "
        "p{color:#333;}</style>\r\n<ul><li><a href=\"/p/1.html\">关键词排名</a></li><li><a "
        "href=\"/p/2.html\">相关搜索</a></li></ul>\t</div>\r\n");
    const QByteArray headBytes = utf8 ? head.toUtf8() : charset::encodeGbk(head);
    const QByteArray blockBytes = utf8 ? block.toUtf8() : charset::encodeGbk(block);
    HttpResponse r;
    r.contentType = utf8 ? "text/html; charset=utf-8" : "text/html";
    r.body.reserve(4 << 20);
    r.body += headBytes + "<body>";
    while (r.body.size() + blockBytes.size() < (4 << 20) - 16)
        r.body += blockBytes;
    r.body += "</body></html>";
    return r;
}

long statusKb(const char* field) {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qsizetype(qstrlen(field))).trimmed().split(' ').front().toLong();
    return 0;
}

// The resident memory one run adds at its peak, in MB. Linux keeps the high-water mark of
// resident memory per process, and writing 5 to clear_refs resets it to the current size.
double runPeakAddedMb(bool utf8) {
    MemoryFetcher fetcher(page(utf8));
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (!clear.open(QIODevice::WriteOnly) || clear.write("5") != 1)
        return -1;
    clear.close();
    const long before = statusKb("VmRSS:");
    benchmark::DoNotOptimize(
        runKeywordDensity(fetcher, QStringLiteral("x.cn"), QStringLiteral("关键词")));
    return double(statusKb("VmHWM:") - before) / 1024;
}

// Measured in a fresh process (this program again, with --peak-memory=0 or 1): in this one,
// the blocks freed by earlier iterations stay resident in the heap (glibc raises its mmap
// threshold after the first large free) and would hide the run's own growth.
double peakAddedMb(bool utf8) {
    QProcess p;
    p.start(QCoreApplication::applicationFilePath(),
            {QStringLiteral("--peak-memory=%1").arg(int(utf8))});
    p.waitForFinished(-1);
    return p.readAllStandardOutput().trimmed().toDouble();
}

void BM_DensityEndToEnd(benchmark::State& state) {
    const bool utf8 = state.range(0) != 0;
    MemoryFetcher fetcher(page(utf8));
    const qsizetype bytes = fetcher.get({}).body.size();
    for (auto _ : state) {
        KeywordDensity d =
            runKeywordDensity(fetcher, QStringLiteral("x.cn"), QStringLiteral("关键词"));
        benchmark::DoNotOptimize(d);
    }
    state.SetBytesProcessed(state.iterations() * bytes);
    state.counters["page_MB"] = double(bytes) / (1 << 20);
    state.counters["peak_added_MB"] = peakAddedMb(utf8);
}
BENCHMARK(BM_DensityEndToEnd)->ArgName("utf8")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_FrequencyAllA(benchmark::State& state) {
    const QString text(state.range(0), u'a');
    const QString keyword(state.range(1) ? state.range(1) : state.range(0) / 2, u'a');
    qsizetype count = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(count = getFrequency(keyword, text));
    state.counters["found"] = double(count);
    state.SetComplexityN(state.range(0));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
// Text of 1, 2, 4 and 8 million units; keyword of 1000 units, then of half the text.
BENCHMARK(BM_FrequencyAllA)
    ->ArgNames({"text", "keyword"})
    ->ArgsProduct({{1 << 20, 2 << 20, 4 << 20, 8 << 20}, {1000}})
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
BENCHMARK(BM_FrequencyAllA)
    ->ArgNames({"text", "keyword"})
    ->ArgsProduct({{1 << 20, 2 << 20, 4 << 20, 8 << 20}, {0}})
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

// The loop getFrequency replaces: a fresh search from one past each occurrence. Every found
// occurrence costs a full comparison of the keyword.
void BM_FrequencyAllARestartingSearch(benchmark::State& state) {
    const QString text(state.range(0), u'a');
    const QString keyword(state.range(1), u'a');
    qsizetype count = 0;
    for (auto _ : state) {
        count = 0;
        for (qsizetype at = text.indexOf(keyword); at >= 0; at = text.indexOf(keyword, at + 1))
            ++count;
        benchmark::DoNotOptimize(count);
    }
    state.counters["found"] = double(count);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_FrequencyAllARestartingSearch)
    ->ArgNames({"text", "keyword"})
    ->Args({1 << 20, 1000})
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 2 && qstrncmp(argv[1], "--peak-memory=", 14) == 0) {
        std::printf("%.3f\n", runPeakAddedMb(argv[1][14] == '1'));
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

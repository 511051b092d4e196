#include "metrics/indexed_survey.h"

namespace {

// Yahoo's "：" is the full-width colon, followed by one ordinary space; Live's "（" is the
// full-width parenthesis. Youdao's logo is called "yodao". Youdao's page carries a timing comment
// that must go with the rest.
const EngineRow kRows[] = {
    {"Baidu", "baidu", "{BaiduSearchHost}/s?wd=site%3A{d}", Decode::Gbk, "找到相关网页", "篇",
     "找到相关网页,约"},
    {"Google", "google",
     "{GoogleHost}/"
     "search?sourceid=navclient&hl=zh-CN&ie=UTF-8&rlz=1T4GZHZ_zh-CNCN237CN240&q=site%3a{d}",
     Decode::Declared, "约有", "项符合", "</b>,<b>,约有"},
    {"Yahoo", "yahoo", "{YahooSitemapHost}/search?p={d}&bwm=p", Decode::Declared,
     "被收录的网页： 共", "条", "共,<strong>,</strong>,被收录的网页：,："},
    {"Sogou", "sogou", "{SogouHost}/web?query=site%3A{d}", Decode::Gbk, "找到", "个", "找到"},
    {"Soso", "soso", "{SosoHost}/q?w=site%3A{d}&sc=web&ch=w.ptl&lr=chs", Decode::Gbk, "搜索到约",
     "项结果", "搜索到,约"},
    {"Youdao", "yodao", "{YoudaoHost}/search?q=site%3A{d}", Decode::Declared, "搜索到结果", "条",
     "搜索到结果约,<!-- RESULT_NO=1 DURATION=0.258 -->,<B>,</B>,搜索到结果约,搜索到结果"},
    {"Zhongsou", "zhongsou", "{ZhongsouHost}/p?w=site%3A{d}&pt=1&k=&jc=&aid=&rt=o", Decode::Gbk,
     "找到", "条结果", "找到"},
    {"Live", "live", "{LiveHost}/results.aspx?q=site%3A{d}&go=&form=QBNO", Decode::Declared, "（共",
     "条搜索结果", "（共,（,共"},
};

} // namespace

const SurveyKind kIndexedSurvey{"indexed", "收录数量", "result.html", kRows};

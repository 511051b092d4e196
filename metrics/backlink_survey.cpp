#include "metrics/backlink_survey.h"

namespace {

// Baidu answers link questions through "domain:", Youdao through "inlink:". Sogou wants its
// own host name repeated in _asf and the fixed form values of its advanced search.
const EngineRow kRows[] = {
    {"Baidu", "baidu", "{BaiduSearchHost}/s?wd=domain%3A{d}", Decode::Gbk, "找到相关网页", "篇",
     "找到相关网页,约"},
    {"Google", "google",
     "{GoogleHost}/"
     "search?sourceid=navclient&hl=zh-CN&ie=UTF-8&rlz=1T4GZHZ_zh-CNCN237CN240&q=link%3a{d}",
     Decode::Declared, "约有", "项链接到", "</b>,<b>,约有"},
    {"Yahoo", "yahoo", "{YahooSitemapHost}/search?p={d}&bwm=i", Decode::Declared, "共 <strong>",
     "条", "共,<strong>,</strong>"},
    {"Sogou", "sogou",
     "{SogouHost}/web?query=link%3A{d}&_asf={SogouHostName}&_ast=1237559803&w=01019900&p=40040100",
     Decode::Gbk, "找到", "个", "找到"},
    {"Soso", "soso", "{SosoHost}/q?w=link%3A{d}&sc=web&ch=w.ptl&lr=chs", Decode::Gbk, "搜索到约",
     "项结果", "搜索到,约"},
    {"Youdao", "yodao", "{YoudaoHost}/search?q=inlink%3A{d}", Decode::Declared, "搜索到结果", "条",
     "搜索到结果约,<!-- RESULT_NO=1 DURATION=0.258 -->,<B>,</B>,搜索到结果"},
    {"Zhongsou", "zhongsou", "{ZhongsouHost}/p?w=link%3A{d}&pt=1&k=&jc=&aid=&rt=o", Decode::Gbk,
     "找到", "条结果", "找到"},
    {"Live", "live", "{LiveHost}/results.aspx?q=link%3A{d}&go=&form=QBNO", Decode::Declared, "共",
     "条搜索结果", "共"},
};

} // namespace

const SurveyKind kBacklinkSurvey{"backlinks", "外链数量", "result_links.html", kRows};

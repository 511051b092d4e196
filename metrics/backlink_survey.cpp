#include "metrics/backlink_survey.h"

namespace {

// Baidu answers link questions through "domain:", Youdao through "inlink:". Sogou wants its
// own host name repeated in _asf and the fixed form values of its advanced search.
const EngineRow kRows[] = {
    {"Baidu", "{BaiduSearchHost}/s?wd=domain%3A{d}", "0", "找到相关网页", "篇", "找到相关网页,约"},
    {"Google",
     "{GoogleHost}/"
     "search?sourceid=navclient&hl=zh-CN&ie=UTF-8&rlz=1T4GZHZ_zh-CNCN237CN240&q=link%3a{d}",
     "1", "约有", "项链接到", "</b>,<b>,约有"},
    {"Yahoo", "{YahooSitemapHost}/search?p={d}&bwm=i", "1", "共 <strong>", "条",
     "共,<strong>,</strong>"},
    {"Sogou",
     "{SogouHost}/web?query=link%3A{d}&_asf={SogouHostName}&_ast=1237559803&w=01019900&p=40040100",
     "0", "找到", "个", "找到"},
    {"Soso", "{SosoHost}/q?w=link%3A{d}&sc=web&ch=w.ptl&lr=chs", "0", "搜索到约", "项结果",
     "搜索到,约"},
    {"Youdao", "{YoudaoHost}/search?q=inlink%3A{d}", "1", "搜索到结果", "条",
     "搜索到结果约,<!-- RESULT_NO=1 DURATION=0.258 -->,<B>,</B>,搜索到结果"},
    {"Zhongsou", "{ZhongsouHost}/p?w=link%3A{d}&pt=1&k=&jc=&aid=&rt=o", "0", "找到", "条结果",
     "找到"},
    {"Live", "{LiveHost}/results.aspx?q=link%3A{d}&go=&form=QBNO", "1", "共", "条搜索结果", "共"},
};

} // namespace

const SurveyKind kBacklinkSurvey{"外链数量", kRows};

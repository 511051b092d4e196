#include "cli/command_examples.h"

#include <cstring>

namespace {

// One table beside the commands rather than in each subsystem's file: the examples are read only
// by the help and the manual page, and a test holds every command to at least one.
const struct {
    const char* command;
    CommandExample example;
} kExamples[] = {
    {"urlencode", {"tessivo-cli urlencode 站长工具", "打印“站长工具”的 GBK 百分号编码"}},
    {"page-text",
     {"curl -s https://example.com/ | tessivo-cli page-text", "打印一个网页去掉标签后的文字"}},
    {"indexed", {"tessivo-cli indexed example.com", "查询 example.com 在八个搜索引擎的收录数"}},
    {"indexed",
     {"tessivo-cli indexed --batch domains.txt --format csv > indexed.csv",
      "对 domains.txt 中的每个域名各查一次，结果存为 CSV"}},
    {"backlinks",
     {"tessivo-cli --json backlinks example.com", "以 JSON 打印指向 example.com 的链接数"}},
    {"baidu-period",
     {"tessivo-cli baidu-period example.com --period 最近一周",
      "查询百度最近一周收录 example.com 的网页数"}},
    {"badges", {"tessivo-cli badges example.com", "查询 example.com 的 PageRank、Alexa 排名等"}},
    {"keyword-rank",
     {"tessivo-cli keyword-rank www.example.com \"站长 工具\"",
      "查找 www.example.com 在各搜索引擎“站长 工具”结果中的名次"}},
    {"keyword-rank",
     {"tessivo-cli keyword-rank example.com 站长工具 --engines baidu,sogou --pages 3",
      "只问百度和搜狗，按页查询的引擎最多读三页"}},
    {"related", {"tessivo-cli related 站长工具", "列出“站长工具”的相关搜索和各自的百度指数"}},
    {"density",
     {"tessivo-cli density example.com/page.html 站长", "统计“站长”在该网页文字中的密度"}},
    {"directory", {"tessivo-cli directory cn_search", "列出中文搜索引擎的登录入口"}},
    {"convert", {"tessivo-cli convert s2t 简体中文", "把“简体中文”转为繁体"}},
    {"convert", {"tessivo-cli convert t2s < 繁體.txt", "把一个文件的繁体文字转为简体"}},
    {"ip", {"tessivo-cli ip example.com", "列出 example.com 的每个地址、反向解析、国家和所有者"}},
    {"whois", {"tessivo-cli whois www.example.com", "查询 example.com 的注册信息"}},
    {"audit",
     {"tessivo-cli audit https://www.example.com/ --max-pages 500",
      "体检自己的网站：最多读 500 个页面，列出坏链、重定向、标题等问题"}},
    {"audit",
     {"tessivo-cli audit https://www.example.com/ --resume --format csv > problems.csv",
      "接着上次停下的地方继续，把问题存为 CSV"}},
    {"sitemap",
     {"tessivo-cli sitemap --base https://www.example.com/ urls.txt --out site/",
      "把 urls.txt 中的网址写成网站地图"}},
    {"sitemap",
     {"tessivo-cli sitemap --base https://www.example.com/ --from-audit audit.json --out site/ "
      "--limit baidu",
      "用网站体检的结果写出百度接受的网站地图"}},
    {"sitemap",
     {"tessivo-cli sitemap --check https://www.example.com/sitemap.xml",
      "检查网站上已有的站点地图"}},
    {"push",
     {"tessivo-cli push baidu urls.txt --site https://www.example.com --token-file ~/.baidu-token",
      "把 urls.txt 中的网址推送给百度普通收录"}},
    {"push",
     {"tessivo-cli push indexnow urls.txt --key 0123abcd0123abcd",
      "先核对网站根目录的 0123abcd0123abcd.txt，再通知必应等 IndexNow 引擎"}},
    {"history",
     {"tessivo-cli history --tool keyword-rank --since 2024-01-01",
      "列出 2024 年以来的关键词排名查询"}},
    {"history", {"tessivo-cli history --all --format csv > history.csv", "把全部历史导出为 CSV"}},
    {"engines", {"tessivo-cli engines list", "列出正在使用的每个引擎和它来自的文件"}},
    {"engines",
     {"tessivo-cli engines check", "向排名跟踪的每个引擎查询一次，看引擎是否改了页面或拦住了查询"}},
    {"track",
     {"tessivo-cli track check www.example.com 站长工具",
      "查找 www.example.com 在各引擎“站长工具”前 50 个自然结果中的名次"}},
    {"track",
     {"tessivo-cli --json track check example.com 天气 --engines baidu,bing --depth 20",
      "只问百度和必应的前 20 个结果，以 JSON 打印"}},
    {"track",
     {"tessivo-cli track add example.com 站长工具 \"seo 优化\" --engines baidu,bing",
      "在百度和必应上跟踪 example.com 的两个关键词"}},
    {"track",
     {"tessivo-cli track run --delay 10",
      "检查跟踪列表中的每个关键词，同一引擎每 10 秒最多一次请求"}},
    {"track",
     {"tessivo-cli track schedule daily 08:00",
      "写 systemd 用户定时器，每天 08:00 运行 track run"}},
    {"track", {"tessivo-cli track schedule status", "显示计划、上次运行（有无失败）和下次运行"}},
};

} // namespace

std::vector<CommandExample> commandExamples(const Command& command) {
    std::vector<CommandExample> found;
    for (const auto& e : kExamples)
        if (std::strcmp(e.command, command.name) == 0)
            found.push_back(e.example);
    return found;
}

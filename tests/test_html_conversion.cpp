#include "base/tool_error.h"
#include "script/html_conversion.h"
#include "script/opencc_conversion.h"

#include <gtest/gtest.h>

namespace {

// Every 中 becomes X: what was converted shows, and nothing else moves.
std::string marked(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size();) {
        if (text.substr(i, 3) == "中") {
            out += 'X';
            i += 3;
        } else {
            out += text[i++];
        }
    }
    return out;
}

} // namespace

TEST(HtmlConversion, TextAndTheReadersAttributesOnly) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"<p>中</p>", "<p>X</p>"},
        {"<script>var s = \"中\";</script>中", "<script>var s = \"中\";</script>X"},
        {"<SCRIPT type=\"x\">if (a</b) \"中\"</SCRIPT >中",
         "<SCRIPT type=\"x\">if (a</b) \"中\"</SCRIPT >X"},
        {"<style>.中 { content: \"中\" }</style>", "<style>.中 { content: \"中\" }</style>"},
        {"<!-- 中 <p>中</p> -->中", "<!-- 中 <p>中</p> -->X"},
        {"<![CDATA[中]]><!DOCTYPE 中><?xml 中?>", "<![CDATA[中]]><!DOCTYPE 中><?xml 中?>"},
        {"<a href=\"/中.html\" title=\"中\">中</a>", "<a href=\"/中.html\" title=\"X\">X</a>"},
        {"<img alt='中' src=中.png ALT=中>", "<img alt='X' src=中.png ALT=X>"},
        {"<input placeholder=中 value=\"中\"/>", "<input placeholder=X value=\"中\"/>"},
        {"<meta name=\"description\" content=\"中\">", "<meta name=\"description\" content=\"X\">"},
        {"<meta content='中' NAME=Keywords>", "<meta content='X' NAME=Keywords>"},
        {"<meta property=\"og:title\" content=\"中\">",
         "<meta property=\"og:title\" content=\"中\">"},
        {"<div content=\"中\" name=\"description\">", "<div content=\"中\" name=\"description\">"},
        {"中&amp;中&#20013;中&#x4E2D;中&nbsp中&中", "X&amp;X&#20013;X&#x4E2D;X&nbspX&X"},
        {"<p title=\"中&quot;中\">", "<p title=\"X&quot;X\">"},
        {"a < 中 > b </中> <中>", "a < X > b </X> <X>"},
        {"<title>中<b>中</b></title>中", "<title>X<b>X</b></title>X"},
        {"<textarea>中</textarea>", "<textarea>X</textarea>"},
        {"<p data-x=\"中>中\" title=中>中</p>", "<p data-x=\"中>中\" title=X>X</p>"},
        {"<p\ttitle = \"中\"\n>", "<p\ttitle = \"X\"\n>"},
        {"<!-- 中", "<!-- 中"},
        {"<script>中", "<script>中"},
        {"<p title=\"中", "<p title=\"X"},
        {"\xEF\xBB\xBF中", "\xEF\xBB\xBFX"},
        {"中\x01中<p title=\x01中>", "X\x01X<p title=\x01X>"}, // the separator in the page
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(convertHtml(c.in, marked), c.out) << c.in;
}

TEST(HtmlConversion, LangValuesWhenAsked) {
    const char* page = "<html lang=\"zh-CN\"><link hreflang=ZH-hans href=\"/zh-CN/\">"
                       "<p lang=\"zh-CN-x\" xml:lang=\"zh-CN\">中</p><q lang=en>";
    EXPECT_EQ(convertHtml(page, marked),
              "<html lang=\"zh-CN\"><link hreflang=ZH-hans "
              "href=\"/zh-CN/\"><p lang=\"zh-CN-x\" xml:lang=\"zh-CN\">X</p><q lang=en>");
    EXPECT_EQ(convertHtml(page, marked, langChangeTo(true, QStringLiteral("zh-TW"))),
              "<html lang=\"zh-TW\"><link hreflang=zh-TW href=\"/zh-CN/\"><p lang=\"zh-CN-x\" "
              "xml:lang=\"zh-CN\">X</p><q lang=en>");
    EXPECT_EQ(convertHtml("<a hreflang='zh-HK' lang=zh-Hant><b lang=zh-CN>", marked,
                          langChangeTo(false, QStringLiteral("zh-CN"))),
              "<a hreflang='zh-CN' lang=zh-CN><b lang=zh-CN>");
}

TEST(HtmlConversion, RefusesWhatIsNotUtf8) {
    EXPECT_THROW(convertHtml("<p>\xD6\xD0\xCE\xC4</p>", marked), ToolError); // GBK
}

// A page of every kind of markup through OpenCC, compared piece by piece: the marked pieces
// are what a reader reads, the rest must come back byte for byte.
TEST(HtmlConversion, PageThroughOpenCc) {
    const struct {
        const char* bytes;
        bool text;
    } parts[] = {
        {"\xEF\xBB\xBF<!DOCTYPE html>\r\n<html lang=\"zh-CN\"><head><meta "
         "charset=\"utf-8\">\n<title>",
         false},
        {"鼠标和软件", true},
        {"</title>\n<meta name=\"keywords\" content=\"", false},
        {"头发,发展", true},
        {"\">\n<meta name=\"author\" content=\"软件\">\n<link rel=\"alternate\" hreflang=\"zh-CN\" "
         "href=\"https://例子.cn/软件?q=鼠标&amp;x=1\">\n<script>var 软件 = "
         "'<p>鼠标</p>';</script>\n<style>/* 软件 */ .a::after { content: \"鼠标\" "
         "}</style>\n</head>\n<body class=\"软件\">\n<!-- 鼠标 -->\n<h1 title=\"",
         false},
        {"软件下载", true},
        {"\">", false},
        {"U盘与鼠标", true},
        {"</h1>\n<p>", false},
        {"这款软件", true},
        {"&nbsp;", false},
        {"很好用", true},
        {"&#x8F6F;&lt;", false},
        {"鼠标", true},
        {"&gt;</p>\n<img src=\"/图片/鼠标.png\" alt='", false},
        {"鼠标垫", true},
        {"' width=10>\n<input placeholder=", false},
        {"搜索软件", true},
        {" value=\"软件\">\n<pre>", false},
        {"  打印机\n  服务器  ", true},
        {"</pre>\n</body>\n</html>\n", false},
    };
    const OpenCcConverter s2twp(QStringLiteral("s2twp"));
    std::string page;
    std::string expected;
    for (const auto& p : parts) {
        page += p.bytes;
        expected += p.text ? s2twp.convert(p.bytes) : p.bytes;
    }
    const std::string got = convertHtml(page, [&](std::string_view t) { return s2twp.convert(t); });
    size_t at = 0;
    for (const auto& p : parts) {
        const std::string want = p.text ? s2twp.convert(p.bytes) : p.bytes;
        ASSERT_EQ(got.substr(at, want.size()), want) << "at byte " << at;
        at += want.size();
    }
    EXPECT_EQ(at, got.size());
    EXPECT_NE(got.find("滑鼠和軟體"), std::string::npos);
}

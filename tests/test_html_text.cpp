#include "base/html_text.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

QString visible(const char* html) {
    QString t = removeHtml(QString::fromUtf8(html));
    return removeBlank(t);
}

} // namespace

TEST(RemoveHtml, Cases) {
    const struct {
        const char* name;
        const char* html;
        const char* text;
    } cases[] = {
        {"two words keep their space", "<p>hello world</p>", "hello world"},
        {"capital script tags: only the tags go", "<SCRIPT>var a=1;</SCRIPT>x", "var a=1;x"},
        {"two scripts end at their own nearest close",
         "<script>a()</script><p>中文</p><script>b()</script>", "中文"},
        {"empty script block", "<script></script>after", "after"},
        {"style block then text", "<style>p{color:red}</style>正文", "正文"},
        {"line feeds and tabs inside a script", "<script>\n\tx\n</script>y", "y"},
        {"CR inside a script: the dot takes it", "<script>a\r\nb</script>z", "z"},
        {"unterminated script: only its tag goes", "<script x>abc", "abc"},
        {"lone > stays", "a > b <i>c</i>", "a > b c"},
        {"comments and declarations go", "<!DOCTYPE html><!-- note -->t", "t"},
        {"tags across lines go", "<a\nhref='x'>link</a>", "link"},
        {"unclosed < runs to the end untouched", "a < b", "a < b"},
        {"a style opening joined by a deleted script", "<sty<script>x</script>le>a</style>b", "b"},
        {"joined across two deleted scripts",
         "<st<script>1</script>y<script>2</script>le>x</style>y", "y"},
        {"a style closing joined by a deleted script", "<style>a</sty<script>x</script>le>b", "b"},
        {"styles after an unterminated script", "<script x <style>a</style>b", "<script x b"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(removeHtml(QString::fromUtf8(c.html)), QString::fromUtf8(c.text)) << c.name;
}

TEST(RemoveBlank, Cases) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"hello world", "helloworld"},
        {"中\u3000文", "中文"},
        {"a&nbsp;b", "ab"},
        {"a&amp;b&NBSP;c", "a&amp;b&NBSP;c"},
        {"a\r\nb", "ab"},
        {"a\nb\rc", "a\nb\rc"},
        {"a\tb", "ab"},
        {"&nb sp;", ""}, // spaces go first, then the entity they hid
    };
    for (const auto& c : cases) {
        QString t = QString::fromUtf8(c.in);
        EXPECT_EQ(removeBlank(t), QString::fromUtf8(c.out)) << c.in;
        EXPECT_EQ(t, QString::fromUtf8(c.out)) << "written back: " << c.in;
    }
}

TEST(RemoveHtml, PageTextOfAWholePage) {
    EXPECT_EQ(visible("<html><head><title>标题</title><style>b{}</style></head>\r\n"
                      "<body><p>关键词 密度&nbsp;测试</p>\r\n<script>var s='<p>';</script></body>"),
              QStringLiteral("标题关键词密度测试"));
}

TEST(RemoveHtml, StaysLinearOnUnterminatedScripts) {
    // A backtracking engine needs seconds here; this must come back at once. With no ">"
    // anywhere, not even the tags go.
    QString page;
    for (int i = 0; i < 20000; ++i)
        page += QStringLiteral("<script x");
    EXPECT_EQ(removeHtml(page), page);
    EXPECT_EQ(removeHtml(page + QStringLiteral("script>tail")), QStringLiteral("tail"));
}

TEST(RemoveBlank, LaterDeletionsSeeOnlyWhatEarlierOnesLeft) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"&nb&nbsp;sp;", "&nbsp;"},  // the entity the deletion joins stays
        {"&&nbsp;", "&"},            // a second "&" starts the entity afresh
        {"&nbsp&nbsp;", "&nbsp"},    // a broken entity is let through whole
        {"\r\t\n", "\r\n"},          // tabs go last, after the CR LF pairs
        {"\r \n", ""},               // spaces go first
        {"\r&nbsp;\n", ""},          // the entity goes before the pairs are looked for
        {"&nbsp\r\n;", "&nbsp;"},    // a pair that goes after the entity was looked for
        {"\r\r\n\n", "\r\n"},        // one pair, not the one the deletion joins
        {"a&nbs", "a&nbs"},          // held at the end, let through
        {"&n\u3000b\u3000sp;x", "x"} // ideographic spaces go first too
    };
    for (const auto& c : cases) {
        QString t = QString::fromUtf8(c.in);
        EXPECT_EQ(removeBlank(t), QString::fromUtf8(c.out)) << c.in;
    }
}

TEST(RemoveHtml, RandomPagesAsTheRegularExpressionsAndRemoveChain) {
    // The deletions as they were written first: the regular expressions, then QString::remove
    // five times.
    static const QRegularExpression script(QStringLiteral("<script(.|\\n|\\t)+?script>"));
    static const QRegularExpression style(QStringLiteral("<style(.|\\n|\\t)+?style>"));
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    const QString pieces[] = {"<script", "script>", "<style", "style>", "<",      ">",
                              "&nbsp;",  "&nb",     "sp;",    " ",      "\u3000", "\r",
                              "\n",      "\t",      "\r\n",   "a",      "中",     "<p>",
                              "crip",    "t",       "<sty",   "le"};
    QRandomGenerator random(7);
    for (int round = 0; round < 3000; ++round) {
        QString html;
        for (int k = int(random.bounded(1, 80)); k > 0; --k)
            html += pieces[random.bounded(int(std::size(pieces)))];
        QString expected = QString(html).remove(script).remove(style).remove(tag);
        QString text = removeHtml(html);
        ASSERT_EQ(text, expected) << qPrintable(html);
        expected.remove(u' ').remove(QChar(0x3000)).remove(QStringLiteral("&nbsp;"));
        expected.remove(QStringLiteral("\r\n")).remove(u'\t');
        ASSERT_EQ(pageText(html), expected) << qPrintable(html);
        const qsizetype from = random.bounded(html.size() + 1);
        QString pageInPlace = html;
        pageTextInPlace(pageInPlace, from);
        ASSERT_EQ(pageInPlace, pageText(QStringView(html).sliced(from)))
            << from << qPrintable(html);
        ASSERT_EQ(removeBlank(text), expected) << qPrintable(html);
    }
}

TEST(PageText, AsRemoveHtmlThenRemoveBlank) {
    // Cases where a tag the tag deletion takes out sits among the blanks, and where runs of
    // eight units start or end on a line break, an entity or an opening.
    const char* const cases[] = {
        "&nb<b>sp;x",            // the tag joins an entity
        "&n<b> </b>bsp;x",       // a tag and a space inside one
        "\r<br>\n",              // a CR LF pair across a tag
        "\r<br>\t\n",            // a tab after the tag keeps the pair
        "1234567\r\nabcdefgh",   // the pair across two runs
        "12345678\nabcdefgh",    // a line feed opening a run
        "\r        \n1234567",   // spaces between CR and LF
        "abcdefg<i>hijklmno",    // a tag at the end of a run
        "abc<defghijklmno",      // an opening with no closing after it
        "abcdefghijklmn<op>q<r", // the last opening has none
        "a>b<c>d\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\r\n",
        "<script>x</script>&nbsp;&nbsp;&nbsp;&nbsp;\t\t\t\t\t\t\t\t",
        "&nbsp\r\n;&nbsp;",
        "<a><b><c>d", // tags one after another
        "<a><b",      // the last opening has no closing
        "x<a><<b>y",  // an opening inside a tag
        "",
    };
    for (const char* html : cases) {
        QString text = removeHtml(QString::fromUtf8(html));
        EXPECT_EQ(pageText(QString::fromUtf8(html)), removeBlank(text)) << html;
    }
}

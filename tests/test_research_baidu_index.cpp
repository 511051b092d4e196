#include "base/tool_error.h"
#include "research/baidu_index.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {

// An index page laid out as the cut expects, each value put in its cell as given.
QString indexPage(const QString& today, const QString& week, const QString& month,
                  const QString& quarter) {
    return QStringLiteral("<table><tr><td>时间范围</td><td class=\"TdNow\">关注度</td></tr>\r\n"
                          "<tr><td>今日</td><td class=\"TdNow\">%1</td></tr>\r\n"
                          "<tr><td>1周</td>\r\n<td>%2<span>up</span></td></tr>\r\n"
                          "<tr><td>1个月</td>\r\n<td>%3<span>up</span></td></tr>\r\n"
                          "<tr><td>1季度</td>\r\n<td>%4<span>dn</span></td></tr>\r\n</table>")
        .arg(today, week, month, quarter);
}

QStringList listed(const AttentionFigures& f) {
    return {f.today, f.week, f.month, f.quarter};
}

} // namespace

TEST(BaiduIndex, CutsTheFourFigures) {
    const struct {
        const char* name;
        QString page;
        QStringList figures;
    } cases[] = {
        {"plain", indexPage("1234", "8765", "43210", "98765"), {"1234", "8765", "43210", "98765"}},
        {"the week keeps line breaks, month and quarter lose them",
         indexPage(" 1234 ", "\r\n 8 765 ", "\r\n 43 210 ", " 98765\r\n"),
         {"1234", "\r\n8765", "43210", "98765"}},
        {"today loses outer spaces only",
         indexPage("  12 34\t", "1", "2", "3"),
         {"12 34\t", "1", "2", "3"}},
        {"values are text, empty ones too",
         indexPage("", "约1万", "<b>7</b>", ""),
         {"", "约1万", "<b>7</b>", ""}},
        {"thousands separators and lone commas stay in their figure",
         indexPage("1,234", "5,678,901", ",", "9,"),
         {"1,234", "5,678,901", ",", "9,"}},
        {"no figures table", "<html><body>暂无该关键词的指数</body></html>", {"-", "-", "-", "-"}},
        {"no <td> after a label leaves the working text whole",
         "时间范围今日5</td>1周 7<span>1个月 8<span>1季度 9<span</table>",
         {"5", "时间范围今日5</td>1周7", "span>1个月8", "span>1季度9"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(listed(cutBaiduIndex(c.page, QStringLiteral("u"))), c.figures) << c.name;
}

TEST(BaiduIndex, EachMissingPieceFailsNamingItAndThePage) {
    const struct {
        QString page;
        const char* missing;
    } cases[] = {
        {"时间范围<td>今日1</td>1周<td>2<span>1个月<td>3<span>1季度<td>4<span", "</table>"},
        {"时间范围<td>1</td>1周<td>2<span>1个月<td>3<span>1季度<td>4<span</table>", "今日"},
        {"时间范围<td>今日1 1周<td>2<span>1个月<td>3<span>1季度<td>4<span</table>", "</td>"},
        {"时间范围<td>今日1</td>一周<td>2<span>1个月<td>3<span>1季度<td>4<span</table>", "1周"},
        {"时间范围<td>今日1</td>1周<td>2<span>1季度<td>4<span</table>", "1个月"},
        // The month is searched after the week's value only.
        {"时间范围<td>今日1</td>1个月<td>3<span>1周<td>2<span>1季度<td>4<span</table>", "1个月"},
        {"时间范围<td>今日1</td>1周<td>2<span>1个月<td>3<span</table>", "1季度"},
        {"时间范围<td>今日1</td>1周<td>2 1个月<td>3 1季度<td>4</table>", "<span"},
        {"时间范围<td>今日1</td>1周<td>2<span>1个月<td>3<span>1季度<td>4</table>", "<span"},
    };
    for (const auto& c : cases) {
        QString error;
        try {
            cutBaiduIndex(c.page, QStringLiteral("http://i.test/w"));
        } catch (const ToolError& e) {
            error = e.description();
        }
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.missing)) &&
                    error.contains(QStringLiteral("http://i.test/w")))
            << c.page.toStdString() << " -> " << error.toStdString();
    }
}

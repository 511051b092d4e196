#include "app/window_options.h"

#include "net/endpoint_names.h"
#include "net/man_page.h"

namespace {

// Every option, in the order the help lists them: the parser, the help and the manual page are
// made of this one table.
const struct {
    const char* names; // comma-separated: "-h,--help"
    const char* value; // the value's name; nullptr for a flag
    const char* help;  // lines after the first are indented under the first
    QString WindowOptions::*text = nullptr;
    bool WindowOptions::*flag = nullptr;
} kOptions[] = {
    {"--demo", nullptr,
     "演示模式：不连网络，用程序自带的示例页面回答每个请求；\n窗口标题注明“演示数据”", nullptr,
     &WindowOptions::demo},
    {"--endpoints", "文件",
     "INI 文件，[endpoints] 节中的“端点名=地址”覆盖默认主机\n（在数据文件夹的 "
     "config/endpoints.ini 和\n~/.config/tessivo/endpoints.ini 之后读）",
     &WindowOptions::endpointsFile},
    {"--config-dir", "文件夹",
     "从 文件夹/config、文件夹/images 和 文件夹/download\n读数据文件，而不是程序的数据文件夹",
     &WindowOptions::configDir},
    {"--engines-dir", "文件夹",
     "从 文件夹 读引擎文件（indexed.ini 等），而不是\nconfig/engines；~/.config/tessivo/engines "
     "中的\n文件仍然覆盖其中的同名引擎",
     &WindowOptions::enginesDir},
    {"--proxy", "URL",
     "经代理发送工具的请求（如 http://127.0.0.1:8080）；\n不给出时按环境变量 http_proxy、"
     "https_proxy、no_proxy",
     &WindowOptions::proxy},
    {"--screenshots", "文件夹",
     "启动后把两个标签控件的每一页各存为一张 PNG，然后退出；\n与 --demo "
     "同用时先在每个工具页上查询一次示例",
     &WindowOptions::screenshots},
    {"-h,--help", nullptr, "显示本说明", nullptr, &WindowOptions::help},
    {"--version", nullptr, "显示版本号", nullptr, &WindowOptions::version},
    {"--man-page", nullptr, "以 troff 格式打印本程序的手册页（安装的 man 页由此生成）", nullptr,
     &WindowOptions::manPage},
};

QString label(const char* names, const char* value) {
    QString l = QString::fromUtf8(names).replace(u',', QStringLiteral(", "));
    if (value)
        l += u' ' + QString::fromUtf8(value);
    return l;
}

// Help, the version and the manual page are answers, not ways to open the window.
template <typename Option> bool answersItself(const Option& o) {
    return o.flag == &WindowOptions::help || o.flag == &WindowOptions::version ||
           o.flag == &WindowOptions::manPage;
}

const QString kEndpointsIntro =
    QStringLiteral("端点（请求发往的主机；示例见 config/endpoints.example.ini）");

} // namespace

WindowOptions parseWindowOptions(const QStringList& words) {
    WindowOptions options;
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString& word = words[i];
        bool known = false;
        for (const auto& o : kOptions)
            for (const QString& name : QString::fromLatin1(o.names).split(u',')) {
                if (o.flag && word == name) {
                    options.*o.flag = known = true;
                } else if (o.text && word == name && i + 1 < words.size()) {
                    options.*o.text = words[++i];
                    known = true;
                } else if (o.text && word.startsWith(name + u'=') &&
                           word.size() > name.size() + 1) {
                    options.*o.text = word.mid(name.size() + 1);
                    known = true;
                }
            }
        if (!known && options.unknown.isNull())
            options.unknown = word;
    }
    return options;
}

QString windowUsage() {
    QString usage = QStringLiteral("用法：tessivo");
    for (const auto& o : kOptions)
        if (!answersItself(o))
            usage += QStringLiteral(" [") + label(o.names, o.value) + u']';
    usage += QStringLiteral("\n打开 Tessivo 站长工具箱的窗口。\n\n选项：\n");
    for (const auto& o : kOptions)
        usage += helpOptionLines(label(o.names, o.value), QString::fromUtf8(o.help));
    return usage + u'\n' + kEndpointsIntro + QStringLiteral("：\n") + endpointDefaults();
}

QString windowManPage() {
    ManPage page(QStringLiteral("tessivo"),
                 QStringLiteral("Tessivo 站长工具箱：收录、反链、关键词排名等查询工具的窗口"));
    page.section(QStringLiteral("SYNOPSIS"));
    page.indented(windowUsage().section(u'\n', 0, 0).section(u'：', 1));
    page.section(QStringLiteral("DESCRIPTION"));
    page.paragraph(QStringLiteral(
        "打开 Tessivo 站长工具箱的窗口：收录查询、反链查询、百度更新、PR/Alexa、关键词排名、"
        "相关搜索、关键词密度、站长资源、简繁转换、域名IP类等页，每页一个工具。同样的工具也可以"
        "在命令行用 tessivo-cli 运行。窗口需要图形会话（X11 或 Wayland）。"));
    page.section(QStringLiteral("OPTIONS"));
    for (const auto& o : kOptions)
        page.option(QString::fromLatin1(o.names), o.value ? QString::fromUtf8(o.value) : QString(),
                    joinedLines(QString::fromUtf8(o.help)));
    page.section(QStringLiteral("ENDPOINTS"));
    page.paragraph(kEndpointsIntro);
    page.endpoints();
    page.section(QStringLiteral("EXAMPLES"));
    page.paragraph(QStringLiteral("不连网络，看看每个工具的样子："));
    page.display({QStringLiteral("tessivo --demo")});
    page.paragraph(QStringLiteral("经本机的代理发送请求："));
    page.display({QStringLiteral("tessivo --proxy http://127.0.0.1:8080")});
    page.commonSections();
    return page.text();
}

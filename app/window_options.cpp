#include "app/window_options.h"

#include "net/endpoint_names.h"

namespace {

const struct {
    const char* name;
    QString WindowOptions::*value;
} kValued[] = {
    {"--screenshots", &WindowOptions::screenshots},
    {"--endpoints", &WindowOptions::endpointsFile},
    {"--config-dir", &WindowOptions::configDir},
    {"--engines-dir", &WindowOptions::enginesDir},
    {"--proxy", &WindowOptions::proxy},
};

const struct {
    const char* name;
    bool WindowOptions::*flag;
} kFlags[] = {
    {"--demo", &WindowOptions::demo},
    {"--help", &WindowOptions::help},
    {"-h", &WindowOptions::help},
    {"--version", &WindowOptions::version},
};

} // namespace

WindowOptions parseWindowOptions(const QStringList& words) {
    WindowOptions options;
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString& word = words[i];
        bool known = false;
        for (const auto& f : kFlags)
            if (word == QLatin1String(f.name))
                options.*f.flag = known = true;
        for (const auto& v : kValued) {
            const QLatin1String name(v.name);
            if (word == name && i + 1 < words.size()) {
                options.*v.value = words[++i];
                known = true;
            } else if (word.startsWith(name + u'=') && word.size() > name.size() + 1) {
                options.*v.value = word.mid(name.size() + 1);
                known = true;
            }
        }
        if (!known && options.unknown.isNull())
            options.unknown = word;
    }
    return options;
}

QString windowUsage() {
    return QStringLiteral(
               "用法：tessivo [--demo] [--endpoints 文件] [--config-dir 文件夹] [--engines-dir "
               "文件夹] "
               "[--proxy URL] [--screenshots 文件夹]\n"
               "打开 Tessivo 站长工具箱的窗口。\n"
               "\n"
               "选项：\n"
               "  --demo                演示模式：不连网络，用程序自带的示例页面回答每个请求；\n"
               "                        窗口标题注明“演示数据”\n"
               "  --endpoints 文件      INI 文件，[endpoints] 节中的“端点名=地址”覆盖默认主机\n"
               "                        （在数据文件夹的 config/endpoints.ini 和\n"
               "                        ~/.config/tessivo/endpoints.ini 之后读）\n"
               "  --config-dir 文件夹   从 文件夹/config、文件夹/images 和 文件夹/download\n"
               "                        读数据文件，而不是程序的数据文件夹\n"
               "  --engines-dir 文件夹  从 文件夹 读引擎文件（indexed.ini 等），而不是\n"
               "                        config/engines；~/.config/tessivo/engines 中的\n"
               "                        文件仍然覆盖其中的同名引擎\n"
               "  --proxy URL           经代理发送工具的请求（如 http://127.0.0.1:8080）；\n"
               "                        不给出时按环境变量 http_proxy、https_proxy、no_proxy\n"
               "  --screenshots 文件夹  启动后把两个标签控件的每一页各存为一张 PNG，然后退出；\n"
               "                        与 --demo 同用时先在每个工具页上查询一次示例\n"
               "  -h, --help            显示本说明\n"
               "  --version             显示版本号\n"
               "\n"
               "端点（请求发往的主机；示例见 config/endpoints.example.ini）：\n") +
           endpointDefaults();
}

#include "cli/program_options.h"

#include "base/tool_error.h"
#include "cli/command.h"

#include <cmath>

namespace {

const ProgramOption kOptions[] = {
    {"--endpoints", "文件",
     "INI 文件，[endpoints] 节中的“端点名=地址”覆盖默认主机\n"
     "（在数据文件夹的 config/endpoints.ini 和\n"
     "~/.config/tessivo/endpoints.ini 之后读）",
     &Settings::endpointsFile},
    {"--config-dir", "文件夹",
     "从 文件夹/config、文件夹/images 和 文件夹/download 读数据文件，\n"
     "而不是程序的数据文件夹（安装后为 share/tessivo）",
     &Settings::configDir},
    {"--engines-dir", "文件夹",
     "从 文件夹 读引擎文件（indexed.ini、keyword-rank.ini 等），\n"
     "而不是数据文件夹的 config/engines；~/.config/tessivo/engines\n"
     "中的文件仍然覆盖其中的同名引擎",
     &Settings::enginesDir},
    {"--json", nullptr, "以 JSON 打印结果", &Settings::json},
    {"--demo", nullptr,
     "演示模式：不连网络，用程序自带的示例页面回答每个请求；\n"
     "结果是编造的演示数据（标准错误输出会注明，JSON 中有 \"demo\": true）",
     &Settings::demo},
    {"--proxy", "URL",
     "经代理发送请求（如 http://127.0.0.1:8080、socks5://host:1080）；\n"
     "不给出时按环境变量 http_proxy、https_proxy、no_proxy",
     &Settings::proxy},
    {"--timeout", "秒数",
     "每个网络请求最多等这么多秒（1 到 600，默认连接 10 秒、整个请求 30 秒）；\n"
     "IP 和 WHOIS 查询整体仍在 45 秒内结束",
     &Settings::timeout},
    {"--history", "文件",
     "历史数据库文件，代替用户数据文件夹中的\n"
     "~/.local/share/tessivo/history.sqlite",
     &Settings::historyFile},
    {"--no-history", nullptr, "不把这次查询记入历史", &Settings::noHistory},
    {"-h,--help", nullptr, "显示本说明；“命令 --help”显示该命令的说明", Answer::Help},
    {"--version", nullptr, "显示版本号", Answer::Version},
    {"--man-page", nullptr, "以 troff 格式打印本程序的手册页（安装的 man 页由此生成）",
     Answer::ManPage},
};

} // namespace

std::span<const ProgramOption> programOptions() {
    return kOptions;
}

std::optional<std::chrono::milliseconds> requestTimeout(const Settings& settings) {
    if (settings.timeout.isEmpty())
        return std::nullopt;
    bool ok = false;
    const double seconds = settings.timeout.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(seconds) || seconds < 1 || seconds > 600)
        throw UsageError{QStringLiteral("--timeout 应为 1 到 600 之间的秒数，而不是 %1")
                             .arg(echoed(settings.timeout))};
    return std::chrono::milliseconds(qint64(seconds * 1000));
}

#include "cli/batch_options.h"

namespace {

void checkFormat(const QString& value) {
    if (value != u"text" && value != u"json" && value != u"csv")
        throw UsageError{QStringLiteral("--format 应为 text、json 或 csv")};
}

} // namespace

double delaySeconds(const QString& text) {
    bool ok = false;
    const double s = text.toDouble(&ok);
    if (!ok || s < 0 || s > 3600)
        throw UsageError{QStringLiteral("--delay 应为 0 到 3600 之间的秒数")};
    return s;
}

std::vector<CommandOption> batchOptions() {
    return {
        {"--batch", "文件"},
        {"--delay", "秒数", [](const QString& v) { delaySeconds(v); }},
        {"--resume", nullptr},
        {"--format", "格式", checkFormat},
    };
}

QString batchHelp(const Command& command) {
    return QStringLiteral(
               "--batch 文件：对文件的每一行各查询一次（%1；空行和以 # 开头的行跳过），"
               "每行的结果都记入历史；某行失败时在标准错误输出说明并接着查下一行，"
               "最后若有失败的行则退出状态为 1。--delay 秒数：批处理时同一主机的两次请求"
               "至少相隔这么久（默认 1 秒）。--resume：跳过 24 "
               "小时内已成功查询过的行（失败、部分失败和演示模式的查询不算，会再查）。"
               "--format text|json|csv：text 为默认（批处理时每行前有“# 行号”）；json 同 --json，"
               "批处理时每行一个 JSON 对象，带 \"line\"、输入和失败时的 \"error\"；csv 先打印表头，"
               "每行一条，数字列给数，读不出数时给所显示的文字。")
        .arg(QString::fromUtf8(command.batchLine));
}

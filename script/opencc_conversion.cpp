#include "script/opencc_conversion.h"

#include "base/tool_error.h"

#include <Config.hpp>
#include <ConversionChain.hpp>
#include <Converter.hpp>
#include <Exception.hpp>
#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <Segmentation.hpp>
#include <Segments.hpp>
#include <array>

namespace {

constexpr std::array kConfigs{
    OpenCcConfig{"s2t", "简体→繁体（OpenCC）", "zh-Hant", true},
    OpenCcConfig{"s2tw", "简体→繁体（台湾字形）", "zh-TW", true},
    OpenCcConfig{"s2twp", "简体→繁体（台湾用词）", "zh-TW", true},
    OpenCcConfig{"s2hk", "简体→繁体（香港字形）", "zh-HK", true},
    OpenCcConfig{"t2s", "繁体→简体（OpenCC）", "zh-Hans", false},
    OpenCcConfig{"tw2s", "台湾繁体→简体", "zh-CN", false},
    OpenCcConfig{"tw2sp", "台湾繁体→简体（大陆用词）", "zh-CN", false},
    OpenCcConfig{"hk2s", "香港繁体→简体", "zh-CN", false},
    OpenCcConfig{"t2tw", "繁体→台湾字形", "zh-TW", true},
    OpenCcConfig{"t2hk", "繁体→香港字形", "zh-HK", true},
};

QString describeOpenCcFailure(const opencc::Exception& e) {
    return QStringLiteral("OpenCC 无法转换：%1").arg(QString::fromUtf8(e.what()));
}

// Converter::Convert's own steps, but the converted pieces are appended to out directly rather
// than joined through a string stream, which is a few percent of the whole conversion.
void appendConverted(const opencc::Converter& converter, std::string_view text, std::string& out) {
    // The segments point into input, which must outlive them.
    const std::string input(text);
    const opencc::SegmentsPtr segments = converter.GetSegmentation()->Segment(input);
    const opencc::SegmentsPtr converted = converter.GetConversionChain()->Convert(segments);
    for (const char* piece : *converted)
        out += piece;
}

} // namespace

std::span<const OpenCcConfig> openCcConfigs() {
    return kConfigs;
}

const OpenCcConfig* findOpenCcConfig(QStringView name) {
    for (const OpenCcConfig& c : kConfigs)
        if (name == QLatin1StringView(c.name))
            return &c;
    return nullptr;
}

QString openCcConfigNames() {
    QStringList names;
    for (const OpenCcConfig& c : kConfigs)
        names << QString::fromLatin1(c.name);
    return names.join(u'、');
}

QString openCcDataFolder() {
    return QStringLiteral(TESSIVO_OPENCC_DATA_DIR);
}

struct OpenCcConverter::Loaded {
    opencc::ConverterPtr converter;
};

OpenCcConverter::OpenCcConverter(const QString& name, const QString& dataFolder)
    : config_(findOpenCcConfig(name)) {
    if (!config_)
        throw ToolError(QStringLiteral("没有名为“%1”的 OpenCC 转换配置（可用：%2）")
                            .arg(echoed(name), openCcConfigNames()));
    // A full path, so that a file of the same name in the current folder is never taken for
    // the installed one; the dictionaries it names are then looked up beside it.
    const QString file = QDir(dataFolder).filePath(name + QStringLiteral(".json"));
    if (!QFileInfo(file).isFile())
        throw ToolError(QStringLiteral("找不到 OpenCC 的配置文件 %1（请安装 libopencc-data）")
                            .arg(QDir::toNativeSeparators(file)));
    try {
        opencc::Config reader;
        loaded_ = std::make_shared<const Loaded>(
            Loaded{reader.NewFromFile(QFile::encodeName(file).toStdString())});
    } catch (const opencc::FileNotFound& e) {
        throw ToolError(QStringLiteral("OpenCC 的配置 %1 所需的数据文件缺失或不可读：%2")
                            .arg(name, QString::fromUtf8(e.what())));
    } catch (const opencc::Exception& e) {
        throw ToolError(QStringLiteral("OpenCC 的配置文件 %1 无法读取：%2")
                            .arg(QDir::toNativeSeparators(file), QString::fromUtf8(e.what())));
    }
}

std::string OpenCcConverter::convert(std::string_view utf8) const {
    std::string out;
    convert(utf8, out);
    return out;
}

void OpenCcConverter::convert(std::string_view utf8, std::string& out) const {
    // OpenCC reads a text up to its first NUL; the pieces between NULs go one by one.
    out.reserve(out.size() + utf8.size() + utf8.size() / 8);
    try {
        while (true) {
            const size_t nul = utf8.find('\0');
            const std::string_view piece = utf8.substr(0, nul);
            if (!piece.empty())
                appendConverted(*loaded_->converter, piece, out);
            if (nul == std::string_view::npos)
                break;
            out += '\0';
            utf8.remove_prefix(nul + 1);
        }
    } catch (const opencc::Exception& e) {
        throw ToolError(describeOpenCcFailure(e));
    }
}

void OpenCcConverter::convert(QStringView text, QString& out) const {
    const QByteArray utf8 = text.toUtf8();
    const std::string converted = convert(std::string_view(utf8.constData(), size_t(utf8.size())));
    out += QString::fromUtf8(converted.data(), qsizetype(converted.size()));
}

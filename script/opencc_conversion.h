#pragma once

#include <QString>
#include <QStringView>
#include <memory>
#include <span>
#include <string>
#include <string_view>

// One of OpenCC's configurations, as the window and the CLI offer them.
struct OpenCcConfig {
    const char* name;    // "s2twp": the file s2twp.json of OpenCC's data folder
    const char* caption; // what the window's choice says
    const char* lang;    // the language tag of what it writes ("zh-TW")
    bool toTraditional;
};

// Every configuration the program offers, in the window's order.
std::span<const OpenCcConfig> openCcConfigs();
// nullptr when name is none of them.
const OpenCcConfig* findOpenCcConfig(QStringView name);
// "s2t、t2s、…", for messages and the help.
QString openCcConfigNames();

// Where libopencc-data puts the configurations and dictionaries.
QString openCcDataFolder();

// Conversion through one OpenCC configuration: its phrase dictionaries first, then its
// character dictionaries, longest match first. Copies share the loaded dictionaries.
class OpenCcConverter {
public:
    // Raises ToolError naming name when it is no configuration of openCcConfigs(), and naming
    // the file when the configuration or one of its dictionaries is missing or unreadable.
    explicit OpenCcConverter(const QString& name, const QString& dataFolder = openCcDataFolder());

    // text must be UTF-8; raises ToolError when OpenCC refuses it.
    std::string convert(std::string_view utf8) const;
    // The same, appended to out.
    void convert(std::string_view utf8, std::string& out) const;
    // Appends the conversion of text to out.
    void convert(QStringView text, QString& out) const;

    const OpenCcConfig& config() const { return *config_; }

private:
    struct Loaded;
    const OpenCcConfig* config_;
    std::shared_ptr<const Loaded> loaded_;
};

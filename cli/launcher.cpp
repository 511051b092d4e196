// tessivo-cli itself: a small program that answers the commands needing nothing beyond Qt Core
// (urlencode, page-text) by itself and hands every other command line to the whole program in
// libtessivo-cli-full.so. A process that loads libcurl, Qt Network, Qt SQL and their own
// libraries spends most of a short command's time relocating them, so the light commands must
// not link them. The light commands are parsed by the same parser over a table of their own,
// so whatever the launcher answers it answers as the whole program would; anything it cannot
// parse, help, the version and the demo go to the module, which tells them as it always has.
#include "cli/command_line.h"
#include "cli/command_status.h"
#include "cli/full_cli.h"

#include "base/program_folder.h"
#include "base/tool_error.h"

#include <QCoreApplication>
#include <dlfcn.h>
#include <filesystem>

namespace {

// Light commands make no request: one that tried would be a command put in the wrong table.
class RefusingFetcher : public Fetcher {
public:
    HttpResponse get(const QString& url) override {
        throw ToolError(QStringLiteral("这条命令不应发出请求，却请求了 %1").arg(echoed(url)));
    }
};

// Beside the program in the build folder; in an installation, in lib/<multiarch>/tessivo.
std::filesystem::path fullCliPath() {
    std::error_code error;
    const std::filesystem::path programs =
        std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
    const std::filesystem::path beside = programs / TESSIVO_FULL_CLI_NAME;
    if (std::filesystem::exists(beside, error))
        return beside;
    return (programs / TESSIVO_FULL_CLI_FROM_BIN / TESSIVO_FULL_CLI_NAME).lexically_normal();
}

// argv goes as it came: the module parses it again, with every command. Its functions are bound
// as they are first called, as a program's own libraries are: binding every function of libcurl,
// the TLS libraries and Qt's at once cost each delegated command about a millisecond.
int runFullCli(int argc, char** argv) {
    const std::string path = fullCliPath().string();
    void* module = dlopen(path.c_str(), RTLD_LAZY | RTLD_LOCAL);
    const auto entry =
        module ? reinterpret_cast<decltype(&tessivoCliMain)>(dlsym(module, kFullCliEntry))
               : nullptr;
    if (!entry) {
        printError(QStringLiteral("tessivo-cli：无法载入 %1（tessivo-cli 的其余命令都在其中，"
                                  "重新安装 Tessivo 可以补上）：%2")
                       .arg(QString::fromStdString(path), QString::fromLocal8Bit(dlerror())));
        return 1;
    }
    return entry(argc, argv);
}

} // namespace

int main(int argc, char** argv) {
    // As QCoreApplication::arguments() reads them: the application object is made only on the
    // light path, since the module makes its own.
    QStringList words;
    for (int i = 1; i < argc; ++i)
        words += QString::fromLocal8Bit(argv[i]);
    const std::vector<Command> light = netCommands();
    CommandLine line;
    try {
        line = parseCommandLine(words, light);
    } catch (const UsageError&) {
        return runFullCli(argc, argv);
    }
    // --demo puts its note on standard error before the command's output.
    if (line.answer || line.settings.demo)
        return runFullCli(argc, argv);

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tessivo"));
    if (!line.settings.configDir.isNull())
        program_folder::setPath(line.settings.configDir);
    RefusingFetcher fetcher;
    CliContext ctx{fetcher,
                   CliEndpoints(line.settings.endpointsFile),
                   line.settings.json,
                   line.options,
                   false,
                   line.settings.historyFile,
                   line.settings.noHistory};
    return commandStatus([&] { line.command->run(ctx, line.args); });
}

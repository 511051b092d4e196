#include "cli/command_status.h"

#include "base/tool_error.h"
#include "cli/command.h"
#include "cli/interrupt.h"
#include "cli/terminal_text.h"

#include <cstdio>
#include <exception>

void printError(const QString& text) {
    const QByteArray bytes = escapeControls(text).toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
}

int usageStatus(const QString& why) {
    printError(QStringLiteral("tessivo-cli：") + why + QStringLiteral("（见 tessivo-cli --help）"));
    return 2;
}

int commandStatus(const std::function<void()>& run) {
    try {
        run();
    } catch (const ToolStopped&) {
        return kInterruptedStatus;
    } catch (const UsageError& e) {
        return usageStatus(e.message);
    } catch (const ToolError& e) {
        printError(kErrorPrefix + e.description());
        return 1;
    } catch (const std::exception& e) {
        printError(kErrorPrefix + QString::fromUtf8(e.what()));
        return 1;
    }
    return 0;
}

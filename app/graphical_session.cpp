#include "app/graphical_session.h"

#include <QByteArray>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

void tell(const QString& why) {
    const QString line =
        QStringLiteral("tessivo：%1，无法打开窗口。请在桌面会话中运行；测试时可设置 "
                       "QT_QPA_PLATFORM=offscreen；在终端中请改用 tessivo-cli。\n")
            .arg(why);
    std::fputs(line.toUtf8().constData(), stderr);
}

struct HeldMessage {
    QtMsgType type;
    QByteArray category;
    QString text;
};

QtMessageHandler previousHandler = nullptr;
std::vector<HeldMessage> held;

void pass(QtMsgType type, const char* category, const QString& text) {
    const QMessageLogContext context(nullptr, 0, nullptr, category);
    if (previousHandler)
        previousHandler(type, context, text);
}

// The platform's warnings ("could not connect to display :1") come before its fatal message; they
// are held until it is clear whether the window starts.
void watchPlatform(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    const QByteArray category(context.category ? context.category : "");
    if (type == QtFatalMsg && text.contains(QLatin1String("platform plugin"))) {
        QStringList words;
        for (const HeldMessage& m : held)
            words << m.text.trimmed();
        if (words.isEmpty())
            words << text.section(u'\n', 0, 0).trimmed();
        tell(QStringLiteral("无法连接到图形界面（%1）").arg(words.join(QStringLiteral("；"))));
        std::_Exit(1);
    }
    if (type != QtFatalMsg && category.startsWith("qt.qpa")) {
        held.push_back({type, category, text});
        return;
    }
    pass(type, context.category, text);
}

} // namespace

bool graphicalSessionNamed(const QStringList& words) {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        if (!qEnvironmentVariableIsEmpty(name))
            return true;
    if (words.contains(QStringLiteral("-platform")))
        return true;
    tell(QStringLiteral("找不到图形界面（没有设置 DISPLAY 或 WAYLAND_DISPLAY）"));
    return false;
}

PlatformFailureGuard::PlatformFailureGuard() : previous_(qInstallMessageHandler(watchPlatform)) {
    previousHandler = previous_;
}

PlatformFailureGuard::~PlatformFailureGuard() {
    qInstallMessageHandler(previous_);
    for (const HeldMessage& m : held)
        pass(m.type, m.category.constData(), m.text);
    held.clear();
}

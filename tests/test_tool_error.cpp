#include "base/tool_error.h"

#include <gtest/gtest.h>

TEST(ToolError, KeepsTheWholeDescription) {
    const QString text = QStringLiteral("“a") + QChar(0) + QStringLiteral("b”不是地址");
    EXPECT_EQ(ToolError(text).description(), text);
}

TEST(ToolError, EchoedValuesAreCutAfter200Units) {
    const QString smile = QStringLiteral("\U0001F600");
    const struct {
        QString value;
        QString echoed;
    } cases[] = {
        {QString(200, u'x'), QString(200, u'x')},
        {QString(201, u'x'), QString(200, u'x') + QStringLiteral("…")},
        {QString(198, u'x') + smile, QString(198, u'x') + smile},
        {QString(199, u'x') + smile, QString(199, u'x') + QStringLiteral("…")}, // not half of it
    };
    for (const auto& c : cases)
        EXPECT_EQ(echoed(c.value), c.echoed) << c.value.size();
}

// The form's Windows font families become the installed families Qt would draw them with.
#include "app/form1.h"
#include "app/form_fonts.h"
#include "demo/demo_fetcher.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

// Substitutions are the application's: each test takes back the ones it made.
class Substitutions {
public:
    explicit Substitutions(QStringList families) : families_(std::move(families)) {}
    ~Substitutions() {
        for (const QString& family : families_)
            QFont::removeSubstitutions(family);
    }
    Substitutions(const Substitutions&) = delete;
    Substitutions& operator=(const Substitutions&) = delete;

private:
    QStringList families_;
};

} // namespace

TEST(FormFonts, AFamilyStandsForTheFirstInstalledOfItselfAndItsSubstitutes) {
    const QString installed = QFontDatabase::families().value(0);
    ASSERT_FALSE(installed.isEmpty()) << "no font installed";
    const Substitutions guard({"Tessivo Missing A", "Tessivo Missing C"});
    QFont::insertSubstitutions(QStringLiteral("Tessivo Missing A"),
                               {QStringLiteral("Tessivo Missing B"), installed});
    QFont::insertSubstitutions(QStringLiteral("Tessivo Missing C"),
                               {QStringLiteral("Tessivo Missing D")});
    const struct {
        QString family, expected;
    } cases[] = {
        {installed, installed},
        {installed.toUpper(), installed}, // as the font database spells it
        {"Tessivo Missing A", installed},
        {"Tessivo Missing C", "Tessivo Missing C"}, // nothing better: Qt's own search decides
        {"Tessivo Missing E", "Tessivo Missing E"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(installedFamily(c.family), c.expected) << c.family.toStdString();

    QFont::insertSubstitution(QStringLiteral("Tessivo Missing C"), installed);
    EXPECT_EQ(installedFamily(QStringLiteral("Tessivo Missing C")), installed)
        << "a substitute added later counts";
}

TEST(FormFonts, EachControlDrawsWithTheFaceItsFormFamilyStandsFor) {
    const Substitutions guard({"宋体", "楷体_GB2312"});
    substituteFormFonts();
    const auto faceOf = [](const QString& family, double points, bool bold) {
        QFont font(family);
        font.setPointSizeF(points);
        font.setBold(bold);
        return QFontInfo(font).family();
    };
    DemoFetcher fetcher;
    Form1 form(fetcher);
    const struct {
        const char* control;
        QString formFamily;
        double points; // as the user sees it, style sheet included
        bool bold;
    } cases[] = {
        {"Label1", "宋体", 9, false},        {"lblUrl", "宋体", 10.5, true},
        {"Label16", "宋体", 10.5, true},     {"Label11", "楷体_GB2312", 9, true},
        {"Label4", "楷体_GB2312", 12, true}, {"txtKeyWord", "宋体", 9, false},
    };
    for (const auto& c : cases) {
        auto* control = form.findChild<QWidget*>(QLatin1String(c.control));
        ASSERT_NE(control, nullptr) << c.control;
        control->ensurePolished();
        EXPECT_EQ(QFontInfo(control->font()).family(), faceOf(c.formFamily, c.points, c.bold))
            << c.control;
        EXPECT_EQ(control->font().pointSizeF(), c.points) << c.control;
        EXPECT_EQ(control->font().bold(), c.bold) << c.control;
        const QStringList installed = QFontDatabase::families();
        const QStringList substitutes = QFont::substitutes(c.formFamily);
        if (std::any_of(substitutes.begin(), substitutes.end(), [&](const QString& s) {
                return installed.contains(s, Qt::CaseInsensitive);
            })) {
            EXPECT_TRUE(installed.contains(control->font().family()))
                << c.control << " asks for " << control->font().family().toStdString();
        }
    }
}

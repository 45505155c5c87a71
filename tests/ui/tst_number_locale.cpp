// The desktop program under a locale that writes a decimal comma: the core's figures keep their
// point. Runs its own application (the one the program runs), started under such a locale.
#include <QtTest>
#include <cstdlib>

#include "support/test_support.h"
#include "ui/shared/error_report.h"
#include "vocabulary/codes.h"

class NumberLocaleTest : public QObject {
    Q_OBJECT
public:
    explicit NumberLocaleTest(std::string comma) : comma_(std::move(comma)) {}

private slots:
    void oddsAndRatesKeepTheirPoint() {
        if (comma_.empty()) QSKIP("no locale with a decimal comma is installed");
        QCOMPARE(QString::fromStdString(vex::formatText("%5.1f", 7.6)), QString("  7.6"));
        QCOMPARE(QString::fromStdString(vex::formatText("%.1f", 150.0)), QString("150.0"));
    }

private:
    std::string comma_;
};

int main(int argc, char** argv) {
    // The application takes the locale from the environment, as on a user's desktop.
    const std::string comma = vex::test::commaDecimalLocale();
    if (!comma.empty()) setenv("LC_ALL", comma.c_str(), 1);
    vex::ui::VexmoraApplication app(argc, argv);
    NumberLocaleTest test(comma);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_number_locale.moc"

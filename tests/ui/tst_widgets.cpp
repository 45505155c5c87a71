#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>

#include "ui/widgets/image_button.h"
#include "ui/widgets/label3d.h"
#include "ui/widgets/number_edit.h"

using vex::ui::NumberEdit;

class WidgetsTest : public QObject {
    Q_OBJECT
private slots:
    void digitLimitsAndSign() {
        NumberEdit odds(6, 1);
        QTest::keyClicks(&odds, "1234567.89");
        QCOMPARE(odds.text(), QString("123456.8"));  // seventh integer digit and second decimal refused
        odds.clear();
        QTest::keyClicks(&odds, "12.345");
        QCOMPARE(odds.text(), QString("12.3"));
        odds.clear();
        QTest::keyClicks(&odds, "-5");
        QCOMPARE(odds.text(), QString("5"));  // no sign allowed

        NumberEdit amount(8, 0);
        QTest::keyClicks(&amount, "3000.5");
        QCOMPARE(amount.text(), QString("30005"));  // no decimals at all
        QCOMPARE(amount.intValue(), 30005LL);

        NumberEdit signedEdit(3, 2, true);
        QTest::keyClicks(&signedEdit, "-12.5");
        QCOMPARE(signedEdit.value(), -12.5);
    }

    void blankReadsZeroAndSetValueFormats() {
        NumberEdit e(7, 1);
        QCOMPARE(e.value(), 0.0);
        e.setValue(9999999.9);
        QCOMPARE(e.text(), QString("9999999.9"));
        e.setValue(123456789);  // clipped to the digits the box holds
        QCOMPARE(e.text(), QString("9999999.9"));
        e.setValue(1);
        QCOMPARE(e.text(), QString("1.0"));
        QCOMPARE(NumberEdit::valueOf("abc"), 0.0);
    }

    void changeFiresOnlyWhenTheValueChanges() {
        NumberEdit e(6, 1);
        QSignalSpy spy(&e, &NumberEdit::valueChanged);
        QTest::keyClicks(&e, "1");
        QCOMPARE(spy.count(), 1);
        QTest::keyClicks(&e, ".");   // "1." is still 1
        QTest::keyClicks(&e, "0");   // "1.0" is still 1
        QCOMPARE(spy.count(), 1);
        QTest::keyClicks(&e, "5");   // 1.05 refused (one decimal), nothing changes
        QCOMPARE(e.text(), QString("1.0"));
        QCOMPARE(spy.count(), 1);
        e.setValue(1);
        QCOMPARE(spy.count(), 1);
        e.setValue(2.5);
        QCOMPARE(spy.count(), 2);
        e.clear();  // blank counts as 0
        QCOMPARE(spy.count(), 3);
    }

    void enterMovesToTheNextEntryCell() {
        QWidget w;
        auto* a = new NumberEdit(6, 1, false, &w);
        auto* b = new NumberEdit(7, 1, false, &w);
        auto* c = new QLineEdit(&w);
        QWidget::setTabOrder(a, b);
        QWidget::setTabOrder(b, c);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        a->setFocus();
        QTest::keyClick(a, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(b));
        QTest::keyClick(b, Qt::Key_Enter);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(c));
    }

    void labelAndButtonKeepTheirTexts() {
        vex::ui::Label3D label("C");
        QVERIFY(label.sizeHint().width() > QLabel("C").sizeHint().width());
        QImage img(label.sizeHint(), QImage::Format_ARGB32);
        label.resize(label.sizeHint());
        label.render(&img);  // paints without a window
        vex::ui::ImageButton button("データ取得", "取", Qt::darkCyan, "データの取得を行います");
        QCOMPARE(button.text(), QString("データ取得"));
        QCOMPARE(button.statusTip(), QString("データの取得を行います"));
        QVERIFY(!button.icon().isNull());
    }
};

QTEST_MAIN(WidgetsTest)
#include "tst_widgets.moc"

// The look: the program's icon on every window, the table helpers, the stretching column.
#include <QApplication>
#include <QDialog>
#include <QHeaderView>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QStyle>
#include <QTableView>
#include <QtTest>

#include "ui/look/look.h"
#include "ui/main/main_window.h"
#include "ui/support/ui_support.h"

using namespace vex;
using namespace vex::ui;

class LookTest : public QObject {
    Q_OBJECT

private slots:
    void everyWindowHasTheProgramsIcon() {
        const QIcon icon = look::programIcon();
        QVERIFY(!icon.isNull());
        QVERIFY(icon.availableSizes().contains(QSize(16, 16)) && icon.availableSizes().contains(QSize(256, 256)));
        // Drawn, not blank: the middle of the picture has colour.
        const QImage picture = icon.pixmap(64, 64).toImage();
        QVERIFY(qAlpha(picture.pixel(32, 32)) > 0);

        uitest::TempHome home;
        look::applyLook(*qApp);
        MainWindow main;
        QDialog other;
        QVERIFY(!main.windowIcon().isNull());
        QVERIFY(!other.windowIcon().isNull());
        QCOMPARE(QApplication::palette().color(QPalette::Base), QColor(Qt::white));
        // A message box's picture is the look's flat disc, not Qt's fallback bubble.
        const QImage critical = QApplication::style()->standardIcon(QStyle::SP_MessageBoxCritical).pixmap(48, 48).toImage();
        QCOMPARE(critical.pixelColor(24, 5), look::warningColour());
    }

    void figuresAndYen() {
        for (const char* figure : {"1", " 12", "1,234", "  7.6", "-3", "150.0%", "100,003,600"})
            QVERIFY2(look::isFigure(figure), figure);
        for (const char* text : {"", "  ", "1- 2", "4.20船橋", "2/16", "消", "ν", "1-", "%5"})
            QVERIFY2(!look::isFigure(QString::fromUtf8(text)), text);
        QCOMPARE(look::yen(100003600), QString("100,003,600"));
        QCOMPARE(look::yen(999), QString("999"));
        QCOMPARE(look::yen(-1500), QString("-1,500"));
    }

    void givenColoursStayAsGiven() {
        QCOMPARE(look::frameColour(2), QColor(128, 128, 128));
        QCOMPARE(look::frameColour(7), QColor(255, 128, 0));
        QCOMPARE(look::frameColour(0), QColor(Qt::white));
        QCOMPARE(look::frameTextColour(4), QColor(Qt::white));
        QCOMPARE(look::frameTextColour(5), QColor(Qt::black));
        QCOMPARE(look::placeColour(1), QColor(Qt::red));
        QCOMPARE(look::placeColour(3), QColor(Qt::blue));
        QCOMPARE(look::placeColour(4), QColor(Qt::black));
    }

    // The stretching columns share the room by their widths; a width their owner sets later is
    // their new minimum; hidden columns take no room.
    void stretchingColumnsShareTheRoom() {
        QStandardItemModel model(3, 4);
        QTableView view;
        view.setModel(&model);
        view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        for (int c = 0; c < 4; ++c) view.setColumnWidth(c, 50);
        view.setColumnWidth(2, 100);
        look::stretchColumns(&view, {1, 2});
        view.resize(600, 200);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        const int room = view.viewport()->width();
        QTRY_COMPARE(view.columnWidth(0) + view.columnWidth(1) + view.columnWidth(2) + view.columnWidth(3), room);
        QCOMPARE(view.columnWidth(0), 50);
        QVERIFY(std::abs(view.columnWidth(2) - 2 * view.columnWidth(1)) <= 2);

        view.setColumnWidth(1, 200);  // the owner's new width
        QCOMPARE(view.columnWidth(0) + view.columnWidth(1) + view.columnWidth(2) + view.columnWidth(3), room);
        QVERIFY(std::abs(view.columnWidth(2) - view.columnWidth(1) / 2) <= 2);

        view.setColumnHidden(3, true);
        QCOMPARE(view.columnWidth(0) + view.columnWidth(1) + view.columnWidth(2), room);

        view.resize(200, 200);  // narrower than the columns: their own widths, and it scrolls
        QTRY_COMPARE(view.columnWidth(1), 200);
        QCOMPARE(view.columnWidth(2), 100);
        QVERIFY(view.horizontalScrollBar()->maximum() > 0);
    }
};

QTEST_MAIN(LookTest)
#include "tst_look.moc"

#include <QtTest>

#include "ui/main_window.h"

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void titleIsVexmora() {
        vex::ui::TMainForm form;
        QCOMPARE(form.windowTitle(), QString("Vexmora"));
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_main_window.moc"

#include "app/frmvelmora.h"
#include "picker/pickerpanel.h"
#include "testcontext.h"

#include <QApplication>
#include <QScreen>
#include <QTest>

using namespace Qt::StringLiterals;

// A 1920 x 1080 screen at 200 %: the window is shorter than the panel,
// which fits inside it and scrolls, its last control reached by Tab and
// shown.
class tst_PickerFit : public QObject
{
    Q_OBJECT

private slots:
    void fitsAndScrolls();
};

void tst_PickerFit::fitsAndScrolls()
{
    QCOMPARE(QGuiApplication::primaryScreen()->size(), QSize(960, 540));
    TestContext test;
    frmVelmora main(test.context);
    main.show();
    QVERIFY(QTest::qWaitForWindowActive(&main));
    fraIconario *panel = main.picker();
    panel->openSequence();
    QTRY_COMPARE(panel->heightTwips(), fraIconario::openHeight);
    QVERIFY(panel->geometry().bottom() < main.height());

    panel->focusSets();
    auto *close = panel->findChild<QWidget *>(u"lblChiudiIC"_s);
    for (int i = 0; i < 10 && QApplication::focusWidget() != close; ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), close);
    const QRect shown(close->mapTo(panel, QPoint(0, 0)), close->size());
    QVERIFY2(panel->rect().contains(shown), qPrintable(u"%1,%2 %3x%4 in %5x%6"_s.arg(shown.x()).arg(shown.y())
                                                           .arg(shown.width()).arg(shown.height())
                                                           .arg(panel->width()).arg(panel->height())));
}

QTEST_MAIN(tst_PickerFit)
#include "tst_pickerfit.moc"

#include "core/layoutrule.h"

#include <QTest>

class tst_LayoutRule : public QObject
{
    Q_OBJECT

private slots:
    void forWindow_data();
    void forWindow();
};

void tst_LayoutRule::forWindow_data()
{
    QTest::addColumn<double>("width");
    QTest::addColumn<double>("height");
    QTest::addColumn<int>("left");
    QTest::addColumn<bool>("fits");
    QTest::addColumn<double>("viewWidth");
    QTest::addColumn<double>("viewHeight");
    QTest::addColumn<double>("statusTop");

    QTest::newRow("1024x768 screen, picker closed") << 15360.0 << 11120.0 << 50 << true << 15130.0 << 8645.0 << 10270.0;
    QTest::newRow("1024x768 screen, picker open") << 15360.0 << 11120.0 << 3150 << true << 12030.0 << 8645.0 << 10270.0;
    QTest::newRow("exactly as high as the bars") << 15360.0 << 2475.0 << 50 << true << 15130.0 << 0.0 << 1625.0;
    QTest::newRow("one twip lower") << 15360.0 << 2474.0 << 50 << false << 15130.0 << -1.0 << 1624.0;
    QTest::newRow("narrowest with picker open") << 3330.0 << 11120.0 << 3150 << true << 0.0 << 8645.0 << 10270.0;
    QTest::newRow("too narrow with picker open") << 3329.0 << 11120.0 << 3150 << false << -1.0 << 8645.0 << 10270.0;
    QTest::newRow("same width, picker closed") << 3329.0 << 11120.0 << 50 << true << 3099.0 << 8645.0 << 10270.0;
    QTest::newRow("too narrow, picker closed") << 229.0 << 11120.0 << 50 << false << -1.0 << 8645.0 << 10270.0;
    QTest::newRow("fractional twips kept") << 15367.5 << 11127.5 << 50 << true << 15137.5 << 8652.5 << 10277.5;
}

void tst_LayoutRule::forWindow()
{
    QFETCH(double, width);
    QFETCH(double, height);
    QFETCH(int, left);
    QFETCH(bool, fits);
    QFETCH(double, viewWidth);
    QFETCH(double, viewHeight);
    QFETCH(double, statusTop);

    const BrowserLayout l = BrowserLayout::forWindow(width, height, left);
    QCOMPARE(l.fits(), fits);
    QCOMPARE(l.viewLeft, double(left));
    QCOMPARE(l.statusLeft, double(left));
    QCOMPARE(l.viewTop, 1575.0);
    QCOMPARE(l.viewWidth, viewWidth);
    QCOMPARE(l.statusWidth, viewWidth);
    QCOMPARE(l.viewHeight, viewHeight);
    QCOMPARE(l.statusTop, statusTop);
}

QTEST_GUILESS_MAIN(tst_LayoutRule)
#include "tst_layoutrule.moc"

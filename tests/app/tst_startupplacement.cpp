#include "app/frmvelmora.h"
#include "testcontext.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

// The start-up placement is made again once the window has its frame, but
// never over a place the user has chosen.
class tst_StartUpPlacement : public QObject
{
    Q_OBJECT

private slots:
    void placement_data();
    void placement();
};

// The window's look for its frame, short here: a slow start outlasts it.
static constexpr int frameWaitMs = 300;

void tst_StartUpPlacement::placement_data()
{
    QTest::addColumn<int>("startMs");
    QTest::addColumn<QString>("action");
    QTest::newRow("framed") << 0 << QString();
    QTest::newRow("framed after a slow start") << int(frameWaitMs + 100) << QString();
    QTest::newRow("moved") << 0 << QStringLiteral("move");
    QTest::newRow("resized") << 0 << QStringLiteral("resize");
    QTest::newRow("maximized") << 0 << QStringLiteral("maximize");
}

void tst_StartUpPlacement::placement()
{
    QFETCH(int, startMs);
    QFETCH(QString, action);
    TestContext test;
    test.prompter.answers = {QMessageBox::Yes};
    frmVelmora window(test.context);
    window.setFrameWaitInterval(std::chrono::milliseconds(frameWaitMs));
    // The time a slow machine takes between building the window and showing it.
    QTest::qWait(startMs);

    QTimer *sizer = window.findChild<QTimer *>(QStringLiteral("tmrWBSizer"));
    QSignalSpy runs(sizer, &QTimer::timeout);
    window.show();
    if (action == QStringLiteral("move"))
        window.move(120, 90);
    else if (action == QStringLiteral("resize"))
        window.resize(700, 500);
    else if (action == QStringLiteral("maximize"))
        window.showMaximized();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QRect chosen = window.frameGeometry();

    // The layout has seen the frame, and then rests: nothing more changes.
    QTRY_VERIFY(!runs.isEmpty() && !sizer->isActive());
    if (action.isEmpty())
        QCOMPARE(window.frameGeometry(), QRect(0, 0, 1024, 741));
    else
        QCOMPARE(window.frameGeometry(), chosen);
}

QTEST_MAIN(tst_StartUpPlacement)
#include "tst_startupplacement.moc"

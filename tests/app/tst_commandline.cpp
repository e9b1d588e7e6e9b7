#include <QElapsedTimer>
#include <QProcess>
#include <QTest>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

// Runs the built program itself: what it answers must come before the
// engine starts, so nothing here waits for Chromium.
class tst_CommandLine : public QObject
{
    Q_OBJECT

private:
    struct Run
    {
        int status = -1;
        QString out;
        QString err;
        qint64 milliseconds = 0;
    };

    static Run run(const QStringList &arguments, const QProcessEnvironment &environment)
    {
        QProcess process;
        process.setProcessEnvironment(environment);
        QElapsedTimer clock;
        clock.start();
        process.start(QStringLiteral(VELMORA_PROGRAM), arguments);
        Run result;
        if (!process.waitForFinished(10000)) {
            process.kill();
            process.waitForFinished();
            return result;
        }
        result.milliseconds = clock.elapsed();
        result.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        result.out = QString::fromLocal8Bit(process.readAllStandardOutput());
        result.err = QString::fromLocal8Bit(process.readAllStandardError());
        return result;
    }

private slots:
    void answers_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        const QString version = u"Velmora "_s + QStringLiteral(VELMORA_VERSION) + u'\n';
        QTest::newRow("help") << QStringList{u"--help"_s} << 0 << u"--no-sandbox"_s << QString();
        QTest::newRow("-h") << QStringList{u"-h"_s} << 0 << u"--version"_s << QString();
        QTest::newRow("version") << QStringList{u"--version"_s} << 0 << version << QString();
        QTest::newRow("version beats no-sandbox")
            << QStringList{u"--no-sandbox"_s, u"-v"_s} << 0 << version << QString();
        QTest::newRow("unknown") << QStringList{u"--bogus"_s} << 2 << QString() << u"opzione sconosciuta --bogus"_s;
        QTest::newRow("unknown single dash") << QStringList{u"-x=1"_s} << 2 << QString() << u"opzione sconosciuta -x"_s;
        QTest::newRow("stray argument") << QStringList{u"forum"_s} << 2 << QString() << u"\"forum\""_s;
        QTest::newRow("Qt option without value")
            << QStringList{u"-platform"_s} << 2 << QString() << u"manca il valore dell'opzione -platform."_s;
        QTest::newRow("screen reader value") << QStringList{u"--screen-reader=sì"_s} << 2 << QString()
                                             << u"il valore di --screen-reader è on oppure off, non \"sì\"."_s;
        QTest::newRow("screen reader listed") << QStringList{u"--help"_s} << 0 << u"--screen-reader"_s << QString();
        QTest::newRow("console listed") << QStringList{u"--help"_s} << 0 << u"--log-console"_s << QString();
        QTest::newRow("value where none goes")
            << QStringList{u"--help=1"_s} << 2 << QString() << u"l'opzione --help non prevede un valore."_s;
    }

    void answers()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, out);
        QFETCH(QString, err);
        const Run result = run(arguments, QProcessEnvironment::systemEnvironment());
        QCOMPARE(result.status, status);
        QVERIFY2(result.out.contains(out), qPrintable(result.out));
        QVERIFY2(result.err.contains(err), qPrintable(result.err));
        if (status == 2)
            QVERIFY(result.out.isEmpty());
    }

    void refusesRootWithSandbox()
    {
#ifdef Q_OS_UNIX
        if (geteuid() != 0)
            QSKIP("needs root");
#else
        QSKIP("no root on this system");
#endif
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(u"QTWEBENGINE_DISABLE_SANDBOX"_s);
        const Run result = run({}, environment);
        QCOMPARE(result.status, 1);
        QVERIFY(result.milliseconds < 10000);
        QVERIFY2(result.err.startsWith(u"Velmora non può essere avviato come amministratore (root) "_s),
                 qPrintable(result.err));
        QVERIFY(result.err.contains(u"--no-sandbox"_s));
        // One sentence, not the engine's dump after it.
        QCOMPARE(result.err.count(u'\n'), 1);
    }
};

QTEST_GUILESS_MAIN(tst_CommandLine)
#include "tst_commandline.moc"

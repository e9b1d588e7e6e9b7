#include "core/gestionefiles.h"
#include "rewritesets.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// A rewrite killed at any point leaves the old file or the new one, byte
// for byte: never a mix, never a cut.
class tst_InterruptedRewrite : public QObject
{
    Q_OBJECT

private slots:
    void killedWriterLeavesAWholeFile();
};

void tst_InterruptedRewrite::killedWriterLeavesAWholeFile()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Personali.ic2"));
    const QByteArray first = *GestioneFiles::serializePersonalSet(
        PersonalSet::fromLists(RewriteSet::get(0).names, RewriteSet::get(0).urls));
    const QByteArray second = *GestioneFiles::serializePersonalSet(
        PersonalSet::fromLists(RewriteSet::get(1).names, RewriteSet::get(1).urls));
    QVERIFY(first.size() != second.size());

    int midWrite = 0;
    for (int round = 0; round < 40; ++round) {
        QProcess writer;
        writer.setProgram(QStringLiteral(PERSONALSET_WRITER));
        writer.setArguments({path});
        writer.start();
        QVERIFY(writer.waitForStarted());
        // Kill after a different number of announced rewrites each round,
        // while the next rewrite is under way.
        const int rewrites = 1 + round % 5;
        QByteArray announced;
        while (announced.count('\n') < rewrites && writer.state() == QProcess::Running) {
            writer.waitForReadyRead(5000);
            announced += writer.readAllStandardOutput();
        }
        // Then a little further into the rewrite each round (0 to 9.5 ms of a
        // rewrite that takes about 10), to land in encoding, writing and
        // renaming alike.
        QElapsedTimer into;
        into.start();
        while (into.nsecsElapsed() < (round % 20) * 500'000)
            ;
        writer.kill();
        QVERIFY(writer.waitForFinished(10000));
        QCOMPARE(writer.exitStatus(), QProcess::CrashExit);

        QFile file(path);
        if (!file.exists())
            continue; // killed before its first rewrite was done
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY2(bytes == first || bytes == second,
                 qPrintable(QStringLiteral("round %1: %2 bytes").arg(round).arg(bytes.size())));
        // The writer was killed during the rewrite it announced last when
        // the file still holds the set before it.
        const int last = announced.count('\n') - 1;
        midWrite += bytes == (last % 2 == 0 ? second : first) ? 1 : 0;
    }
    QVERIFY(QFile::exists(path));
    qInfo("%d of 40 kills came in the middle of a rewrite", midWrite);
    QVERIFY(midWrite > 0);
}

QTEST_GUILESS_MAIN(tst_InterruptedRewrite)
#include "tst_interruptedrewrite.moc"

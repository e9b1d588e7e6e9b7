#include "app/singleinstance.h"

#include <QFile>
#include <QLocalServer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class tst_SingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void secondStartActivatesTheFirst();
    void leftoversOfACrashDoNotBlock_data();
    void leftoversOfACrashDoNotBlock();

private:
    QTemporaryDir m_folder;
};

void tst_SingleInstance::secondStartActivatesTheFirst()
{
    const QString path = m_folder.filePath(QStringLiteral("a.sock"));
    SingleInstance first(path);
    QVERIFY(first.claim());
    QSignalSpy activated(&first, &SingleInstance::activationRequested);

    SingleInstance second(path);
    QVERIFY(!second.claim());
    QVERIFY(activated.wait(5000));

    // Once the first has gone, the next start runs.
    {
        SingleInstance gone(m_folder.filePath(QStringLiteral("b.sock")));
        QVERIFY(gone.claim());
    }
    SingleInstance next(m_folder.filePath(QStringLiteral("b.sock")));
    QVERIFY(next.claim());
}

void tst_SingleInstance::leftoversOfACrashDoNotBlock_data()
{
    QTest::addColumn<bool>("socketFile");
    QTest::addColumn<bool>("lockOfADeadProcess");
    QTest::newRow("socket file left behind") << true << false;
    QTest::newRow("lock left by a dead process") << false << true;
    QTest::newRow("both") << true << true;
}

void tst_SingleInstance::leftoversOfACrashDoNotBlock()
{
    QFETCH(bool, socketFile);
    QFETCH(bool, lockOfADeadProcess);
    const QString path = m_folder.filePath(QStringLiteral("crash-%1.sock").arg(QString::fromLatin1(QTest::currentDataTag())));
    if (socketFile) {
        QFile leftover(path);
        QVERIFY(leftover.open(QIODevice::WriteOnly));
    }
    if (lockOfADeadProcess) {
        // A lock file naming a process that no longer exists.
        QFile lock(path + QStringLiteral(".lock"));
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.write("2147483646\nvelmora\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    }
    SingleInstance instance(path);
    QVERIFY(instance.claim());
    SingleInstance second(path);
    QVERIFY(!second.claim());
}

QTEST_GUILESS_MAIN(tst_SingleInstance)
#include "tst_singleinstance.moc"

#include "app/singleinstance.h"

#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

class tst_SingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void secondStartActivatesTheFirst();
    void leftoversOfACrashDoNotBlock_data();
    void leftoversOfACrashDoNotBlock();
    void aSlowOwnerKeepsItsSocket();
    void socketFolder_data();
    void socketFolder();

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
    const QString path = m_folder.filePath(
        QStringLiteral("crash-%1.sock").arg(QString::fromLatin1(QTest::currentDataTag())));
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

void tst_SingleInstance::aSlowOwnerKeepsItsSocket()
{
    // An instance too busy to take connections: its queue is full, so a
    // new connection waits.
    const QString path = m_folder.filePath(QStringLiteral("busy.sock"));
    QLocalServer owner;
    owner.setListenBacklogSize(0);
    QVERIFY(owner.listen(path));
    std::vector<std::unique_ptr<QLocalSocket>> queued;
    for (int i = 0; i < 4; ++i) {
        queued.push_back(std::make_unique<QLocalSocket>());
        queued.back()->connectToServer(path);
    }

    struct stat before
    {
    };
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &before), 0);

    SingleInstance second(path);
    second.claim();
    // The owner still has its socket, not a new one made at its path.
    struct stat after
    {
    };
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &after), 0);
    QCOMPARE(after.st_ino, before.st_ino);
}

void tst_SingleInstance::socketFolder_data()
{
    QTest::addColumn<QString>("runtime");
    QTest::addColumn<QString>("expected");
    QTest::newRow("runtime folder") << QStringLiteral("/run/user/1000")
                                    << QStringLiteral("/run/user/1000/velmora.sock");
    QTest::newRow("none: the user's own folder")
        << QString() << QStringLiteral("/home/u/.local/share/Velmora/velmora.sock");
}

void tst_SingleInstance::socketFolder()
{
    QFETCH(QString, runtime);
    QFETCH(QString, expected);
    QCOMPARE(SingleInstance::socketPathIn(runtime, QStringLiteral("/home/u/.local/share/Velmora")), expected);
}

QTEST_GUILESS_MAIN(tst_SingleInstance)
#include "tst_singleinstance.moc"

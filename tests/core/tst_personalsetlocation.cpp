#include "core/personalsetlocation.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : "<none>"_ba;
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

} // namespace

// The user's write rights come through the seam, so these run as root as
// well; ownership and modes are real, so rows that hand a file or folder to
// another user need root.
class tst_PersonalSetLocation : public QObject
{
    Q_OBJECT

private slots:
    void choose_data()
    {
        QTest::addColumn<QString>("twist");
        QTest::addColumn<QByteArray>("besideProgram"); // empty: no file
        QTest::addColumn<QByteArray>("inData");
        QTest::addColumn<bool>("expectBeside");
        QTest::addColumn<QByteArray>("expectInData");
        const QByteArray mine = "\"Mio\"\r\n\"http://a/\"\r\n"_ba;
        const QByteArray older = "\"Vecchio\"\r\n\"http://b/\"\r\n"_ba;
        const QByteArray none = "<none>"_ba;
        QTest::newRow("copied folder, no file yet") << QString() << QByteArray() << QByteArray() << true << none;
        QTest::newRow("copied folder, its file") << QString() << mine << QByteArray() << true << none;
        QTest::newRow("installed, no file") << u"read-only folder"_s << QByteArray() << QByteArray() << false << none;
        QTest::newRow("installed, file left beside") << u"read-only folder"_s << mine << QByteArray() << false << mine;
        QTest::newRow("installed, moved before") << u"read-only folder"_s << mine << older << false << older;
        QTest::newRow("writable folder, read-only file")
            << u"read-only file"_s << mine << QByteArray() << false << mine;
        // Folders others may change, and files that are not the user's own.
        QTest::newRow("folder writable by all") << u"folder 0777"_s << mine << QByteArray() << false << mine;
        QTest::newRow("folder writable by the group")
            << u"folder 0775"_s << QByteArray() << QByteArray() << false << none;
        QTest::newRow("folder of another user") << u"folder of nobody"_s << mine << QByteArray() << false << mine;
        QTest::newRow("file of another user") << u"file of nobody"_s << mine << QByteArray() << false << none;
        QTest::newRow("link to another file") << u"symlink"_s << mine << QByteArray() << false << none;
        QTest::newRow("link in a shared folder") << u"symlink, folder 0777"_s << mine << QByteArray() << false << none;
        QTest::newRow("second name of a file") << u"hard link, folder 0777"_s << mine << QByteArray() << false << none;
        QTest::newRow("pipe in a shared folder")
            << u"pipe, folder 0777"_s << QByteArray() << QByteArray() << false << none;
        QTest::newRow("over 16 MiB in a shared folder")
            << u"large, folder 0777"_s << mine << QByteArray() << false << none;
    }

    void choose()
    {
        QFETCH(QString, twist);
        QFETCH(QByteArray, besideProgram);
        QFETCH(QByteArray, inData);
        QFETCH(bool, expectBeside);
        QFETCH(QByteArray, expectInData);

        QTemporaryDir root;
        const QString program = root.filePath(u"bin"_s);
        const QString data = root.filePath(u"data/Norvale/Velmora"_s);
        QVERIFY(QDir().mkpath(program));
        QVERIFY(QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        const QString beside = program + u"/Personali.ic2"_s;
        const QString kept = data + u"/Personali.ic2"_s;
        // What a link in the program folder points at: some other file of the user's.
        const QString elsewhere = root.filePath(u"altro.txt"_s);
        writeBytes(elsewhere, besideProgram);
        if (twist.startsWith(u"symlink"_s))
            QVERIFY(QFile::link(elsewhere, beside));
        else if (twist.startsWith(u"hard link"_s))
            QCOMPARE(::link(QFile::encodeName(elsewhere).constData(), QFile::encodeName(beside).constData()), 0);
        else if (twist.startsWith(u"pipe"_s))
            QCOMPARE(mkfifo(QFile::encodeName(beside).constData(), 0600), 0);
        else if (twist.startsWith(u"large"_s))
            QVERIFY(QFile(beside).open(QIODevice::WriteOnly) && QFile(beside).resize(17 << 20));
        else if (!besideProgram.isEmpty())
            writeBytes(beside, besideProgram);
        if (!inData.isEmpty()) {
            QVERIFY(QDir().mkpath(data));
            writeBytes(kept, inData);
        }
        // Reading a pipe would wait for a writer.
        const bool pipe = twist.startsWith(u"pipe"_s);
        const QByteArray besideBefore = pipe ? QByteArray() : readBytes(beside);
        const mode_t mode = twist.contains(u"0777"_s) ? 0777 : twist.contains(u"0775"_s) ? 0775 : 0700;
        QCOMPARE(chmod(QFile::encodeName(program).constData(), mode), 0);
        if (twist.endsWith(u"of nobody"_s)) {
            if (geteuid() != 0)
                QSKIP("needs root to give a file to another user");
            const QString given = twist.startsWith(u"folder"_s) ? program : beside;
            QCOMPARE(chown(QFile::encodeName(given).constData(), 65534, 65534), 0);
        }
        QSet<QString> locked;
        if (twist == u"read-only folder"_s)
            locked.insert(program);
        if (twist == u"read-only file"_s)
            locked.insert(beside);

        const QString chosen = PersonalSetLocation::choose(
            program, data, [&locked](const QString &path) { return !locked.contains(path); });
        QCOMPARE(chosen, expectBeside ? beside : kept);
        QCOMPARE(readBytes(kept), expectInData);
        // What stands beside the program, and what a link there leads to, is never touched.
        if (!pipe)
            QCOMPARE(readBytes(beside), besideBefore);
        QCOMPARE(readBytes(elsewhere), besideProgram);
    }
};

QTEST_GUILESS_MAIN(tst_PersonalSetLocation)
#include "tst_personalsetlocation.moc"

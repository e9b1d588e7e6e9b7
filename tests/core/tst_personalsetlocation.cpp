#include "core/personalsetlocation.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

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

// The user's rights come through the seam, so these run as root as well.
class tst_PersonalSetLocation : public QObject
{
    Q_OBJECT

private slots:
    void choose_data()
    {
        QTest::addColumn<QStringList>("readOnly"); // "folder", "file"
        QTest::addColumn<QByteArray>("besideProgram"); // empty: no file
        QTest::addColumn<QByteArray>("inData");
        QTest::addColumn<bool>("expectBeside");
        QTest::addColumn<QByteArray>("expectInData");
        const QByteArray mine = "\"Mio\"\r\n\"http://a/\"\r\n"_ba;
        const QByteArray older = "\"Vecchio\"\r\n\"http://b/\"\r\n"_ba;
        const QByteArray none = "<none>"_ba;
        QTest::newRow("copied folder, no file yet") << QStringList() << QByteArray() << QByteArray() << true << none;
        QTest::newRow("copied folder, its file") << QStringList() << mine << QByteArray() << true << none;
        QTest::newRow("installed, no file") << QStringList{u"folder"_s} << QByteArray() << QByteArray() << false
                                            << none;
        QTest::newRow("installed, file left beside") << QStringList{u"folder"_s} << mine << QByteArray() << false
                                                     << mine;
        QTest::newRow("installed, moved before") << QStringList{u"folder"_s} << mine << older << false << older;
        QTest::newRow("writable folder, read-only file") << QStringList{u"file"_s} << mine << QByteArray() << false
                                                         << mine;
    }

    void choose()
    {
        QFETCH(QStringList, readOnly);
        QFETCH(QByteArray, besideProgram);
        QFETCH(QByteArray, inData);
        QFETCH(bool, expectBeside);
        QFETCH(QByteArray, expectInData);

        QTemporaryDir root;
        const QString program = root.filePath(u"bin"_s);
        const QString data = root.filePath(u"data/Norvale/Velmora"_s);
        QVERIFY(QDir().mkpath(program));
        const QString beside = program + u"/Personali.ic2"_s;
        const QString kept = data + u"/Personali.ic2"_s;
        if (!besideProgram.isEmpty())
            writeBytes(beside, besideProgram);
        if (!inData.isEmpty()) {
            QVERIFY(QDir().mkpath(data));
            writeBytes(kept, inData);
        }
        QSet<QString> locked;
        if (readOnly.contains(u"folder"_s))
            locked.insert(program);
        if (readOnly.contains(u"file"_s))
            locked.insert(beside);

        const QString chosen = PersonalSetLocation::choose(
            program, data, [&locked](const QString &path) { return !locked.contains(path); });
        QCOMPARE(chosen, expectBeside ? beside : kept);
        QCOMPARE(readBytes(kept), expectInData);
        // The file beside the program is never touched.
        QCOMPARE(readBytes(beside), besideProgram.isEmpty() ? "<none>"_ba : besideProgram);
    }
};

QTEST_GUILESS_MAIN(tst_PersonalSetLocation)
#include "tst_personalsetlocation.moc"

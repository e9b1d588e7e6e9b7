#include "core/draftstore.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

Draft draftAt(const QString &page, const QDateTime &savedAt, const QString &text = u"Ciao a tutti"_s)
{
    return Draft{.page = page, .field = u"req_message"_s, .title = u"Rispondi"_s, .text = text, .savedAt = savedAt};
}

// The owner's, the group's and the others' rights, as ls shows them.
QFileDevice::Permissions modeOf(const QString &path)
{
    return QFile::permissions(path) & QFileDevice::Permissions(0x7077);
}

QStringList pagesOf(const QList<Draft> &drafts)
{
    QStringList pages;
    for (const Draft &d : drafts)
        pages.append(d.page);
    return pages;
}

} // namespace

class tst_DraftStore : public QObject
{
    Q_OBJECT

private slots:
    void keptAcrossRestarts();
    void bounded_data();
    void bounded();
    void strangeFilesSkipped();
    void refusedWriteSaidOnce();
};

void tst_DraftStore::keptAcrossRestarts()
{
    QTemporaryDir home;
    const QString folder = home.filePath(u"bozze"_s);
    const QDateTime now = QDateTime::currentDateTimeUtc();
    // Cut inside a two-byte letter: the draft keeps whole characters only.
    const QString longText = u"a"_s + QString(DraftStore::maxDraftBytes, QChar(u'è'));
    {
        DraftStore store(folder);
        store.load(now);
        store.save(draftAt(u"http://f/vecchia"_s, now.addSecs(-60)));
        const Draft cut = store.save(draftAt(u"http://f/nuova"_s, now, longText));
        QVERIFY(cut.cut);
        QCOMPARE(cut.text.toUtf8().size(), DraftStore::maxDraftBytes - 1);
        QVERIFY(!cut.text.endsWith(QChar::ReplacementCharacter));
    }
    QCOMPARE(modeOf(folder), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const QStringList files = QDir(folder).entryList(QDir::Files);
    QCOMPARE(files.size(), 2);
    for (const QString &name : files)
        QCOMPARE(modeOf(QDir(folder).filePath(name)), QFileDevice::ReadOwner | QFileDevice::WriteOwner);

    DraftStore again(folder);
    again.load(now);
    QCOMPARE(pagesOf(again.drafts()), (QStringList{u"http://f/nuova"_s, u"http://f/vecchia"_s}));
    QVERIFY(again.draft(u"http://f/nuova"_s, u"req_message"_s).cut);
    QCOMPARE(again.draft(u"http://f/vecchia"_s, u"req_message"_s).text, u"Ciao a tutti"_s);
}

void tst_DraftStore::bounded_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("ageDays"); // of the first draft
    QTest::addColumn<bool>("firstKept");

    QTest::newRow("recent") << 2 << DraftStore::maxAgeDays - 1 << true;
    QTest::newRow("too old") << 2 << DraftStore::maxAgeDays + 1 << false;
    QTest::newRow("one too many") << DraftStore::maxDrafts + 1 << 0 << false;
}

void tst_DraftStore::bounded()
{
    QFETCH(int, count);
    QFETCH(int, ageDays);
    QFETCH(bool, firstKept);

    QTemporaryDir folder;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    {
        DraftStore store(folder.path());
        store.load(now);
        for (int i = 0; i < count; ++i)
            store.save(draftAt(u"http://f/%1"_s.arg(i), i == 0 ? now.addDays(-ageDays) : now.addSecs(i)));
    }
    DraftStore store(folder.path());
    store.load(now);
    store.flush();
    QCOMPARE(store.contains(u"http://f/0"_s, u"req_message"_s), firstKept);
    QCOMPARE(store.drafts().size(), firstKept ? count : count - 1);
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files).size(), store.drafts().size());
}

void tst_DraftStore::strangeFilesSkipped()
{
    QTemporaryDir folder;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const Draft good = draftAt(u"http://f/buona"_s, now);
    const Draft other = draftAt(u"http://f/altra"_s, now, u"testo messo sotto un altro nome"_s);
    const auto put = [&](const QString &name, const QByteArray &bytes) {
        QFile file(folder.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    };
    put(DraftStore::fileNameFor(good.key()), DraftStore::serialize(good));
    put(DraftStore::fileNameFor(good.key()) + u".tmp"_s, "rubbish");
    put(u"rotta.bozza"_s, DraftStore::serialize(good).left(20));
    put(u"vuota.bozza"_s, {});
    put(u"array.bozza"_s, "[1,2,3]");
    // A valid draft under another draft's name must not show up on that page.
    put(DraftStore::fileNameFor(u"http://f/buona\nsoggetto"_s), DraftStore::serialize(other));
    QVERIFY(QDir(folder.path()).mkdir(u"cartella.bozza"_s));

    DraftStore store(folder.path());
    store.load(now);
    QCOMPARE(pagesOf(store.drafts()), QStringList{good.page});
}

void tst_DraftStore::refusedWriteSaidOnce()
{
    QTemporaryDir folder;
    DraftStore store(folder.path());
    store.load();
    QSignalSpy failed(&store, &DraftStore::writeFailed);
    const Draft draft = draftAt(u"http://f/piena"_s, QDateTime::currentDateTimeUtc());
    // A folder where the draft's file should be: every write of it fails,
    // as on a full disk.
    const QString blocker = folder.filePath(DraftStore::fileNameFor(draft.key()));
    QVERIFY(QDir().mkpath(blocker + u"/dentro"_s));
    for (int i = 0; i < 3; ++i) {
        store.save(draft);
        store.flush();
    }
    QCOMPARE(failed.size(), 1);
    QVERIFY(!failed.at(0).at(0).toString().isEmpty());
    QCOMPARE(store.draft(draft.page, draft.field).text, draft.text);

    // Once the disk takes writes again, a later failure is said again.
    QVERIFY(QDir(blocker).removeRecursively());
    store.save(draft);
    store.flush();
    QVERIFY(QFile::remove(blocker));
    QVERIFY(QDir().mkpath(blocker + u"/dentro"_s));
    store.save(draft);
    store.flush();
    QCOMPARE(failed.size(), 2);
}

QTEST_GUILESS_MAIN(tst_DraftStore)
#include "tst_draftstore.moc"

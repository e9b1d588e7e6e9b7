#include "core/draftstore.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

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
    void oneCopyWrites();
    void fileBoundedAsWritten_data();
    void fileBoundedAsWritten();
    void strangeFolder_data();
    void strangeFolder();
    void newestWithinBounds();
    void rewritesCoalesced();
    void shown_data();
    void shown();
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
        const Draft cut = *store.save(draftAt(u"http://f/nuova"_s, now, longText));
        QVERIFY(cut.cut);
        QVERIFY(DraftStore::serialize(cut).size() <= DraftStore::maxDraftBytes);
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
    // Said in Italian, as the status line shows it.
    QCOMPARE(failed.at(0).at(0).toString(), u"al posto del file c'è una cartella"_s);
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

// A second copy of the program reads the folder but never writes it, until
// the first is gone.
void tst_DraftStore::oneCopyWrites()
{
    QTemporaryDir folder;
    const auto onDisk = [&] { return QDir(folder.path()).entryList({u"*.bozza"_s}, QDir::Files).size(); };
    auto first = std::make_unique<DraftStore>(folder.path());
    first->load();
    first->save(draftAt(u"http://f/prima"_s, {}));
    first->flush();
    QCOMPARE(onDisk(), 1);

    DraftStore second(folder.path());
    QSignalSpy failed(&second, &DraftStore::writeFailed);
    second.load();
    QCOMPARE(pagesOf(second.drafts()), QStringList{u"http://f/prima"_s});
    second.remove(u"http://f/prima"_s, u"req_message"_s);
    second.save(draftAt(u"http://f/seconda"_s, {}));
    second.flush();
    QCOMPARE(onDisk(), 1);
    QCOMPARE(failed.size(), 1);
    QVERIFY(failed.at(0).at(0).toString().contains(u"in uso da un'altra copia"_s));

    first.reset();
    second.load();
    second.save(draftAt(u"http://f/seconda"_s, {}));
    second.flush();
    QCOMPARE(onDisk(), 2);
}

void tst_DraftStore::fileBoundedAsWritten_data()
{
    QTest::addColumn<QString>("unit");
    QTest::newRow("control characters") << u"\u0001"_s;
    QTest::newRow("quotes") << u"\""_s;
    QTest::newRow("letters of two bytes") << u"è"_s;
    QTest::newRow("pairs of surrogates") << u"😀"_s;
    QTest::newRow("mixed") << u"a\n\u0002è😀\\"_s;
}

// However its characters are spelt in the file, a draft's file holds at
// most maxDraftBytes, nearly all of them text, cut between characters.
void tst_DraftStore::fileBoundedAsWritten()
{
    QFETCH(QString, unit);
    QTemporaryDir folder;
    DraftStore store(folder.path());
    store.load();
    const Draft kept = *store.save(draftAt(u"http://f/lunga"_s, {}, unit.repeated(DraftStore::maxDraftBytes)));
    store.flush();
    QFile file(folder.filePath(DraftStore::fileNameFor(kept.key())));
    QVERIFY(kept.cut);
    QVERIFY(file.size() <= DraftStore::maxDraftBytes);
    QVERIFY(file.size() > DraftStore::maxDraftBytes - 200);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(DraftStore::parse(file.readAll())->text, kept.text);
    QVERIFY(!kept.text.back().isHighSurrogate());
}

void tst_DraftStore::strangeFolder_data()
{
    QTest::addColumn<QString>("what");
    QTest::newRow("a pipe") << u"fifo"_s;
    QTest::newRow("a link to a pipe") << u"link-to-fifo"_s;
    QTest::newRow("a link to a draft") << u"link-to-draft"_s;
    QTest::newRow("the folder a link") << u"folder-link"_s;
}

// Nothing in the folder holds start-up up or is followed elsewhere.
void tst_DraftStore::strangeFolder()
{
    QFETCH(QString, what);
    QTemporaryDir home;
    const QString folder = home.filePath(u"bozze"_s);
    const QString elsewhere = home.filePath(u"altrove"_s);
    QVERIFY(QDir().mkpath(folder) && QDir().mkpath(elsewhere));
    QVERIFY(QFile::setPermissions(elsewhere, QFileDevice::Permissions(0x7755)));
    const Draft draft = draftAt(u"http://f/pagina"_s, QDateTime::currentDateTimeUtc());
    const QString name = DraftStore::fileNameFor(draft.key());
    const QString fifo = elsewhere + u"/tubo"_s;
    QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    if (what == u"fifo")
        QCOMPARE(mkfifo(QFile::encodeName(folder + u'/' + name).constData(), 0600), 0);
    if (what == u"link-to-fifo")
        QVERIFY(QFile::link(fifo, folder + u'/' + name));
    if (what == u"link-to-draft") {
        QFile target(elsewhere + u'/' + name);
        QVERIFY(target.open(QIODevice::WriteOnly));
        target.write(DraftStore::serialize(draft));
        target.close();
        QVERIFY(QFile::link(target.fileName(), folder + u'/' + name));
    }
    if (what == u"folder-link") {
        QVERIFY(QDir(folder).removeRecursively());
        QVERIFY(QFile::link(elsewhere, folder));
    }

    DraftStore store(folder);
    QSignalSpy failed(&store, &DraftStore::writeFailed);
    store.load();
    QVERIFY(store.drafts().isEmpty());
    store.save(draftAt(u"http://f/nuova"_s, {}));
    store.flush();
    QCOMPARE(store.drafts().size(), 1);
    QCOMPARE(modeOf(elsewhere), QFileDevice::Permissions(0x7755) & QFileDevice::Permissions(0x7077));
    QCOMPARE(QDir(elsewhere).entryList(QDir::Files | QDir::System).size(), what == u"link-to-draft" ? 2 : 1);
    QCOMPARE(failed.size(), what == u"folder-link" ? 1 : 0);
    if (what == u"folder-link")
        QVERIFY(failed.at(0).at(0).toString().contains(u"è un collegamento"_s));
}

// Thousands of files planted in the folder: the newest drafts are read,
// within the bounds, and the rest left alone.
void tst_DraftStore::newestWithinBounds()
{
    QTemporaryDir folder;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QString big(DraftStore::maxDraftBytes / 2, u'x');
    for (int i = 0; i < 2000; ++i) {
        const Draft d = draftAt(u"http://f/%1"_s.arg(i), now.addSecs(i - 2000), i % 10 == 0 ? big : u"breve"_s);
        QFile file(folder.filePath(DraftStore::fileNameFor(d.key())));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(DraftStore::serialize(d));
        file.close();
        file.open(QIODevice::ReadWrite);
        QVERIFY(file.setFileTime(now.addSecs(i - 2000), QFileDevice::FileModificationTime));
    }
    DraftStore store(folder.path());
    store.load(now);
    const QList<Draft> kept = store.drafts();
    QVERIFY(kept.size() <= DraftStore::maxDrafts);
    QCOMPARE(kept.first().page, u"http://f/1999"_s);
    qint64 bytes = 0;
    for (const Draft &d : kept)
        bytes += DraftStore::serialize(d).size();
    QVERIFY(bytes <= DraftStore::maxTotalBytes);
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files).size(), 2000);
}

// A page rewriting a field costs one write a second, the last text.
void tst_DraftStore::rewritesCoalesced()
{
    QTemporaryDir folder;
    DraftStore store(folder.path());
    store.load();
    const Draft first = draftAt(u"http://f/p"_s, {}, u"testo 0"_s);
    const QString path = folder.filePath(DraftStore::fileNameFor(first.key()));
    const auto onDisk = [&] {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? DraftStore::parse(file.readAll()).value_or(Draft{}).text : QString();
    };
    store.save(first);
    QTRY_COMPARE(onDisk(), u"testo 0"_s);
    for (int i = 1; i <= 20; ++i)
        store.save(draftAt(first.page, {}, u"testo %1"_s.arg(i)));
    QTest::qWait(100);
    QCOMPARE(onDisk(), u"testo 0"_s);
    QTRY_COMPARE_WITH_TIMEOUT(onDisk(), u"testo 20"_s, 2 * DraftStore::writeIntervalMs);
}

void tst_DraftStore::shown_data()
{
    QTest::addColumn<QString>("draft");
    QTest::addColumn<QString>("page");
    QTest::addColumn<QStringList>("images");
    QTest::addColumn<bool>("shown");
    const QString img = u"http://f/1.gif"_s;
    QTest::newRow("words") << u"Grazie [b]a tutti[/b] per l'aiuto di ieri"_s
                           << u"Re: aiuto Grazie a tutti per l'aiuto di ieri"_s << QStringList() << true;
    QTest::newRow("other words") << u"Grazie a tutti per l'aiuto di ieri"_s << u"Accedi per scrivere"_s
                                 << QStringList() << false;
    QTest::newRow("only a picture, shown") << u"[img]%1[/img]"_s.arg(img) << u"Accesso"_s << QStringList{img}
                                           << true;
    QTest::newRow("only a picture, not shown") << u"[img]%1[/img]"_s.arg(img) << u"Accesso"_s << QStringList()
                                               << false;
    QTest::newRow("few words and a picture not shown")
        << u"Ciao [img]%1[/img]"_s.arg(img) << u"Ciao"_s << QStringList() << false;
    QTest::newRow("nothing to show") << u"[b][/b]"_s << u"qualsiasi pagina"_s << QStringList() << false;
}

void tst_DraftStore::shown()
{
    QFETCH(QString, draft);
    QFETCH(QString, page);
    QFETCH(QStringList, images);
    QFETCH(bool, shown);
    QCOMPARE(DraftStore::isShownIn(draft, page, images), shown);
}

QTEST_GUILESS_MAIN(tst_DraftStore)
#include "tst_draftstore.moc"

#include "core/catalogue.h"
#include "finder/emoticonindex.h"
#include "finder/emoticonusage.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_EmoticonFinder : public QObject
{
    Q_OBJECT

private slots:
    void search_data();
    void search();
    void recentOrder_data();
    void recentOrder();
    void recentsKeepTheLastSixteenAndSpareFavourites();
    void keptAcrossARestart();
    void removedPersonalEntriesAreForgotten();
    void unreadableFileIsEmpty();
};

namespace {

const QString base = QStringLiteral("http://forum.test/iconario/");
constexpr qint64 day = 24 * 60 * 60 * 1000;

QStringList found(const EmoticonIndex &index, const QString &query)
{
    QStringList out;
    for (int i : index.search(query))
        out.append(QStringLiteral("%1:%2").arg(index.at(i).set).arg(index.at(i).name));
    return out;
}

PersonalSet personal(const QStringList &names)
{
    QStringList urls;
    for (const QString &name : names)
        urls.append(QStringLiteral("http://img.test/") + name + QStringLiteral(".gif"));
    return PersonalSet::fromLists(names, urls);
}

} // namespace

void tst_EmoticonFinder::search_data()
{
    QTest::addColumn<QStringList>("personalNames");
    QTest::addColumn<QString>("query");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<bool>("addressed");

    const QStringList ridere{QStringLiteral("0:Ridere a crepapelle"), QStringLiteral("0:Mi fai ridere")};
    QTest::newRow("start before word start") << QStringList() << "ridere" << ridere << true;
    QTest::newRow("case ignored") << QStringList() << "RIDERE" << ridere << true;
    QTest::newRow("accents ignored") << QStringList() << "caffe" << QStringList{u"3:caffè"_s} << true;
    QTest::newRow("accents typed") << QStringList() << "CAFFÈ" << QStringList{u"3:caffè"_s} << true;
    QTest::newRow("words in any order") << QStringList() << "parlo ti" << QStringList{u"3:non ti parlo più"_s} << true;
    QTest::newRow("personal names") << QStringList{u"Gattone nero"_s, u"Nero di seppia"_s} << "nero"
                                    << QStringList{u"4:Nero di seppia"_s, u"4:Gattone nero"_s} << true;
    QTest::newRow("inside a word last") << QStringList{u"Supergatto"_s, u"Gatto"_s} << "gatto"
                                        << QStringList{u"4:Gatto"_s, u"4:Supergatto"_s} << true;
    QTest::newRow("personal without address left out") << QStringList{u"Fantasma"_s} << "fantasma" << QStringList() << false;
    QTest::newRow("nothing found") << QStringList{u"Gatto"_s} << "zzqq" << QStringList() << true;
}

void tst_EmoticonFinder::search()
{
    QFETCH(QStringList, personalNames);
    QFETCH(QString, query);
    QFETCH(QStringList, expected);

    QFETCH(bool, addressed);

    const EmoticonIndex index(base, addressed ? personal(personalNames) : PersonalSet::fromLists(personalNames, {}));
    QCOMPARE(found(index, query), expected);
}

void tst_EmoticonFinder::recentOrder_data()
{
    QTest::addColumn<int>("oldUses");
    QTest::addColumn<int>("daysAgo");
    QTest::addColumn<QString>("first");

    // Three uses fade to one and a half in thirty days, to three quarters in sixty.
    QTest::newRow("often, lately") << 3 << 10 << "Angelo";
    QTest::newRow("often, a month ago") << 3 << 30 << "Angelo";
    QTest::newRow("often, two months ago") << 3 << 60 << "Bacio";
    QTest::newRow("once, a minute before") << 1 << 0 << "Bacio";
}

void tst_EmoticonFinder::recentOrder()
{
    QFETCH(int, oldUses);
    QFETCH(int, daysAgo);
    QFETCH(QString, first);

    const qint64 now = 1'800'000'000'000;
    const qint64 then = now - daysAgo * day - 60'000;
    EmoticonUsage usage;
    for (int i = 0; i < oldUses; ++i)
        usage.recordUse({0, QStringLiteral("Angelo")}, then);
    usage.recordUse({0, QStringLiteral("Bacio")}, now);
    const QList<EmoticonKey> recent = usage.recent(now);
    QCOMPARE(recent.size(), 2);
    QCOMPARE(recent.first().name, first);
}

void tst_EmoticonFinder::recentsKeepTheLastSixteenAndSpareFavourites()
{
    EmoticonUsage usage;
    const QStringList &names = Catalogue::names(0);
    usage.toggleFavourite({0, names.at(0)});
    usage.toggleFavourite({3, QStringLiteral("caffè")});
    // The first, used often, still gives way to sixteen used after it.
    for (int i = 0; i < 5; ++i)
        usage.recordUse({0, names.at(0)}, 1000);
    for (int i = 1; i <= EmoticonUsage::recentLimit; ++i)
        usage.recordUse({0, names.at(i)}, 1000 + i);
    const QList<EmoticonKey> recent = usage.recent(2000);
    QCOMPARE(recent.size(), EmoticonUsage::recentLimit);
    QVERIFY(!recent.contains(EmoticonKey{0, names.at(0)}));
    QCOMPARE(recent.first(), (EmoticonKey{0, names.at(EmoticonUsage::recentLimit)}));
    QCOMPARE(usage.favourites(),
             (QList<EmoticonKey>{{0, names.at(0)}, {3, QStringLiteral("caffè")}}));
    usage.toggleFavourite({0, names.at(0)});
    QCOMPARE(usage.favourites(), (QList<EmoticonKey>{{3, QStringLiteral("caffè")}}));
}

void tst_EmoticonFinder::keptAcrossARestart()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("dati/emoticon.json"));
    EmoticonUsage usage;
    usage.recordUse({1, QStringLiteral("sorriso")}, 5 * day);
    usage.recordUse({4, QStringLiteral("Gatto")}, 6 * day);
    usage.recordUse({1, QStringLiteral("sorriso")}, 7 * day);
    usage.toggleFavourite({4, QStringLiteral("Gatto")});
    usage.toggleFavourite({0, QStringLiteral("Angelo")});
    QString reason;
    QVERIFY2(usage.save(path, &reason), qPrintable(reason));
#ifndef Q_OS_WIN
    // On Windows the file takes its folder's ACL (the user's AppData), and
    // Qt's permission bits there say nothing about who may read it.
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup
        | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
    QCOMPARE(QFile::permissions(path) & others, QFileDevice::Permissions());
#endif

    const EmoticonUsage read = EmoticonUsage::load(path);
    QCOMPARE(read, usage);
    QCOMPARE(read.recent(8 * day),
             (QList<EmoticonKey>{{1, QStringLiteral("sorriso")}, {4, QStringLiteral("Gatto")}}));
    QCOMPARE(read.favourites(),
             (QList<EmoticonKey>{{4, QStringLiteral("Gatto")}, {0, QStringLiteral("Angelo")}}));
}

void tst_EmoticonFinder::removedPersonalEntriesAreForgotten()
{
    EmoticonUsage usage;
    usage.recordUse({4, QStringLiteral("Tolto")}, day);
    usage.recordUse({4, QStringLiteral("Gatto")}, day);
    usage.recordUse({0, QStringLiteral("Angelo")}, day);
    usage.toggleFavourite({4, QStringLiteral("Tolto")});
    const EmoticonIndex index(base, personal({QStringLiteral("Gatto")}));
    QVERIFY(usage.forget([&index](const EmoticonKey &key) { return index.find(key) < 0; }));
    QCOMPARE(usage.recent(day),
             (QList<EmoticonKey>{{0, QStringLiteral("Angelo")}, {4, QStringLiteral("Gatto")}}));
    QVERIFY(usage.favourites().isEmpty());
    QVERIFY(!usage.forget([&index](const EmoticonKey &key) { return index.find(key) < 0; }));
}

void tst_EmoticonFinder::unreadableFileIsEmpty()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("emoticon.json"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(R"({"recenti": [{"set": 9, "name": "x", "count": 1}, {"set": 0, "name": "Angelo", "count": "tanti"}],
                  "preferite": 7})");
    file.close();
    QCOMPARE(EmoticonUsage::load(path), EmoticonUsage());
    QCOMPARE(EmoticonUsage::load(folder.filePath(QStringLiteral("nessuno.json"))), EmoticonUsage());
}

QTEST_GUILESS_MAIN(tst_EmoticonFinder)
#include "tst_emoticonfinder.moc"

#include "core/addresses.h"
#include "core/catalogue.h"

#include <QTest>

using namespace Qt::StringLiterals;

class tst_Catalogue : public QObject
{
    Q_OBJECT

private slots:
    void sets_data();
    void sets();
    void item_data();
    void item();
    void tag_data();
    void tag();
};

void tst_Catalogue::sets_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("tooltip");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<int>("count");

    QTest::newRow("Iconario") << 0 << u"Iconario"_s << u"Set Iconario I"_s << u"Iconario/"_s << 51;
    QTest::newRow("Punto Informatico") << 1 << u"Punto Inform."_s << u"Set Punto Informatico"_s << u"PtoInformatico/"_s
                                       << 36;
    QTest::newRow("Quizzy") << 2 << u"Quizzy"_s << u"Set Quizzy"_s << u"Quizzy/"_s << 86;
    QTest::newRow("Yahoo") << 3 << u"Yahoo"_s << u"Set Yahoo"_s << u"Yahoo/"_s << 88;
    QTest::newRow("Personale") << Catalogue::personalSet << u"Personale"_s << u"Set Personale"_s << QString() << 0;
}

void tst_Catalogue::sets()
{
    QFETCH(int, index);
    QFETCH(QString, caption);
    QFETCH(QString, tooltip);
    QFETCH(QString, folder);
    QFETCH(int, count);

    QCOMPARE(Catalogue::set(index).caption, caption);
    QCOMPARE(Catalogue::set(index).tooltip, tooltip);
    QCOMPARE(Catalogue::set(index).folder, folder);
    QCOMPARE(Catalogue::names(index).size(), count);
    QCOMPARE(Catalogue::isBuiltIn(index), count > 0);
}

// The position of a name is its image number, so each row pins both.
void tst_Catalogue::item_data()
{
    QTest::addColumn<int>("set");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("urlTail");

    QTest::newRow("Iconario first") << 0 << 1 << u"Angelo"_s << u"Iconario/1.gif"_s;
    QTest::newRow("Punto Informatico first") << 1 << 1 << u"sorriso"_s << u"PtoInformatico/1.gif"_s;
    QTest::newRow("Quizzy first") << 2 << 1 << u"gruppetto"_s << u"Quizzy/1.gif"_s;
    QTest::newRow("Yahoo first") << 3 << 1 << u"sorridente"_s << u"Yahoo/1.gif"_s;
    QTest::newRow("Iconario last") << 0 << 51 << u"Si"_s << u"Iconario/51.gif"_s;
    QTest::newRow("Punto Informatico last") << 1 << 36 << u"troll 5"_s << u"PtoInformatico/36.gif"_s;
    QTest::newRow("Quizzy last") << 2 << 86 << u"peso della cultura"_s << u"Quizzy/86.gif"_s;
    QTest::newRow("Yahoo last") << 3 << 88 << u"cucciolo"_s << u"Yahoo/88.gif"_s;
    QTest::newRow("risata Yahoo") << 3 << 21 << u"risata"_s << u"Yahoo/21.gif"_s;
    QTest::newRow("risata Quizzy") << 2 << 2 << u"risata"_s << u"Quizzy/2.gif"_s;
    QTest::newRow("idea Yahoo") << 3 << 58 << u"idea"_s << u"Yahoo/58.gif"_s;
    QTest::newRow("idea Quizzy") << 2 << 47 << u"idea"_s << u"Quizzy/47.gif"_s;
    QTest::newRow("idea Punto Informatico") << 1 << 19 << u"idea"_s << u"PtoInformatico/19.gif"_s;
    QTest::newRow("linguetta two digits") << 3 << 10 << u"linguetta"_s << u"Yahoo/10.gif"_s;
    QTest::newRow("caffè") << 3 << 57 << u"caff\u00e8"_s << u"Yahoo/57.gif"_s;
    QTest::newRow("non ti parlo più") << 3 << 33 << u"non ti parlo pi\u00f9"_s << u"Yahoo/33.gif"_s;
    QTest::newRow("tiè") << 2 << 39 << u"ti\u00e8"_s << u"Quizzy/39.gif"_s;
    QTest::newRow("già già") << 2 << 83 << u"gi\u00e0 gi\u00e0"_s << u"Quizzy/83.gif"_s;
    QTest::newRow("non parlo più") << 2 << 21 << u"non parlo pi\u00f9"_s << u"Quizzy/21.gif"_s;
    QTest::newRow("C'è mancato poco") << 0 << 19 << u"C'\u00e8 mancato poco"_s << u"Iconario/19.gif"_s;
    QTest::newRow("Che cosa ?!?") << 0 << 49 << u"Che cosa ?!?"_s << u"Iconario/49.gif"_s;
    QTest::newRow("acc...") << 2 << 10 << u"acc..."_s << u"Quizzy/10.gif"_s;
}

void tst_Catalogue::item()
{
    QFETCH(int, set);
    QFETCH(int, number);
    QFETCH(QString, name);
    QFETCH(QString, urlTail);

    const int listIndex = number - 1;
    QCOMPARE(Catalogue::names(set).at(listIndex), name);
    const QString base = Addresses::emoticonBase();
    QCOMPARE(Catalogue::imageUrl(base, Catalogue::set(set).folder, listIndex), base + urlTail);
}

void tst_Catalogue::tag_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("tag");

    const QString yahooFirst = Catalogue::imageUrl(Addresses::emoticonBase(), Catalogue::set(3).folder, 0);
    QTest::newRow("Yahoo 1") << yahooFirst << u"[img]http://www.velmora.it/iconario/Yahoo/1.gif[/img]"_s;
    QTest::newRow("personal URL, query kept")
        << u"https://x.example/pic.php?a=1&b=%C3%A8"_s << u"[img]https://x.example/pic.php?a=1&b=%C3%A8[/img]"_s;
    // What forums read as the address's end or as other tags.
    QTest::newRow("blank and quote") << u"http://x/a b\"c.gif"_s << u"[img]http://x/a%20b%22c.gif[/img]"_s;
    QTest::newRow("smuggled tags") << u"http://x/a.gif[/img][url=http://y]<b>"_s
                                   << u"[img]http://x/a.gif%5B/img%5D%5Burl=http://y%5D%3Cb%3E[/img]"_s;
    QTest::newRow("controls, accents kept")
        << u"http://x/\t\n\u007f\u0085citt\u00e0"_s << u"[img]http://x/%09%0A%7F%C2%85citt\u00e0[/img]"_s;
    QTest::newRow("%XX not encoded twice") << u"http://x/a%20b%zz"_s << u"[img]http://x/a%20b%zz[/img]"_s;
}

void tst_Catalogue::tag()
{
    QFETCH(QString, url);
    QFETCH(QString, tag);
    QCOMPARE(Catalogue::imageTag(url), tag);
}

QTEST_GUILESS_MAIN(tst_Catalogue)
#include "tst_catalogue.moc"

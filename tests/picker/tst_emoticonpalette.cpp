#include "core/catalogue.h"
#include "core/gestionefiles.h"
#include "forumserver.h"
#include "picker/emoticonpalette.h"
#include "picker/emoticonpictures.h"
#include "testcontext.h"

#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

// The palette on its own in a window, its pictures from the loopback forum.
class tst_EmoticonPalette : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_server.start()); }
    void init();
    void cleanup();
    void arrows_data();
    void arrows();
    void enterTypesTheFirstHitAndCountsIt();
    void escTypesNothing();
    void favouriteByTabAcrossARestart();
    void personalAddressWithoutPicture_data();
    void personalAddressWithoutPicture();
    void removedPersonalEntryIsDropped();

private:
    void open(const QString &typed = {});

    ForumServer m_server;
    std::unique_ptr<TestContext> m_test;
    std::unique_ptr<QWidget> m_window;
    EmoticonPalette *m_palette = nullptr;
};

namespace {

QList<QAccessibleEvent *> *focusEvents = nullptr;

void keepFocusEvents(QAccessibleEvent *event)
{
    if (focusEvents && event->type() == QAccessible::Focus)
        focusEvents->append(event);
}

} // namespace

void tst_EmoticonPalette::init()
{
    m_test = std::make_unique<TestContext>();
    m_test->context.emoticonBaseUrl = m_server.emoticonBase();
    const PersonalSet personal({{u"Buono"_s, m_server.url(u"immagini/animata.gif"_s)},
                                {u"Rotto"_s, m_server.url(u"immagini/manca.gif"_s)},
                                {u"Pagina"_s, m_server.homeUrl()}});
    QVERIFY(GestioneFiles::ScriviSetPersonale(m_test->context.personalSetPath, personal).ok());
    m_window = std::make_unique<QWidget>();
    m_window->resize(800, 600);
    m_palette = new EmoticonPalette(m_test->context, m_window.get());
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void tst_EmoticonPalette::cleanup()
{
    m_window.reset();
    m_test.reset();
}

void tst_EmoticonPalette::open(const QString &typed)
{
    m_palette->openAt(QRect(100, 100, 1, 16));
    QTRY_VERIFY(m_palette->searchBox()->hasFocus());
    QTest::keyClicks(m_palette->searchBox(), typed);
}

void tst_EmoticonPalette::arrows_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<QString>("heard");

    const int down = Qt::Key_Down, up = Qt::Key_Up, right = Qt::Key_Right, left = Qt::Key_Left;
    QTest::newRow("into the grid") << u"ridere"_s << QList<int>{down} << u"Ridere a crepapelle, Iconario, 1 di 2"_s;
    QTest::newRow("along the row") << u"ridere"_s << QList<int>{down, right} << u"Mi fai ridere, Iconario, 2 di 2"_s;
    QTest::newRow("down a row") << u"a"_s << QList<int>{down, down} << u"Afa, Iconario, 5 di 48"_s;
    QTest::newRow("back") << u"a"_s << QList<int>{down, right, right, left} << u"Applauso, Iconario, 2 di 48"_s;
    QTest::newRow("personal") << u"buon"_s << QList<int>{down} << u"Buono, Personale, 1 di 1"_s;
    QTest::newRow("up to typing") << u"a"_s << QList<int>{down, down, up, up} << QString();
}

void tst_EmoticonPalette::arrows()
{
    QFETCH(QString, typed);
    QFETCH(QList<int>, keys);
    QFETCH(QString, heard);

    QList<QAccessibleEvent *> events;
    focusEvents = &events;
    QAccessible::installUpdateHandler(&keepFocusEvents);
    open(typed);
    for (int key : keys)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
    QAccessible::installUpdateHandler(nullptr);
    focusEvents = nullptr;

    if (heard.isEmpty()) {
        QVERIFY(m_palette->searchBox()->hasFocus());
        return;
    }
    auto *cell = qobject_cast<EmoticonCell *>(QApplication::focusWidget());
    QVERIFY(cell);
    QCOMPARE(cell, m_palette->current());
    QCOMPARE(QAccessible::queryAccessibleInterface(cell)->text(QAccessible::Name), heard);
    if (QAccessible::isActive())
        QVERIFY(!events.isEmpty());
}

void tst_EmoticonPalette::enterTypesTheFirstHitAndCountsIt()
{
    QSignalSpy chosen(m_palette, &EmoticonPalette::chosen);
    open(u"CAFFE"_s);
    QTest::keyClick(m_palette->searchBox(), Qt::Key_Return);
    QCOMPARE(chosen.size(), 1);
    const int row = int(Catalogue::names(3).indexOf(u"caffè"_s));
    QCOMPARE(chosen.first().at(0).toString(),
             Catalogue::imageTag(Catalogue::imageUrl(m_server.emoticonBase(), Catalogue::set(3).folder, row)));
    QCOMPARE(chosen.first().at(1).toString(), u"caffè"_s);
    QVERIFY(!m_palette->isVisible());
    QCOMPARE(EmoticonUsage::load(m_test->context.emoticonUsagePath).recent(QDateTime::currentMSecsSinceEpoch()),
             (QList<EmoticonKey>{{3, u"caffè"_s}}));

    // Next time, with nothing typed, it is the first of the recent ones.
    open();
    QVERIFY(m_palette->findChild<QLabel *>(u"lblRecenti"_s));
    QCOMPARE(m_palette->current()->emoticon().name, u"caffè"_s);
}

void tst_EmoticonPalette::escTypesNothing()
{
    QSignalSpy chosen(m_palette, &EmoticonPalette::chosen);
    QSignalSpy dismissed(m_palette, &EmoticonPalette::dismissed);
    open(u"angelo"_s);
    QTest::keyClick(m_palette->searchBox(), Qt::Key_Escape);
    QCOMPARE(dismissed.size(), 1);
    QCOMPARE(dismissed.first().at(0).toBool(), true);
    QVERIFY(chosen.isEmpty());
    QVERIFY(!m_palette->isVisible());
}

void tst_EmoticonPalette::favouriteByTabAcrossARestart()
{
    open(u"angelo"_s);
    QTest::keyClick(m_palette->searchBox(), Qt::Key_Tab);
    QVERIFY(m_palette->favouriteButton()->hasFocus());
    QCOMPARE(m_palette->favouriteButton()->text(), EmoticonPalette::addText());
    QTest::keyClick(m_palette->favouriteButton(), Qt::Key_Space);
    QCOMPARE(m_palette->favouriteButton()->text(), EmoticonPalette::removeText());

    // Another palette, as after a restart, reads it back.
    delete m_palette;
    m_palette = new EmoticonPalette(m_test->context, m_window.get());
    open();
    QVERIFY(m_palette->findChild<QLabel *>(u"lblPreferite"_s));
    QCOMPARE(m_palette->current()->emoticon().key(), (EmoticonKey{0, u"Angelo"_s}));
    QCOMPARE(m_palette->favouriteButton()->text(), EmoticonPalette::removeText());
}

void tst_EmoticonPalette::personalAddressWithoutPicture_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("reason");
    QTest::newRow("not answering") << u"rotto"_s << EmoticonPictures::notAnsweringText();
    QTest::newRow("not a picture") << u"pagina"_s << EmoticonPictures::notAPictureText();
}

void tst_EmoticonPalette::personalAddressWithoutPicture()
{
    QFETCH(QString, typed);
    QFETCH(QString, reason);

    QSignalSpy chosen(m_palette, &EmoticonPalette::chosen);
    open(typed);
    QTest::keyClick(m_palette->searchBox(), Qt::Key_Return);
    QTRY_VERIFY2(m_palette->warning()->isVisible() && m_palette->warning()->text().contains(reason), qPrintable(m_palette->warning()->text()));
    QTest::keyClick(m_palette->searchBox(), Qt::Key_Return);
    QVERIFY(m_palette->warning()->text().contains(reason));
    QVERIFY(chosen.isEmpty());
    QVERIFY(m_palette->isVisible());
}

void tst_EmoticonPalette::removedPersonalEntryIsDropped()
{
    m_palette->recordUse(Catalogue::personalSet, u"Buono"_s);
    m_palette->recordUse(Catalogue::personalSet, u"Sparito"_s);
    open();
    QCOMPARE(m_palette->usage().recent(QDateTime::currentMSecsSinceEpoch()),
             (QList<EmoticonKey>{{Catalogue::personalSet, u"Buono"_s}}));
    QCOMPARE(m_palette->current()->emoticon().name, u"Buono"_s);
}

QTEST_MAIN(tst_EmoticonPalette)
#include "tst_emoticonpalette.moc"

#include "drafts/frmbozze.h"
#include "core/draftstore.h"
#include "gui/spokennotice.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// The drafts' window: newest first, and each button does what it says, and
// says what it did.
class tst_FrmBozze : public QObject
{
    Q_OBJECT

private slots:
    void listsAndActs();
    void deletionCanBeUndone_data();
    void deletionCanBeUndone();
    void restoredRowTakesItsPlace();
};

void tst_FrmBozze::listsAndActs()
{
    QTemporaryDir folder;
    DraftStore store(folder.path());
    store.load();
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const auto draft = [&](const QString &page, const QString &title, const QString &text, qint64 ago) {
        store.save(Draft{.page = page,
                         .field = u"req_message"_s,
                         .title = title,
                         .text = text,
                         .savedAt = now.addSecs(-ago),
                         .cut = false});
    };
    draft(u"http://f/vecchia"_s, u"Vecchia"_s, u"prima"_s, 60);
    draft(u"http://f/nuova"_s, u"Nuova"_s, u"seconda  risposta\ncon a capo"_s, 0);
    QStringList opened;
    frmBozze window(&store, [&](const QString &page) { opened.append(page); });
    window.show();

    const auto rows = [&] { return window.findChildren<QWidget *>(u"rigaBozza"_s); };
    QCOMPARE(rows().size(), 2);
    QWidget *newest = rows().first();
    QCOMPARE(newest->findChild<QLabel *>(u"lblPagina"_s)->text(), u"Nuova"_s);
    QVERIFY(newest->findChild<QLabel *>(u"lblTesto"_s)->text().endsWith(u"seconda risposta con a capo"_s));

    newest->findChild<QPushButton *>(u"cmdCopiaTesto"_s)->click();
    QCOMPARE(QApplication::clipboard()->text(), u"seconda  risposta\ncon a capo"_s);
    auto *message = window.findChild<QLabel *>(u"lblAvviso"_s);
    QVERIFY(message && message->isVisible());
    QCOMPARE(message->text(), u"Testo copiato negli appunti"_s);
    QCOMPARE(window.findChild<SpokenNotice *>()->accessibleName(), message->text());
    newest->findChild<QPushButton *>(u"cmdApriPagina"_s)->click();
    QCOMPARE(opened, QStringList{u"http://f/nuova"_s});
    newest->findChild<QPushButton *>(u"cmdElimina"_s)->click();
    QTRY_COMPARE(rows().size(), 1);
    QVERIFY(!store.contains(u"http://f/nuova"_s, u"req_message"_s));

    rows().first()->findChild<QPushButton *>(u"cmdElimina"_s)->click();
    QTRY_VERIFY(window.findChild<QLabel *>(u"lblNessuna"_s)->isVisible());
}

void tst_FrmBozze::deletionCanBeUndone_data()
{
    QTest::addColumn<bool>("undone");
    QTest::newRow("Annulla") << true;
    QTest::newRow("time runs out") << false;
}

// "Elimina" says what went and offers it back for a while, as it was.
void tst_FrmBozze::deletionCanBeUndone()
{
    QFETCH(bool, undone);
    QTemporaryDir folder;
    DraftStore store(folder.path());
    store.load();
    const Draft kept = *store.save(Draft{.page = u"http://f/p"_s,
                                         .field = u"req_message"_s,
                                         .title = u"Nuova"_s,
                                         .text = u"la mia risposta"_s,
                                         .savedAt = QDateTime::currentDateTimeUtc().addSecs(-30),
                                         .cut = false});
    frmBozze window(&store, [](const QString &) {});
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    auto *undo = window.findChild<QPushButton *>(u"cmdAnnulla"_s);
    QVERIFY(undo && !undo->isVisible());
    window.findChild<QPushButton *>(u"cmdElimina"_s)->click();
    QTRY_VERIFY(!window.findChild<QWidget *>(u"rigaBozza"_s));
    QVERIFY(!store.contains(kept.page, kept.field));
    QCOMPARE(window.findChild<SpokenNotice *>()->accessibleName(), u"Bozza eliminata: Nuova"_s);
    // The focus went with the row: it waits on the way back.
    QVERIFY(undo->isVisible() && undo->hasFocus());
    if (undone) {
        QTest::keyClick(undo, Qt::Key_Space);
        QCOMPARE(DraftStore::serialize(store.draft(kept.page, kept.field)), DraftStore::serialize(kept));
        QCOMPARE(window.findChildren<QWidget *>(u"rigaBozza"_s).size(), 1);
    } else {
        window.setMessageInterval(std::chrono::milliseconds(10));
        QTRY_VERIFY(!undo->isVisible());
        QVERIFY(!store.contains(kept.page, kept.field));
    }
    QVERIFY(!undo->isVisible() && window.findChild<QScrollArea *>()->hasFocus());
}

// A draft put back goes where it was, for Tab too, above the rows already there.
void tst_FrmBozze::restoredRowTakesItsPlace()
{
    QTemporaryDir folder;
    DraftStore store(folder.path());
    store.load();
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (const auto &[page, ago] : {std::pair(u"http://f/vecchia"_s, 60), std::pair(u"http://f/nuova"_s, 0)})
        store.save(Draft{.page = page,
                         .field = u"req_message"_s,
                         .title = {},
                         .text = u"testo"_s,
                         .savedAt = now.addSecs(-ago),
                         .cut = false});
    frmBozze window(&store, [](const QString &) {});
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    window.findChild<QPushButton *>(u"cmdElimina"_s)->click();
    QTest::keyClick(window.findChild<QPushButton *>(u"cmdAnnulla"_s), Qt::Key_Space);
    auto *list = window.findChild<QScrollArea *>();
    QVERIFY(list->hasFocus());
    QTest::keyClick(list, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), u"cmdApriPagina"_s);
    QCOMPARE(QApplication::focusWidget()->accessibleDescription(), u"http://f/nuova"_s);
}

QTEST_MAIN(tst_FrmBozze)
#include "tst_frmbozze.moc"

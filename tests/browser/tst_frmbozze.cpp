#include "browser/frmbozze.h"
#include "core/draftstore.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// The drafts' window: newest first, and each button does what it says.
class tst_FrmBozze : public QObject
{
    Q_OBJECT

private slots:
    void listsAndActs();
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
    newest->findChild<QPushButton *>(u"cmdApriPagina"_s)->click();
    QCOMPARE(opened, QStringList{u"http://f/nuova"_s});
    newest->findChild<QPushButton *>(u"cmdElimina"_s)->click();
    QTRY_COMPARE(rows().size(), 1);
    QVERIFY(!store.contains(u"http://f/nuova"_s, u"req_message"_s));

    rows().first()->findChild<QPushButton *>(u"cmdElimina"_s)->click();
    QTRY_VERIFY(window.findChild<QLabel *>(u"lblNessuna"_s));
}

QTEST_MAIN(tst_FrmBozze)
#include "tst_frmbozze.moc"

#include "downloads/downloads.h"
#include "downloads/frmdownloads.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

// The files a page wanted without the member's click, as the downloads
// window shows them and as its button saves them; no engine needed.
class tst_FrmDownloads : public QObject
{
    Q_OBJECT

private slots:
    void blockedNamesShownAsSaved_data();
    void blockedNamesShownAsSaved();
    void pressSavesWhatTheRowListed();
    void rowSavesItsOwnPage();
};

void tst_FrmDownloads::blockedNamesShownAsSaved_data()
{
    QTest::addColumn<QString>("sent");
    QTest::addColumn<QString>("shown");
    QTest::newRow("direction override") << u"fattura\u202efdp.exe"_s << u"fatturafdp.exe"_s;
    QTest::newRow("line breaks") << u"gatto.jpg\r\n\u2028virus.exe"_s << u"gatto.jpgvirus.exe"_s;
    QTest::newRow("control characters") << u"a\x1b[2Kb\x07\u0085c.zip"_s << u"a[2Kbc.zip"_s;
    QTest::newRow("invisible characters") << u"nome\u200b\ufeff.zip"_s << u"nome.zip"_s;
    QTest::newRow("a folder part") << u"../../.bashrc"_s << u"bashrc"_s;
    QTest::newRow("ordinary") << u"nome (2).zip"_s << u"nome (2).zip"_s;
}

void tst_FrmDownloads::blockedNamesShownAsSaved()
{
    QFETCH(QString, sent);
    QFETCH(QString, shown);
    Downloads downloads;
    QObject page;
    downloads.block(&page, QUrl(u"http://forum.test/forum/"_s), QUrl(u"http://forum.test/f"_s), sent);
    frmDownloads window(&downloads);
    window.show();
    auto *row = window.findChild<QWidget *>(u"rigaBloccata"_s);
    QVERIFY(row);
    QCOMPARE(row->findChild<QLabel *>(u"lblNome"_s)->text(), shown);
    QCOMPARE(row->accessibleName(), shown);
}

// Forty files a page adds while the member presses ride on no press but
// their own.
void tst_FrmDownloads::pressSavesWhatTheRowListed()
{
    Downloads downloads;
    QObject page;
    QList<QUrl> saved;
    downloads.setSaveOnWord([&](QObject *, const QUrl &url, const QString &) { saved.append(url); });
    const auto file = [](int n) { return QUrl(u"http://forum.test/forum/file%1.zip"_s.arg(n)); };
    const auto block = [&](int n) {
        downloads.block(&page, QUrl(u"http://forum.test/forum/"_s), file(n), u"file%1.zip"_s.arg(n));
    };
    block(1);
    block(2);
    frmDownloads window(&downloads);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *anyway = window.findChild<QPushButton *>(u"cmdScaricaComunque"_s);
    auto *names = window.findChild<QLabel *>(u"lblNome"_s);
    QCOMPARE(names->text(), u"file1.zip, file2.zip"_s);

    QTest::mousePress(anyway, Qt::LeftButton);
    for (int n = 3; n <= 42; ++n)
        block(n);
    QTest::mouseRelease(anyway, Qt::LeftButton);
    QCOMPARE(saved, (QList<QUrl>{file(1), file(2)}));

    // The rest, and one more after the press, wait in the row, still blocked.
    block(43);
    QCOMPARE(window.findChildren<QWidget *>(u"rigaBloccata"_s).size(), 1);
    QVERIFY(names->text().startsWith(u"file3.zip, "_s));
    QVERIFY(names->text().endsWith(u", file43.zip"_s));
    QCOMPARE(window.findChild<QLabel *>(u"lblStato"_s)->text(), Downloads::blockedText());
    QCOMPARE(saved.size(), 2);

    // The next press saves those it saw, and the row goes.
    anyway->click();
    QCOMPARE(saved.size(), 43);
    QCOMPARE(saved.last(), file(43));
    QTRY_VERIFY(window.findChildren<QWidget *>(u"rigaBloccata"_s).isEmpty());
}

// A row's button saves its own page's files, whatever rows went before it.
void tst_FrmDownloads::rowSavesItsOwnPage()
{
    Downloads downloads;
    QObject first;
    QObject second;
    QList<QUrl> saved;
    downloads.setSaveOnWord([&](QObject *, const QUrl &url, const QString &) { saved.append(url); });
    const QUrl a(u"http://forum.test/forum/a.zip"_s);
    const QUrl b(u"http://forum.test/forum/b.zip"_s);
    downloads.block(&first, QUrl(u"http://forum.test/forum/1"_s), a, u"a.zip"_s);
    downloads.block(&second, QUrl(u"http://forum.test/forum/2"_s), b, u"b.zip"_s);
    frmDownloads window(&downloads);
    window.show();
    const QList<QWidget *> rows = window.findChildren<QWidget *>(u"rigaBloccata"_s);
    QCOMPARE(rows.size(), 2);
    rows.first()->findChild<QPushButton *>(u"cmdScaricaComunque"_s)->click();
    QCOMPARE(saved, QList<QUrl>{a});
    rows.last()->findChild<QPushButton *>(u"cmdScaricaComunque"_s)->click();
    QCOMPARE(saved, (QList<QUrl>{a, b}));
}

QTEST_MAIN(tst_FrmDownloads)
#include "tst_frmdownloads.moc"

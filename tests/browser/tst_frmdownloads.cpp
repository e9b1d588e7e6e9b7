#include "browser/downloads.h"
#include "browser/frmdownloads.h"

#include <QLabel>
#include <QStandardPaths>
#include <QTest>

using namespace Qt::StringLiterals;

// The files a page wanted without the member's click, as the downloads
// window shows them; no engine needed.
class tst_FrmDownloads : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void blockedNamesShownAsSaved_data();
    void blockedNamesShownAsSaved();
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

QTEST_MAIN(tst_FrmDownloads)
#include "tst_frmdownloads.moc"

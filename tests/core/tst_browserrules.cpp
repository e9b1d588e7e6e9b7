#include "core/dialogflood.h"
#include "core/downloadname.h"
#include "core/linkrule.h"
#include "core/reloadlimiter.h"
#include "core/userintent.h"

#include <QSet>
#include <QTest>

using namespace Qt::StringLiterals;

// The forum view's rules, without an engine.
class tst_BrowserRules : public QObject
{
    Q_OBJECT

private slots:
    void forumPage_data();
    void forumPage();
    void scheme_data();
    void scheme();
    void reloads_data();
    void reloads();
    void downloadName_data();
    void downloadName();
    void dialogsInARow();
    void userIntent_data();
    void userIntent();
};

void tst_BrowserRules::forumPage_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("forum");
    QTest::newRow("another forum page") << "http://www.velmora.it/forum/topic.php?t=1" << true;
    QTest::newRow("the same host, secure") << "https://www.velmora.it/" << true;
    QTest::newRow("the host in capitals") << "http://WWW.VELMORA.IT/forum/" << true;
    QTest::newRow("another site") << "http://www.esempio.it/forum/" << false;
    QTest::newRow("a host that only begins alike") << "http://www.velmora.it.esempio.com/" << false;
    QTest::newRow("a sub-domain") << "http://img.velmora.it/" << false;
    QTest::newRow("mail") << "mailto:admin@velmora.it" << false;
}

void tst_BrowserRules::forumPage()
{
    QFETCH(QString, url);
    QFETCH(bool, forum);
    QCOMPARE(LinkRule::isForumPage(QUrl(url), QUrl(QStringLiteral("http://www.velmora.it/forum/"))), forum);
}

void tst_BrowserRules::scheme_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<LinkRule::Scheme>("scheme");
    QTest::newRow("http") << "http://a.it/" << LinkRule::Scheme::Web;
    QTest::newRow("HTTPS") << "HTTPS://a.it/" << LinkRule::Scheme::Web;
    QTest::newRow("file") << "file:///etc/passwd" << LinkRule::Scheme::Local;
    QTest::newRow("no scheme") << "/etc/passwd" << LinkRule::Scheme::Local;
    QTest::newRow("about") << "about:blank" << LinkRule::Scheme::Engine;
    QTest::newRow("data") << "data:text/html,x" << LinkRule::Scheme::Engine;
    QTest::newRow("mailto") << "mailto:a@b.it" << LinkRule::Scheme::OtherProgram;
    QTest::newRow("tel") << "tel:+390612345" << LinkRule::Scheme::OtherProgram;
    QTest::newRow("a custom handler") << "steam://run/10" << LinkRule::Scheme::OtherProgram;
}

void tst_BrowserRules::scheme()
{
    QFETCH(QString, url);
    QFETCH(LinkRule::Scheme, scheme);
    QCOMPARE(LinkRule::schemeOf(QUrl(url)), scheme);
}

void tst_BrowserRules::reloads_data()
{
    QTest::addColumn<QList<qint64>>("crashesAtMs");
    QTest::addColumn<QList<bool>>("reloaded");
    QTest::newRow("a third crash within the minute") << QList<qint64>{0, 1000, 2000} << QList<bool>{true, true, false};
    QTest::newRow("one every half minute")
        << QList<qint64>{0, 30000, 60000, 90000} << QList<bool>{true, true, true, true};
    QTest::newRow("a refusal does not count")
        << QList<qint64>{0, 10, 20, 59999, 60000} << QList<bool>{true, true, false, false, true};
}

void tst_BrowserRules::reloads()
{
    QFETCH(QList<qint64>, crashesAtMs);
    QFETCH(QList<bool>, reloaded);
    ReloadLimiter limiter;
    QList<bool> actual;
    for (qint64 at : crashesAtMs)
        actual.append(limiter.allow(at));
    QCOMPARE(actual, reloaded);
}

void tst_BrowserRules::downloadName_data()
{
    QTest::addColumn<QString>("suggested");
    QTest::addColumn<QStringList>("taken");
    QTest::addColumn<QString>("name");
    QTest::newRow("free") << "nome.zip" << QStringList{} << "nome.zip";
    QTest::newRow("taken") << "nome.zip" << QStringList{u"nome.zip"_s} << "nome (1).zip";
    QTest::newRow("taken twice") << "nome.zip" << QStringList{u"nome.zip"_s, u"nome (1).zip"_s} << "nome (2).zip";
    QTest::newRow("double suffix") << "a.tar.gz" << QStringList{u"a.tar.gz"_s} << "a (1).tar.gz";
    QTest::newRow("no suffix") << "LEGGIMI" << QStringList{u"LEGGIMI"_s} << "LEGGIMI (1)";
    QTest::newRow("a path") << "../../.bashrc" << QStringList{} << "bashrc";
    QTest::newRow("nothing") << "" << QStringList{} << "download";
}

void tst_BrowserRules::downloadName()
{
    QFETCH(QString, suggested);
    QFETCH(QStringList, taken);
    QFETCH(QString, name);
    const QSet<QString> inFolder(taken.begin(), taken.end());
    QCOMPARE(DownloadName::unique(suggested, [&](const QString &n) { return inFolder.contains(n); }), name);
}

void tst_BrowserRules::dialogsInARow()
{
    const QString page = QStringLiteral("http://a.it");
    const QString other = QStringLiteral("http://b.it");
    DialogFlood flood;
    QVERIFY(!flood.offersToStop(page, 0));
    flood.dismissed(page, 100);
    QVERIFY(flood.offersToStop(page, 1000));
    QVERIFY(!flood.offersToStop(other, 1000));
    QVERIFY(!flood.offersToStop(page, 100 + DialogFlood::burstMs));
    flood.dismissed(other, 200);
    QVERIFY(!flood.offersToStop(page, 300));
    flood.stop(page);
    QVERIFY(flood.isStopped(page));
    QVERIFY(!flood.isStopped(other));
}

void tst_BrowserRules::userIntent_data()
{
    // Each step: an input at t (true) or a launch asked at t (false).
    using Step = std::pair<bool, qint64>;
    QTest::addColumn<QList<Step>>("steps");
    QTest::addColumn<QList<bool>>("launched");
    const qint64 late = UserIntent::windowMs + 1;
    QTest::newRow("no input") << QList<Step>{{false, 0}} << QList<bool>{false};
    QTest::newRow("one launch per input")
        << QList<Step>{{true, 0}, {false, 10}, {false, 20}, {false, 30}} << QList<bool>{true, false, false};
    QTest::newRow("a new input, a new launch")
        << QList<Step>{{true, 0}, {false, 10}, {true, 20}, {false, 30}} << QList<bool>{true, true};
    QTest::newRow("input too long ago") << QList<Step>{{true, 0}, {false, late}} << QList<bool>{false};
    QTest::newRow("just in time")
        << QList<Step>{{true, 0}, {false, UserIntent::windowMs}} << QList<bool>{true};
    QTest::newRow("a clock set back") << QList<Step>{{true, 1000}, {false, 0}} << QList<bool>{false};
}

void tst_BrowserRules::userIntent()
{
    using Step = std::pair<bool, qint64>;
    QFETCH(QList<Step>, steps);
    QFETCH(QList<bool>, launched);
    UserIntent intent;
    QList<bool> actual;
    for (const auto &[input, at] : steps) {
        if (input) {
            intent.input(at);
            continue;
        }
        const bool wasFresh = intent.fresh(at);
        actual.append(intent.consume(at));
        QCOMPARE(wasFresh, actual.last());
    }
    QCOMPARE(actual, launched);
}

QTEST_GUILESS_MAIN(tst_BrowserRules)
#include "tst_browserrules.moc"

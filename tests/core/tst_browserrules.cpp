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
    void previewable_data();
    void previewable();
    void reloads_data();
    void reloads();
    void downloadName_data();
    void downloadName();
    void dialogsInARow();
    void userIntent_data();
    void userIntent();
    void spentOnWhatItLandedOn_data();
    void spentOnWhatItLandedOn();
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

void tst_BrowserRules::previewable_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("previewable");
    QTest::newRow("http") << "http://www.velmora.it/iconario/1/1.gif" << true;
    QTest::newRow("HTTPS") << "HTTPS://a.it/x.png" << true;
    QTest::newRow("a crash of the renderer") << "chrome://crash" << false;
    QTest::newRow("a crash of the program") << "chrome://inducebrowsercrashforrealz" << false;
    QTest::newRow("an engine page") << "chrome://version" << false;
    QTest::newRow("source of a page") << "view-source:http://a.it/" << false;
    QTest::newRow("blank") << "about:blank" << false;
    QTest::newRow("data") << "data:image/gif;base64,R0lGOD" << false;
    QTest::newRow("script") << "javascript:alert(1)" << false;
    QTest::newRow("file") << "file:///etc/passwd" << false;
    QTest::newRow("no host") << "http:/x.gif" << false;
    QTest::newRow("no address") << "ciao" << false;
}

void tst_BrowserRules::previewable()
{
    QFETCH(QString, url);
    QFETCH(bool, previewable);
    QCOMPARE(LinkRule::isPreviewable(QUrl(url)), previewable);
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
    QTest::newRow("line breaks, an escape, an override")
        << u"nuova\nriga\r\x1b[31mrosso\u202etxt.exe"_s << QStringList{} << "nuovariga[31mrossotxt.exe";
    QTest::newRow("C1, DEL and a tab") << u"a\u0085b\u009b\x7f\tc.txt"_s << QStringList{} << "abc.txt";
    QTest::newRow("isolates and marks") << u"\u2066x\u2069\u200e\u200f\u061c\u202ay.pdf"_s << QStringList{} << "xy.pdf";
    QTest::newRow("invisible, and separators that break a line")
        << u"a\u200bb\u00adc\ufeffd\u2028e\u2029f\U000E0041.txt"_s << QStringList{} << "abcdef.txt";
    QTest::newRow("controls hiding a dot") << u"\x01.\u202e.bashrc"_s << QStringList{} << "bashrc";
    QTest::newRow("only controls") << u"\r\n\u202e"_s << QStringList{} << "download";
    QTest::newRow("300 characters") << QString(296, u'a') + u".zip"_s << QStringList{}
                                    << QString(242, u'a') + u".zip"_s;
    QTest::newRow("300 characters, numbered")
        << QString(296, u'a') + u".zip"_s << QStringList{QString(242, u'a') + u".zip"_s}
        << QString(238, u'a') + u" (1).zip"_s;
    QTest::newRow("two bytes each, double suffix")
        << QString(300, u'è') + u".tar.gz"_s << QStringList{} << QString(119, u'è') + u".tar.gz"_s;
    QTest::newRow("pairs are not split") << QString(u"😀"_s).repeated(100) + u".png"_s << QStringList{}
                                         << QString(u"😀"_s).repeated(60) + u".png"_s;
    // What Windows refuses, refused on every system.
    QTest::newRow("a device") << "CON" << QStringList{} << "_CON";
    QTest::newRow("a device, any case and extension") << "nul.tar.gz" << QStringList{} << "_nul.tar.gz";
    QTest::newRow("a device, blanks before the dot") << "com1 .txt" << QStringList{} << "_com1 .txt";
    QTest::newRow("a printer port, superscript") << u"LPT\u00b9.log"_s << QStringList{} << u"_LPT\u00b9.log"_s;
    QTest::newRow("a port beyond nine is a name") << "COM10.txt" << QStringList{} << "COM10.txt";
    QTest::newRow("a device as a part of a name") << "console.txt" << QStringList{} << "console.txt";
    QTest::newRow("a device taken") << "aux.c" << QStringList{u"_aux.c"_s} << "_aux (1).c";
    QTest::newRow("forbidden characters") << u"a<b>c:d\"e|f?g*h.txt"_s << QStringList{} << "a_b_c_d_e_f_g_h.txt";
    QTest::newRow("a drive") << "C:autoexec.bat" << QStringList{} << "C_autoexec.bat";
    QTest::newRow("a dot and a blank at the end") << "nome.zip. . " << QStringList{} << "nome.zip";
    QTest::newRow("a cut ending in a blank") << QString(245, u'a') + u" b"_s << QStringList{} << QString(245, u'a');
    QTest::newRow("a dot far from the end")
        << u"a."_s + QString(300, u'b') << QStringList{} << u"a."_s + QString(244, u'b');
}

void tst_BrowserRules::downloadName()
{
    QFETCH(QString, suggested);
    QFETCH(QStringList, taken);
    QFETCH(QString, name);
    const QSet<QString> inFolder(taken.begin(), taken.end());
    const QString given = DownloadName::unique(suggested, [&](const QString &n) { return inFolder.contains(n); });
    QCOMPARE(given, name);
    QVERIFY(given.toUtf8().size() <= DownloadName::longestName);
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
    QTest::newRow("just in time") << QList<Step>{{true, 0}, {false, UserIntent::windowMs}} << QList<bool>{true};
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

void tst_BrowserRules::spentOnWhatItLandedOn_data()
{
    using Act = UserIntent::Act;
    using Target = UserIntent::Target;
    QTest::addColumn<int>("target");
    QTest::addColumn<bool>("top");
    QTest::addColumn<bool>("forumFrame");
    QTest::addColumn<int>("act");
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("spent");
    const QString link = u"http://f/allegato.zip"_s;
    const auto row = [&](const char *name, Target target, bool top, bool forum, Act act, const QString &url, bool spent) {
        QTest::newRow(name) << int(target) << top << forum << int(act) << url << spent;
    };
    row("a link, to where it leads", Target::Link, true, true, Act::Download, link, true);
    row("a link, to its address and a fragment", Target::Link, true, true, Act::Navigation, link + u"#a"_s, true);
    row("a link, to another file", Target::Link, true, true, Act::Download, u"http://f/virus.exe"_s, false);
    row("a button, to a file of the page's", Target::Button, true, true, Act::Download, u"blob:http://f/1"_s, true);
    row("a text field, to nothing", Target::None, true, true, Act::Download, link, false);
    row("a text field, to no other site", Target::None, true, true, Act::Elsewhere, u"http://phish/"_s, false);
    row("a frame's button, not the page's move", Target::Button, false, true, Act::Navigation, link, false);
    row("another site's frame, its own window", Target::Button, false, false, Act::NewWindow, link, true);
    row("another site's frame, no file", Target::Button, false, false, Act::Download, link, false);
}

void tst_BrowserRules::spentOnWhatItLandedOn()
{
    QFETCH(int, target);
    QFETCH(bool, top);
    QFETCH(bool, forumFrame);
    QFETCH(int, act);
    QFETCH(QString, url);
    QFETCH(bool, spent);
    UserIntent intent;
    intent.input(0, {UserIntent::Target(target), QUrl(u"http://f/allegato.zip"_s), top, forumFrame});
    QCOMPARE(intent.consumeFor(UserIntent::Act(act), QUrl(url), 10), spent);
    // Once.
    QVERIFY(!intent.consumeFor(UserIntent::Act(act), QUrl(url), 20));
}

QTEST_GUILESS_MAIN(tst_BrowserRules)
#include "tst_browserrules.moc"

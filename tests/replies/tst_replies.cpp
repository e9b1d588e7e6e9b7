#include "feedforum.h"
#include "fakenotifications.h"
#include "replies/replieswatcher.h"

#include <QNetworkAccessManager>
#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

// A minute of the watcher's: five are 300 ms.
constexpr auto minute = 60ms;

class tst_Replies : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void feedAnswers_data();
    void feedAnswers();
    void openAndRestart();
    void anotherSitesFeed();

private:
    std::unique_ptr<RepliesWatcher> watcher();
    // Follows the forum's topic as the member "Paolo" who wrote in it; its
    // first reading is done.
    std::unique_ptr<RepliesWatcher> following();

    std::unique_ptr<FeedForum> m_forum;
    std::unique_ptr<FakeNotifications> m_desktop;
    std::unique_ptr<QNetworkAccessManager> m_network;
    std::unique_ptr<QTemporaryDir> m_folder;
    QStringList m_told;
};

void tst_Replies::initTestCase()
{
    QVERIFY2(FakeNotifications().isRegistered(), "no session bus: run under dbus-run-session");
}

void tst_Replies::init()
{
    m_forum = std::make_unique<FeedForum>();
    QVERIFY(m_forum->start());
    m_desktop = std::make_unique<FakeNotifications>();
    QVERIFY(m_desktop->isRegistered());
    m_network = std::make_unique<QNetworkAccessManager>();
    QNetworkCookie login("forum_cookie"_ba, "Paolo"_ba);
    login.setDomain(u"127.0.0.1"_s);
    login.setPath(u"/"_s);
    m_network->cookieJar()->insertCookie(login);
    m_folder = std::make_unique<QTemporaryDir>();
    m_told.clear();
}

void tst_Replies::cleanup()
{
    m_desktop.reset();
    m_network.reset();
    m_forum.reset();
}

std::unique_ptr<RepliesWatcher> tst_Replies::watcher()
{
    auto watcher = std::make_unique<RepliesWatcher>(m_network.get(), QUrl(m_forum->homeUrl()),
                                                    m_folder->filePath(u"risposte.json"_s));
    watcher->setMinute(minute);
    connect(watcher.get(), &RepliesWatcher::told, this, [this](const QString &text) { m_told.append(text); });
    watcher->start();
    return watcher;
}

std::unique_ptr<RepliesWatcher> tst_Replies::following()
{
    auto watching = watcher();
    watching->setMember(u"Paolo"_s);
    watching->follow(QUrl(m_forum->topicUrl()), QUrl(m_forum->feedUrl()), u"Discussione"_s, true);
    RepliesWatcher *w = watching.get();
    if (!QTest::qWaitFor([w] { return !w->followed().topics.isEmpty() && w->followed().topics.constFirst().seen.read; },
                         5000))
        return nullptr;
    return watching;
}

void tst_Replies::feedAnswers_data()
{
    QTest::addColumn<bool>("validators");
    QTest::addColumn<int>("unavailable");
    QTest::addColumn<bool>("loginExpired");
    QTest::addColumn<QStringList>("posts"); // author|text[|quoted author], after the first reading
    QTest::addColumn<int>("requests");      // looked at once this many were made
    QTest::addColumn<QString>("body");      // of the one notification, none when empty
    QTest::addColumn<bool>("conditional");  // the later requests name the ETag

    QTest::newRow("a reply") << true << 0 << false << QStringList{u"Marco|Riavvia il router"_s} << 2
                             << u"Marco: Riavvia il router"_s << true;
    QTest::newRow("two replies, one notification")
        << true << 0 << false << QStringList{u"Marco|Uno"_s, u"Luca|Due"_s} << 2 << u"Luca: Due"_s << true;
    QTest::newRow("the member's own post") << true << 0 << false << QStringList{u"Paolo|Grazie"_s} << 3 << QString()
                                           << true;
    QTest::newRow("nothing new: 304") << true << 0 << false << QStringList() << 3 << QString() << true;
    QTest::newRow("no validators given") << false << 0 << false << QStringList() << 3 << QString() << false;
    QTest::newRow("a quote of the member") << true << 0 << false << QStringList{u"Luca|Vero|Paolo"_s} << 2
                                           << u"Luca: Vero"_s << true;
    QTest::newRow("503, Retry-After ten minutes") << true << 1 << false << QStringList{u"Marco|Ci sono"_s} << 3
                                                  << u"Marco: Ci sono"_s << true;
    QTest::newRow("expired login") << true << 0 << true << QStringList() << 4 << QString() << true;
}

void tst_Replies::feedAnswers()
{
    QFETCH(bool, validators);
    QFETCH(int, unavailable);
    QFETCH(bool, loginExpired);
    QFETCH(QStringList, posts);
    QFETCH(int, requests);
    QFETCH(QString, body);
    QFETCH(bool, conditional);
    m_forum->validators = validators;
    m_forum->retryAfterSeconds = 600;
    const auto watching = following();
    QVERIFY(watching);
    // The window's rows are made again only for news.
    QSignalSpy changes(watching.get(), &RepliesWatcher::changed);
    m_forum->unavailable = unavailable;
    m_forum->loginExpired = loginExpired;
    for (const QString &post : std::as_const(posts)) {
        const QStringList parts = post.split(u'|');
        m_forum->addPost(parts.at(0), parts.at(1), parts.value(2));
    }
    QTRY_COMPARE_WITH_TIMEOUT(m_forum->feedRequests.size(), requests, 10000);
    // Requests go one after another: what came of the one before the last
    // is in.
    QTRY_COMPARE(m_desktop->shown.size(), body.isEmpty() ? 0 : 1);
    if (!body.isEmpty()) {
        QCOMPARE(m_desktop->shown.constFirst().body, body);
        QCOMPARE(m_desktop->shown.constFirst().title, FeedForum::subject());
        QVERIFY(m_desktop->shown.constFirst().actions.contains(u"Apri"_s));
        QCOMPARE(m_told.size(), 1);
    }
    for (qsizetype i = 1; i < m_forum->feedRequests.size(); ++i)
        QCOMPARE(!m_forum->feedRequests.at(i).ifNoneMatch.isEmpty(), conditional && validators);
    if (unavailable) {
        const qint64 waited = m_forum->feedRequests.at(2).atMs - m_forum->feedRequests.at(1).atMs;
        QVERIFY2(waited >= 10 * minute.count(), qPrintable(u"asked again after %1 ms"_s.arg(waited)));
    }
    if (loginExpired)
        QCOMPARE(m_told, QStringList{RepliesWatcher::loginText()});
    QCOMPARE(changes.isEmpty(), body.isEmpty());
}

void tst_Replies::openAndRestart()
{
    auto watching = following();
    QVERIFY(watching);
    const int id = m_forum->addPost(u"Marco"_s, u"Prova così"_s);
    QTRY_COMPARE(m_desktop->shown.size(), 1);
    QSignalSpy opened(watching.get(), &RepliesWatcher::openRequested);
    m_desktop->click(m_desktop->shown.constFirst().id, u"apri"_s);
    QTRY_COMPARE(opened.size(), 1);
    QCOMPARE(opened.constFirst().constFirst().toUrl(), QUrl(m_forum->url(u"forum/viewtopic.php?pid=%1#p%1"_s.arg(id))));
    QCOMPARE(watching->followed().topics.constFirst().unread, 0);

    // A second reply, then a restart before it is read: told once, after.
    m_forum->addPost(u"Luca"_s, u"Anche io"_s);
    watching.reset();
    const qsizetype before = m_forum->feedRequests.size();
    watching = watcher();
    QTRY_COMPARE(m_desktop->shown.size(), 2);
    QCOMPARE(m_desktop->shown.at(1).body, u"Luca: Anche io"_s);
    // Read again and again: nothing more.
    QTRY_VERIFY(m_forum->feedRequests.size() >= before + 3);
    QCOMPARE(m_desktop->shown.size(), 2);
}

void tst_Replies::anotherSitesFeed()
{
    // A page may name a feed anywhere: only the forum's is followed.
    const auto watching = watcher();
    watching->follow(QUrl(m_forum->topicUrl()), QUrl(u"http://altro.example/feed"_s), u"Altrove"_s, false);
    QCOMPARE(watching->followed().topics.size(), 1);
    QVERIFY(watching->followed().topics.constFirst().feed.isEmpty());
}

QTEST_MAIN(tst_Replies)
#include "tst_replies.moc"

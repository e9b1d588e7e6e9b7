#include "feedforum.h"
#include "fakenotifications.h"
#include "app/frmvelmora.h"
#include "app/pagewiring.h"
#include "core/draftstore.h"
#include "gui/prompter.h"
#include "replies/profilecookies.h"
#include "replies/replieswatcher.h"
#include "replies/topicpagereader.h"
#include "scriptedprompter.h"
#include "web/enginewebview.h"
#include "web/webpage.h"

#include <QAction>
#include <QNetworkAccessManager>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEnginePage>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

// A member logs in, writes in a topic, and is told of the reply that follows,
// on the real engine against a forum that publishes its topics' feeds.
class tst_RepliesForum : public QObject
{
    Q_OBJECT

private slots:
    void toldOfTheReplyToTheirPost();

private:
    // Runs script in the main view's page; its answer.
    QVariant run(frmVelmora &window, const QString &script);
};

QVariant tst_RepliesForum::run(frmVelmora &window, const QString &script)
{
    auto *view = static_cast<EngineWebView *>(window.WB());
    QVariant answer;
    bool done = false;
    view->page()->runJavaScript(script, [&](const QVariant &result) {
        answer = result;
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, 5000))
        return u"no answer"_s;
    return answer;
}

void tst_RepliesForum::toldOfTheReplyToTheirPost()
{
    FeedForum forum;
    QVERIFY(forum.start());
    FakeNotifications desktop;
    QVERIFY2(desktop.isRegistered(), "no session bus: run under dbus-run-session");
    QTemporaryDir folder;
    DraftStore drafts(folder.filePath(u"bozze"_s));
    drafts.load();
    QNetworkAccessManager network;
    network.setCookieJar(new ProfileCookies(EngineWebView::forumProfile(), &network));
    RepliesWatcher watcher(&network, QUrl(forum.homeUrl()), folder.filePath(u"risposte.json"_s));
    watcher.setMinute(60ms);
    watcher.start();

    ScriptedPrompter prompter;
    AppContext context;
    context.forumHomeUrl = forum.homeUrl();
    context.emoticonBaseUrl = forum.url(u"iconario/"_s);
    context.personalSetPath = folder.filePath(u"Personali.ic2"_s);
    context.prompter = &prompter;
    context.beep = [] {};
    context.drafts = &drafts;
    context.replies = &watcher;
    context.makeWebView = webViewFactory(context);
    frmVelmora window(context);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    WebView *view = window.WB();
    QTRY_COMPARE_WITH_TIMEOUT(view->LocationName(), u"Velmora Home"_s, 30000);

    // Logs in, asking to be remembered.
    view->Navigate(forum.url(u"forum/login.php"_s));
    QTRY_COMPARE_WITH_TIMEOUT(view->LocationName(), u"Accedi"_s, 10000);
    QTRY_COMPARE(run(window, u"document.activeElement.name"_s).toString(), u"req_username"_s);
    QTest::keyClicks(QApplication::focusWidget(), u"Paolo"_s);
    QCOMPARE(run(window, u"document.querySelector('[name=save_pass]').checked = true;"
                         u"document.querySelector('[name=req_password]').value = 'segreta'; true"_s),
             QVariant(true));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(view->LocationName(), u"Velmora Home"_s, 10000);

    // Opens the topic: it offers its feed, and the forum says who is in.
    view->Navigate(forum.topicUrl());
    QTRY_COMPARE_WITH_TIMEOUT(view->LocationName(), FeedForum::subject(), 10000);
    auto *follow = window.findChild<QAction *>(u"segui"_s);
    QVERIFY(follow);
    QTRY_COMPARE(follow->text(), TopicPageReader::followText());
    QTRY_COMPARE(watcher.followed().member, u"Paolo"_s);

    // Writes in the reply box (focused on load) and sends.
    QTRY_COMPARE(run(window, u"document.activeElement.name"_s).toString(), u"req_message"_s);
    QTest::keyClicks(QApplication::focusWidget(), u"Ho provato, niente"_s);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QTRY_COMPARE_WITH_TIMEOUT(forum.authors().size(), 2, 10000);
    QCOMPARE(forum.authors().constLast(), u"Paolo"_s);
    QCOMPARE(forum.lastText(), u"Ho provato, niente"_s);

    // The topic is followed, read once: the member's own post is not news.
    QTRY_COMPARE_WITH_TIMEOUT(watcher.followed().topics.size(), 1, 30000);
    QVERIFY(watcher.followed().topics.constFirst().posted);
    QCOMPARE(watcher.followed().topics.constFirst().feed, forum.feedUrl());
    QTRY_COMPARE(follow->text(), TopicPageReader::unfollowText());
    QTRY_VERIFY_WITH_TIMEOUT(forum.feedRequests.size() >= 1, 10000);
    // The feed was read with the member's login.
    QVERIFY(forum.feedRequests.constFirst().cookie.contains("forum_cookie=Paolo"));

    // Another member replies: one notification, on the status line too.
    forum.addPost(u"Marco"_s, u"Controlla il cavo"_s);
    QTRY_COMPARE_WITH_TIMEOUT(desktop.shown.size(), 1, 10000);
    QCOMPARE(desktop.shown.constFirst().body, u"Marco: Controlla il cavo"_s);
    const qsizetype requests = forum.feedRequests.size();
    QTRY_VERIFY(forum.feedRequests.size() >= requests + 2);
    QCOMPARE(desktop.shown.size(), 1);

    // "Apri" brings the window to that post.
    desktop.click(desktop.shown.constFirst().id, u"apri"_s);
    QTRY_VERIFY_WITH_TIMEOUT(view->LocationURL().contains(u"pid=3"_s), 10000);
    QCOMPARE(watcher.followed().topics.constFirst().unread, 0);

    // A reply the member reads in the topic itself leaves the desktop.
    forum.addPost(u"Luca"_s, u"Anche il filtro"_s);
    QTRY_COMPARE_WITH_TIMEOUT(desktop.shown.size(), 2, 10000);
    QCOMPARE(watcher.followed().topics.constFirst().unread, 1);
    view->Navigate(forum.topicUrl());
    QTRY_COMPARE_WITH_TIMEOUT(watcher.followed().topics.constFirst().unread, 0, 10000);
    QTRY_VERIFY(desktop.closed.contains(desktop.shown.at(1).id));
}

QTEST_MAIN(tst_RepliesForum)
#include "tst_repliesforum.moc"

#include "app/frmvelmora.h"
#include "web/enginewebview.h"
#include "forumserver.h"
#include "testcontext.h"

#include <QLabel>
#include <QTest>

#include <csignal>

// The main window on the real engine, against a forum on loopback.
class tst_ForumBrowser : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void opensTheForumHome();
    void addressLineRedWhileLoading();
    void titleAndAddressFollowThePageAfterItsLoad();
    void backAndForward();
    void homeButton();
    void rendererCrashReloads();

private:
    void clickButton(int index);
    QString title() const { return m_window->windowTitle(); }
    QLabel *lblURL() const { return m_window->findChild<QLabel *>(QStringLiteral("lblURL")); }

    ForumServer m_server;
    std::unique_ptr<TestContext> m_test;
    std::unique_ptr<frmVelmora> m_window;
};

static constexpr int loadTimeout = 30000;

void tst_ForumBrowser::initTestCase()
{
    QVERIFY(m_server.start());
}

void tst_ForumBrowser::init()
{
    m_test = std::make_unique<TestContext>();
    m_window = m_test->openForum(m_server);
    QVERIFY(m_window);
    QTRY_COMPARE(title(), QStringLiteral("NORVALE system - ") + ForumServer::homeTitle());
    QTRY_VERIFY(!m_window->WB()->Busy());
}

void tst_ForumBrowser::cleanup()
{
    m_server.releaseHeld();
    m_window.reset();
    m_test.reset();
}

void tst_ForumBrowser::clickButton(int index)
{
    auto *button = m_window->findChild<QWidget *>(QStringLiteral("imgNavy%1").arg(index));
    QTest::mouseClick(button, Qt::LeftButton);
}

void tst_ForumBrowser::opensTheForumHome()
{
    QTRY_COMPARE(lblURL()->text(), m_server.homeUrl());
    QTRY_COMPARE(m_window->findChild<QLabel *>(QStringLiteral("lblStatus"))->text(), QStringLiteral("Completato"));
    // The keys go to the page itself.
    QTRY_VERIFY(QApplication::focusWidget() && QApplication::focusWidget() != m_window->WB()
                && m_window->WB()->isAncestorOf(QApplication::focusWidget()));
    // Back with nothing before the first page: nothing happens, no message.
    clickButton(0);
    clickButton(1);
    QTRY_COMPARE(lblURL()->text(), m_server.homeUrl());
    QCOMPARE(title(), QStringLiteral("NORVALE system - ") + ForumServer::homeTitle());
    QVERIFY(m_test->prompter.shown.isEmpty());
}

void tst_ForumBrowser::addressLineRedWhileLoading()
{
    m_window->WB()->Navigate(m_server.url(QStringLiteral("forum/lenta.html")));
    QTRY_COMPARE_WITH_TIMEOUT(m_server.heldCount(), 1, loadTimeout);
    QTRY_VERIFY(lblURL()->autoFillBackground());
    QVERIFY(m_window->WB()->Busy());

    m_server.releaseHeld();
    QTRY_COMPARE_WITH_TIMEOUT(title(), QStringLiteral("NORVALE system - Pagina Lenta"), loadTimeout);
    QTRY_VERIFY(!lblURL()->autoFillBackground());
    QCOMPARE(lblURL()->text(), m_server.url(QStringLiteral("forum/lenta.html")));
}

void tst_ForumBrowser::titleAndAddressFollowThePageAfterItsLoad()
{
    m_window->WB()->Navigate(m_server.url(QStringLiteral("forum/dopo.html")));
    QTRY_COMPARE_WITH_TIMEOUT(title(), QStringLiteral("NORVALE system - Prima"), loadTimeout);
    // The new title comes long after any load has ended: the view tells of it.
    QTRY_COMPARE_WITH_TIMEOUT(lblURL()->text(), m_server.url(QStringLiteral("forum/dopo.html#sotto")), loadTimeout);
    QTRY_COMPARE_WITH_TIMEOUT(title(), QStringLiteral("NORVALE system - (1) Dopo"), loadTimeout);
    QVERIFY(!lblURL()->autoFillBackground());
}

void tst_ForumBrowser::backAndForward()
{
    m_window->WB()->Navigate(m_server.url(QStringLiteral("forum/seconda.html")));
    QTRY_COMPARE_WITH_TIMEOUT(title(), QStringLiteral("NORVALE system - Seconda Pagina"), loadTimeout);

    clickButton(0);
    QTRY_COMPARE_WITH_TIMEOUT(title(), QStringLiteral("NORVALE system - ") + ForumServer::homeTitle(), loadTimeout);
    QTRY_COMPARE(lblURL()->text(), m_server.homeUrl());

    clickButton(1);
    QTRY_COMPARE_WITH_TIMEOUT(title(), QStringLiteral("NORVALE system - Seconda Pagina"), loadTimeout);
    // Nothing after the last page.
    clickButton(1);
    QTRY_COMPARE(lblURL()->text(), m_server.url(QStringLiteral("forum/seconda.html")));
}

void tst_ForumBrowser::homeButton()
{
    m_window->WB()->Navigate(m_server.url(QStringLiteral("forum/seconda.html")));
    QTRY_COMPARE_WITH_TIMEOUT(title(), QStringLiteral("NORVALE system - Seconda Pagina"), loadTimeout);
    const int homeRequests = int(m_server.requests.count(QStringLiteral("/forum/")));
    clickButton(4);
    QTRY_COMPARE_WITH_TIMEOUT(title(), QStringLiteral("NORVALE system - ") + ForumServer::homeTitle(), loadTimeout);
    QCOMPARE(m_server.requests.count(QStringLiteral("/forum/")), homeRequests + 1);
}

void tst_ForumBrowser::rendererCrashReloads()
{
    auto *view = static_cast<EngineWebView *>(m_window->WB());
    const qint64 pid = view->rendererProcessId();
    QVERIFY(pid > 0);
    const int homeRequests = int(m_server.requests.count(QStringLiteral("/forum/")));
    QVERIFY(::kill(pid_t(pid), SIGKILL) == 0);
    QTRY_VERIFY_WITH_TIMEOUT(m_server.requests.count(QStringLiteral("/forum/")) > homeRequests, loadTimeout);
    QTRY_COMPARE_WITH_TIMEOUT(title(), QStringLiteral("NORVALE system - ") + ForumServer::homeTitle(), loadTimeout);
    QVERIFY(view->rendererProcessId() != pid);
}

QTEST_MAIN(tst_ForumBrowser)
#include "tst_forumbrowser.moc"

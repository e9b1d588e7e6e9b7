#include "app/frmvelmora.h"
#include "web/enginewebview.h"
#include "web/imagepreview.h"
#include "app/pagewiring.h"
#include "forumserver.h"
#include "picker/pickerpanel.h"
#include "testcontext.h"

#include <QLabel>
#include <QMovie>
#include <QSignalSpy>
#include <QTest>
#include <QWebEngineView>

// The program's preview, as its web-view factory makes it, against loopback.
class tst_ImagePreview : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void showsWhatTheAddressAnswers_data();
    void showsWhatTheAddressAnswers();
    void animationRepaintsOnlyThePicture();
    void engineAddressesStayBlank_data();
    void engineAddressesStayBlank();
    void bigAnimationLeftToTheEngine();
    void silentServerGivenUp_data();
    void silentServerGivenUp();

private:
    ForumServer m_server;
    std::unique_ptr<QWidget> m_window;
    WebView *m_preview = nullptr;
};

static constexpr int loadTimeout = 30000;

void tst_ImagePreview::initTestCase()
{
    QVERIFY(m_server.start());
}

void tst_ImagePreview::init()
{
    m_window = std::make_unique<QWidget>();
    m_window->resize(300, 300);
    m_preview = webViewFactory({})(WebView::Role::Preview, m_window.get());
    m_preview->setRectTwips(105, 3870, 2025, 1905);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void tst_ImagePreview::cleanup()
{
    m_window.reset();
    m_server.releaseHeld();
}

void tst_ImagePreview::showsWhatTheAddressAnswers_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("picture"); // empty: a page, for the web view
    QTest::addColumn<QString>("title");

    QTest::newRow("animated GIF") << QStringLiteral("immagini/animata.gif") << QSize(66, 66) << QString();
    QTest::newRow("still PNG") << QStringLiteral("immagini/rosso.png") << QSize(8, 8) << QString();
    QTest::newRow("missing image") << QStringLiteral("immagini/manca.gif") << QSize() << QStringLiteral("Non trovato");
    QTest::newRow("page") << QStringLiteral("forum/seconda.html") << QSize() << QStringLiteral("Seconda Pagina");
}

void tst_ImagePreview::showsWhatTheAddressAnswers()
{
    QFETCH(QString, path);
    QFETCH(QSize, picture);
    QFETCH(QString, title);

    const QString address = m_server.url(path);
    m_preview->Navigate(address);
    QVERIFY(m_preview->Busy());
    QTRY_VERIFY_WITH_TIMEOUT(!m_preview->Busy(), loadTimeout);
    QCOMPARE(m_preview->LocationURL(), address);
    auto *web = m_preview->findChild<QWebEngineView *>();
    if (picture.isEmpty()) {
        QVERIFY(web);
        QTRY_VERIFY(web->isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(m_preview->LocationName(), title, loadTimeout);
        return;
    }
    // A picture costs no web engine, and shows as in a post: at the top left
    // on white.
    QVERIFY(!web);
    const QImage shown = m_preview->grab().toImage();
    const auto white = QColor(Qt::white);
    QCOMPARE(shown.pixelColor(picture.width() + 2, picture.height() + 2), white);
    QCOMPARE(shown.pixelColor(shown.width() - 1, shown.height() - 1), white);
    bool drawn = false;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            drawn = drawn || shown.pixelColor(x, y) != white;
    QVERIFY(drawn);
}

// Every frame of an animated emoticon repaints the emoticon alone, never the
// window around it: the picker stays open while a post is written.
void tst_ImagePreview::animationRepaintsOnlyThePicture()
{
    TestContext test;
    test.context.forumHomeUrl = m_server.homeUrl();
    test.context.makeWebView = [](WebView::Role role, QWidget *parent) -> WebView * {
        return role == WebView::Role::Preview ? webViewFactory({})(role, parent) : new FakeWebView(role, parent);
    };
    frmVelmora window(test.context);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.imgNavy_Click(5);
    QTRY_VERIFY(window.picker()->heightTwips() >= fraIconario::openHeight);
    auto *preview = qobject_cast<ImagePreview *>(window.picker()->WBIC());
    QVERIFY(preview);
    preview->Navigate(m_server.url(QStringLiteral("immagini/animata.gif")));
    preview->show();
    QTRY_VERIFY_WITH_TIMEOUT(preview->movie() && preview->movie()->state() == QMovie::Running, loadTimeout);
    QTest::qWait(0);

    struct PaintCount : QObject
    {
        QWidget *picture = nullptr;
        int inside = 0;
        int outside = 0;
        bool eventFilter(QObject *receiver, QEvent *event) override
        {
            if (event->type() == QEvent::Paint)
                ++(receiver == picture ? inside : outside);
            return false;
        }
    } paints;
    QSignalSpy frames(preview->movie(), &QMovie::frameChanged);
    QTRY_VERIFY(frames.count() >= 2); // what was pending is drawn
    paints.picture = preview->findChild<QLabel *>(QStringLiteral("picture"));
    QVERIFY(paints.picture);
    qApp->installEventFilter(&paints);
    frames.clear();
    QTRY_VERIFY_WITH_TIMEOUT(frames.count() >= 12, 10000);
    qApp->removeEventFilter(&paints);
    QVERIFY2(paints.inside >= 6, qPrintable(QStringLiteral("%1 paints of the picture").arg(paints.inside)));
    QVERIFY2(paints.outside <= 1,
             qPrintable(QStringLiteral("%1 paints elsewhere in %2 frames").arg(paints.outside).arg(frames.count())));
}

// An engine's own address never reaches the engine: chrome://crash would end
// a renderer, chrome://inducebrowsercrashforrealz the program. Harmless ones
// stand in for them here.
void tst_ImagePreview::engineAddressesStayBlank_data()
{
    QTest::addColumn<QString>("address");
    QTest::newRow("engine page") << QStringLiteral("chrome://version");
    QTest::newRow("data") << QStringLiteral("data:text/html,<title>dati</title>");
}

void tst_ImagePreview::engineAddressesStayBlank()
{
    QFETCH(QString, address);
    m_preview->Navigate(address);
    QVERIFY(!m_preview->Busy());
    QCOMPARE(m_preview->LocationURL(), QStringLiteral("about:blank"));
    QVERIFY(!m_preview->findChild<QWebEngineView *>());
    const QImage shown = m_preview->grab().toImage();
    QCOMPARE(shown.pixelColor(shown.width() / 2, shown.height() / 2), QColor(Qt::white));

    // The engine's view of a preview refuses it by itself too.
    EngineWebView web(WebView::Role::Preview, m_window.get());
    web.Navigate(address);
    auto *view = web.findChild<QWebEngineView *>();
    QSignalSpy loaded(view, &QWebEngineView::loadFinished);
    QTRY_VERIFY_WITH_TIMEOUT(!loaded.isEmpty(), loadTimeout);
    QCOMPARE(view->url(), QUrl(QStringLiteral("about:blank")));
    QVERIFY(view->title().isEmpty() || view->title() == QStringLiteral("about:blank"));
}

// Qt would decode each frame whole on the GUI thread; the engine's renderer
// does it elsewhere.
void tst_ImagePreview::bigAnimationLeftToTheEngine()
{
    auto *preview = qobject_cast<ImagePreview *>(m_preview);
    QVERIFY(preview);
    preview->Navigate(m_server.url(QStringLiteral("immagini/grande/800.gif")));
    QTRY_VERIFY_WITH_TIMEOUT(!preview->Busy(), loadTimeout);
    QVERIFY(!preview->movie());
    QVERIFY(preview->webFallback() && preview->webFallback()->isVisible());
}

void tst_ImagePreview::silentServerGivenUp_data()
{
    QTest::addColumn<bool>("page");
    QTest::newRow("silent before the picture") << false;
    QTest::newRow("a page that stops halfway, in the web view") << true;
}

void tst_ImagePreview::silentServerGivenUp()
{
    QFETCH(bool, page);
    auto *preview = qobject_cast<ImagePreview *>(m_preview);
    QVERIFY(preview);
    preview->setStallLimit(std::chrono::milliseconds(page ? 1500 : 300));
    preview->Navigate(page ? m_server.stalledPageUrl() : m_server.url(QStringLiteral("lenta/muta.gif")));
    QVERIFY(preview->Busy());
    if (page)
        QTRY_VERIFY_WITH_TIMEOUT(preview->webFallback() && preview->webFallback()->isVisible(), loadTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(!preview->Busy(), loadTimeout);
    QCOMPARE(preview->findChild<QLabel *>(QStringLiteral("picture"))->text(), ImagePreview::unavailableText());
    QVERIFY(!preview->webFallback() || !preview->webFallback()->isVisible());
}

QTEST_MAIN(tst_ImagePreview)
#include "tst_imagepreview.moc"

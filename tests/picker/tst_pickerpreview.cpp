#include "app/frmvelmora.h"
#include "web/enginewebview.h"
#include "web/imagepreview.h"
#include "forumserver.h"
#include "gui/listbox.h"
#include "picker/pickerpanel.h"
#include "testcontext.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QWebEngineHistory>
#include <QWebEngineView>

#include <csignal>

static constexpr int loadTimeout = 30000;

// The picker's preview on the real engine, against images on loopback.
class tst_PickerPreview : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void previewLoadsTheImage();
    void waitLabelWhileTheImageLoads();
    void rendererCrashReloads();
    void closingEndsThePreviewRenderer();
    void previewRunsNoScriptsAndNoLocalFiles();
    void imageShownAsInAPost();

private:
    fraIconario *panel() const { return m_window->picker(); }
    // What the preview shows that is no picture is shown by a web view: the
    // page's, once it has loaded; null if it does not.
    EngineWebView *previewShowingAPage(const QString &path, const QString &title)
    {
        WebView *preview = panel()->WBIC();
        preview->Navigate(m_server.url(path));
        if (!QTest::qWaitFor([&] { return preview->LocationName() == title && !preview->Busy(); }, loadTimeout))
            return nullptr;
        return static_cast<ImagePreview *>(preview)->webFallback();
    }
    ListBox *lstEmo() const { return panel()->findChild<ListBox *>(QStringLiteral("lstEmo")); }
    void choose(int set)
    {
        QTest::mouseClick(panel()->findChild<QPushButton *>(QStringLiteral("optEmo%1").arg(set)), Qt::LeftButton);
    }

    ForumServer m_server;
    std::unique_ptr<TestContext> m_test;
    std::unique_ptr<frmVelmora> m_window;
};

void tst_PickerPreview::initTestCase()
{
    QVERIFY(m_server.start());
}

void tst_PickerPreview::init()
{
    m_test = std::make_unique<TestContext>();
    m_window = m_test->openForum(m_server);
    QVERIFY(m_window);
    m_window->imgNavy_Click(5);
    QTRY_VERIFY_WITH_TIMEOUT(m_server.requests.contains(QStringLiteral("/forum/images/logo_velmora.gif")), loadTimeout);
}

void tst_PickerPreview::cleanup()
{
    m_server.releaseHeld();
    m_window.reset();
    m_test.reset();
}

void tst_PickerPreview::previewLoadsTheImage()
{
    choose(3);
    lstEmo()->setCurrentRow(20);
    QVERIFY(panel()->WBIC()->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(m_server.requests.contains(QStringLiteral("/iconario/Yahoo/21.gif")), loadTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(!panel()->WBIC()->Busy(), loadTimeout);
    QTRY_COMPARE(panel()->WBIC()->LocationURL(), m_server.emoticonBase() + QStringLiteral("Yahoo/21.gif"));

    // A preview keeps no history, however many pages it has shown.
    EngineWebView *web = previewShowingAPage(QStringLiteral("forum/seconda.html"), QStringLiteral("Seconda Pagina"));
    QVERIFY(web);
    QCOMPARE(previewShowingAPage(QStringLiteral("forum/"), ForumServer::homeTitle()), web);
    QCOMPARE(web->findChild<QWebEngineView *>()->history()->count(), 1);
}

void tst_PickerPreview::waitLabelWhileTheImageLoads()
{
    QFile file(m_test->context.personalSetPath);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("\"lenta\"\r\n\"" + m_server.url(QStringLiteral("lenta/attesa.gif")).toLatin1() + "\"\r\n");
    file.close();

    QLabel *busy = panel()->findChild<QLabel *>(QStringLiteral("lblEmoBusy"));
    QTRY_VERIFY_WITH_TIMEOUT(!busy->isVisible(), loadTimeout);
    choose(4);
    lstEmo()->setCurrentRow(0);
    QTRY_COMPARE_WITH_TIMEOUT(m_server.heldCount(), 1, loadTimeout);
    QTRY_VERIFY(busy->isVisible());
    QVERIFY(panel()->WBIC()->isVisible());
    m_server.releaseHeld();
    QTRY_VERIFY_WITH_TIMEOUT(!busy->isVisible(), loadTimeout);
}

void tst_PickerPreview::rendererCrashReloads()
{
    EngineWebView *preview = previewShowingAPage(QStringLiteral("forum/seconda.html"),
                                                 QStringLiteral("Seconda Pagina"));
    QVERIFY(preview);
    QTRY_VERIFY_WITH_TIMEOUT(preview->rendererProcessId() > 0, loadTimeout);
    const qint64 pid = preview->rendererProcessId();
    const auto pageRequests = m_server.requests.count(QStringLiteral("/forum/seconda.html"));
    QVERIFY(::kill(pid_t(pid), SIGKILL) == 0);
    QTRY_VERIFY_WITH_TIMEOUT(m_server.requests.count(QStringLiteral("/forum/seconda.html")) > pageRequests,
                             loadTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(preview->rendererProcessId() > 0 && preview->rendererProcessId() != pid, loadTimeout);
    // The forum view has a renderer of its own and goes on undisturbed.
    QVERIFY(static_cast<EngineWebView *>(m_window->WB())->rendererProcessId() != pid);
}

static bool processExists(qint64 pid)
{
    return ::kill(pid_t(pid), 0) == 0;
}

void tst_PickerPreview::closingEndsThePreviewRenderer()
{
    EngineWebView *preview = previewShowingAPage(QStringLiteral("forum/seconda.html"),
                                                 QStringLiteral("Seconda Pagina"));
    QVERIFY(preview);
    QTRY_VERIFY_WITH_TIMEOUT(preview->rendererProcessId() > 0, loadTimeout);
    const qint64 pid = preview->rendererProcessId();
    const qint64 forumPid = static_cast<EngineWebView *>(m_window->WB())->rendererProcessId();
    QSignalSpy status(preview, &WebView::StatusTextChange);

    panel()->lblChiudiIC_Click();
    QTRY_VERIFY_WITH_TIMEOUT(!processExists(pid), loadTimeout);
    QCOMPARE(static_cast<EngineWebView *>(m_window->WB())->rendererProcessId(), forumPid);
    QVERIFY(processExists(forumPid));

    // Opened again, the preview shows the logo and then an emoticon, and a
    // page in a new renderer.
    m_window->imgNavy_Click(5);
    QTRY_COMPARE_WITH_TIMEOUT(panel()->WBIC()->LocationURL(),
                              m_server.url(QStringLiteral("forum/images/logo_velmora.gif")), loadTimeout);
    choose(3);
    lstEmo()->setCurrentRow(4);
    QTRY_VERIFY_WITH_TIMEOUT(m_server.requests.contains(QStringLiteral("/iconario/Yahoo/5.gif")), loadTimeout);
    QTRY_COMPARE_WITH_TIMEOUT(panel()->WBIC()->LocationURL(), m_server.emoticonBase() + QStringLiteral("Yahoo/5.gif"),
                              loadTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(!panel()->WBIC()->Busy(), loadTimeout);
    QCOMPARE(previewShowingAPage(QStringLiteral("forum/seconda.html"), QStringLiteral("Seconda Pagina")), preview);
    QTRY_VERIFY_WITH_TIMEOUT(preview->rendererProcessId() > 0 && preview->rendererProcessId() != pid, loadTimeout);
    // The preview's renderer ending by request is no crash: nothing reloads.
    QVERIFY(!status.contains({QStringLiteral("La pagina si è chiusa per un errore: viene ricaricata.")}));
}

void tst_PickerPreview::previewRunsNoScriptsAndNoLocalFiles()
{
    WebView *preview = panel()->WBIC();
    QTRY_VERIFY_WITH_TIMEOUT(!preview->Busy(), loadTimeout);
    preview->Navigate(m_server.url(QStringLiteral("forum/script.html")));
    QTRY_COMPARE_WITH_TIMEOUT(preview->LocationName(), QStringLiteral("Senza script"), loadTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(!preview->Busy(), loadTimeout);
    QCOMPARE(preview->LocationName(), QStringLiteral("Senza script"));

    // The forum view runs the same page's script.
    m_window->WB()->Navigate(m_server.url(QStringLiteral("forum/script.html")));
    QTRY_COMPARE_WITH_TIMEOUT(m_window->WB()->LocationName(), QStringLiteral("Con script"), loadTimeout);

    QFile local(m_test->context.personalSetPath);
    QVERIFY(local.open(QIODevice::WriteOnly));
    local.write("\"segreto\"\r\n\"http://a/s.gif\"\r\n");
    local.close();
    preview->Navigate(QUrl::fromLocalFile(local.fileName()).toString());
    QTRY_COMPARE_WITH_TIMEOUT(preview->LocationURL(), QStringLiteral("about:blank"), loadTimeout);
}

void tst_PickerPreview::imageShownAsInAPost()
{
    QFile file(m_test->context.personalSetPath);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("\"rosso\"\r\n\"" + m_server.url(QStringLiteral("immagini/rosso.png")).toLatin1() + "\"\r\n");
    file.close();
    choose(4);
    lstEmo()->setCurrentRow(0);
    QTRY_VERIFY_WITH_TIMEOUT(m_server.requests.contains(QStringLiteral("/immagini/rosso.png")), loadTimeout);
    // At the top left on white, not centred on a dark backdrop.
    const auto shown = [this](QPoint at) { return panel()->WBIC()->grab().toImage().pixelColor(at); };
    QTRY_COMPARE_WITH_TIMEOUT(shown({3, 3}), QColor(Qt::red), loadTimeout);
    QTRY_COMPARE_WITH_TIMEOUT(shown({100, 100}), QColor(Qt::white), loadTimeout);
}

QTEST_MAIN(tst_PickerPreview)
#include "tst_pickerpreview.moc"

#include "app/frmvelmora.h"
#include "app/startup.h"
#include "downloads/downloads.h"
#include "web/enginewebview.h"
#include "app/forumpopup.h"
#include "web/forumprofile.h"
#include "downloads/frmdownloads.h"
#include "web/webpage.h"
#include "forumserver.h"
#include "testcontext.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTest>
#include <QTimer>
#include <QWebEngineDownloadRequest>
#include <QWebEngineHistory>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include <csignal>

using namespace Qt::StringLiterals;

// Stands in for the system's browser and mail program.
class UrlOpener : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void open(const QUrl &url) { opened.append(url); }
};

// What the forum view lets a page do, on the real engine against the forum
// on loopback.
class tst_SafeForum : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void scriptsOpenNoWindows();
    void newWindowLinks();
    void linkToAnotherSite();
    void otherPrograms_data();
    void otherPrograms();
    void otherSitesOnlyOnAClick_data();
    void otherSitesOnlyOnAClick();
    void statusAfterAbort_data();
    void statusAfterAbort();
    void droppedAddressesDoNotOpen();
    void attachmentIsSaved();
    void failedDownloadSaysWhy();
    void runningDownloadIsCancelled();
    void downloadsOnlyOnAClick();
    void nothingWithoutTheMembersClick_data();
    void nothingWithoutTheMembersClick();
    void exitAsksWhileDownloading();
    void sessionLoginSurvivesARestart();
    void permissionsRefused();
    void dialogsNamedAndSilenced();
    void dialogPingPong();
    void boxesHoldNothing_data();
    void boxesHoldNothing();
    void engineSpeaksItalian();
    void consoleOnlyOnRequest_data();
    void consoleOnlyOnRequest();
    void draftAsksBeforeExit_data();
    void draftAsksBeforeExit();
    void crashesReloadTwiceAMinute();
    void crashAfterAPostDoesNotPostAgain();

private:
    QWebEngineView *mainView() const { return m_window->WB()->findChild<QWebEngineView *>(); }
    void open(const QString &path, const QString &title);
    void click(QWebEngineView *view, const QString &id);
    // Clicks the page's empty corner until the page has seen the user.
    void activate();
    void killRenderer();
    // Answers the next modal boxes with answer(box), keeping their titles.
    void answerBoxes(const std::function<void(QWidget *box)> &answer);
    // A page's alert, confirm or prompt box, open.
    static QWidget *pageBox();
    QString status() const { return m_window->findChild<QLabel *>(QStringLiteral("lblStatus"))->text(); }

    ForumServer m_server;
    UrlOpener m_opener;
    QTemporaryDir m_downloadFolder;
    std::unique_ptr<TestContext> m_test;
    std::unique_ptr<Downloads> m_downloads;
    std::unique_ptr<frmVelmora> m_window;
    QTimer m_boxes;
    QStringList m_boxTitles;
};

static constexpr int loadTimeout = 30000;

void tst_SafeForum::initTestCase()
{
    // As the program starts; the test runs under LANG=C.
    Startup::afterApplication();
    QVERIFY(m_server.start());
    for (const char *scheme : {"http", "https", "mailto"})
        QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &m_opener, "open");
}

void tst_SafeForum::cleanupTestCase()
{
    for (const char *scheme : {"http", "https", "mailto"})
        QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
}

void tst_SafeForum::init()
{
    m_opener.opened.clear();
    m_boxTitles.clear();
    m_test = std::make_unique<TestContext>();
    m_downloads = std::make_unique<Downloads>();
    m_downloads->setFolder(m_downloadFolder.path());
    m_window = m_test->openForum(m_server, m_downloads.get());
    QVERIFY(m_window);
}

void tst_SafeForum::cleanup()
{
    m_boxes.stop();
    m_boxes.disconnect();
    m_server.dropSlowDownloads();
    m_window.reset();
    m_downloads.reset();
    m_test.reset();
}

void tst_SafeForum::open(const QString &path, const QString &title)
{
    m_window->WB()->Navigate(m_server.url(path));
    QTRY_COMPARE_WITH_TIMEOUT(m_window->WB()->LocationName(), title, loadTimeout);
    QTRY_VERIFY(!m_window->WB()->Busy());
}

void tst_SafeForum::click(QWebEngineView *view, const QString &id)
{
    // A real click, so the page sees the user's gesture.
    QVariant centre;
    view->page()->runJavaScript(QStringLiteral("(() => { const r = document.getElementById('%1')"
                                               ".getBoundingClientRect(); return [r.x + 20, r.y + r.height / 2]; })()")
                                    .arg(id),
                                [&centre](const QVariant &v) { centre = v; });
    QTRY_VERIFY_WITH_TIMEOUT(centre.isValid(), loadTimeout);
    const QVariantList xy = centre.toList();
    const QPoint at(qRound(xy.at(0).toDouble()), qRound(xy.at(1).toDouble()));
    QTest::mouseMove(view->focusProxy(), at);
    QTest::mouseClick(view->focusProxy(), Qt::LeftButton, {}, at);
}

void tst_SafeForum::activate()
{
    // The first clicks after a load may come before the page takes input.
    QWebEngineView *view = mainView();
    bool active = false;
    for (int attempt = 0; attempt < 50 && !active; ++attempt) {
        QTest::mouseClick(view->focusProxy(), Qt::LeftButton, {}, QPoint(view->width() - 10, view->height() - 10));
        QVariant answer;
        view->page()->runJavaScript(QStringLiteral("navigator.userActivation.hasBeenActive"),
                                    [&answer](const QVariant &v) { answer = v; });
        QTRY_VERIFY_WITH_TIMEOUT(answer.isValid(), loadTimeout);
        active = answer.toBool();
    }
    QVERIFY(active);
}

void tst_SafeForum::killRenderer()
{
    auto *view = static_cast<EngineWebView *>(m_window->WB());
    QTRY_VERIFY_WITH_TIMEOUT(view->rendererProcessId() > 0 && !view->Busy(), loadTimeout);
    QVERIFY(::kill(pid_t(view->rendererProcessId()), SIGKILL) == 0);
}

QWidget *tst_SafeForum::pageBox()
{
    const QList<QWidget *> windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        if (window->objectName() == QStringLiteral("frmMessaggioPagina") && window->isVisible())
            return window;
    }
    return nullptr;
}

void tst_SafeForum::answerBoxes(const std::function<void(QWidget *box)> &answer)
{
    m_boxes.disconnect();
    connect(&m_boxes, &QTimer::timeout, this, [this, answer] {
        if (QWidget *box = pageBox() ? pageBox() : QApplication::activeModalWidget()) {
            m_boxTitles.append(box->windowTitle());
            answer(box);
        }
    });
    m_boxes.start(20);
}

void tst_SafeForum::scriptsOpenNoWindows()
{
    open(QStringLiteral("forum/finestra.html"), QStringLiteral("bloccata"));
    QVERIFY(m_window->findChildren<ForumPopup *>().isEmpty());
    QCOMPARE(m_window->WB()->LocationURL(), m_server.url(QStringLiteral("forum/finestra.html")));
}

void tst_SafeForum::newWindowLinks()
{
    open(QStringLiteral("forum/link.html"), QStringLiteral("Collegamenti"));
    activate();
    const int history = mainView()->history()->count();

    // A forum page: its own window, the main view and its history untouched.
    click(mainView(), QStringLiteral("nuova"));
    QTRY_COMPARE_WITH_TIMEOUT(m_window->findChildren<ForumPopup *>().size(), 1, loadTimeout);
    QPointer<ForumPopup> popup = m_window->findChildren<ForumPopup *>().first();
    QTRY_COMPARE_WITH_TIMEOUT(popup->windowTitle(), QStringLiteral("Finestra del forum"), loadTimeout);
    QVERIFY(popup->isVisible());
    QCOMPARE(m_window->WB()->LocationURL(), m_server.url(QStringLiteral("forum/link.html")));
    QCOMPARE(mainView()->history()->count(), history);
    // Its page may close it.
    popup->page()->runJavaScript(QStringLiteral("window.close()"));
    QTRY_VERIFY_WITH_TIMEOUT(popup.isNull(), loadTimeout);

    // The window's status line speaks as the main window's; its close box
    // lets the page have its say, then the page closes it.
    activate();
    click(mainView(), QStringLiteral("nuova"));
    QTRY_COMPARE_WITH_TIMEOUT(m_window->findChildren<ForumPopup *>().size(), 1, loadTimeout);
    popup = m_window->findChildren<ForumPopup *>().first();
    QTRY_COMPARE_WITH_TIMEOUT(popup->findChild<QLabel *>(QStringLiteral("lblStatus"))->text(),
                              QStringLiteral("Completato"), loadTimeout);
    QVERIFY(!popup->close());
    QTRY_VERIFY_WITH_TIMEOUT(popup.isNull(), loadTimeout);

    // Another site's page: the system's browser.
    click(mainView(), QStringLiteral("fuorinuova"));
    QTRY_COMPARE_WITH_TIMEOUT(m_opener.opened.size(), 1, loadTimeout);
    QCOMPARE(m_opener.opened.first().host(), QStringLiteral("localhost"));
    QVERIFY(m_window->findChildren<ForumPopup *>().isEmpty());
}

void tst_SafeForum::linkToAnotherSite()
{
    open(QStringLiteral("forum/link.html"), QStringLiteral("Collegamenti"));
    activate();
    click(mainView(), QStringLiteral("fuori"));
    QTRY_COMPARE_WITH_TIMEOUT(m_opener.opened.size(), 1, loadTimeout);
    QCOMPARE(m_opener.opened.first().host(), QStringLiteral("localhost"));
    // The forum's own links still open here.
    click(mainView(), QStringLiteral("interna"));
    QTRY_COMPARE_WITH_TIMEOUT(m_window->WB()->LocationName(), QStringLiteral("Seconda Pagina"), loadTimeout);
    QCOMPARE(m_opener.opened.size(), 1);
}

void tst_SafeForum::otherPrograms_data()
{
    QTest::addColumn<QMessageBox::StandardButton>("answer");
    QTest::newRow("No") << QMessageBox::No;
    QTest::newRow("Yes") << QMessageBox::Yes;
}

void tst_SafeForum::otherPrograms()
{
    QFETCH(QMessageBox::StandardButton, answer);
    open(QStringLiteral("forum/link.html"), QStringLiteral("Collegamenti"));
    activate();
    m_test->prompter.answers = {answer};
    click(mainView(), QStringLiteral("posta"));
    QTRY_COMPARE_WITH_TIMEOUT(m_test->prompter.shown.size(), 1, loadTimeout);
    const ScriptedPrompter::Box box = m_test->prompter.shown.first();
    QCOMPARE(box.title, QStringLiteral("Norvale - Apertura Esterna"));
    QCOMPARE(box.text, QStringLiteral("Aprire questo indirizzo con un altro programma?\nmailto:admin@velmora.test"));
    QCOMPARE(box.buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(box.defaultButton, QMessageBox::No);
    QCOMPARE(m_opener.opened,
             answer == QMessageBox::Yes ? QList<QUrl>{QUrl(QStringLiteral("mailto:admin@velmora.test"))}
                                        : QList<QUrl>{});
    QCOMPARE(m_window->WB()->LocationURL(), m_server.url(QStringLiteral("forum/link.html")));
}

void tst_SafeForum::otherSitesOnlyOnAClick_data()
{
    QTest::addColumn<bool>("clicked");
    QTest::newRow("the page by itself") << false;
    QTest::newRow("after one click") << true;
}

void tst_SafeForum::otherSitesOnlyOnAClick()
{
    // The page sends itself to another site five times in a row.
    QFETCH(bool, clicked);
    open(QStringLiteral("forum/rimanda.html"), QStringLiteral("Rimandata 1"));
    if (clicked) {
        activate();
        click(mainView(), QStringLiteral("vai"));
        QTRY_COMPARE_WITH_TIMEOUT(m_window->WB()->LocationName(), QStringLiteral("Rimandata 2"), loadTimeout);
    }
    QTRY_COMPARE_WITH_TIMEOUT(status(), QStringLiteral("Apertura bloccata: localhost"), loadTimeout);
    QCOMPARE(m_opener.opened.size(), clicked ? 1 : 0);
    QCOMPARE(m_window->WB()->LocationURL(), m_server.url(QStringLiteral("forum/rimanda.html")));
}

void tst_SafeForum::statusAfterAbort_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("said");
    QTest::newRow("Stop on a slow page") << "stop"
                                         << "Caricamento interrotto";
    QTest::newRow("another site refused") << "script"
                                          << "Apertura bloccata: localhost";
    QTest::newRow("another site opened") << "click"
                                         << "Completato";
    QTest::newRow("No to another program") << "mailto"
                                           << "Completato";
}

void tst_SafeForum::statusAfterAbort()
{
    QFETCH(QString, action);
    QFETCH(QString, said);
    open(QStringLiteral("forum/link.html"), QStringLiteral("Collegamenti"));
    QSignalSpy statuses(m_window->WB(), &WebView::StatusTextChange);
    if (action == QStringLiteral("stop")) {
        m_window->WB()->Navigate(m_server.url(QStringLiteral("forum/lenta.html")));
        QTRY_VERIFY_WITH_TIMEOUT(m_server.heldCount() > 0, loadTimeout);
        m_window->WB()->Stop();
    } else if (action == QStringLiteral("script")) {
        mainView()->page()->runJavaScript(QStringLiteral("document.getElementById('fuori').click()"));
    } else if (action == QStringLiteral("click")) {
        activate();
        click(mainView(), QStringLiteral("fuori"));
        QTRY_COMPARE_WITH_TIMEOUT(m_opener.opened.size(), 1, loadTimeout);
    } else {
        activate();
        m_test->prompter.answers = {QMessageBox::No};
        click(mainView(), QStringLiteral("posta"));
    }
    // The aborted load has ended once the view is idle and said its word.
    QTRY_VERIFY_WITH_TIMEOUT(
        !m_window->WB()->Busy() && !statuses.isEmpty() && statuses.last().first().toString() == said, loadTimeout);
    m_server.releaseHeld();
    for (const QList<QVariant> &text : std::as_const(statuses))
        QVERIFY2(!text.first().toString().startsWith(QStringLiteral("Impossibile")),
                 qPrintable(text.first().toString()));
    QCOMPARE(status(), said);
    QCOMPARE(m_window->WB()->LocationName(), QStringLiteral("Collegamenti"));
}

void tst_SafeForum::droppedAddressesDoNotOpen()
{
    activate();
    QMimeData data;
    data.setUrls({QUrl(m_server.url(QStringLiteral("forum/seconda.html")))});
    QWidget *target = mainView();
    const QPoint at(100, 100);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(target, &enter);
    const qsizetype before = m_server.requests.count(QStringLiteral("/forum/seconda.html"));
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(target, &drop);
    // A forum link typed next shows that the view was free to open pages.
    m_window->WB()->Navigate(m_server.url(QStringLiteral("forum/script.html")));
    QTRY_COMPARE_WITH_TIMEOUT(m_window->WB()->LocationName(), QStringLiteral("Con script"), loadTimeout);
    QCOMPARE(m_server.requests.count(QStringLiteral("/forum/seconda.html")), before);
}

void tst_SafeForum::attachmentIsSaved()
{
    QFile earlier(m_downloadFolder.filePath(QStringLiteral("nome.zip")));
    QVERIFY(earlier.open(QIODevice::WriteOnly));
    earlier.write("di prima");
    earlier.close();

    // Every word of the status line: the end of a load still under way may
    // replace the download's before a look.
    QSignalSpy said(m_window->WB(), &WebView::StatusTextChange);
    m_window->WB()->Navigate(m_server.url(QStringLiteral("forum/allegato.zip")));
    QTRY_COMPARE_WITH_TIMEOUT(m_downloads->entries().size(), 1, loadTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(m_downloads->entries().first()->isFinished(), loadTimeout);
    QFile saved(m_downloadFolder.filePath(QStringLiteral("nome (1).zip")));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), ForumServer::attachment());
    QVERIFY(earlier.open(QIODevice::ReadOnly));
    QCOMPARE(earlier.readAll(), QByteArrayLiteral("di prima"));
    QCOMPARE(m_window->WB()->LocationName(), ForumServer::homeTitle());
    QTRY_VERIFY(std::any_of(said.cbegin(), said.cend(), [](const QList<QVariant> &text) {
        return text.constFirst().toString() == QStringLiteral("Download di nome (1).zip");
    }));

    // The status line leads to the list.
    auto *indicator = m_window->findChild<QLabel *>(QStringLiteral("lblDownload"));
    QVERIFY(indicator->isVisible());
    QTest::mouseClick(indicator, Qt::LeftButton);
    auto *window = m_window->findChild<frmDownloads *>();
    QVERIFY(window && window->isVisible());
    QCOMPARE(window->findChild<QLabel *>(QStringLiteral("lblNome"))->text(), QStringLiteral("nome (1).zip"));
    auto *state = window->findChild<QLabel *>(QStringLiteral("lblStato"));
    QVERIFY(state->text().startsWith(QStringLiteral("Completato")));
    QCOMPARE(indicator->text(), QStringLiteral("Download (1)"));
    auto *cancel = window->findChild<QPushButton *>(QStringLiteral("cmdAnnulla"));
    QVERIFY(cancel && cancel->isHidden());
    // No program opens a file here (no desktop): the window says so.
    QTest::mouseClick(window->findChild<QPushButton *>(QStringLiteral("cmdApri")), Qt::LeftButton);
    QCOMPARE(state->text(), QStringLiteral("Nessun programma apre questo file"));

    // A name longer than a file system takes is shortened, its extension kept.
    m_window->WB()->Navigate(m_server.url(QStringLiteral("forum/allegato-lungo.zip")));
    QTRY_COMPARE_WITH_TIMEOUT(m_downloads->entries().size(), 2, loadTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(!Downloads::isRunning(m_downloads->entries().last()), loadTimeout);
    QVERIFY2(m_downloads->entries().last()->state() == QWebEngineDownloadRequest::DownloadCompleted,
             qPrintable(m_downloads->stateText(m_downloads->entries().last())));
    QFile longName(m_downloadFolder.filePath(QString(242, u'n') + QStringLiteral(".zip")));
    QVERIFY(longName.open(QIODevice::ReadOnly));
    QCOMPARE(longName.readAll(), ForumServer::attachment());
}

void tst_SafeForum::runningDownloadIsCancelled()
{
    m_window->WB()->Navigate(m_server.slowDownloadUrl());
    QTRY_VERIFY_WITH_TIMEOUT(m_downloads->running(), loadTimeout);
    auto *indicator = m_window->findChild<QLabel *>(QStringLiteral("lblDownload"));
    QTRY_COMPARE(indicator->text(), QStringLiteral("Download: 1 in corso"));
    QTest::mouseClick(indicator, Qt::LeftButton);
    auto *window = m_window->findChild<frmDownloads *>();
    QVERIFY(window);
    auto *cancel = window->findChild<QPushButton *>(QStringLiteral("cmdAnnulla"));
    QVERIFY(cancel);
    QTRY_VERIFY(cancel->isVisible());
    cancel->click();
    QTRY_COMPARE_WITH_TIMEOUT(window->findChild<QLabel *>(QStringLiteral("lblStato"))->text(),
                              QStringLiteral("Annullato"), loadTimeout);
    QVERIFY(!cancel->isVisible());
    QVERIFY(!m_downloads->running());
    QCOMPARE(indicator->text(), QStringLiteral("Download (1)"));
}

void tst_SafeForum::failedDownloadSaysWhy()
{
    // The download folder is taken by a file of that name.
    const QString blocked = m_downloadFolder.filePath(QStringLiteral("occupata"));
    QFile file(blocked);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    m_downloads->setFolder(blocked);
    m_window->WB()->Navigate(m_server.url(QStringLiteral("forum/allegato.zip")));
    QTRY_COMPARE_WITH_TIMEOUT(m_downloads->entries().size(), 1, loadTimeout);
    QWebEngineDownloadRequest *download = m_downloads->entries().first();
    QTRY_VERIFY_WITH_TIMEOUT(download->isFinished(), loadTimeout);
    QCOMPARE(m_downloads->stateText(download),
             QStringLiteral("Non riuscito: impossibile creare la cartella %1").arg(blocked));
    QCOMPARE(m_window->findChild<QLabel *>(QStringLiteral("lblDownload"))->text(), QStringLiteral("Download (1)"));
}

void tst_SafeForum::downloadsOnlyOnAClick()
{
    // Four hidden frames answer with attachments as the page loads.
    QTemporaryDir folder;
    m_downloads->setFolder(folder.path());
    const qsizetype before = m_server.requests.count(QStringLiteral("/forum/allegato.zip"));
    // The page's own "Completato" may come after the refusal's word.
    QSignalSpy said(m_window->WB(), &WebView::StatusTextChange);
    open(QStringLiteral("forum/allegati.html"), QStringLiteral("Allegati"));
    QTRY_COMPARE_WITH_TIMEOUT(m_server.requests.count(QStringLiteral("/forum/allegato.zip")), before + 4, loadTimeout);
    QTRY_COMPARE_WITH_TIMEOUT(m_downloads->blocked().size(), 1, loadTimeout);
    QTRY_COMPARE_WITH_TIMEOUT(m_downloads->blocked().first().urls.size(), 4, loadTimeout);
    QVERIFY(m_downloads->entries().isEmpty());
    QVERIFY(QDir(folder.path()).isEmpty());
    QVERIFY(std::any_of(said.cbegin(), said.cend(), [](const QList<QVariant> &text) {
        return text.value(0).toString() == QStringLiteral("Download bloccato: nome.zip");
    }));

    // One entry in the window, saved on the member's word.
    auto *window = new frmDownloads(m_downloads.get(), m_window.get());
    window->show();
    QCOMPARE(window->findChildren<QWidget *>(QStringLiteral("rigaBloccata")).size(), 1);
    QCOMPARE(window->findChild<QLabel *>(QStringLiteral("lblStato"))->text(), QStringLiteral("Bloccato"));
    window->findChild<QPushButton *>(QStringLiteral("cmdScaricaComunque"))->click();
    QTRY_COMPARE_WITH_TIMEOUT(m_downloads->entries().size(), 4, loadTimeout);
    for (QWebEngineDownloadRequest *download : m_downloads->entries())
        QTRY_COMPARE_WITH_TIMEOUT(download->state(), QWebEngineDownloadRequest::DownloadCompleted, loadTimeout);
    QTRY_VERIFY(window->findChildren<QWidget *>(QStringLiteral("rigaBloccata")).isEmpty());

    // The member's own click saves at once.
    activate();
    click(mainView(), QStringLiteral("scarica"));
    QTRY_COMPARE_WITH_TIMEOUT(m_downloads->entries().size(), 5, loadTimeout);
    QCOMPARE(m_downloads->blocked().size(), 1);
    // A click that led to a page is spent: that page's own download is not.
    activate();
    click(mainView(), QStringLiteral("avanti"));
    QTRY_COMPARE_WITH_TIMEOUT(m_downloads->blocked().size(), 2, loadTimeout);
    QCOMPARE(m_downloads->entries().size(), 5);
    window->close();
}

void tst_SafeForum::nothingWithoutTheMembersClick_data()
{
    // The page, what the member clicks in it, and what shows the page has
    // done its worst: a refused download, a refused opening, its own title.
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("click");
    QTest::addColumn<QString>("until");
    QTest::newRow("a meta refresh to a file") << "meta" << "" << "blocked";
    QTest::newRow("a meta refresh to another host's file") << "metaaltro" << "" << "Apertura bloccata: localhost";
    QTest::newRow("a meta refresh, then a redirect to a file") << "catena" << "" << "blocked";
    QTest::newRow("a meta refresh a script adds later") << "tardi" << "" << "blocked";
    QTest::newRow("an address a script sets as the page loads") << "subito" << "" << "blocked";
    QTest::newRow("another site by a meta refresh") << "fuori" << "" << "Apertura bloccata: localhost";
    QTest::newRow("another site by a form a script sends") << "modulo" << "" << "Apertura bloccata: localhost";
    QTest::newRow("a hidden frame, on a click into a box") << "cornice" << "m" << "fatto";
    QTest::newRow("another site's hidden frame, on a click into a box") << "corniceestera" << "m" << "fatto";
    QTest::newRow("a file and another site, on a click into a box") << "clic" << "m" << "fatto";
    QTest::newRow("a window of the forum's, and more on its click") << "finestra" << "apri" << "fatto";
}

// Nothing is saved, nothing opened elsewhere and the view stays on the
// forum, whatever a page does, but for what the member's own click asked.
void tst_SafeForum::nothingWithoutTheMembersClick()
{
    QFETCH(QString, kind);
    QFETCH(QString, click);
    QFETCH(QString, until);
    m_window->WB()->Navigate(m_server.url(u"forum/trappola?tipo="_s + kind));
    if (!click.isEmpty()) {
        QTRY_COMPARE_WITH_TIMEOUT(m_window->WB()->LocationName(), u"Trappola"_s, loadTimeout);
        QTRY_VERIFY(!m_window->WB()->Busy());
        activate();
        this->click(mainView(), click);
        // The page had the click.
        QTRY_VERIFY_WITH_TIMEOUT(
            [this] {
                QVariant clicked;
                mainView()->page()->runJavaScript(u"window.cliccato === true"_s,
                                                  [&clicked](const QVariant &v) { clicked = v; });
                return QTest::qWaitFor([&] { return clicked.isValid(); }, loadTimeout) && clicked.toBool();
            }(),
            loadTimeout);
    }
    if (until == u"blocked")
        QTRY_VERIFY_WITH_TIMEOUT(!m_downloads->blocked().isEmpty(), loadTimeout);
    else if (until == u"fatto")
        QTRY_COMPARE_WITH_TIMEOUT(m_window->WB()->LocationName(), until, loadTimeout);
    else
        QTRY_COMPARE_WITH_TIMEOUT(status(), until, loadTimeout);
    QCOMPARE(m_window->findChildren<ForumPopup *>().size(), kind == u"finestra" ? 1 : 0);
    QVERIFY(m_downloads->entries().isEmpty());
    QVERIFY(m_opener.opened.isEmpty());
    QCOMPARE(QUrl(m_window->WB()->LocationURL()).host(), u"127.0.0.1"_s);
}

void tst_SafeForum::exitAsksWhileDownloading()
{
    m_window->WB()->Navigate(m_server.slowDownloadUrl());
    QTRY_VERIFY_WITH_TIMEOUT(m_downloads->running(), loadTimeout);

    m_test->prompter.answers = {QMessageBox::No};
    QVERIFY(!m_window->close());
    m_test->prompter.answers = {QMessageBox::Yes, QMessageBox::No};
    QVERIFY(!m_window->close());
    QStringList asked;
    for (const ScriptedPrompter::Box &box : std::as_const(m_test->prompter.shown))
        asked.append(box.text);
    const QString downloads = QStringLiteral("Ci sono download in corso. Uscire comunque?");
    QCOMPARE(asked, (QStringList{downloads, downloads, QStringLiteral("Uscire da Velmora Forum ?")}));
    QCOMPARE(m_test->prompter.shown.first().defaultButton, QMessageBox::No);
    QVERIFY(m_window->isVisible());
}

void tst_SafeForum::sessionLoginSurvivesARestart()
{
    const QString name = QStringLiteral("accesso-%1").arg(QCoreApplication::applicationPid());
    // A folder left readable by others (made by hand, or by an older
    // version) is closed.
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
        + QStringLiteral("/QtWebEngine/") + name;
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther
        | QFileDevice::ExeOther;
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(QFile::setPermissions(folder,
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner | others));
    {
        std::unique_ptr<QWebEngineProfile> profile(ForumProfile::create(name, nullptr));
        QCOMPARE(profile->persistentStoragePath(), folder);
        QCOMPARE(QFileInfo(folder).permissions() & others, QFileDevice::Permissions());
        QWebEnginePage page(profile.get());
        QSignalSpy loaded(&page, &QWebEnginePage::loadFinished);
        page.load(QUrl(m_server.url(QStringLiteral("forum/accedi"))));
        QVERIFY(loaded.wait(loadTimeout));
    }
    // The engine writes its cookies out as the profile goes, in the background.
    const auto written = [&folder] {
        QFile cookies(folder + QStringLiteral("/Cookies"));
        return cookies.open(QIODevice::ReadOnly) && cookies.readAll().contains("sessione");
    };
    QTRY_VERIFY_WITH_TIMEOUT(written(), loadTimeout);
    {
        std::unique_ptr<QWebEngineProfile> profile(ForumProfile::create(name, nullptr));
        QWebEnginePage page(profile.get());
        page.load(QUrl(m_server.url(QStringLiteral("forum/chi.html"))));
        QTRY_COMPARE_WITH_TIMEOUT(page.title(), QStringLiteral("Utente"), loadTimeout);
    }
    QDir(folder).removeRecursively();
}

void tst_SafeForum::permissionsRefused()
{
    m_window->WB()->Navigate(m_server.url(QStringLiteral("forum/permessi.html")));
    QTRY_COMPARE_WITH_TIMEOUT(m_window->WB()->LocationName(), QStringLiteral("notifiche-denied posizione-negata"),
                              loadTimeout);
}

void tst_SafeForum::dialogsNamedAndSilenced()
{
    QList<bool> offeredToStop;
    answerBoxes([&offeredToStop](QWidget *box) {
        auto *stop = box->findChild<QCheckBox *>(QStringLiteral("chkBasta"));
        offeredToStop.append(stop != nullptr);
        if (stop)
            stop->setChecked(true);
        box->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
    });
    mainView()->page()->runJavaScript(
        QStringLiteral("alert('uno'); const sure = confirm('due'); alert('tre'); document.title = 'fine ' + sure;"));
    QTRY_COMPARE_WITH_TIMEOUT(m_window->WB()->LocationName(), QStringLiteral("fine true"), loadTimeout);
    QCOMPARE(m_boxTitles, (QStringList{QStringLiteral("127.0.0.1"), QStringLiteral("127.0.0.1")}));
    QCOMPARE(offeredToStop, (QList<bool>{false, true}));
}

void tst_SafeForum::boxesHoldNothing_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("action");
    QTest::newRow("Home under an alert") << "alert" << "home";
    QTest::newRow("Reload under a confirm") << "confirm" << "reload";
    QTest::newRow("the renderer killed under a confirm") << "confirm" << "kill";
}

// A page's box never holds the program: the bar acts at once, answering it
// "cancel", and a crash under it is said at once.
void tst_SafeForum::boxesHoldNothing()
{
    QFETCH(QString, box);
    QFETCH(QString, action);
    const qsizetype loads = m_server.requests.count(u"/forum/avviso.html"_s);
    // A confirm holds the page's script, and this test's too: the member
    // acts from a timer, as from the event loop.
    bool acted = false;
    QTimer member;
    connect(&member, &QTimer::timeout, this, [&] {
        if (acted || !pageBox())
            return;
        acted = true;
        if (action == u"kill")
            ::kill(pid_t(static_cast<EngineWebView *>(m_window->WB())->rendererProcessId()), SIGKILL);
        else
            QTest::mouseClick(m_window->findChild<QWidget *>(action == u"home" ? u"imgNavy4"_s : u"imgNavy2"_s),
                              Qt::LeftButton);
    });
    member.start(50);
    // The crash's message may give way to the reload's at once.
    QSignalSpy said(m_window->WB(), &WebView::StatusTextChange);
    const auto crashTold = [&said] {
        return std::any_of(said.cbegin(), said.cend(), [](const QList<QVariant> &text) {
            return text.value(0).toString().startsWith(u"La pagina si è chiusa per un errore"_s);
        });
    };
    m_window->WB()->Navigate(m_server.url(u"forum/avviso.html?tipo="_s + box));
    QTRY_VERIFY_WITH_TIMEOUT(acted, loadTimeout);
    if (action == u"home")
        QTRY_COMPARE_WITH_TIMEOUT(m_window->WB()->LocationName(), ForumServer::homeTitle(), 5000);
    else if (action == u"reload")
        QTRY_COMPARE_WITH_TIMEOUT(m_server.requests.count(u"/forum/avviso.html"_s), loads + 2, 5000);
    else
        QTRY_VERIFY_WITH_TIMEOUT(crashTold(), 5000);
    QTRY_VERIFY(!pageBox());
}

void tst_SafeForum::dialogPingPong()
{
    // The page and a frame of another site take turns with alert().
    QList<bool> offeredToStop;
    bool blockedByABox = false;
    // Boxes that outlast the close are ended here, or the test would hang.
    bool heldOpen = false;
    QTimer deadline;
    deadline.setSingleShot(true);
    connect(&deadline, &QTimer::timeout, this, [this, &heldOpen] {
        heldOpen = true;
        answerBoxes([](QWidget *box) { box->close(); });
    });
    answerBoxes([&](QWidget *box) {
        offeredToStop.append(box->findChild<QCheckBox *>(QStringLiteral("chkBasta")) != nullptr);
        if (offeredToStop.size() < 3) {
            box->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
            return;
        }
        // The member gives up answering and closes the program instead: no
        // box keeps the main window from its close box.
        m_boxes.stop();
        blockedByABox = QApplication::activeModalWidget() != nullptr;
        deadline.start(loadTimeout);
        m_test->prompter.answers = {QMessageBox::Yes};
        m_window->close();
    });
    open(QStringLiteral("forum/botta.html"), QStringLiteral("Botta"));
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->isVisible(), 2 * loadTimeout);
    QVERIFY(!blockedByABox);
    QVERIFY(!heldOpen);
    QCOMPARE(m_boxTitles, QStringList(3, QStringLiteral("127.0.0.1")));
    QCOMPARE(offeredToStop, (QList<bool>{false, true, true}));
    QTRY_VERIFY(!pageBox());
}

void tst_SafeForum::consoleOnlyOnRequest_data()
{
    QTest::addColumn<bool>("shown");
    QTest::newRow("by default") << false;
    QTest::newRow("--log-console") << true;
}

// A page writing to its console in a loop fills no log: nothing by default,
// a bounded trickle on request.
void tst_SafeForum::consoleOnlyOnRequest()
{
    QFETCH(bool, shown);
    static QAtomicInt lines;
    lines = 0;
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext &context, const QString &) {
            if (qstrcmp(context.category, "velmora.console") == 0 || qstrcmp(context.category, "js") == 0)
                ++lines;
        });
    WebPage::showConsole(shown);
    QElapsedTimer clock;
    clock.start();
    mainView()->page()->runJavaScript(u"for (let i = 0; i < 20000; ++i) console.error('rumore ' + i);"
                                      "document.title = 'scritto';"_s);
    QTRY_COMPARE_WITH_TIMEOUT(m_window->WB()->LocationName(), u"scritto"_s, loadTimeout);
    QTest::qWait(200);
    WebPage::showConsole(false);
    qInstallMessageHandler(previous);
    if (shown)
        QVERIFY2(lines > 0 && lines <= (clock.elapsed() / 1000 + 2) * (WebPage::consoleLinesPerSecond + 1),
                 qPrintable(QString::number(lines.loadRelaxed())));
    else
        QCOMPARE(lines.loadRelaxed(), 0);
}

void tst_SafeForum::engineSpeaksItalian()
{
    // A page that cannot be reached: the engine's own page about it.
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost));
    const QString address = QStringLiteral("http://127.0.0.1:%1/").arg(closed.serverPort());
    closed.close();
    m_window->WB()->Navigate(address);
    // Asked again until the page is there; late answers outlive the test.
    const auto text = std::make_shared<QString>();
    QTRY_VERIFY_WITH_TIMEOUT((mainView()->page()->toPlainText([text](const QString &t) { *text = t; }),
                              text->contains(QStringLiteral("ERR_CONNECTION_REFUSED"))),
                             loadTimeout);
    QVERIFY2(text->contains(QStringLiteral("Impossibile raggiungere il sito")), qPrintable(*text));
}

void tst_SafeForum::draftAsksBeforeExit_data()
{
    QTest::addColumn<bool>("leave");
    QTest::newRow("the user stays") << false;
    QTest::newRow("the user leaves") << true;
}

void tst_SafeForum::draftAsksBeforeExit()
{
    QFETCH(bool, leave);
    open(QStringLiteral("forum/bozza.html"), QStringLiteral("Bozza"));
    // The page asks only once the user has been at it.
    activate();
    answerBoxes([leave](QWidget *box) {
        static_cast<QMessageBox *>(box)->button(leave ? QMessageBox::Yes : QMessageBox::No)->click();
    });
    m_test->prompter.answers = {QMessageBox::Yes};
    m_window->close();
    QTRY_COMPARE_WITH_TIMEOUT(m_boxTitles.size(), 1, loadTimeout);
    QCOMPARE(m_boxTitles.first(), QStringLiteral("127.0.0.1"));
    QTRY_COMPARE(m_window->isVisible(), !leave);
    QCOMPARE(m_window->WB()->LocationName(), QStringLiteral("Bozza"));
}

void tst_SafeForum::crashesReloadTwiceAMinute()
{
    for (int crash = 0; crash < 2; ++crash) {
        const qsizetype homeRequests = m_server.requests.count(QStringLiteral("/forum/"));
        killRenderer();
        QTRY_COMPARE_WITH_TIMEOUT(m_server.requests.count(QStringLiteral("/forum/")), homeRequests + 1, loadTimeout);
    }
    const qsizetype homeRequests = m_server.requests.count(QStringLiteral("/forum/"));
    killRenderer();
    QTRY_COMPARE_WITH_TIMEOUT(status(), QStringLiteral("La pagina si è chiusa per un errore."), loadTimeout);
    QCOMPARE(m_server.requests.count(QStringLiteral("/forum/")), homeRequests);
}

void tst_SafeForum::crashAfterAPostDoesNotPostAgain()
{
    open(QStringLiteral("forum/scrivi.html"), QStringLiteral("Scrivi"));
    mainView()->page()->runJavaScript(QStringLiteral("document.forms[0].submit()"));
    QTRY_COMPARE_WITH_TIMEOUT(m_window->WB()->LocationName(), QStringLiteral("Inviato"), loadTimeout);
    killRenderer();
    QTRY_COMPARE_WITH_TIMEOUT(status(), QStringLiteral("La pagina si è chiusa per un errore."), loadTimeout);
    QCOMPARE(m_server.requests.count(QStringLiteral("POST /forum/invia")), 1);
}

QTEST_MAIN(tst_SafeForum)
#include "tst_safeforum.moc"

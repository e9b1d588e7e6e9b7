#include "drafts/draftjournal.h"
#include "web/enginewebview.h"
#include "app/forumpopup.h"
#include "web/webpage.h"
#include "app/pagewiring.h"
#include "core/catalogue.h"
#include "core/draftstore.h"
#include "forumserver.h"
#include "scriptedprompter.h"

#include <QDir>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

#include <csignal>

using namespace Qt::StringLiterals;

// The journal of what the member writes, on the real engine: what is kept,
// what comes back, and when it is let go.
class tst_Drafts : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void backAfter_data();
    void backAfter();
    void sentMeansShown_data();
    void sentMeansShown();
    void offeredBesideAQuote();
    void onlyTheMembersTextAreas();
    void backAfterTheProgramIsKilled_data();
    void backAfterTheProgramIsKilled();
    void writtenInAWindowOfItsOwn();
    void hostilePages_data();
    void hostilePages();

private:
    void start();
    void openReplyPage();
    void type(const QString &text);
    QVariant run(const QString &code, quint32 world = QWebEngineScript::MainWorld);
    QString message() { return run(u"document.forms[0] && document.forms[0].req_message.value"_s).toString(); }
    QString replyPage() const { return m_server.url(u"forum/post.php"_s); }

    ForumServer m_server;
    ScriptedPrompter m_prompter;
    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<DraftStore> m_store;
    std::unique_ptr<EngineWebView> m_view;
    QStringList m_status;
};

static constexpr int loadTimeout = 30000;
static constexpr int answerTimeout = 5000;

void tst_Drafts::initTestCase()
{
    QVERIFY(m_server.start());
}

void tst_Drafts::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    m_server.posted.clear();
    m_server.loginExpired = false;
    start();
}

// The program's part: the store read from its folder, the forum's view.
void tst_Drafts::start()
{
    m_store = std::make_unique<DraftStore>(m_folder->path());
    m_store->load();
    AppContext context;
    context.forumHomeUrl = m_server.homeUrl();
    context.prompter = &m_prompter;
    context.drafts = m_store.get();
    m_view.reset(static_cast<EngineWebView *>(webViewFactory(context)(WebView::Role::Forum, nullptr)));
    m_view->resize(800, 600);
    m_status.clear();
    connect(m_view.get(), &WebView::StatusTextChange, this, [this](const QString &text) { m_status.append(text); });
    m_view->show();
    // The member types into the window in front, as a member would.
    m_view->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_view.get()));
}

void tst_Drafts::cleanup()
{
    m_view.reset();
    m_store.reset();
    m_folder.reset();
}

QVariant tst_Drafts::run(const QString &code, quint32 world)
{
    // Shared, so that an answer coming after the wait has nowhere bad to go.
    auto answer = std::make_shared<std::optional<QVariant>>();
    m_view->findChild<QWebEngineView *>()->page()->runJavaScript(code, world,
                                                                 [answer](const QVariant &v) { *answer = v; });
    // A script sent while a page is replaced may never answer: the caller,
    // waiting on a condition, asks again.
    if (!QTest::qWaitFor([&] { return answer->has_value(); }, answerTimeout))
        qWarning("no answer from the page");
    return answer->value_or(QVariant());
}

void tst_Drafts::openReplyPage()
{
    m_view->Navigate(replyPage());
    QTRY_COMPARE_WITH_TIMEOUT(m_view->LocationName(), u"Rispondi alla discussione"_s, loadTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(!m_view->Busy(), loadTimeout);
}

// Keys as the member presses them, into whatever the page has focused.
void tst_Drafts::type(const QString &text)
{
    QWebEngineView *engine = m_view->findChild<QWebEngineView *>();
    engine->setFocus();
    QTest::keyClicks(engine->focusProxy(), text);
}

void tst_Drafts::backAfter_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("the page is opened again") << u"reopen"_s;
    QTest::newRow("its renderer is killed") << u"kill"_s;
    QTest::newRow("the program starts again") << u"restart"_s;
    QTest::newRow("the window closes while leaving") << u"close"_s;
}

void tst_Drafts::backAfter()
{
    QFETCH(QString, how);
    const QString words = u"Una risposta lunga e pensata"_s;
    openReplyPage();
    type(words);
    if (!QTest::qWaitFor([&] { return m_store->draft(replyPage(), u"req_message"_s).text == words; }, loadTimeout))
        qWarning() << "not kept; the page has" << run(u"[document.activeElement.tagName, document.hasFocus(),"
                                                      " document.forms[0].req_message.value]"_s)
                   << "the program's world" << run(u"const m = document.forms[0].req_message;"
                                                    " [document.velmoraLoadedAt, m.velmoraKeyed, m.velmoraDirty]"_s,
                                                    QWebEngineScript::ApplicationWorld)
                   << "the status line" << m_status;
    QCOMPARE(m_store->draft(replyPage(), u"req_message"_s).text, words);

    if (how == u"kill") {
        ::kill(pid_t(m_view->rendererProcessId()), SIGKILL);
    } else {
        if (how == u"close") {
            // The page dies with its view while the step that leaves it
            // waits for the journal.
            type(u"!"_s);
            m_view->Navigate(m_server.homeUrl());
        }
        if (how == u"restart" || how == u"close") {
            m_view.reset();
            m_store.reset();
            start();
        } else {
            m_view->Navigate(m_server.homeUrl());
            QTRY_COMPARE_WITH_TIMEOUT(m_view->LocationName(), ForumServer::homeTitle(), loadTimeout);
        }
        m_view->Navigate(replyPage());
    }
    QTRY_VERIFY_WITH_TIMEOUT(!m_status.isEmpty() && m_status.last().startsWith(u"Bozza ripristinata (salvata alle "_s),
                             loadTimeout);
    QCOMPARE(message(), words);
    // As if typed: the editor's undo takes it out again, and the status
    // line no longer offers to.
    QTest::keyClick(m_view->findChild<QWebEngineView *>()->focusProxy(), Qt::Key_Z, Qt::ControlModifier);
    QTRY_COMPARE(message(), QString());
    QTRY_VERIFY(!m_status.last().startsWith(u"Bozza ripristinata"_s));
}

void tst_Drafts::sentMeansShown_data()
{
    QTest::addColumn<bool>("loginExpired");
    QTest::addColumn<QString>("answerTitle");
    QTest::addColumn<bool>("kept");
    QTest::addColumn<bool>("atOnce"); // Tab and Space to send, as soon as typed
    QTest::newRow("posted") << false << u"Discussione"_s << false << false;
    QTest::newRow("login expired") << true << u"Accesso"_s << true << false;
    QTest::newRow("login expired, sent as soon as typed") << true << u"Accesso"_s << true << true;
}

void tst_Drafts::sentMeansShown()
{
    QFETCH(bool, loginExpired);
    QFETCH(QString, answerTitle);
    QFETCH(bool, kept);
    QFETCH(bool, atOnce);
    m_server.loginExpired = loginExpired;
    const QString words = u"Grazie [b]a tutti[/b] per l'aiuto"_s;
    openReplyPage();
    if (atOnce) {
        // A page busy for a moment: the member's keys, Tab and Space to
        // send among them, are all handled before the journal looks.
        m_view->findChild<QWebEngineView *>()->page()->runJavaScript(
            u"const end = Date.now() + 700; while (Date.now() < end);"_s);
        type(words + u"\t "_s);
    } else {
        type(words);
        QTRY_VERIFY_WITH_TIMEOUT(m_store->contains(replyPage(), u"req_message"_s), loadTimeout);
        run(u"document.forms[0].requestSubmit()"_s);
    }
    QTRY_COMPARE_WITH_TIMEOUT(m_view->LocationName(), answerTitle, loadTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(!m_view->Busy(), loadTimeout);
    // The journal's look at the answer went first; its reply came first too.
    run(u"1"_s, QWebEngineScript::ApplicationWorld);
    QTRY_COMPARE_WITH_TIMEOUT(m_store->contains(replyPage(), u"req_message"_s), kept, loadTimeout);
    if (!kept)
        return;
    // Logged in again, the member finds the reply waiting.
    m_server.loginExpired = false;
    openReplyPage();
    QTRY_COMPARE_WITH_TIMEOUT(message(), words, loadTimeout);
}

void tst_Drafts::offeredBesideAQuote()
{
    const QString page = m_server.url(u"forum/post.php?cita"_s);
    const QString quote = u"[quote]Testo citato[/quote]\n"_s;
    m_store->save(
        Draft{.page = page, .field = u"req_message"_s, .title = {}, .text = u"la mia"_s, .savedAt = {}, .cut = false});
    m_view->Navigate(page);
    QTRY_VERIFY_WITH_TIMEOUT(m_status.contains(DraftJournal::offeredText()), loadTimeout);
    QCOMPARE(message(), quote);
    run(u"{ const m = document.forms[0].req_message; m.setSelectionRange(m.value.length, m.value.length); }"_s);
    m_view->findChild<QWebEngineView *>()->setFocus();
    QTest::keyClick(m_view->findChild<QWebEngineView *>()->focusProxy(), Qt::Key_B,
                    Qt::ControlModifier | Qt::ShiftModifier);
    QTRY_COMPARE_WITH_TIMEOUT(message(), quote + u"la mia"_s, loadTimeout);
}

void tst_Drafts::onlyTheMembersTextAreas()
{
    openReplyPage();
    QTRY_VERIFY_WITH_TIMEOUT(m_server.requests.contains(u"/estero/area.html"_s), loadTimeout);
    // Text the page puts in its own field is not the member's.
    run(u"{ const m = document.forms[0].req_message; m.value = 'dalla pagina';"
        "m.dispatchEvent(new Event('input', {bubbles: true})); }"_s);
    // Keys reach the page on a way of their own: each step waits for them.
    run(u"document.forms[0].req_subject.focus()"_s);
    type(u"Oggetto"_s);
    QTRY_COMPARE(run(u"document.forms[0].req_subject.value"_s).toString(), u"Oggetto"_s);
    run(u"document.forms[0].req_password.focus()"_s);
    type(u"segreta"_s);
    QTRY_COMPARE(run(u"document.forms[0].req_password.value"_s).toString(), u"segreta"_s);
    run(u"addEventListener('message', e => { window.inFrame = e.data; }); document.getElementById('f').focus()"_s);
    type(u"altro sito"_s);
    QTRY_COMPARE(run(u"window.inFrame"_s).toString(), u"altro sito"_s);
    // The member's own words, and at once away: saved as the page goes.
    run(u"{ const m = document.forms[0].req_message; m.value = ''; m.focus(); }"_s);
    type(u"mie"_s);
    QTRY_COMPARE(message(), u"mie"_s);
    m_view->Navigate(m_server.homeUrl());
    QTRY_COMPARE_WITH_TIMEOUT(m_view->LocationName(), ForumServer::homeTitle(), loadTimeout);
    m_store->flush();
    QCOMPARE(m_store->drafts().size(), 1);
    QCOMPARE(m_store->draft(replyPage(), u"req_message"_s).text, u"mie"_s);
    QCOMPARE(QDir(m_folder->path()).entryList(QDir::Files).size(), 1);
}

void tst_Drafts::backAfterTheProgramIsKilled_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("text");
    QTest::newRow("text area") << u"forum/post.php"_s << u"document.forms[0].req_message.value"_s;
    const QString editor = u"document.querySelector('iframe').contentDocument.body.innerText.trim()"_s;
    QTest::newRow("BBCode editor") << u"forum/scrivi.php?editor=bb"_s << editor;
    QTest::newRow("HTML editor") << u"forum/scrivi.php?editor=html"_s << editor;
}

void tst_Drafts::backAfterTheProgramIsKilled()
{
    QFETCH(QString, path);
    QFETCH(QString, text);
    m_view.reset();
    m_store.reset();
    const QString words = u"Scritta prima del colpo"_s;
    // Killed, the program cannot remove its temporary folders: they go
    // with this one.
    QTemporaryDir scratch;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"TMPDIR"_s, scratch.path());
    QProcess program;
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(QStringLiteral(DRAFT_WRITER), {m_server.homeUrl(), m_server.url(path), m_folder->path(), words});
    QVERIFY(program.waitForStarted());
    // Each look takes what came since the last, so it is kept.
    QByteArray said;
    QTRY_VERIFY_WITH_TIMEOUT((said += program.readAllStandardOutput()).contains("salvata")
                                 || program.state() != QProcess::Running,
                             2 * loadTimeout);
    QVERIFY2(program.state() == QProcess::Running, qPrintable(u"ended with %1"_s.arg(program.exitCode())));
    // Every word on disk before the kill.
    const auto onDisk = [&] {
        const QDir folder(m_folder->path());
        const QStringList names = folder.entryList(QDir::Files);
        QFile file(folder.filePath(names.value(0)));
        return names.size() == 1 && file.open(QIODevice::ReadOnly)
            && DraftStore::parse(file.readAll()).value_or(Draft{}).text.contains(words);
    };
    QTRY_VERIFY_WITH_TIMEOUT(onDisk(), loadTimeout);
    ::kill(pid_t(program.processId()), SIGKILL);
    QVERIFY(program.waitForFinished());

    start();
    m_view->Navigate(m_server.url(path));
    QTRY_COMPARE_WITH_TIMEOUT(run(text).toString(), words, loadTimeout);
}

// A reply opened in a window of its own is kept as in the main view.
void tst_Drafts::writtenInAWindowOfItsOwn()
{
    m_view->Navigate(m_server.url(u"forum/link.html"_s));
    QTRY_COMPARE_WITH_TIMEOUT(m_view->LocationName(), u"Collegamenti"_s, loadTimeout);
    run(u"document.getElementById('rispondinuova').focus()"_s);
    QWebEngineView *engine = m_view->findChild<QWebEngineView *>();
    engine->setFocus();
    QTest::keyClick(engine->focusProxy(), Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(m_view->findChildren<ForumPopup *>().size(), 1, loadTimeout);
    ForumPopup *popup = m_view->findChildren<ForumPopup *>().first();
    QTRY_COMPARE_WITH_TIMEOUT(popup->windowTitle(), u"Rispondi alla discussione"_s, loadTimeout);
    // The member clicks into its window and its reply box.
    popup->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(popup));
    bool focused = false;
    popup->page()->runJavaScript(u"document.forms[0].req_message.focus()"_s,
                                 [&focused](const QVariant &) { focused = true; });
    QTRY_VERIFY_WITH_TIMEOUT(focused, loadTimeout);
    QWebEngineView *popupEngine = popup->findChild<QWebEngineView *>();
    popupEngine->setFocus();
    const QString words = u"Scritta nella finestra a parte"_s;
    QTest::keyClicks(popupEngine->focusProxy(), words);
    QTRY_COMPARE_WITH_TIMEOUT(m_store->draft(replyPage(), u"req_message"_s).text, words, loadTimeout);
    m_view->Navigate(replyPage());
    QTRY_COMPARE_WITH_TIMEOUT(message(), words, loadTimeout);
}

void tst_Drafts::hostilePages_data()
{
    QTest::addColumn<QString>("attack");
    QTest::newRow("another page's address claimed") << u"claim"_s;
    QTest::newRow("another page's address claimed, its box emptied") << u"claim-empty"_s;
    QTest::newRow("typing forged by editing commands") << u"forge"_s;
    QTest::newRow("the console written for ever") << u"noise"_s;
    QTest::newRow("an error page quoting the post") << u"error"_s;
    QTest::newRow("the login page after a reply of pictures only") << u"login"_s;
    QTest::newRow("a password copied into a box") << u"password"_s;
}

// What a page can do to the member's drafts: read, forge, delay or delete
// them. None of it works.
void tst_Drafts::hostilePages()
{
    QFETCH(QString, attack);
    m_server.stolen.clear();
    const QString secret = u"La mia risposta privata, da non leggere"_s;
    const auto leaveAndFlush = [&] {
        m_view->Navigate(m_server.homeUrl());
        QTRY_COMPARE_WITH_TIMEOUT(m_view->LocationName(), ForumServer::homeTitle(), loadTimeout);
        m_store->flush();
    };

    if (attack.startsWith(u"claim")) {
        m_store->save(Draft{.page = replyPage(), .field = u"req_message"_s, .title = {}, .text = secret, .savedAt = {}});
        const QString claimed = u"forum/finta?verso=/forum/post.php"_s + (attack == u"claim-empty" ? u"&svuota"_s : u""_s);
        m_view->Navigate(m_server.url(claimed));
        QTRY_COMPARE_WITH_TIMEOUT(m_view->LocationName(), u"Finta pronta"_s, loadTimeout);
        leaveAndFlush();
        QVERIFY(m_server.stolen.isEmpty());
        QCOMPARE(m_store->draft(replyPage(), u"req_message"_s).text, secret);
    } else if (attack == u"forge") {
        m_view->Navigate(m_server.url(u"forum/falsa"_s));
        QTRY_COMPARE_WITH_TIMEOUT(m_view->LocationName(), u"Falsa fatta"_s, loadTimeout);
        leaveAndFlush();
        QVERIFY(m_store->drafts().isEmpty());
        QVERIFY(QDir(m_folder->path()).entryList(QDir::Files).isEmpty());
    } else if (attack == u"noise") {
        // The page and its frame of another site write to their consoles.
        m_view->Navigate(m_server.url(u"forum/post.php?rumore"_s));
        QTRY_COMPARE_WITH_TIMEOUT(m_view->LocationName(), u"Rispondi alla discussione"_s, loadTimeout);
        QTRY_VERIFY_WITH_TIMEOUT(!m_view->Busy(), loadTimeout);
        type(u"Scritto mentre la pagina fa rumore"_s);
        // On disk within a second and a half, whatever the pages write.
        QTRY_VERIFY_WITH_TIMEOUT(QDir(m_folder->path()).entryList(QDir::Files).size() == 1, 1500);
    } else if (attack == u"error" || attack == u"login") {
        const QString words = attack == u"error"
            ? u"Una risposta che il database non ha preso"_s
            : Catalogue::imageTag(m_server.url(u"iconario/Yahoo/1.gif"_s));
        m_server.loginExpired = attack == u"login";
        openReplyPage();
        type(words);
        QTRY_VERIFY_WITH_TIMEOUT(m_store->contains(replyPage(), u"req_message"_s), loadTimeout);
        run(u"document.forms[0].action = %1; document.forms[0].requestSubmit()"_s.arg(
            attack == u"error" ? u"'post.php?errore'"_s : u"'post.php'"_s));
        QTRY_COMPARE_WITH_TIMEOUT(m_view->LocationName(), attack == u"error" ? u"Errore"_s : u"Accesso"_s,
                                  loadTimeout);
        QTRY_VERIFY_WITH_TIMEOUT(!m_view->Busy(), loadTimeout);
        run(u"1"_s, QWebEngineScript::ApplicationWorld);
        QCOMPARE(m_store->draft(replyPage(), u"req_message"_s).text, words);
    } else if (attack == u"password") {
        m_view->Navigate(m_server.url(u"forum/accesso"_s));
        QTRY_COMPARE_WITH_TIMEOUT(m_view->LocationName(), u"Accesso al forum"_s, loadTimeout);
        QTRY_VERIFY_WITH_TIMEOUT(!m_view->Busy(), loadTimeout);
        type(u"segreta1"_s);
        QTRY_COMPARE(run(u"document.getElementById('copia').value"_s).toString(), u"segreta1"_s);
        leaveAndFlush();
        for (const Draft &draft : m_store->drafts())
            QVERIFY(!draft.text.contains(u"segreta"_s));
        for (const QString &name : QDir(m_folder->path()).entryList(QDir::Files)) {
            QFile file(QDir(m_folder->path()).filePath(name));
            QVERIFY(file.open(QIODevice::ReadOnly));
            QVERIFY(!file.readAll().contains("segreta"));
        }
    }
}

QTEST_MAIN(tst_Drafts)
#include "tst_drafts.moc"

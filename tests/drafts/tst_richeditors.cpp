#include "app/frmvelmora.h"
#include "core/catalogue.h"
#include "core/draftstore.h"
#include "forumserver.h"
#include "gui/listbox.h"
#include "picker/pickerpanel.h"
#include "testcontext.h"

#include <QClipboard>
#include <QDir>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QWebEngineView>

using namespace Qt::StringLiterals;

// Writing a post in the rich-text editors forums use (a BBCode editor that
// writes its own frame, an HTML editor), on the real engine: every load's
// typing kept, OK at the caret however the keyboard got there, posts sent
// in the background let go, pictures and links kept.
class tst_RichEditors : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void everyLoadKeepsTyping_data();
    void everyLoadKeepsTyping();
    void okAtTheCaret_data();
    void okAtTheCaret();
    void picturesAndLinksKept_data();
    void picturesAndLinksKept();
    void sentInTheBackground_data();
    void sentInTheBackground();
    void previewKeepsTheDraft();
    void altTypesNoLetter();

private:
    QVariant page(const QString &code);
    void open(const QString &path, const QString &title);
    void waitForEditor();
    QWebEngineView *view() const { return m_window->WB()->findChild<QWebEngineView *>(); }
    void type(const QString &text);
    void click(const QString &element);
    QString editorText() { return page(u"document.querySelector('iframe').contentDocument.body.innerText"_s).toString(); }
    QStringList onDisk() const;
    bool okTyped();
    QString url(const QString &path) const { return m_server.url(path); }

    ForumServer m_server;
    std::unique_ptr<TestContext> m_test;
    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<DraftStore> m_store;
    std::unique_ptr<frmVelmora> m_window;
    QStringList m_status;
};

static constexpr int loadTimeout = 30000;
static constexpr int answerTimeout = 5000;
// A draft is on disk this soon after the member types.
static constexpr int savedWithinMs = 1500;

void tst_RichEditors::initTestCase()
{
    QVERIFY2(QFileInfo(ForumServer::editorsFolder() + u"/sceditor"_s).isDir(),
             "the editors come from the npm registry: run scripts/test.sh");
    QVERIFY(m_server.start());
}

void tst_RichEditors::init()
{
    m_server.richPosts.clear();
    m_server.addRichPost(u"Primo messaggio [b]della discussione[/b]"_s);
    m_folder = std::make_unique<QTemporaryDir>();
    m_store = std::make_unique<DraftStore>(m_folder->path());
    m_store->load();
    m_test = std::make_unique<TestContext>();
    m_window = m_test->openForum(m_server, nullptr, m_store.get());
    QVERIFY(m_window);
    m_status.clear();
    connect(m_window->WB(), &WebView::StatusTextChange, this, [this](const QString &text) { m_status.append(text); });
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void tst_RichEditors::cleanup()
{
    m_test->prompter.answers = {QMessageBox::Yes};
    m_window.reset();
    m_test.reset();
    m_store.reset();
    m_folder.reset();
}

QVariant tst_RichEditors::page(const QString &code)
{
    auto answer = std::make_shared<std::optional<QVariant>>();
    view()->page()->runJavaScript(code, [answer](const QVariant &v) { *answer = v; });
    // A script sent while a page is replaced may never answer: the caller,
    // waiting on a condition, asks again.
    if (!QTest::qWaitFor([&] { return answer->has_value(); }, answerTimeout))
        qWarning("no answer from the page");
    return answer->value_or(QVariant());
}

void tst_RichEditors::waitForEditor()
{
    // Made, and holding the caret, as the page made it.
    QTRY_VERIFY_WITH_TIMEOUT(page(u"window.pronto === true && document.activeElement.tagName === 'IFRAME'"_s).toBool(),
                             loadTimeout);
}

void tst_RichEditors::open(const QString &path, const QString &title)
{
    m_window->WB()->Navigate(url(path));
    QTRY_COMPARE_WITH_TIMEOUT(m_window->WB()->LocationName(), title, loadTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->WB()->Busy(), loadTimeout);
}

void tst_RichEditors::type(const QString &text)
{
    view()->setFocus();
    QTest::keyClicks(view()->focusProxy(), text);
}

void tst_RichEditors::click(const QString &element)
{
    const QVariantList middle =
        page(u"(r => [r.x + r.width / 2, r.y + r.height / 2])(%1.getBoundingClientRect())"_s.arg(element)).toList();
    QTest::mouseClick(view()->focusProxy(), Qt::LeftButton, {},
                      QPoint(middle.value(0).toInt(), middle.value(1).toInt()));
}

QStringList tst_RichEditors::onDisk() const
{
    QStringList texts;
    QDir folder(m_folder->path());
    for (const QString &name : folder.entryList({u"*.bozza"_s}, QDir::Files)) {
        QFile file(folder.filePath(name));
        if (file.open(QIODevice::ReadOnly))
            texts.append(DraftStore::parse(file.readAll()).value_or(Draft{}).text);
    }
    return texts;
}

// Ctrl+E from the page, the first set, a name, OK: whether the tag was typed.
bool tst_RichEditors::okTyped()
{
    QTest::keyClick(view()->focusProxy(), Qt::Key_E, Qt::ControlModifier);
    fraIconario *picker = m_window->picker();
    QTest::mouseClick(picker->findChild<QPushButton *>(u"optEmo3"_s), Qt::LeftButton);
    picker->findChild<ListBox *>(u"lstEmo"_s)->setCurrentRow(0);
    QSignalSpy typed(m_window->WB(), &WebView::textInserted);
    QTest::mouseClick(picker->findChild<QPushButton *>(u"cmdEmoOK"_s), Qt::LeftButton);
    return typed.wait(loadTimeout) && typed.first().first().toBool();
}

void tst_RichEditors::everyLoadKeepsTyping_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("loads");
    for (const QString &kind : {u"bb"_s, u"html"_s}) {
        const QString base = u"forum/scrivi.php?editor="_s + kind;
        QTest::addRow("%s, reply", qPrintable(kind)) << base << u"Nuovo messaggio"_s << 6;
        QTest::addRow("%s, quote", qPrintable(kind)) << base + u"&cita=1"_s << u"Citazione"_s << 2;
        QTest::addRow("%s, edit", qPrintable(kind)) << base + u"&p=1"_s << u"Modifica messaggio"_s << 2;
    }
}

// Loads of the page, the first by its address and the rest by F5 pressed in
// the editor: each load's words are on disk within a second.
void tst_RichEditors::everyLoadKeepsTyping()
{
    QFETCH(QString, path);
    QFETCH(QString, title);
    QFETCH(int, loads);
    open(path, title);
    for (int load = 1; load <= loads; ++load) {
        if (load > 1) {
            QTest::keyClick(view()->focusProxy(), Qt::Key_F5);
            QTRY_VERIFY_WITH_TIMEOUT(m_window->WB()->Busy(), loadTimeout);
            QTRY_VERIFY_WITH_TIMEOUT(!m_window->WB()->Busy(), loadTimeout);
        }
        waitForEditor();
        const QString words = u" riga%1"_s.arg(load);
        type(words);
        QTRY_VERIFY_WITH_TIMEOUT(editorText().contains(words.trimmed()), loadTimeout);
        QTRY_VERIFY2_WITH_TIMEOUT(onDisk().join(u'\n').contains(words.trimmed()),
                                  qPrintable(u"load %1: %2"_s.arg(load).arg(onDisk().join(u" | "_s))), savedWithinMs);
    }
}

void tst_RichEditors::okAtTheCaret_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("arrival");
    for (const QString &kind : {u"bb"_s, u"html"_s}) {
        const QString base = u"forum/scrivi.php?editor="_s + kind;
        QTest::addRow("%s, draft put back", qPrintable(kind)) << base << u"Nuovo messaggio"_s << u"restored"_s;
        QTest::addRow("%s, F5 in the editor", qPrintable(kind))
            << base + u"&cita=1"_s << u"Citazione"_s << u"reloaded"_s;
    }
}

void tst_RichEditors::okAtTheCaret()
{
    QFETCH(QString, path);
    QFETCH(QString, title);
    QFETCH(QString, arrival);
    open(path, title);
    waitForEditor();
    type(u"scritto prima "_s);
    QTRY_VERIFY_WITH_TIMEOUT(onDisk().join(u'\n').contains(u"scritto prima"_s), savedWithinMs);
    if (arrival == u"restored") {
        m_window->WB()->Navigate(m_server.homeUrl());
        QTRY_COMPARE_WITH_TIMEOUT(m_window->WB()->LocationName(), ForumServer::homeTitle(), loadTimeout);
        open(path, title);
        QTRY_VERIFY_WITH_TIMEOUT(!m_status.isEmpty() && m_status.last().startsWith(u"Bozza ripristinata"_s),
                                 loadTimeout);
        // An editor made after the load sets its own text first: the draft
        // is put back again once it is there.
        waitForEditor();
        QTRY_VERIFY_WITH_TIMEOUT(editorText().contains(u"scritto prima"_s), loadTimeout);
    } else {
        QTest::keyClick(view()->focusProxy(), Qt::Key_F5);
        QTRY_VERIFY_WITH_TIMEOUT(m_window->WB()->Busy(), loadTimeout);
        QTRY_VERIFY_WITH_TIMEOUT(!m_window->WB()->Busy(), loadTimeout);
        waitForEditor();
    }
    QVERIFY(okTyped());
    const QString tag =
        Catalogue::imageTag(Catalogue::imageUrl(m_server.emoticonBase(), Catalogue::set(3).folder, 0));
    QTRY_VERIFY_WITH_TIMEOUT(editorText().contains(tag), loadTimeout);
    // The keyboard is back in the editor.
    type(u"dopo"_s);
    QTRY_VERIFY_WITH_TIMEOUT(editorText().contains(tag + u"dopo"_s), loadTimeout);
}

void tst_RichEditors::picturesAndLinksKept_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("bb") << u"bb"_s;
    QTest::newRow("html") << u"html"_s;
}

// A picture and a link pasted into the editor are kept as the forum's tags;
// put back after a reload, the post sent is the one written.
void tst_RichEditors::picturesAndLinksKept()
{
    QFETCH(QString, kind);
    const QString picture = m_server.url(u"iconario/Yahoo/1.gif"_s);
    const QString link = m_server.url(u"forum/seconda.html"_s);
    open(u"forum/scrivi.php?editor="_s + kind, u"Nuovo messaggio"_s);
    waitForEditor();
    auto *pasted = new QMimeData;
    pasted->setHtml(u"Ciao <img src=\"%1\"> vedi <a href=\"%2\">qui</a>"_s.arg(picture, link));
    pasted->setText(u"Ciao vedi qui"_s);
    QGuiApplication::clipboard()->setMimeData(pasted);
    view()->setFocus();
    QTest::keyClick(view()->focusProxy(), Qt::Key_V, Qt::ControlModifier);
    type(u" fine"_s);
    const QString written = u"Ciao [img]%1[/img] vedi [url=%2]qui[/url] fine"_s.arg(picture, link);
    QTRY_COMPARE_WITH_TIMEOUT(onDisk().value(0).simplified(), written, savedWithinMs);

    QTest::keyClick(view()->focusProxy(), Qt::Key_F5);
    QTRY_VERIFY_WITH_TIMEOUT(m_window->WB()->Busy(), loadTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(!m_status.isEmpty() && m_status.last().startsWith(u"Bozza ripristinata"_s),
                             loadTimeout);
    QTRY_COMPARE_WITH_TIMEOUT(editorText().simplified(), written, loadTimeout);
    const int before = int(m_server.richPosts.size());
    click(u"document.querySelector('input[name=invia]')"_s);
    QTRY_COMPARE_WITH_TIMEOUT(m_server.richPosts.size(), before + 1, loadTimeout);
    QCOMPARE(m_server.richPosts.last().simplified(), written);
}

void tst_RichEditors::sentInTheBackground_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("send");
    QTest::newRow("quick reply") << u"r"_s << u"invia"_s;
    QTest::newRow("edited in place") << u"document.querySelector('.inpost')"_s
                                     << u"document.querySelector('.salva')"_s;
}

// Sent without a page load: once the post shows, the draft is gone, and
// the next load offers nothing.
void tst_RichEditors::sentInTheBackground()
{
    QFETCH(QString, field);
    QFETCH(QString, send);
    open(u"forum/discussione"_s, u"Discussione"_s);
    if (field != u"r") {
        click(u"document.querySelector('.modifica')"_s);
        QTRY_VERIFY_WITH_TIMEOUT(page(field + u" !== null"_s).toBool(), loadTimeout);
    }
    click(field);
    const QString words = u" e grazie a tutti per le risposte"_s;
    type(words);
    QTRY_VERIFY_WITH_TIMEOUT(onDisk().join(u'\n').contains(words.trimmed()), savedWithinMs);
    click(send);
    QTRY_VERIFY_WITH_TIMEOUT(m_server.richPosts.join(u'\n').contains(words.trimmed()), loadTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(onDisk().isEmpty(), loadTimeout);
    QVERIFY(m_store->drafts().isEmpty());
    m_status.clear();
    QTest::keyClick(view()->focusProxy(), Qt::Key_F5);
    QTRY_VERIFY_WITH_TIMEOUT(m_status.contains(u"Completato"_s), loadTimeout);
    QCOMPARE(page(u"document.getElementById('r').value"_s).toString(), QString());
}

// A preview shows the words while the editor holds them: not sent. What is
// written on the preview belongs to the page the form came from.
void tst_RichEditors::previewKeepsTheDraft()
{
    open(u"forum/discussione"_s, u"Discussione"_s);
    click(u"r"_s);
    type(u"Una risposta da rivedere prima di inviarla"_s);
    QTRY_COMPARE_WITH_TIMEOUT(onDisk().size(), 1, savedWithinMs);
    click(u"anteprima"_s);
    QTRY_COMPARE_WITH_TIMEOUT(m_window->WB()->LocationName(), u"Anteprima"_s, loadTimeout);
    waitForEditor();
    type(u" ancora"_s);
    QTRY_VERIFY_WITH_TIMEOUT(onDisk().join(u'\n').contains(u"ancora"_s), savedWithinMs);
    const QList<Draft> drafts = m_store->drafts();
    QVERIFY(!drafts.isEmpty());
    for (const Draft &draft : drafts)
        QCOMPARE(draft.page, url(u"forum/discussione"_s));
}

// Alt and a letter the page has no access key for types nothing into the
// editor's frame, as in a browser here.
void tst_RichEditors::altTypesNoLetter()
{
    open(u"forum/scrivi.php?editor=bb"_s, u"Nuovo messaggio"_s);
    waitForEditor();
    type(u"ab"_s);
    QTest::keyClick(view()->focusProxy(), Qt::Key_S, Qt::AltModifier);
    type(u"c"_s);
    QTRY_COMPARE_WITH_TIMEOUT(editorText().trimmed(), u"abc"_s, loadTimeout);
}

QTEST_MAIN(tst_RichEditors)
#include "tst_richeditors.moc"

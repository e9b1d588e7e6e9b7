#include "app/frmvelmora.h"
#include "core/catalogue.h"
#include "web/enginewebview.h"
#include "core/personalset.h"
#include "forumserver.h"
#include "modalwatch.h"
#include "gui/listbox.h"
#include "picker/pickerpanel.h"
#include "testcontext.h"

#include <QClipboard>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QWebEngineProfile>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QWebEngineView>

// Writing a post on the real engine: the tag typed where the member writes,
// finding text, zoom.
class tst_WritingPosts : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void okTypesWhereYouWrite_data();
    void okTypesWhereYouWrite();
    void okTypesOnlyWhereYouLeft();
    void oneUndoTakesOneTag();
    void emoticonByName();
    void findBarCounts();
    void zoomIsRemembered();
    void imageMenu();
    void spellingInItalian();
    void filesChosenFromHome();

private:
    QVariant page(const QString &code);
    QMenu *rightClick(const QString &box);
    void openReplyPage();
    void openNewTopic();
    QWebEngineView *view() const { return m_window->WB()->findChild<QWebEngineView *>(); }
    void clickInPage(const QString &element);
    void typeInPage(const QString &text);
    QPushButton *option(int set) const;
    bool okFromThePicker(int set, int row);
    QString tag(int set, int row) const;

    ForumServer m_server;
    std::unique_ptr<TestContext> m_test;
    std::unique_ptr<frmVelmora> m_window;
};

static constexpr int loadTimeout = 30000;

void tst_WritingPosts::initTestCase()
{
    QVERIFY(m_server.start());
}

void tst_WritingPosts::init()
{
    m_test = std::make_unique<TestContext>();
    m_window = m_test->openForum(m_server);
    QVERIFY(m_window);
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void tst_WritingPosts::cleanup()
{
    m_test->prompter.answers = {QMessageBox::Yes};
    m_window.reset();
    m_test.reset();
}

// Runs code in the page's own world, as the page's scripts would, and waits.
QVariant tst_WritingPosts::page(const QString &code)
{
    QVariant result;
    bool done = false;
    m_window->WB()->findChild<QWebEngineView *>()->page()->runJavaScript(code, [&](const QVariant &v) {
        result = v;
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, loadTimeout))
        qWarning("no answer from the page");
    return result;
}

void tst_WritingPosts::openReplyPage()
{
    m_window->WB()->Navigate(m_server.url(QStringLiteral("forum/rispondi.html")));
    QTRY_COMPARE_WITH_TIMEOUT(m_window->WB()->LocationName(), QStringLiteral("Rispondi"), loadTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->WB()->Busy(), loadTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(m_server.requests.contains(QStringLiteral("/estero/campo.html")), loadTimeout);
}

void tst_WritingPosts::openNewTopic()
{
    m_window->WB()->Navigate(m_server.url(QStringLiteral("forum/nuova.html")));
    QTRY_COMPARE_WITH_TIMEOUT(m_window->WB()->LocationName(), QStringLiteral("Nuova discussione"), loadTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->WB()->Busy(), loadTimeout);
}

// Clicks the middle of an element of the page, named by its id, as the
// member would: the view takes the focus, the page its caret.
void tst_WritingPosts::clickInPage(const QString &element)
{
    const QVariantList middle =
        page(QStringLiteral("(r => [r.x + r.width / 2, r.y + r.height / 2])(%1.getBoundingClientRect())").arg(element))
            .toList();
    QTest::mouseClick(view()->focusProxy(), Qt::LeftButton, {},
                      QPoint(middle.value(0).toInt(), middle.value(1).toInt()));
    QTRY_VERIFY_WITH_TIMEOUT(page(QStringLiteral("document.hasFocus()")).toBool(), loadTimeout);
}

// Typed key by key into the page where its caret is.
void tst_WritingPosts::typeInPage(const QString &text)
{
    const QString before = page(QStringLiteral("document.activeElement.value")).toString();
    QTest::keyClicks(view()->focusProxy(), text);
    QTRY_COMPARE_WITH_TIMEOUT(page(QStringLiteral("document.activeElement.value")).toString(), before + text,
                              loadTimeout);
}

QPushButton *tst_WritingPosts::option(int set) const
{
    return m_window->picker()->findChild<QPushButton *>(QStringLiteral("optEmo%1").arg(set));
}

QString tst_WritingPosts::tag(int set, int row) const
{
    return Catalogue::imageTag(Catalogue::imageUrl(m_server.emoticonBase(), Catalogue::set(set).folder, row));
}

// The member goes to the picker, takes a row of a set and presses OK; the
// tag is on the clipboard. Whether it was also typed in the page.
bool tst_WritingPosts::okFromThePicker(int set, int row)
{
    m_window->imgNavy_Click(5);
    fraIconario *picker = m_window->picker();
    if (!option(set)->isChecked())
        QTest::mouseClick(option(set), Qt::LeftButton);
    auto *names = picker->findChild<ListBox *>(QStringLiteral("lstEmo"));
    names->setFocus(Qt::MouseFocusReason);
    if (!QTest::qWaitFor([this] { return !page(QStringLiteral("document.hasFocus()")).toBool(); }, loadTimeout))
        qWarning("the page kept the focus");
    names->setCurrentRow(row);
    QSignalSpy typed(m_window->WB(), &WebView::textInserted);
    QTest::mouseClick(picker->findChild<QPushButton *>(QStringLiteral("cmdEmoOK")), Qt::LeftButton);
    if (QGuiApplication::clipboard()->text() != tag(set, row) || !typed.wait(loadTimeout))
        return false;
    return typed.first().first().toBool();
}

void tst_WritingPosts::okTypesOnlyWhereYouLeft()
{
    openNewTopic();
    clickInPage(QStringLiteral("s"));
    typeInPage(QStringLiteral("Saluti"));
    clickInPage(QStringLiteral("m"));
    typeInPage(QStringLiteral("Ciao a tutti"));
    // Out of the fields, then to the picker: OK only copies.
    clickInPage(QStringLiteral("vuoto"));
    QVERIFY(!okFromThePicker(3, 0));

    // Another set, with the focus on OK as it is disabled: the focus stays
    // out of the page, whose first field would take it as a Tab.
    QCOMPARE(QApplication::focusWidget(), m_window->picker()->findChild<QWidget *>(QStringLiteral("cmdEmoOK")));
    QTest::mouseClick(option(0), Qt::LeftButton);
    QVERIFY(m_window->picker()->isAncestorOf(QApplication::focusWidget()));
    QVERIFY(!okFromThePicker(0, 1));
    QCOMPARE(page(QStringLiteral("s.value")).toString(), QStringLiteral("Saluti"));
    QCOMPARE(page(QStringLiteral("m.value")).toString(), QStringLiteral("Ciao a tutti"));

    // Left from the message: each OK types there, and only there.
    clickInPage(QStringLiteral("m"));
    QVERIFY(okFromThePicker(0, 1));
    QTest::mouseClick(option(3), Qt::LeftButton);
    QVERIFY(okFromThePicker(3, 0));
    QCOMPARE(page(QStringLiteral("s.value")).toString(), QStringLiteral("Saluti"));
    QCOMPARE(page(QStringLiteral("m.value")).toString(), QStringLiteral("Ciao a tutti") + tag(0, 1) + tag(3, 0));

    // The page moves its focus while the member is away: OK types nowhere.
    m_window->picker()->findChild<QWidget *>(QStringLiteral("lstEmo"))->setFocus();
    QTRY_VERIFY_WITH_TIMEOUT(!page(QStringLiteral("document.hasFocus()")).toBool(), loadTimeout);
    page(QStringLiteral("s.focus()"));
    QVERIFY(!okFromThePicker(3, 0));
    QCOMPARE(page(QStringLiteral("s.value")).toString(), QStringLiteral("Saluti"));

    // Nor does closing the picker hand the focus to the page.
    m_window->picker()->findChild<QWidget *>(QStringLiteral("lstEmo"))->setFocus();
    m_window->picker()->lblChiudiIC_Click();
    QVERIFY(!m_window->WB()->isAncestorOf(QApplication::focusWidget()));
}

void tst_WritingPosts::oneUndoTakesOneTag()
{
    openNewTopic();
    clickInPage(QStringLiteral("m"));
    typeInPage(QStringLiteral("Grazie per il benvenuto! "));
    QVERIFY(okFromThePicker(3, 0));
    typeInPage(QStringLiteral("e anche "));
    QVERIFY(okFromThePicker(3, 1));
    typeInPage(QStringLiteral(" ciao"));

    // Each undo takes one step back: the last words, then the last tag.
    const QString written = QStringLiteral("Grazie per il benvenuto! ") + tag(3, 0) + QStringLiteral("e anche ");
    QTest::keyClick(view()->focusProxy(), Qt::Key_Z, Qt::ControlModifier);
    QTRY_COMPARE_WITH_TIMEOUT(page(QStringLiteral("m.value")).toString(), written + tag(3, 1), loadTimeout);
    QTest::keyClick(view()->focusProxy(), Qt::Key_Z, Qt::ControlModifier);
    QTRY_COMPARE_WITH_TIMEOUT(page(QStringLiteral("m.value")).toString(), written, loadTimeout);
}

// From the message to a tag by name in five keys: Ctrl+., a few letters,
// Enter; the keyboard back in the message, and one undo takes the tag out.
void tst_WritingPosts::emoticonByName()
{
    openNewTopic();
    clickInPage(QStringLiteral("m"));
    typeInPage(QStringLiteral("Ciao "));
    QTest::keyClick(view()->focusProxy(), Qt::Key_Period, Qt::ControlModifier);
    QLineEdit *search = nullptr;
    QTRY_VERIFY((search = m_window->findChild<QLineEdit *>(QStringLiteral("txtCerca"))) && search->isVisible()
                && search->hasFocus());
    QTest::keyClicks(search, QStringLiteral("ang"));
    QTest::keyClick(search, Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(page(QStringLiteral("m.value")).toString(), QStringLiteral("Ciao ") + tag(0, 0),
                              loadTimeout);
    QTRY_VERIFY(!search->isVisible() && view()->hasFocus());
    QTest::keyClick(view()->focusProxy(), Qt::Key_Z, Qt::ControlModifier);
    QTRY_COMPARE_WITH_TIMEOUT(page(QStringLiteral("m.value")).toString(), QStringLiteral("Ciao "), loadTimeout);
}

void tst_WritingPosts::okTypesWhereYouWrite_data()
{
    QTest::addColumn<QString>("focus");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("expected");
    const QString t = QStringLiteral("t.value");
    QTest::newRow("text area, selection replaced")
        << QStringLiteral("t.focus(); t.setSelectionRange(5, 6)") << t << QStringLiteral("Ciao %1 mondo");
    QTest::newRow("text box") << QStringLiteral("i.focus(); i.setSelectionRange(6, 6)") << QStringLiteral("i.value")
                              << QStringLiteral("Titolo%1");
    QTest::newRow("editable area") << QStringLiteral("d.focus(); getSelection().collapse(d.firstChild, 5)")
                                   << QStringLiteral("d.textContent") << QStringLiteral("Testo%1");
    QTest::newRow("nothing focused") << QStringLiteral("document.activeElement.blur()") << t
                                     << QStringLiteral("Ciao X mondo");
    QTest::newRow("field in another site's frame")
        << QStringLiteral("f.focus()") << t << QStringLiteral("Ciao X mondo");
    // The field would cut the tag short: it goes only to the clipboard.
    QTest::newRow("text box too short for the tag")
        << QStringLiteral("i.maxLength = 30; i.focus(); i.setSelectionRange(6, 6)") << QStringLiteral("i.value")
        << QStringLiteral("Titolo");
}

void tst_WritingPosts::okTypesWhereYouWrite()
{
    QFETCH(QString, focus);
    QFETCH(QString, field);
    QFETCH(QString, expected);
    openReplyPage();
    view()->setFocus();
    QTRY_VERIFY_WITH_TIMEOUT(page(QStringLiteral("document.hasFocus()")).toBool(), loadTimeout);
    page(focus);

    const bool inserted = expected.contains(QStringLiteral("%1"));
    QCOMPARE(okFromThePicker(3, 0), inserted);
    const QString tag = this->tag(3, 0);
    QCOMPARE(page(field).toString(), inserted ? expected.arg(tag) : expected);
    if (focus.contains(QStringLiteral("maxLength")))
        QTRY_COMPARE(m_window->findChild<QLabel *>(QStringLiteral("lblStatus"))->text(), EngineWebView::tooLongText());
    if (inserted) {
        QVERIFY(page(QStringLiteral("window.inputs")).toInt() >= 1);
        QVERIFY(m_window->WB()->findChild<QWebEngineView *>()->hasFocus()
                || m_window->WB()->isAncestorOf(QApplication::focusWidget()));
        // The editor's own undo takes it away again.
        page(QStringLiteral("document.execCommand('undo')"));
        QCOMPARE(page(field).toString(),
                 expected.arg(QString()).replace(QStringLiteral("Ciao  mondo"), QStringLiteral("Ciao X mondo")));
    }
}

void tst_WritingPosts::findBarCounts()
{
    openReplyPage();
    QTest::keyClick(m_window.get(), Qt::Key_F, Qt::ControlModifier);
    auto *text = m_window->findChild<QLineEdit *>(QStringLiteral("txtTrova"));
    auto *count = m_window->findChild<QLabel *>(QStringLiteral("lblTrovati"));
    QTRY_VERIFY(text->isVisible() && text->hasFocus());
    QTest::keyClicks(text, QStringLiteral("emoticon"));
    QTRY_COMPARE_WITH_TIMEOUT(count->text(), QStringLiteral("1 di 3"), loadTimeout);
    QTest::keyClick(text, Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(count->text(), QStringLiteral("2 di 3"), loadTimeout);
    QTest::keyClick(text, Qt::Key_Return, Qt::ShiftModifier);
    QTRY_COMPARE_WITH_TIMEOUT(count->text(), QStringLiteral("1 di 3"), loadTimeout);
    QTest::keyClick(text, Qt::Key_Escape);
    QTRY_VERIFY(!text->isVisible());
}

void tst_WritingPosts::zoomIsRemembered()
{
    openReplyPage();
    QTest::keyClick(m_window.get(), Qt::Key_0, Qt::ControlModifier);
    QTest::keyClick(m_window.get(), Qt::Key_Equal, Qt::ControlModifier);
    QTest::keyClick(m_window.get(), Qt::Key_Equal, Qt::ControlModifier);
    QCOMPARE(m_window->WB()->zoomFactor(), 1.25);
    m_test->prompter.answers = {QMessageBox::Yes};
    m_window = std::make_unique<frmVelmora>(m_test->context);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QCOMPARE(m_window->WB()->zoomFactor(), 1.25);
    QTest::keyClick(m_window.get(), Qt::Key_Minus, Qt::ControlModifier);
    QCOMPARE(m_window->WB()->zoomFactor(), 1.1);
    QTest::keyClick(m_window.get(), Qt::Key_0, Qt::ControlModifier);
    QCOMPARE(m_window->WB()->zoomFactor(), 1.0);
}

// Right-clicks the middle of a box of the page (code giving a DOMRect); the
// menu that opens.
QMenu *tst_WritingPosts::rightClick(const QString &box)
{
    const QVariantList middle =
        page(QStringLiteral("(r => [r.x + r.width / 2, r.y + r.height / 2])(%1)").arg(box)).toList();
    auto *view = m_window->WB()->findChild<QWebEngineView *>();
    QWidget *engine = view->focusProxy();
    QTest::mouseClick(engine, Qt::RightButton, {}, QPoint(middle.value(0).toInt(), middle.value(1).toInt()));
    QMenu *menu = nullptr;
    const bool opened = QTest::qWaitFor(
        [&] { return (menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) != nullptr; }, loadTimeout);
    return opened ? menu : nullptr;
}

static QAction *actionNamed(QMenu *menu, const QString &text)
{
    const QList<QAction *> actions = menu->actions();
    const auto found = std::find_if(actions.begin(), actions.end(), [&](QAction *a) { return a->text() == text; });
    return found == actions.end() ? nullptr : *found;
}

void tst_WritingPosts::imageMenu()
{
    openReplyPage();
    const QString image = m_server.emoticonBase() + QStringLiteral("Yahoo/1.gif");
    QMenu *menu = rightClick(QStringLiteral("g.getBoundingClientRect()"));
    QVERIFY(menu);
    QVERIFY(actionNamed(menu, QStringLiteral("Copia l'indirizzo dell'immagine")));
    actionNamed(menu, QStringLiteral("Copia tag [img]"))->trigger();
    menu->close();
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("[img]%1[/img]").arg(image));

    menu = rightClick(QStringLiteral("g.getBoundingClientRect()"));
    QVERIFY(menu);
    bool proposed = false;
    whenModal(QStringLiteral("frmGestionePersonali"), [&](QDialog *manager) {
        proposed = manager->findChild<QLineEdit *>(QStringLiteral("txtNome"))->text() == QStringLiteral("1")
            && manager->findChild<QPlainTextEdit *>(QStringLiteral("txtURL"))->toPlainText() == image;
    });
    QAction *add = actionNamed(menu, QStringLiteral("Aggiungi al Set Personale…"));
    menu->close();
    add->trigger();
    QVERIFY(proposed);

    // An address too long for the set is not offered to it.
    page(QStringLiteral("g.src = g.src + '?' + 'x'.repeat(%1); g.decode()").arg(PersonalSet::longestUrl));
    QTRY_VERIFY(page(QStringLiteral("g.complete && g.src.length")).toInt() > PersonalSet::longestUrl);
    menu = rightClick(QStringLiteral("g.getBoundingClientRect()"));
    QVERIFY(menu);
    QVERIFY(actionNamed(menu, QStringLiteral("Copia tag [img]")));
    QVERIFY(!actionNamed(menu, QStringLiteral("Aggiungi al Set Personale…")));
    menu->close();
}

void tst_WritingPosts::spellingInItalian()
{
    QVERIFY(QFile::exists(qEnvironmentVariable("QTWEBENGINE_DICTIONARIES_PATH") + QStringLiteral("/it-IT.bdic")));
    openReplyPage();
    auto *view = m_window->WB()->findChild<QWebEngineView *>();
    QCOMPARE(view->page()->profile()->spellCheckLanguages(), QStringList{QStringLiteral("it-IT")});
    QVERIFY(view->page()->profile()->isSpellCheckEnabled());
    view->setFocus();
    page(QStringLiteral("d.textContent = ''; d.focus()"));
    QTest::keyClicks(view->focusProxy(), QStringLiteral("buongiorno a tuti "));
    const QString word = QStringLiteral("(() => { const r = document.createRange(), at = d.textContent.indexOf('tuti');"
                                        " r.setStart(d.firstChild, at); r.setEnd(d.firstChild, at + 4);"
                                        " return r.getBoundingClientRect(); })()");
    // The check runs a moment after typing; the word is underlined then.
    QMenu *menu = nullptr;
    const auto suggests = [&] {
        menu = rightClick(word);
        if (menu && actionNamed(menu, QStringLiteral("tutti")))
            return true;
        if (menu)
            menu->close();
        return false;
    };
    QTRY_VERIFY_WITH_TIMEOUT(suggests(), loadTimeout);
    QVERIFY(actionNamed(menu, QStringLiteral("Controllo ortografico"))->isChecked());
    menu->close();
}

// A page's "choose a file" opens in the member's folders, not the program's.
void tst_WritingPosts::filesChosenFromHome()
{
    openReplyPage();
    page(QStringLiteral("{ const f = document.createElement('input'); f.type = 'file'; f.id = 'allega';"
                        " f.style.cssText = 'position:fixed;left:0;top:0;width:200px;height:40px';"
                        " document.body.appendChild(f); }"));
    QString opened;
    whenModal(QStringLiteral("QFileDialog"), [&](QDialog *dialog) {
        opened = static_cast<QFileDialog *>(dialog)->directory().absolutePath();
    });
    view()->setFocus();
    QTest::mouseClick(view()->focusProxy(), Qt::LeftButton, {}, QPoint(100, 20));
    QTRY_COMPARE(opened, QDir::homePath());
}

QTEST_MAIN(tst_WritingPosts)
#include "tst_writingposts.moc"

#include "app/frmvelmora.h"
#include "downloads/downloads.h"
#include "gui/findbar.h"
#include "drafts/frmbozze.h"
#include "core/catalogue.h"
#include "core/draftstore.h"
#include "gui/listbox.h"
#include "help/frmerrorsinpersonalset.h"
#include "help/frmhowdoesitwork.h"
#include "help/frmhowtogetimginfo.h"
#include "help/frmichelp.h"
#include "personal/frmgestionepersonali.h"
#include "picker/pickerpanel.h"
#include "testcontext.h"

#include <QAccessible>
#include <QApplication>
#include <QTest>

#include <functional>

using namespace Qt::StringLiterals;

// What a screen reader is told about the program's controls, as Qt's
// accessibility layer gives it to the bus.
class tst_Accessibility : public QObject
{
    Q_OBJECT

private slots:
    void controlsAreNamed_data();
    void controlsAreNamed();
    void noControlUnnamed_data();
    void noControlUnnamed();
    void tabFollowsTheWindow();
    void messagesAreSpoken_data();
    void messagesAreSpoken();
    void downloadsByKeyboard();
};

void tst_Accessibility::controlsAreNamed_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("role");
    const auto row = [](const char *window, const char *control, const QString &name, QAccessible::Role role) {
        QTest::addRow("%s %s", window, control)
            << QString::fromLatin1(window) << QString::fromLatin1(control) << name << int(role);
    };
    const QString bar[] = {u"Indietro"_s, u"Avanti"_s, u"Ricarica"_s, u"Interrompi"_s, u"Pagina iniziale del forum"_s,
                           u"Iconario"_s};
    for (int i = 0; i < 5; ++i)
        row("main", qPrintable(u"imgNavy%1"_s.arg(i)), bar[i], QAccessible::Button);
    // Checked while the panel is open.
    row("main", "imgNavy5", bar[5], QAccessible::CheckBox);
    // A line of text is named by what it shows, and described.
    row("main", "lblURL", u"http://forum.test/forum/"_s, QAccessible::StaticText);
    row("main", "lblStatus", u"Completato"_s, QAccessible::StaticText);
    row("main", "lstEmo", u"Emoticon del set"_s, QAccessible::List);
    row("main", "WBIC", u"Anteprima"_s, QAccessible::Client);
    row("main", "lblChiudiIC", u"Chiudi l'Iconario"_s, QAccessible::Button);
    row("main", "cmdEmoOK", u"OK"_s, QAccessible::Button);
    // One set at a time.
    row("main", "optEmo0", Catalogue::set(0).caption, QAccessible::RadioButton);
    row("manager", "lstEmo", u"Set personale"_s, QAccessible::List);
    row("manager", "txtNome", u"Nome dell'immagine"_s, QAccessible::EditableText);
    row("manager", "txtURL", u"Indirizzo dell'immagine"_s, QAccessible::EditableText);
    row("manager", "WBPers", u"Anteprima"_s, QAccessible::Client);
}

void tst_Accessibility::controlsAreNamed()
{
    QFETCH(QString, window);
    QFETCH(QString, control);
    QFETCH(QString, name);
    QFETCH(int, role);
    TestContext test;
    frmVelmora main(test.context);
    frmGestionePersonali manager(test.context);
    main.picker()->openSequence();
    QWidget *top = window == u"main"_s ? static_cast<QWidget *>(&main) : &manager;
    QWidget *widget = top->findChild<QWidget *>(control);
    QVERIFY(widget);
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget);
    QVERIFY(accessible);
    if (control == u"lblURL"_s || control == u"lblStatus"_s) {
        static_cast<FakeWebView *>(main.WB())->setUrl(u"http://forum.test/forum/"_s);
        static_cast<FakeWebView *>(main.WB())->reportStatus(u"Completato"_s);
        main.tmrBusy_Timer();
        QVERIFY(!accessible->text(QAccessible::Description).isEmpty());
    }
    QCOMPARE(accessible->text(QAccessible::Name), name);
    QCOMPARE(int(accessible->role()), role);
    if (control == u"imgNavy5"_s) {
        QVERIFY(accessible->state().checked);
        main.picker()->lblChiudiIC_Click();
        QVERIFY(!accessible->state().checked);
    }
}

namespace {

// What a member acts on or looks at, which a screen reader must name.
bool wantsName(const QAccessibleInterface *control)
{
    switch (control->role()) {
    case QAccessible::Button:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::EditableText:
    case QAccessible::List:
    case QAccessible::ComboBox:
    case QAccessible::Link:
    case QAccessible::Graphic:
        return true;
    default:
        return control->state().focusable;
    }
}

// The texts of every node under node, itself included, that match.
QStringList texts(QAccessibleInterface *node, const std::function<bool(QAccessibleInterface *)> &match,
                  const std::function<QString(QAccessibleInterface *)> &text)
{
    QStringList found;
    if (match(node))
        found.append(text(node));
    for (int i = 0; i < node->childCount(); ++i) {
        if (QAccessibleInterface *child = node->child(i))
            found += texts(child, match, text);
    }
    return found;
}

} // namespace

void tst_Accessibility::noControlUnnamed_data()
{
    QTest::addColumn<QString>("window");
    for (const char *window : {"main", "manager", "help", "howDoesItWork", "howToGetImgInfo", "errors", "drafts"})
        QTest::newRow(window) << QString::fromLatin1(window);
}

void tst_Accessibility::noControlUnnamed()
{
    QFETCH(QString, window);
    TestContext test;
    QTemporaryDir folder;
    DraftStore store(folder.path());
    store.load();
    store.save(Draft{.page = u"http://f/r"_s,
                     .field = u"req_message"_s,
                     .title = u"Risposta"_s,
                     .text = u"ciao"_s,
                     .savedAt = QDateTime::currentDateTimeUtc(),
                     .cut = false});
    std::unique_ptr<QWidget> top;
    if (window == u"main"_s) {
        auto main = std::make_unique<frmVelmora>(test.context);
        main->picker()->openSequence();
        main->findBar()->open();
        top = std::move(main);
    } else if (window == u"manager"_s) {
        top = std::make_unique<frmGestionePersonali>(test.context);
    } else if (window == u"help"_s) {
        top = std::make_unique<frmICHelp>(test.context);
    } else if (window == u"howDoesItWork"_s) {
        top = std::make_unique<frmHowDoesItWork>();
    } else if (window == u"howToGetImgInfo"_s) {
        top = std::make_unique<frmHowToGetImgInfo>();
    } else if (window == u"errors"_s) {
        top = std::make_unique<frmErrorsInPersonalSet>();
    } else {
        top = std::make_unique<frmBozze>(&store, [](const QString &) {});
    }
    top->show();
    const QStringList unnamed = texts(
        QAccessible::queryAccessibleInterface(top.get()),
        [](QAccessibleInterface *node) { return wantsName(node) && node->text(QAccessible::Name).trimmed().isEmpty(); },
        [](QAccessibleInterface *node) {
            return node->object()
                ? node->object()->objectName() + u'/' + QLatin1String(node->object()->metaObject()->className())
                : QString();
        });
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(u", "_s)));
}

// Tab goes round the window as it is seen: the bar, the open panel on the
// left, the page, the find bar over the page's foot, the status line's
// downloads; Shift+Tab goes back the same way.
void tst_Accessibility::tabFollowsTheWindow()
{
    TestContext test;
    Downloads downloads;
    test.context.downloads = &downloads;
    frmVelmora main(test.context);
    main.show();
    QVERIFY(QTest::qWaitForWindowActive(&main));
    // As after a download: the status line's word shows.
    main.findChild<QWidget *>(u"lblDownload"_s)->show();
    main.picker()->openSequence();
    QTRY_VERIFY(main.picker()->findChild<QWidget *>(u"lblChiudiIC"_s)->isVisible());
    main.findBar()->open();
    QStringList expected;
    for (int i = 0; i < 6; ++i)
        expected << u"imgNavy%1"_s.arg(i);
    // The sets are one stop, at the chosen set; the arrows move among them.
    expected << u"optEmo0"_s;
    // OK shows only once an emoticon is chosen.
    expected << u"cmdHelpIC"_s << u"lstEmo"_s << u"lblChiudiIC"_s << u"WB"_s << u"txtTrova"_s << u"cmdPrecedente"_s
             << u"cmdSuccessivo"_s << u"cmdChiudiTrova"_s << u"lblDownload"_s;
    main.findChild<QWidget *>(expected.first())->setFocus(Qt::TabFocusReason);
    const auto walk = [&](Qt::Key key) {
        QStringList seen;
        for (qsizetype i = 0; i < expected.size(); ++i) {
            QWidget *focus = QApplication::focusWidget();
            // The view's own inner widgets stand for the view.
            while (focus && focus->objectName().isEmpty())
                focus = focus->parentWidget();
            seen << (focus ? focus->objectName() : u"-"_s);
            QTest::keyClick(QApplication::focusWidget(), key);
        }
        return seen;
    };
    QCOMPARE(walk(Qt::Key_Tab), expected);
    QStringList backwards = expected;
    std::reverse(backwards.begin() + 1, backwards.end());
    QCOMPARE(walk(Qt::Key_Backtab), backwards);
}

void tst_Accessibility::messagesAreSpoken_data()
{
    QTest::addColumn<QString>("message");
    // The first emoticon's tag, with no field to type it into.
    QTest::newRow("tag copied") << fraIconario::copiedText(Catalogue::names(0).value(0));
    QTest::newRow("draft restored") << u"Bozza ripristinata (salvata alle 10:02) — Ctrl+Z per toglierla"_s;
    QTest::newRow("opening blocked") << u"Apertura bloccata: altro.example"_s;
}

// A screen reader hears the program's own messages as the eye sees them.
void tst_Accessibility::messagesAreSpoken()
{
    QFETCH(QString, message);
    TestContext test;
    frmVelmora main(test.context);
    main.show();
    if (message.startsWith(fraIconario::copiedText({}))) {
        main.picker()->openSequence();
        main.picker()->optEmo_Click(0);
        main.picker()->findChild<ListBox *>(u"lstEmo"_s)->setCurrentRow(0);
        main.picker()->cmdEmoOK_Click();
    } else
        emit main.WB()->noticeShown(message);
    // Offscreen has no accessibility bus to show it on: the end-to-end
    // test over the bus hears it said.
    const QStringList notices = texts(
        QAccessible::queryAccessibleInterface(&main),
        [](QAccessibleInterface *node) { return node->role() == QAccessible::Notification; },
        [](QAccessibleInterface *node) { return node->text(QAccessible::Name); });
    QVERIFY2(notices.contains(message), qPrintable(notices.join(u" | "_s)));
}

// The status line's downloads word is a button for screen readers, and Ctrl+J
// opens its window as in browsers.
void tst_Accessibility::downloadsByKeyboard()
{
    TestContext test;
    Downloads downloads;
    test.context.downloads = &downloads;
    frmVelmora main(test.context);
    main.show();
    QVERIFY(QTest::qWaitForWindowActive(&main));
    QAccessibleInterface *word = QAccessible::queryAccessibleInterface(main.findChild<QWidget *>(u"lblDownload"_s));
    QVERIFY(word);
    QCOMPARE(word->role(), QAccessible::Button);
    QCOMPARE(word->text(QAccessible::Name), u"Download (0)"_s);
    QTest::keyClick(&main, Qt::Key_J, Qt::ControlModifier);
    QTRY_VERIFY(main.findChild<QWidget *>(u"frmDownloads"_s)
                && main.findChild<QWidget *>(u"frmDownloads"_s)->isVisible());
}

QTEST_MAIN(tst_Accessibility)
#include "tst_accessibility.moc"

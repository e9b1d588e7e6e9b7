// The main window with the journal, in a process of its own for a test to
// kill: it opens a reply page, types a text as the member would, says
// "salvata" once the draft is on disk, and waits to be killed.
//
//     draftwriter FORUM_HOME PAGE DRAFTS_FOLDER TEXT

#include "app/frmvelmora.h"
#include "app/pagewiring.h"
#include "core/draftstore.h"
#include "scriptedprompter.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QWebEngineView>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() != 5)
        return 2;
    const QString home = args.at(1);
    const QString page = args.at(2);
    DraftStore drafts(args.at(3));
    drafts.load();
    ScriptedPrompter prompter;
    QTemporaryDir folder;

    AppContext context;
    context.forumHomeUrl = home;
    context.emoticonBaseUrl = home;
    context.personalSetPath = folder.filePath(QStringLiteral("Personali.ic2"));
    context.prompter = &prompter;
    context.beep = [] {};
    context.drafts = &drafts;
    context.makeWebView = webViewFactory(context);
    frmVelmora window(context);
    window.show();
    window.activateWindow();
    if (!QTest::qWaitForWindowActive(&window))
        return 3;
    QWebEngineView *engine = window.WB()->findChild<QWebEngineView *>();
    bool loaded = false;
    QObject::connect(engine, &QWebEngineView::loadFinished, engine,
                     [&](bool ok) { loaded = ok && engine->url() == QUrl(page); });
    window.WB()->Navigate(page);
    if (!QTest::qWaitFor([&] { return loaded; }, 30000))
        return 4;
    // A rich editor is made after the load: typing waits for its caret.
    bool ready = false;
    const bool editorReady = QTest::qWaitFor(
        [&] {
            engine->page()->runJavaScript(QStringLiteral("window.pronto !== false && document.activeElement"
                                                         " && ['TEXTAREA', 'IFRAME'].includes("
                                                         "document.activeElement.tagName)"),
                                          [&](const QVariant &v) { ready = v.toBool(); });
            QTest::qWait(100);
            return ready;
        },
        30000);
    if (!editorReady)
        return 6;
    engine->setFocus();
    QTest::keyClicks(engine->focusProxy(), args.at(4));
    if (!QTest::qWaitFor([&] { return !QDir(args.at(3)).entryList(QDir::Files).isEmpty(); }, 30000))
        return 5;
    std::puts("salvata");
    std::fflush(stdout);
    return QApplication::exec();
}

#pragma once

#include "browser/downloads.h"
#include "browser/webviewfactory.h"
#include "fakewebview.h"
#include "forumserver.h"
#include "gui/appcontext.h"
#include "scriptedprompter.h"

#include <QTemporaryDir>
#include <QUrl>

// A context for window tests: fake web views (or the real engine, see
// useEngine), scripted message boxes, beeps counted, and the personal-set
// file in a folder of the test's own.
struct TestContext
{
    ScriptedPrompter prompter;
    QTemporaryDir folder;
    int beeps = 0;
    AppContext context;

    TestContext()
    {
        context.forumHomeUrl = QStringLiteral("http://forum.test/forum/");
        context.emoticonBaseUrl = QStringLiteral("http://forum.test/iconario/");
        context.personalSetPath = folder.path() + QStringLiteral("/Personali.ic2");
        context.makeWebView = [](WebView::Role role, QWidget *parent) -> WebView * {
            return new FakeWebView(role, parent);
        };
        context.prompter = &prompter;
        context.beep = [this] { ++beeps; };
    }

    // The real engine against the loopback forum, with the program's own
    // policy for the forum's site: message boxes scripted, downloads where
    // given.
    void useEngine(const ForumServer &server, Downloads *downloads = nullptr, DraftStore *drafts = nullptr)
    {
        context.forumHomeUrl = server.homeUrl();
        context.emoticonBaseUrl = server.emoticonBase();
        context.downloads = downloads;
        context.drafts = drafts;
        context.makeWebView = webViewFactory({QUrl(server.homeUrl()), &prompter, downloads, drafts});
    }
    Q_DISABLE_COPY_MOVE(TestContext)
};

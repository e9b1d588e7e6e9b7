#pragma once

#include "app/frmvelmora.h"
#include "downloads/downloads.h"
#include "app/pagewiring.h"
#include "fakewebview.h"
#include "forumserver.h"
#include "gui/appcontext.h"
#include "scriptedprompter.h"

#include <QTemporaryDir>
#include <QTest>
#include <QDeadlineTimer>
#include <QUrl>

#include <memory>

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
        context.emoticonUsagePath = folder.path() + QStringLiteral("/emoticon.json");
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
        context.makeWebView = webViewFactory(context);
    }

    // The main window on the real engine against the loopback forum (see
    // useEngine), shown, with the forum's home titled; null when it is not.
    std::unique_ptr<frmVelmora> openForum(const ForumServer &server, Downloads *downloads = nullptr,
                                          DraftStore *drafts = nullptr)
    {
        useEngine(server, downloads, drafts);
        auto window = std::make_unique<frmVelmora>(context);
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get()))
            return nullptr;
        // qWait, not qWaitFor: it sleeps in the event loop, where the
        // engine's many messages are answered as they come rather than at
        // every sleep's end.
        const QDeadlineTimer deadline(30000);
        while (window->WB()->LocationName() != ForumServer::homeTitle() && !deadline.hasExpired())
            QTest::qWait(20);
        return window->WB()->LocationName() == ForumServer::homeTitle() ? std::move(window) : nullptr;
    }
    Q_DISABLE_COPY_MOVE(TestContext)
};

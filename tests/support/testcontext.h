#pragma once

#include "fakewebview.h"
#include "gui/appcontext.h"
#include "scriptedprompter.h"

#include <QTemporaryDir>

// A context for window tests: fake web views, scripted message boxes, beeps
// counted, and the personal-set file in a folder of the test's own.
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
    Q_DISABLE_COPY_MOVE(TestContext)
};

#pragma once

#include "gui/webview.h"

#include <QString>

#include <functional>

class DraftStore;
class Downloads;
class Prompter;
class RepliesWatcher;

// What a window is given by its creator: the addresses, the personal-set
// file, and the seams to the outside world (web views, message boxes, beep).
// The program itself has no settings (programContext() in app/ fills this);
// tests fill it with their own values.
struct AppContext
{
    using WebViewFactory = std::function<WebView *(WebView::Role, QWidget *parent)>;

    QString forumHomeUrl;
    QString emoticonBaseUrl;
    QString personalSetPath;
    // The recent and favourite emoticons; kept in memory alone when empty.
    QString emoticonUsagePath;
    WebViewFactory makeWebView;
    Prompter *prompter = nullptr;
    std::function<void()> beep;
    // The forum's downloads; none where no real engine runs.
    Downloads *downloads = nullptr;
    // What the member writes in the forum, kept until the forum takes it.
    DraftStore *drafts = nullptr;
    // The topics the member follows, and their replies; none in tests of
    // other things.
    RepliesWatcher *replies = nullptr;
};

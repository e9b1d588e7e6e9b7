#pragma once

#include "browser/webview.h"

#include <QString>

#include <functional>

class Downloads;
class Prompter;

// What a window is given by its creator: the addresses, the personal-set
// file, and the seams to the outside world (web views, message boxes, beep).
// The program itself has no settings; tests fill this with their own values.
struct AppContext
{
    using WebViewFactory = std::function<WebView *(WebView::Role, QWidget *parent)>;

    QString forumHomeUrl;
    QString emoticonBaseUrl;
    QString personalSetPath;
    WebViewFactory makeWebView;
    Prompter *prompter = nullptr;
    std::function<void()> beep;
    // The forum's downloads; none where no real engine runs.
    Downloads *downloads = nullptr;

    // The program as it really runs: the real addresses, the file beside the
    // executable, Chromium views, real message boxes and the system beep.
    static AppContext forProgram();
};

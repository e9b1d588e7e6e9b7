#include "app/appcontext.h"

#include "app/addresses.h"
#include "app/prompter.h"
#include "browser/downloads.h"
#include "browser/enginewebview.h"
#include "personal/gestionefiles.h"

#include <QApplication>

AppContext AppContext::forProgram()
{
    static MessageBoxPrompter prompter;
    AppContext context;
    context.forumHomeUrl = Addresses::forumHome();
    context.emoticonBaseUrl = Addresses::emoticonBase();
    context.personalSetPath = GestioneFiles::personalSetPath();
    context.downloads = new Downloads(QCoreApplication::instance());
    const ForumSite site{QUrl(context.forumHomeUrl), &prompter, context.downloads};
    context.makeWebView = [site](WebView::Role role, QWidget *parent) -> WebView * {
        return new EngineWebView(role, parent, site);
    };
    context.prompter = &prompter;
    context.beep = &QApplication::beep;
    return context;
}

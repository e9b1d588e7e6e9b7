#include "app/programcontext.h"

#include "browser/downloads.h"
#include "browser/enginewebview.h"
#include "browser/forumsite.h"
#include "browser/imagepreview.h"
#include "core/addresses.h"
#include "core/personalsetlocation.h"
#include "gui/prompter.h"

#include <QApplication>
#include <QUrl>

AppContext programContext()
{
    static MessageBoxPrompter prompter;
    AppContext context;
    context.forumHomeUrl = Addresses::forumHome();
    context.emoticonBaseUrl = Addresses::emoticonBase();
    context.personalSetPath = PersonalSetLocation::forProgram();
    context.downloads = new Downloads(QCoreApplication::instance());
    const ForumSite site{QUrl(context.forumHomeUrl), &prompter, context.downloads};
    context.makeWebView = [site](WebView::Role role, QWidget *parent) -> WebView * {
        if (role == WebView::Role::Preview)
            return new ImagePreview(parent);
        return new EngineWebView(role, parent, site);
    };
    context.prompter = &prompter;
    context.beep = &QApplication::beep;
    return context;
}

#include "app/programcontext.h"

#include "browser/downloads.h"
#include "browser/enginewebview.h"
#include "browser/forumsite.h"
#include "browser/imagepreview.h"
#include "core/addresses.h"
#include "core/draftstore.h"
#include "core/personalsetlocation.h"
#include "gui/prompter.h"

#include <QApplication>
#include <QStandardPaths>
#include <QUrl>

AppContext programContext()
{
    static MessageBoxPrompter prompter;
    AppContext context;
    context.forumHomeUrl = Addresses::forumHome();
    context.emoticonBaseUrl = Addresses::emoticonBase();
    context.personalSetPath = PersonalSetLocation::forProgram();
    context.downloads = new Downloads(QCoreApplication::instance());
    context.drafts = new DraftStore(
        QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/bozze"),
        QCoreApplication::instance());
    context.drafts->load();
    const ForumSite site{QUrl(context.forumHomeUrl), &prompter, context.downloads, context.drafts};
    context.makeWebView = [site](WebView::Role role, QWidget *parent) -> WebView * {
        if (role == WebView::Role::Preview)
            return new ImagePreview(parent);
        return new EngineWebView(role, parent, site);
    };
    context.prompter = &prompter;
    context.beep = &QApplication::beep;
    return context;
}

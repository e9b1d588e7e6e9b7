#include "app/programcontext.h"

#include "browser/downloads.h"
#include "browser/forumsite.h"
#include "browser/webviewfactory.h"
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
    auto *downloads = new Downloads(QCoreApplication::instance());
    context.downloads = downloads;
    context.drafts = new DraftStore(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
                                        + QStringLiteral("/bozze"),
                                    QCoreApplication::instance());
    context.drafts->load();
    context.makeWebView = webViewFactory({QUrl(context.forumHomeUrl), &prompter, downloads, context.drafts});
    context.prompter = &prompter;
    context.beep = &QApplication::beep;
    return context;
}

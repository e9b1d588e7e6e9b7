#include "app/programcontext.h"

#include "downloads/downloads.h"
#include "app/pagewiring.h"
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
    context.emoticonUsagePath = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
        + QStringLiteral("/emoticon.json");
    auto *downloads = new Downloads(QCoreApplication::instance());
    context.downloads = downloads;
    context.drafts = new DraftStore(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
                                        + QStringLiteral("/bozze"),
                                    QCoreApplication::instance());
    context.drafts->load();
    context.prompter = &prompter;
    context.makeWebView = webViewFactory(context);
    context.beep = &QApplication::beep;
    return context;
}

#include "app/programcontext.h"

#include "browser/enginewebview.h"
#include "core/addresses.h"
#include "core/personalsetlocation.h"
#include "gui/prompter.h"

#include <QApplication>

AppContext programContext()
{
    static MessageBoxPrompter prompter;
    AppContext context;
    context.forumHomeUrl = Addresses::forumHome();
    context.emoticonBaseUrl = Addresses::emoticonBase();
    context.personalSetPath = PersonalSetLocation::forProgram();
    context.makeWebView = [](WebView::Role role, QWidget *parent) -> WebView * {
        return new EngineWebView(role, parent);
    };
    context.prompter = &prompter;
    context.beep = &QApplication::beep;
    return context;
}

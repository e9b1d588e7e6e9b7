#include "app/appcontext.h"

#include "app/addresses.h"
#include "app/prompter.h"
#include "browser/enginewebview.h"
#include "personal/personalsetlocation.h"

#include <QApplication>

AppContext AppContext::forProgram()
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

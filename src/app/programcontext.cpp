#include "app/programcontext.h"

#include "browser/enginewebview.h"
#include "browser/imagepreview.h"
#include "core/addresses.h"
#include "core/gestionefiles.h"
#include "gui/prompter.h"

#include <QApplication>

AppContext programContext()
{
    static MessageBoxPrompter prompter;
    AppContext context;
    context.forumHomeUrl = Addresses::forumHome();
    context.emoticonBaseUrl = Addresses::emoticonBase();
    context.personalSetPath = GestioneFiles::personalSetPath();
    context.makeWebView = [](WebView::Role role, QWidget *parent) -> WebView * {
        if (role == WebView::Role::Preview)
            return new ImagePreview(parent);
        return new EngineWebView(role, parent);
    };
    context.prompter = &prompter;
    context.beep = &QApplication::beep;
    return context;
}

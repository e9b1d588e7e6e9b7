#include "browser/webviewfactory.h"

#include "browser/enginewebview.h"
#include "browser/imagepreview.h"

AppContext::WebViewFactory webViewFactory(const ForumSite &site)
{
    return [site](WebView::Role role, QWidget *parent) -> WebView * {
        if (role == WebView::Role::Preview)
            return new ImagePreview(parent);
        return new EngineWebView(role, parent, site);
    };
}

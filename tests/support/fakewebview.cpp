#include "fakewebview.h"

FakeWebView::FakeWebView(Role role, QWidget *parent)
    : WebView(parent)
    , role(role)
{
}

void FakeWebView::Navigate(const QString &address)
{
    navigations.append(address);
    calls.append(QStringLiteral("Navigate"));
}

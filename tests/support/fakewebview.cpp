#include "fakewebview.h"

FakeWebView::FakeWebView(Role role, QWidget *parent)
    : WebView(parent)
    , role(role)
{
    // A forum page takes the focus by click and by Tab, as the engine's does.
    if (role == Role::Forum)
        setFocusPolicy(Qt::StrongFocus);
}

void FakeWebView::Navigate(const QString &address)
{
    navigations.append(address);
    calls.append(QStringLiteral("Navigate"));
}

void FakeWebView::setBusy(bool busy)
{
    if (std::exchange(m_busy, busy) != busy)
        emit loadingChanged(busy);
}

void FakeWebView::setName(const QString &name)
{
    if (std::exchange(m_name, name) != name)
        emit titleChanged(name);
}

void FakeWebView::setUrl(const QString &url)
{
    if (std::exchange(m_url, url) != url)
        emit addressChanged(url);
}

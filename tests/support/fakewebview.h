#pragma once

#include "gui/webview.h"

#include <QStringList>

// A web view without an engine: it records what it is asked to do, and the
// test decides what it reports.
class FakeWebView final : public WebView
{
    Q_OBJECT

public:
    explicit FakeWebView(Role role, QWidget *parent = nullptr);

    void Navigate(const QString &address) override;
    void GoBack() override { calls.append(QStringLiteral("GoBack")); }
    void GoForward() override { calls.append(QStringLiteral("GoForward")); }
    void Refresh() override { calls.append(QStringLiteral("Refresh")); }
    void Stop() override { calls.append(QStringLiteral("Stop")); }
    void Unload() override { calls.append(QStringLiteral("Unload")); }

    bool Busy() const override { return m_busy; }
    QString LocationName() const override { return m_name; }
    QString LocationURL() const override { return m_url; }

    // As a page would: each change signalled.
    void reportStatus(const QString &text) { emit StatusTextChange(text); }
    void setBusy(bool busy);
    void setName(const QString &name);
    void setUrl(const QString &url);

    Role role;
    QStringList navigations;
    QStringList calls;

private:
    bool m_busy = false;
    QString m_name;
    QString m_url;
};

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

    bool Busy() const override { return busy; }
    QString LocationName() const override { return name; }
    QString LocationURL() const override { return url; }

    void reportStatus(const QString &text) { emit StatusTextChange(text); }

    Role role;
    bool busy = false;
    QString name;
    QString url;
    QStringList navigations;
    QStringList calls;
};

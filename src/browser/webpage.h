#pragma once

#include <QWebEnginePage>

// Policy for the pages of our views. A preview only ever shows an image from
// the web, so it refuses local files and anything it would open elsewhere.
class WebPage final : public QWebEnginePage
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WebPage)

public:
    WebPage(QWebEngineProfile *profile, bool preview, QObject *parent);

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage *createWindow(WebWindowType type) override;

private:
    bool m_preview = false;
};

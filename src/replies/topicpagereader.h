#pragma once

#include <QObject>
#include <QPointer>
#include <QUrl>

class EngineWebView;
class QAction;
class RepliesWatcher;
class WebPage;

// Reads each forum page a view shows for what following it needs: the
// topic's feed its head offers (Atom first, else RSS), and the name of the
// member logged in, which the forum shows on its pages. Gives the view's
// menu "Segui questa discussione" or "Non seguire più", and follows the
// topic a post of the member's was just shown in.
class TopicPageReader final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TopicPageReader)

public:
    TopicPageReader(EngineWebView *view, RepliesWatcher *watcher, const QUrl &forumHome);

    // The view made a new page: its loads are read.
    void attach(WebPage *page);
    // The page shown holds a post the member just sent: its topic is followed.
    void postShown();

    QAction *action() const { return m_action; }

    static QString followText() { return QStringLiteral("Segui questa discussione"); }
    static QString unfollowText() { return QStringLiteral("Non seguire più"); }
    static QString noFeedText() { return QStringLiteral("Segui questa discussione (la pagina non ha un feed)"); }

private:
    struct Read
    {
        QUrl page;
        QUrl feed;
        QString title;
    };

    void read(bool posted);
    void update();
    void triggered();

    QPointer<WebPage> m_page;
    RepliesWatcher *m_watcher;
    QUrl m_home;
    QAction *m_action;
    Read m_read;
};

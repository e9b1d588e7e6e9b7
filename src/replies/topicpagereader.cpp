#include "replies/topicpagereader.h"

#include "replies/replieswatcher.h"
#include "web/enginewebview.h"
#include "web/pagescripts.h"
#include "web/webpage.h"

#include <QAction>
#include <QJsonArray>
#include <QWebEngineScript>

using namespace Qt::StringLiterals;

namespace {

// The feeds the page's head offers, and who the forum says is logged in
// (FluxBB's welcome box, phpBB's header).
QString scan(const QString &host)
{
    return PageScripts::call(uR"JS(
const feeds = [];
for (const l of document.querySelectorAll('link[rel~="alternate" i][href]')) {
    const type = (l.type || '').toLowerCase();
    if (type === 'application/atom+xml' || type === 'application/rss+xml') feeds.push({type, href: l.href});
}
const who = document.querySelector('#brdwelcome .conl strong, #username_logged_in .username, #username_logged_in .username-coloured');
return Object.assign(V.page(), {feeds, member: who ? who.textContent.trim() : '', title: document.title});
)JS"_s,
                             {host});
}

} // namespace

TopicPageReader::TopicPageReader(EngineWebView *view, RepliesWatcher *watcher, const QUrl &forumHome)
    : QObject(view)
    , m_watcher(watcher)
    , m_home(forumHome)
    , m_action(new QAction(followText(), view))
{
    m_action->setObjectName(u"segui"_s);
    connect(m_action, &QAction::triggered, this, &TopicPageReader::triggered);
    connect(m_watcher, &RepliesWatcher::changed, this, &TopicPageReader::update);
    update();
}

void TopicPageReader::attach(WebPage *page)
{
    m_page = page;
    connect(page, &WebPage::loadStarted, this, [this] {
        m_read = {};
        update();
    });
    connect(page, &WebPage::loadFinished, this, [this](bool ok) {
        if (ok)
            read(false);
    });
}

void TopicPageReader::postShown()
{
    read(true);
}

void TopicPageReader::read(bool posted)
{
    if (!m_page)
        return;
    m_page->runJavaScript(scan(m_home.host()), QWebEngineScript::ApplicationWorld,
                          [self = QPointer<TopicPageReader>(this), posted](const QVariant &result) {
                              const QVariantMap found = result.toMap();
                              if (!self || found.isEmpty())
                                  return;
                              Read read;
                              read.page = QUrl(found.value(u"page"_s).toString());
                              read.title = found.value(u"title"_s).toString();
                              QUrl rss;
                              for (const QVariant &feed : found.value(u"feeds"_s).toList()) {
                                  const QVariantMap f = feed.toMap();
                                  const QUrl href(f.value(u"href"_s).toString());
                                  if (f.value(u"type"_s) == u"application/atom+xml"_s && read.feed.isEmpty())
                                      read.feed = href;
                                  else if (rss.isEmpty())
                                      rss = href;
                              }
                              if (read.feed.isEmpty())
                                  read.feed = rss;
                              self->m_read = read;
                              self->m_watcher->setMember(found.value(u"member"_s).toString());
                              if (posted)
                                  self->m_watcher->follow(read.page, read.feed, read.title, true);
                              else
                                  self->m_watcher->visited(read.page, read.feed);
                              self->update();
                          });
}

void TopicPageReader::update()
{
    const bool followed = m_watcher->topicOf(m_read.page, m_read.feed);
    m_action->setText(followed ? unfollowText() : m_read.feed.isEmpty() ? noFeedText() : followText());
    m_action->setEnabled(followed || !m_read.feed.isEmpty());
}

void TopicPageReader::triggered()
{
    if (const FollowedTopic *topic = m_watcher->topicOf(m_read.page, m_read.feed))
        m_watcher->unfollow(topic->key());
    else if (!m_read.feed.isEmpty())
        m_watcher->follow(m_read.page, m_read.feed, m_read.title, false);
}

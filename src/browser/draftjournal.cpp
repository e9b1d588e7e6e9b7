#include "browser/draftjournal.h"

#include "browser/draftscripts.h"
#include "core/draftstore.h"
#include "core/linkrule.h"

#include <QChildEvent>
#include <QPointer>
#include <QVariantMap>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>

using namespace Qt::StringLiterals;

DraftJournal::DraftJournal(QWebEngineView *view, QWebEnginePage *page, DraftStore *store, const QUrl &forumHome)
    : QObject(view)
    , m_view(view)
    , m_page(page)
    , m_store(store)
    , m_home(forumHome)
{
    m_page->scripts().insert(DraftScripts::watcher());
    m_quiet.setSingleShot(true);
    m_quiet.setInterval(quietMs);
    connect(&m_quiet, &QTimer::timeout, this, [this] { collect(); });
    connect(m_page, &QWebEnginePage::loadFinished, this, &DraftJournal::onLoadFinished);
    connect(m_store, &DraftStore::writeFailed, this, [this](const QString &reason) {
        emit status(u"Impossibile salvare la bozza sul disco (%1): è tenuta in memoria."_s.arg(reason));
    });
    // The member leaving the page for the Iconario or another window is a
    // moment to save. The engine makes the widget that takes the focus when
    // it first shows a page, which may be before or after this.
    m_view->installEventFilter(this);
    const QList<QWidget *> made = m_view->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    for (QWidget *child : made)
        watch(child);
}

QString DraftJournal::restoredText(const QDateTime &savedAt)
{
    return u"Bozza ripristinata (salvata alle %1) — Ctrl+Z per toglierla"_s.arg(
        savedAt.toLocalTime().toString(u"HH:mm"_s));
}

QString DraftJournal::offeredText()
{
    return u"Questa pagina ha una bozza non inviata: Ctrl+Maiusc+B la inserisce dove scrivi"_s;
}

QString DraftJournal::cutText()
{
    return u"La bozza supera 1 MiB: ne è salvato solo il primo MiB."_s;
}

void DraftJournal::watch(QObject *widget)
{
    widget->removeEventFilter(this);
    widget->installEventFilter(this);
}

bool DraftJournal::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::ChildAdded:
        if (watched == m_view)
            watch(static_cast<QChildEvent *>(event)->child());
        break;
    case QEvent::FocusOut:
        // The member went elsewhere (the Iconario, another window).
        if (watched != m_view && m_dirty)
            collect();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

bool DraftJournal::isForum(const QUrl &url) const
{
    return LinkRule::isForumPage(url, m_home);
}

QString DraftJournal::pageKey() const
{
    return m_page->url().adjusted(QUrl::RemoveFragment).toString();
}

void DraftJournal::changed()
{
    m_dirty = true;
    m_quiet.start();
}

void DraftJournal::saveThen(const std::function<void()> &then)
{
    if (m_dirty) {
        collect(then);
    } else if (then) {
        then();
    }
}

void DraftJournal::collect(const std::function<void()> &then)
{
    m_quiet.stop();
    m_dirty = false;
    if (!isForum(m_page->url())) {
        if (then)
            then();
        return;
    }
    const QString title = m_page->title();
    QPointer<DraftStore> store(m_store);
    // A page that never answers (its renderer gone) must not hold up the
    // program's step for long.
    auto once = std::make_shared<std::function<void()>>(then);
    if (then) {
        QTimer::singleShot(1000, this, [once] {
            if (auto step = std::exchange(*once, {}))
                step();
        });
    }
    m_page->runJavaScript(DraftScripts::collect(m_home.host()), QWebEngineScript::ApplicationWorld,
                          [self = QPointer<DraftJournal>(this), store, title, once](const QVariant &result) {
                              // The document says which page it is: the view
                              // may already show the next one.
                              const QVariantMap answer = result.toMap();
                              const QUrl page(answer.value(u"page"_s).toString());
                              if (self && store && self->isForum(page)
                                  && keep(*store, page.adjusted(QUrl::RemoveFragment).toString(), title,
                                          answer.value(u"fields"_s).toList()))
                                  emit self->status(cutText());
                              if (auto step = std::exchange(*once, {}))
                                  step();
                          });
}

bool DraftJournal::keep(DraftStore &store, const QString &page, const QString &title, const QVariantList &fields)
{
    bool cut = false;
    for (const QVariant &value : fields) {
        const QVariantMap field = value.toMap();
        const QString key = field.value(u"field"_s).toString();
        const QString text = field.value(u"text"_s).toString();
        if (text.trimmed().isEmpty()) {
            // The member emptied the field: nothing to keep.
            if (store.contains(page, key))
                store.remove(page, key);
        } else if (store.draft(page, key).text != text) {
            cut |= store
                       .save(Draft{.page = page,
                                   .field = key,
                                   .title = title,
                                   .text = text,
                                   .savedAt = QDateTime::currentDateTimeUtc(),
                                   .cut = false})
                       .cut;
        }
    }
    return cut;
}

void DraftJournal::formSubmitted()
{
    saveNow();
    if (!isForum(m_page->url()))
        return;
    m_sentPage = pageKey();
    m_sentUntil = QDateTime::currentMSecsSinceEpoch() + answerMs;
}

void DraftJournal::onLoadFinished(bool ok)
{
    m_offered.clear();
    if (!ok || !isForum(m_page->url()))
        return;
    const QString page = pageKey();
    if (!m_sentPage.isEmpty() && QDateTime::currentMSecsSinceEpoch() < m_sentUntil)
        checkAnswer(page);
    else
        restore(page);
}

void DraftJournal::checkAnswer(const QString &page)
{
    QPointer<DraftJournal> self(this);
    m_page->runJavaScript(DraftScripts::answer(m_home.host()), QWebEngineScript::ApplicationWorld,
                          [self, page](const QVariant &result) {
                              if (!self)
                                  return;
                              const QVariantMap answer = result.toMap();
                              const QString text = answer.value(u"text"_s).toString();
                              const QVariantMap fields = answer.value(u"fields"_s).toMap();
                              const QList<Draft> drafts = self->m_store->drafts();
                              bool waiting = false;
                              for (const Draft &draft : drafts) {
                                  if (draft.page != self->m_sentPage)
                                      continue;
                                  // The form again, holding the words (a refusal, a
                                  // preview), is no sign that the forum took them.
                                  const bool sameForm = fields.contains(draft.field)
                                      && DraftStore::isShownIn(draft.text, fields.value(draft.field).toString());
                                  if (!sameForm && DraftStore::isShownIn(draft.text, text))
                                      self->m_store->remove(draft.page, draft.field);
                                  else
                                      waiting = true;
                              }
                              if (!waiting)
                                  self->m_sentPage.clear();
                              self->restore(page);
                          });
}

void DraftJournal::restore(const QString &page)
{
    QVariantMap texts;
    QDateTime newest;
    const QList<Draft> drafts = m_store->drafts();
    for (const Draft &draft : drafts) {
        if (draft.page != page)
            continue;
        texts.insert(draft.field, draft.text);
        newest = std::max(newest, draft.savedAt);
    }
    if (texts.isEmpty())
        return;
    QPointer<DraftJournal> self(this);
    m_page->runJavaScript(DraftScripts::restore(m_home.host(), texts), QWebEngineScript::ApplicationWorld,
                          [self, texts, newest](const QVariant &result) {
                              if (!self)
                                  return;
                              const QVariantMap done = result.toMap();
                              const QStringList offered = done.value(u"offered"_s).toStringList();
                              if (!done.value(u"restored"_s).toList().isEmpty()) {
                                  emit self->status(restoredText(newest));
                              } else if (!offered.isEmpty()) {
                                  self->m_offered = texts.value(offered.first()).toString();
                                  emit self->status(offeredText());
                              }
                          });
}

void DraftJournal::insertOffered()
{
    if (m_offered.isEmpty())
        return;
    m_page->runJavaScript(DraftScripts::insertHere(m_home.host(), m_offered), QWebEngineScript::ApplicationWorld,
                          [self = QPointer<DraftJournal>(this)](const QVariant &typed) {
                              if (self && typed.toBool())
                                  self->changed();
                          });
    m_offered.clear();
}

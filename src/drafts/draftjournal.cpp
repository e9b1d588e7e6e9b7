#include "drafts/draftjournal.h"

#include "drafts/draftscripts.h"
#include "gui/controls.h"
#include "web/webpage.h"
#include "core/draftstore.h"
#include "core/linkrule.h"

#include <QPointer>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

using namespace Qt::StringLiterals;

namespace {

qint64 now()
{
    return QDateTime::currentMSecsSinceEpoch();
}

// An editor a page makes after loading may take a few seconds to appear.
constexpr int restoreDelaysMs[] = {500, 1500, 3000, 6000};
// After a background send, how soon the page is looked at again.
constexpr int backgroundDelaysMs[] = {300, 1000, 2000, 4000, 8000, 15000, 30000};

} // namespace

DraftJournal::DraftJournal(WebPage *page, DraftStore *store, const QUrl &forumHome, QObject *parent)
    : QObject(parent)
    , m_page(page)
    , m_store(store)
    , m_home(forumHome)
{
    m_quiet.setSingleShot(true);
    m_quiet.setInterval(quietMs);
    connect(&m_quiet, &QTimer::timeout, this, [this] { collect(); });
    connect(m_page, &QWebEnginePage::loadFinished, this, &DraftJournal::onLoadFinished);
    connect(m_page, &QWebEnginePage::loadStarted, this, [this] { m_editedSinceLoad = false; });
    connect(m_store, &DraftStore::writeFailed, this, [this](const QString &reason) {
        emit status(u"Impossibile salvare la bozza sul disco (%1): è tenuta in memoria."_s.arg(reason));
    });
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

bool DraftJournal::isForum(const QString &page) const
{
    return !page.isEmpty() && LinkRule::isForumPage(QUrl(page), m_home);
}

bool DraftJournal::sentPending() const
{
    return !m_sent.page.isEmpty() && now() < m_sent.until;
}

QString DraftJournal::keyOf(const QVariantMap &identity) const
{
    const QString doc = identity.value(u"doc"_s).toString();
    if (const auto answer = m_answerPages.constFind(doc); answer != m_answerPages.cend())
        return *answer;
    return QUrl(identity.value(u"page"_s).toString()).adjusted(QUrl::RemoveFragment).toString();
}

void DraftJournal::memberEdited(bool deleting)
{
    m_editedSinceLoad = true;
    // Marked at once: the key and this script reach the page in order, and
    // the page's own moving of the caret later changes nothing.
    m_page->runJavaScript(DraftScripts::mark(m_home.host(), deleting), QWebEngineScript::ApplicationWorld,
                          [](const QVariant &) {});
    changed();
}

void DraftJournal::changed()
{
    m_dirty = true;
    // Counted from the first change: typing that never pauses is saved too.
    Controls::runSoon(&m_quiet);
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
    const QString title = m_page->title();
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
                          [self = QPointer<DraftJournal>(this), title, once](const QVariant &result) {
                              const QVariantMap answer = result.toMap();
                              const QString page = self ? self->keyOf(answer) : QString();
                              if (self && self->isForum(page)
                                  && self->keep(page, title, answer.value(u"fields"_s).toList()))
                                  emit self->status(cutText());
                              // Looked at again until the member's text stands still.
                              if (self && answer.value(u"pending"_s).toBool())
                                  self->changed();
                              if (auto step = std::exchange(*once, {}))
                                  step();
                          });
}

bool DraftJournal::keep(const QString &page, const QString &title, const QVariantList &fields)
{
    bool cut = false;
    for (const QVariant &value : fields) {
        const QVariantMap field = value.toMap();
        const QString key = field.value(u"field"_s).toString();
        const QString text = field.value(u"text"_s).toString();
        // What was typed in a password field is never kept, wherever a page
        // copied it.
        if (field.value(u"secret"_s).toBool() || text.trimmed().isEmpty()) {
            // The member emptied the field: nothing to keep.
            if (m_store->contains(page, key))
                m_store->remove(page, key);
            if (m_restored.removeAll(key) > 0 && m_restored.isEmpty())
                emit statusWithdrawn();
        } else if (m_store->draft(page, key).text != text) {
            const std::optional<Draft> kept = m_store->save(Draft{.page = page,
                                                                  .field = key,
                                                                  .title = title,
                                                                  .text = text,
                                                                  .savedAt = QDateTime::currentDateTimeUtc(),
                                                                  .cut = false});
            cut |= kept && kept->cut;
        }
    }
    return cut;
}

void DraftJournal::formSubmitted()
{
    // The answer's drafts, if the member writes there (a preview), belong
    // to the page the form came from: the answer itself cannot be opened
    // again.
    m_formPage = m_docPage;
    if (isForum(m_docPage))
        m_sent = {m_docPage, now() + answerMs};
    saveNow();
}

void DraftJournal::sentInBackground()
{
    if (!isForum(m_docPage))
        return;
    if (!sentPending() || m_sent.page != m_docPage)
        m_sent = {m_docPage, now() + answerMs};
    const int round = ++m_backgroundRound;
    saveThen([this, round] {
        if (round == m_backgroundRound)
            checkInBackground(0);
    });
}

void DraftJournal::checkInBackground(int step)
{
    if (step >= int(std::size(backgroundDelaysMs)))
        return;
    const int round = m_backgroundRound;
    QTimer::singleShot(backgroundDelaysMs[step], this, [this, step, round] {
        if (round != m_backgroundRound || !sentPending())
            return;
        m_page->runJavaScript(DraftScripts::answer(m_home.host()), QWebEngineScript::ApplicationWorld,
                              [self = QPointer<DraftJournal>(this), step, round](const QVariant &result) {
                                  if (!self || round != self->m_backgroundRound)
                                      return;
                                  const QVariantMap answer = result.toMap();
                                  // Another page came meanwhile: its load settles it.
                                  if (answer.value(u"doc"_s).toString() != self->m_doc)
                                      return;
                                  if (!self->settle(answer))
                                      self->checkInBackground(step + 1);
                              });
    });
}

bool DraftJournal::settle(const QVariantMap &answer)
{
    const QString text = answer.value(u"text"_s).toString();
    const QVariantMap fields = answer.value(u"fields"_s).toMap();
    const QStringList images = answer.value(u"images"_s).toStringList();
    // A login page, a refusal that shows the form again, a preview: the
    // forum has not taken the words.
    const bool password = answer.value(u"password"_s).toBool();
    bool waiting = false;
    bool shown = false;
    const QList<Draft> drafts = m_store->drafts();
    for (const Draft &draft : drafts) {
        if (draft.page != m_sent.page)
            continue;
        const bool held = std::any_of(fields.cbegin(), fields.cend(), [&](const QVariant &field) {
            return DraftStore::isHeldIn(draft.text, field.toString());
        });
        if (!password && !held && DraftStore::isShownIn(draft.text, text, images)) {
            m_store->remove(draft.page, draft.field);
            shown = true;
        } else
            waiting = true;
    }
    if (!waiting)
        m_sent = {};
    if (shown)
        emit postShown();
    return !waiting;
}

void DraftJournal::onLoadFinished(bool ok)
{
    m_offered.clear();
    m_restored.clear();
    ++m_backgroundRound;
    // An error status (a database error quoting the post, a refusal) is no
    // answer that took the words.
    if (!ok)
        return;
    const bool answerToForm = m_page->showsPostAnswer();
    const bool settling = sentPending();
    const QString script = settling ? DraftScripts::answer(m_home.host()) : DraftScripts::identify(m_home.host());
    m_page->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                          [self = QPointer<DraftJournal>(this), answerToForm, settling](const QVariant &result) {
                              const QVariantMap answer = result.toMap();
                              if (!self || answer.isEmpty())
                                  return;
                              const QString doc = answer.value(u"doc"_s).toString();
                              if (answerToForm && !self->m_formPage.isEmpty()) {
                                  if (self->m_answerPages.size() > 16)
                                      self->m_answerPages.clear();
                                  self->m_answerPages.insert(doc, self->m_formPage);
                              }
                              self->m_doc = doc;
                              self->m_docPage = self->keyOf(answer);
                              if (settling && self->sentPending())
                                  self->settle(answer);
                              // A form's answer is not the page its drafts belong to.
                              if (!answerToForm && self->isForum(self->m_docPage))
                                  self->restore(doc, self->m_docPage, {}, 0);
                          });
}

void DraftJournal::restore(const QString &doc, const QString &page, const QStringList &keys, int attempt)
{
    QVariantMap texts;
    QDateTime newest;
    const QList<Draft> drafts = m_store->drafts();
    for (const Draft &draft : drafts) {
        if (draft.page != page || (!keys.isEmpty() && !keys.contains(draft.field)))
            continue;
        texts.insert(draft.field, draft.text);
        newest = std::max(newest, draft.savedAt);
    }
    if (texts.isEmpty())
        return;
    // Once the member writes, a draft found late is offered, not put where
    // the member's caret would leave its field.
    const bool offerOnly = attempt > 0 && m_editedSinceLoad;
    m_page->runJavaScript(
        DraftScripts::restore(m_home.host(), page, texts, offerOnly), QWebEngineScript::ApplicationWorld,
        [self = QPointer<DraftJournal>(this), doc, page, texts, newest, attempt](const QVariant &result) {
            const QVariantMap done = result.toMap();
            if (!self || done.value(u"doc"_s).toString() != doc || doc != self->m_doc)
                return;
            const QStringList restored = done.value(u"restored"_s).toStringList();
            const QStringList offered = done.value(u"offered"_s).toStringList();
            if (!restored.isEmpty()) {
                for (const QString &key : restored) {
                    if (!self->m_restored.contains(key))
                        self->m_restored.append(key);
                }
                emit self->status(restoredText(newest));
            } else if (!offered.isEmpty() && self->m_offered.isEmpty()) {
                self->m_offered = texts.value(offered.first()).toString();
                emit self->status(offeredText());
            }
            // An editor still being made may not be there yet, or may set
            // its own text over what was put back: looked at again until the
            // member writes.
            const QStringList again = done.value(u"waiting"_s).toStringList() + self->m_restored;
            if (again.isEmpty() || attempt >= int(std::size(restoreDelaysMs)))
                return;
            QTimer::singleShot(restoreDelaysMs[attempt], self, [self, doc, page, again, attempt] {
                if (self && doc == self->m_doc && !self->m_editedSinceLoad)
                    self->restore(doc, page, again, attempt + 1);
            });
        });
}

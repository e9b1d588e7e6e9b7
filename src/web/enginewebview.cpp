#include "web/enginewebview.h"

#include "web/forummenu.h"
#include "web/forumprofile.h"
#include "web/pagescripts.h"
#include "web/webpage.h"
#include "core/downloadname.h"
#include "core/linkrule.h"

#include <QAccessible>
#include <QCoreApplication>
#include <QTimer>
#include <QDateTime>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QJsonArray>
#include <QJsonDocument>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QShortcut>
#include <QVBoxLayout>
#include <QWebEngineDownloadRequest>
#include <QWebEngineFindTextResult>
#include <QWebEngineHistory>
#include <QWebEngineLoadingInfo>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>

EngineWebView::EngineWebView(Role role, QWidget *parent, const AppContext &context)
    : WebView(parent)
    , m_role(role)
    , m_home(context.forumHomeUrl)
    , m_prompter(context.prompter)
{
    // Blank like an empty page until the engine is needed.
    setAutoFillBackground(true);
    QPalette blank = palette();
    blank.setColor(QPalette::Window, Qt::white);
    setPalette(blank);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
}

EngineWebView *EngineWebView::forPopup(const AppContext &context, QWidget *parent)
{
    auto *view = new EngineWebView(Role::Forum, parent, context);
    view->m_popup = true;
    return view;
}

WebPage *EngineWebView::page()
{
    engine();
    return m_page;
}

QWebEngineView *EngineWebView::engine()
{
    // The engine's view and page are made at the first navigation: a preview
    // that is never used costs neither start-up time nor memory.
    if (m_view)
        return m_view;
    m_view = new QWebEngineView(this);
    // The focus given to this view goes on to the page.
    setFocusProxy(m_view);
    QWebEngineProfile *profile = profileFor(m_role);
    const WebPage::Kind kind = m_role == Role::Preview ? WebPage::Kind::Preview
        : m_popup                                      ? WebPage::Kind::Popup
                                                       : WebPage::Kind::Forum;
    m_page = new WebPage(profile, kind, m_home, m_prompter, m_view);
    m_view->setPage(m_page);
    m_view->setZoomFactor(m_zoom);
    // The engine's own widget inside the view takes the keys, and is made
    // again with a new renderer: every child is watched as it comes.
    m_view->installEventFilter(this);
    const QList<QWidget *> made = m_view->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    for (QWidget *child : made)
        child->installEventFilter(this);
    layout()->addWidget(m_view);

    connect(m_page, &QWebEnginePage::loadStarted, this, &EngineWebView::onLoadStarted);
    connect(m_page, &QWebEnginePage::loadProgress, this, &EngineWebView::onLoadProgress);
    connect(m_page, &QWebEnginePage::loadingChanged, this, [this](const QWebEngineLoadingInfo &info) {
        if (info.status() != QWebEngineLoadingInfo::LoadStartedStatus)
            onLoadFinished(info);
    });
    connect(m_page, &WebPage::navigationDeclined, this, [this](const QUrl &url, const QString &why) {
        m_declinedUrl = url;
        m_declined = why;
        if (!why.isEmpty())
            tell(why);
    });
    connect(m_page, &QWebEnginePage::linkHovered, this, &EngineWebView::StatusTextChange);
    connect(m_page, &QWebEnginePage::titleChanged, this, &WebView::titleChanged);
    connect(m_page, &QWebEnginePage::urlChanged, this,
            [this](const QUrl &url) { emit addressChanged(url.toString()); });
    connect(m_page, &QWebEnginePage::renderProcessTerminated, this, &EngineWebView::onRendererGone);
    connect(m_page, &QWebEnginePage::windowCloseRequested, this, &WebView::closeAccepted);
    connect(m_page, &WebPage::leaveRefused, this, &WebView::closeRefused);
    connect(profile, &QWebEngineProfile::downloadRequested, this, [this](QWebEngineDownloadRequest *download) {
        // Matched by address: page() cannot be asked of a download the
        // engine resumed by itself.
        m_downloadUrl = download->url();
        // The downloads took or refused it before us; a refusal was told.
        const bool refused = download->state() == QWebEngineDownloadRequest::DownloadCancelled;
        // A name shown is cleaned as a name saved is: no direction marks, no
        // line breaks.
        m_download = refused ? QStringLiteral("Download bloccato: %1").arg(DownloadName::safe(download->suggestedFileName()))
                             : QStringLiteral("Download di %1").arg(download->downloadFileName());
        if (m_downloadUrl == m_failedUrl)
            tell(m_download);
    });
    if (m_role == Role::Forum) {
        // Notes which page each document was loaded from, for the journal
        // and for OK; tells the page's policy what the member's clicks and
        // keys land on; keeps Alt's letters out of the fields. Option and a
        // letter type characters on a Mac.
#ifdef Q_OS_MACOS
        const QWebEngineScript watcher = PageScripts::watcher(m_page->secret(), false);
#else
        const QWebEngineScript watcher = PageScripts::watcher(m_page->secret(), true);
#endif
        m_page->scripts().insert(watcher);
        m_watcherSource = watcher.sourceCode();
    }
    if (m_role == Role::Forum) {
        ForumMenu::translate(m_page);
        m_view->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(m_view, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
            const auto addImage = [this](const QUrl &image) { emit addImageRequested(image); };
            // Back, Forward and Reload leave the page as the bar's buttons do.
            const auto go = [this](QWebEnginePage::WebAction action) {
                if (action == QWebEnginePage::Back)
                    GoBack();
                else if (action == QWebEnginePage::Forward)
                    GoForward();
                else if (action == QWebEnginePage::Reload)
                    Refresh();
            };
            QMenu *menu = ForumMenu::build(m_view, m_popup ? std::function<void(const QUrl &)>() : addImage, go,
                                           m_menuActions);
            menu->setAttribute(Qt::WA_DeleteOnClose);
            // Pasting, cutting, undoing or a spelling taken from the menu is
            // the member's own editing.
            connect(menu, &QMenu::triggered, this, [this] { emit memberEdited(true); });
            menu->popup(m_view->mapToGlobal(at));
        });
        connect(m_page, &WebPage::popupRequested, this, &EngineWebView::popupRequested);
    }
    emit pageMade(m_page);
    return m_view;
}

EngineWebView::~EngineWebView()
{
    // The page (and what rides with it) goes before the profile it belongs
    // to; the QWidget destructor would delete the view only later.
    delete std::exchange(m_view, nullptr);
}

QWebEngineProfile *EngineWebView::profileFor(Role role)
{
    // One profile per role for the whole program: the forum keeps its login
    // cookies and cache on disk; all previews share one profile in memory.
    static QWebEngineProfile *forum = nullptr;
    static QWebEngineProfile *preview = nullptr;
    if (role == Role::Forum) {
        if (!forum) {
            forum = ForumProfile::create(QStringLiteral("velmora"), QCoreApplication::instance());
            // Misspelt Italian words are underlined in the forum's text fields.
            forum->setSpellCheckLanguages({QStringLiteral("it-IT")});
            forum->setSpellCheckEnabled(ForumMenu::spellingWanted());
        }
        return forum;
    }
    if (!preview) {
        preview = new QWebEngineProfile(QCoreApplication::instance());
        // Kept in memory, so kept small: emoticons are a few kilobytes each.
        preview->setHttpCacheMaximumSize(4 * 1024 * 1024);
        // Chromium shows a bare image centred on a dark backdrop; emoticons
        // are drawn for the forum's light pages, so they are shown as a post
        // shows them. This runs in a world of its own: the pages' scripts
        // stay off.
        QWebEngineScript asInAPost;
        asInAPost.setName(QStringLiteral("velmora-image-as-in-a-post"));
        asInAPost.setWorldId(QWebEngineScript::ApplicationWorld);
        asInAPost.setInjectionPoint(QWebEngineScript::DocumentReady);
        asInAPost.setRunsOnSubFrames(false);
        asInAPost.setSourceCode(QStringLiteral("if (document.contentType.startsWith('image/') && document.body) {"
                                               "  document.body.style.cssText = 'margin: 0; background: #fff';"
                                               "  const image = document.body.querySelector('img');"
                                               "  if (image) image.style.cssText = 'display: block; margin: 0';"
                                               "}"));
        preview->scripts()->insert(asInAPost);
    }
    return preview;
}

void EngineWebView::Navigate(const QString &address)
{
    // The address goes as it is. Text that is no absolute address ("ciao")
    // still leaves what was shown, for an empty page; so does anything but
    // http and https in a preview, which shows only images from the web.
    const QUrl url(address);
    const bool refused = !url.isValid() || url.isRelative()
        || (m_role == Role::Preview && !LinkRule::isPreviewable(url));
    engine();
    beforeLeaving([this, url = refused ? QUrl(QStringLiteral("about:blank")) : url] { m_view->setUrl(url); });
}

void EngineWebView::Unload()
{
    // A discarded page keeps only its address; the engine ends its renderer
    // when no other page needs it and makes a new one at the next load.
    if (!m_page || isVisible())
        return;
    setLoading(false);
    m_page->setLifecycleState(QWebEnginePage::LifecycleState::Discarded);
}

QWebEngineProfile *EngineWebView::forumProfile()
{
    return profileFor(Role::Forum);
}

void EngineWebView::beforeLeaving(const std::function<void()> &step)
{
    // The member leaves the page: a box of its is answered "cancel" first,
    // and the step taken once the page's script has its answer.
    if (m_page && m_page->dialogsOpen()) {
        m_page->dismissDialogs();
        QTimer::singleShot(0, this, [self = QPointer<EngineWebView>(this), step] {
            if (self)
                self->beforeLeaving(step);
        });
        return;
    }
    if (!m_leaveGuard) {
        step();
        return;
    }
    // The guard may answer late, or when the page dies with this view (the
    // engine then calls what waits on the page): the step runs only while
    // there is a page to take away.
    m_leaveGuard([self = QPointer<EngineWebView>(this), step] {
        if (self && self->m_view)
            step();
    });
}

bool EngineWebView::requestClose()
{
    // A page with no renderer has no handler to run.
    if (!m_page || m_page->renderProcessPid() == 0)
        return true;
    m_page->closing();
    // What was typed in the last moment is saved before the page can go.
    beforeLeaving([page = QPointer<WebPage>(m_page)] {
        if (page)
            page->triggerAction(QWebEnginePage::RequestClose);
    });
    return false;
}

namespace {

// Whether a key changes text in a field, and whether it may remove text.
bool isEditingKey(const QKeyEvent *key, bool *deleting)
{
    static const QKeySequence::StandardKey removing[] = {
        QKeySequence::Cut,          QKeySequence::Paste,         QKeySequence::Undo,
        QKeySequence::Redo,         QKeySequence::Delete,        QKeySequence::DeleteEndOfWord,
        QKeySequence::DeleteStartOfWord, QKeySequence::DeleteEndOfLine, QKeySequence::DeleteCompleteLine,
        QKeySequence::Backspace,
    };
    *deleting = true;
    for (const QKeySequence::StandardKey standard : removing) {
        if (key->matches(standard))
            return true;
    }
    switch (key->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return true;
    case Qt::Key_V:
        // Pasted as plain text.
        if (key->modifiers() == (Qt::ControlModifier | Qt::ShiftModifier))
            return true;
        break;
    default:
        break;
    }
    *deleting = false;
    const QString text = key->text();
    return !text.isEmpty() && text.at(0).isPrint()
        && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
}

} // namespace

bool EngineWebView::eventFilter(QObject *watched, QEvent *event)
{
    if (m_view && watched != m_view && watched->parent() == m_view) {
        bool deleting = false;
        switch (event->type()) {
        case QEvent::FocusIn:
            // The keyboard comes back to the page (after OK, Esc, a window
            // closed): a screen reader is told which field has it, which the
            // page, whose own focus did not move, does not say.
            if (QAccessible::isActive())
                QTimer::singleShot(0, this, &EngineWebView::announceFocus);
            break;
        case QEvent::FocusOut:
            // The member leaves the page (for the Iconario, another window):
            // where the caret is, for OK, and a moment to save.
            if (m_role == Role::Forum)
                m_page->runJavaScript(PageScripts::note(m_home.host()), QWebEngineScript::ApplicationWorld,
                                      [](const QVariant &) {});
            emit keyboardLeft();
            break;
        case QEvent::KeyPress:
            if (isEditingKey(static_cast<QKeyEvent *>(event), &deleting))
                emit memberEdited(deleting);
            break;
        case QEvent::InputMethod:
            if (!static_cast<QInputMethodEvent *>(event)->commitString().isEmpty())
                emit memberEdited(true);
            break;
        case QEvent::Drop:
            emit memberEdited(true);
            break;
        case QEvent::MouseButtonPress:
            // The selection pasted by the middle button.
            if (static_cast<QMouseEvent *>(event)->button() == Qt::MiddleButton)
                emit memberEdited(false);
            break;
        default:
            break;
        }
    }
    if (watched == m_view && event->type() == QEvent::ChildAdded) {
        if (auto *child = qobject_cast<QWidget *>(static_cast<QChildEvent *>(event)->child()))
            child->installEventFilter(this);
    }
    // A file or link dropped on the view would open in it: addresses are
    // refused, while dropped text still reaches the forum's editor.
    if (watched == m_view
        && (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove || event->type() == QEvent::Drop)) {
        auto *drop = static_cast<QDropEvent *>(event);
        if (drop->mimeData()->hasUrls()) {
            drop->setDropAction(Qt::IgnoreAction);
            drop->ignore();
            return true;
        }
    }
    return WebView::eventFilter(watched, event);
}

void EngineWebView::announceFocus()
{
    if (!m_view || !m_view->hasFocus())
        return;
    QAccessibleInterface *focused = QAccessible::queryAccessibleInterface(m_view);
    // Down to the page's own element with the focus.
    for (int depth = 0; focused && depth < 64; ++depth) {
        QAccessibleInterface *inner = focused->focusChild();
        if (!inner || inner == focused)
            break;
        focused = inner;
    }
    if (!focused)
        return;
    QAccessibleEvent event(focused, QAccessible::Focus);
    QAccessible::updateAccessibility(&event);
}

void EngineWebView::GoBack()
{
    if (m_view)
        beforeLeaving([this] { m_view->back(); });
}

void EngineWebView::GoForward()
{
    if (m_view)
        beforeLeaving([this] { m_view->forward(); });
}

void EngineWebView::Refresh()
{
    if (m_view)
        beforeLeaving([this] { m_view->reload(); });
}

void EngineWebView::Stop()
{
    if (m_view)
        m_view->stop();
}

QString EngineWebView::LocationName() const
{
    return m_page ? m_page->title() : QString();
}

QString EngineWebView::LocationURL() const
{
    return m_page ? m_page->url().toString() : QString();
}

qint64 EngineWebView::rendererProcessId() const
{
    return m_page ? m_page->renderProcessPid() : 0;
}

void EngineWebView::setLoading(bool loading)
{
    if (std::exchange(m_loading, loading) != loading)
        emit loadingChanged(loading);
}

void EngineWebView::tell(const QString &text)
{
    emit StatusTextChange(text);
    emit noticeShown(text);
}

void EngineWebView::onLoadStarted()
{
    setLoading(true);
    emit StatusTextChange(QStringLiteral("Apertura pagina %1...").arg(m_page->requestedUrl().toString()));
}

void EngineWebView::onLoadProgress(int percent)
{
    if (m_loading && percent < 100)
        emit StatusTextChange(QStringLiteral("Caricamento in corso... %1%").arg(percent));
}

void EngineWebView::noteIfMissed(const QUrl &committed)
{
    // A view's first document may be made before the watcher reaches its
    // renderer; without it nothing of the member's is kept. Put in now, with
    // the address the engine committed, not one a script set.
    const QString address =
        QString::fromUtf8(QJsonDocument(QJsonArray{committed.toString()}).toJson(QJsonDocument::Compact));
    m_page->runJavaScript(QStringLiteral("if (!document.velmoraLoadedAt) {\n") + m_watcherSource
                              + QStringLiteral("\ndocument.velmoraLoadedAt = ") + address + QStringLiteral("[0];\n}"),
                          QWebEngineScript::ApplicationWorld, [](const QVariant &) {});
}

void EngineWebView::onLoadFinished(const QWebEngineLoadingInfo &info)
{
    setLoading(false);
    // A preview has no back or forward; without this its history would grow
    // by an entry at every emoticon shown, for as long as the program runs.
    if (m_role == Role::Preview)
        m_page->history()->clear();
    // Only a load that really failed speaks of failure: a navigation that
    // was refused, stopped or turned into a download leaves the page shown
    // as it was.
    switch (info.status()) {
    case QWebEngineLoadingInfo::LoadSucceededStatus:
        if (m_role == Role::Forum)
            noteIfMissed(info.url());
        m_shownStatus = QStringLiteral("Completato");
        emit StatusTextChange(m_shownStatus);
        // A screen reader hears each page arrive; the eye sees its title.
        if (m_role == Role::Forum)
            emit noticeShown(QStringLiteral("Caricata: ") + m_page->title());
        return;
    case QWebEngineLoadingInfo::LoadStartedStatus:
        return;
    case QWebEngineLoadingInfo::LoadStoppedStatus:
    case QWebEngineLoadingInfo::LoadFailedStatus:
        break;
    }
    m_failedUrl = info.url();
    if (m_failedUrl == m_downloadUrl)
        tell(m_download);
    else if (m_failedUrl == m_declinedUrl)
        emit StatusTextChange(m_declined.isEmpty() ? m_shownStatus : m_declined);
    else if (info.status() == QWebEngineLoadingInfo::LoadStoppedStatus)
        tell(QStringLiteral("Caricamento interrotto"));
    else
        tell(QStringLiteral("Impossibile aprire la pagina %1").arg(m_failedUrl.toString()));
}

void EngineWebView::onRendererGone(QWebEnginePage::RenderProcessTerminationStatus status)
{
    setLoading(false);
    // Only a crash or a kill is worth one more try, and not in a loop; the
    // answer to a posted form is not loaded again, or the form would be
    // posted twice.
    const bool crashed = status == QWebEnginePage::CrashedTerminationStatus
        || status == QWebEnginePage::KilledTerminationStatus;
    if (crashed && !m_page->showsPostAnswer() && m_reloads.allow(QDateTime::currentMSecsSinceEpoch())) {
        tell(QStringLiteral("La pagina si è chiusa per un errore: viene ricaricata."));
        m_view->reload();
        return;
    }
    tell(QStringLiteral("La pagina si è chiusa per un errore."));
}

void EngineWebView::InsertAtCaret(const QString &text, const QString &host)
{
    if (!m_page || m_role != Role::Forum) {
        emit textInserted(false);
        return;
    }
    insert(text, host, false);
}

void EngineWebView::insertHere(const QString &text)
{
    if (m_page && m_role == Role::Forum)
        insert(text, m_home.host(), true);
}

void EngineWebView::insert(const QString &text, const QString &host, bool anywhere)
{
    m_page->runJavaScript(PageScripts::insertAtCaret(text, host, anywhere), QWebEngineScript::ApplicationWorld,
                          [self = QPointer<EngineWebView>(this)](const QVariant &result) {
                              if (!self || !self->m_view)
                                  return;
                              const QString done = result.toString();
                              const bool typed = done == u"typed";
                              if (typed) {
                                  // The field has its caret back: the member types on.
                                  self->m_view->setFocus(Qt::OtherFocusReason);
                                  emit self->textTyped();
                              } else if (done == u"toolong") {
                                  self->tell(tooLongText());
                              }
                              emit self->textInserted(typed);
                          });
}

void EngineWebView::Find(const QString &text, bool backwards)
{
    if (!m_view) {
        emit findResult(0, 0);
        return;
    }
    const QWebEnginePage::FindFlags flags = backwards ? QWebEnginePage::FindBackward : QWebEnginePage::FindFlags();
    m_view->findText(text, flags, [this, view = QPointer<QWebEngineView>(m_view)](const QWebEngineFindTextResult &r) {
        if (view)
            emit findResult(r.activeMatch(), r.numberOfMatches());
    });
}

void EngineWebView::Read()
{
    if (!m_page || m_role != Role::Forum) {
        emit pageRead({});
        return;
    }
    m_page->runJavaScript(PageScripts::readable(m_home.host()), QWebEngineScript::ApplicationWorld,
                          [self = QPointer<EngineWebView>(this)](const QVariant &result) {
                              if (self)
                                  emit self->pageRead(result.toMap());
                          });
}

double EngineWebView::zoomFactor() const
{
    return m_view ? m_view->zoomFactor() : m_zoom;
}

void EngineWebView::setZoomFactor(double factor)
{
    m_zoom = factor;
    if (m_view)
        m_view->setZoomFactor(factor);
}

#include "app/pagewiring.h"

#include "app/commands.h"
#include "app/forumpopup.h"
#include "downloads/downloads.h"
#include "drafts/draftjournal.h"
#include "drafts/frmbozze.h"
#include "replies/frmrisposte.h"
#include "replies/topicpagereader.h"
#include "web/enginewebview.h"
#include "web/imagepreview.h"
#include "web/webpage.h"

#include <QAction>
#include <QPointer>
#include <QShortcut>
#include <QWebEngineNewWindowRequest>

namespace PageWiring {

namespace {

void attachJournal(EngineWebView *view, WebPage *page, DraftStore *drafts, const QUrl &home,
                   TopicPageReader *topics)
{
    // The journal lives and dies with the page it reads.
    auto *journal = new DraftJournal(page, drafts, home, page);
    // A topic the member wrote in is followed.
    if (topics)
        QObject::connect(journal, &DraftJournal::postShown, topics, &TopicPageReader::postShown);
    QObject::connect(journal, &DraftJournal::status, view, &EngineWebView::tell);
    QObject::connect(journal, &DraftJournal::statusWithdrawn, view, &EngineWebView::showPageStatus);
    QObject::connect(page, &WebPage::leaving, journal, &DraftJournal::saveNow);
    QObject::connect(page, &WebPage::formSubmitted, journal, &DraftJournal::formSubmitted);
    QObject::connect(page, &WebPage::sentInBackground, journal, &DraftJournal::sentInBackground);
    QObject::connect(view, &EngineWebView::memberEdited, journal, &DraftJournal::memberEdited);
    QObject::connect(view, &EngineWebView::keyboardLeft, journal, &DraftJournal::saveNow);
    QObject::connect(view, &EngineWebView::textTyped, journal, &DraftJournal::changed);
    // Whatever takes the page away waits for the member's last words.
    view->setLeaveGuard([journal = QPointer<DraftJournal>(journal)](const std::function<void()> &step) {
        if (journal)
            journal->saveThen(step);
        else
            step();
    });
    // The draft a page offered instead of putting back, at the caret.
    auto *offered = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_B), view);
    offered->setContext(Qt::WidgetWithChildrenShortcut);
    QObject::connect(offered, &QShortcut::activated, journal, [view, journal] {
        const QString text = journal->offered();
        journal->clearOffered();
        if (!text.isEmpty())
            view->insertHere(text);
    });
}

} // namespace

void attach(EngineWebView *view, const AppContext &context)
{
    if (context.downloads)
        context.downloads->attach(EngineWebView::forumProfile());
    if (context.drafts) {
        QAction *drafts = Commands::forMenu(Commands::Drafts, view);
        QObject::connect(drafts, &QAction::triggered, view, [view, store = context.drafts] {
            frmBozze::showFor(
                store, [view](const QString &page) { view->Navigate(page); }, view->window());
        });
        view->addMenuAction(drafts);
    }
    TopicPageReader *topics = nullptr;
    if (context.replies) {
        topics = new TopicPageReader(view, context.replies, QUrl(context.forumHomeUrl));
        view->addMenuAction(topics->action());
        QAction *replies = Commands::forMenu(Commands::Replies, view);
        QObject::connect(replies, &QAction::triggered, view,
                         [view, watcher = context.replies] { frmRisposte::showFor(watcher, view->window()); });
        view->addMenuAction(replies);
    }
    QObject::connect(view, &EngineWebView::pageMade, view, [view, context, topics](WebPage *page) {
        if (topics)
            topics->attach(page);
        if (context.drafts)
            attachJournal(view, page, context.drafts, QUrl(context.forumHomeUrl), topics);
    });
    QObject::connect(view, &EngineWebView::popupRequested, view,
                     [view, context](QWebEngineNewWindowRequest &request) {
                         auto *popupView = EngineWebView::forPopup(context, nullptr);
                         attach(popupView, context);
                         auto *popup = new ForumPopup(popupView, view->window());
                         request.openIn(popupView->page());
                         popup->show();
                     });
}

AppContext::WebViewFactory webViewFactory(const AppContext &context)
{
    return [context](WebView::Role role, QWidget *parent) -> WebView * {
        if (role == WebView::Role::Preview)
            return new ImagePreview(parent);
        auto *view = new EngineWebView(role, parent, context);
        attach(view, context);
        return view;
    };
}

} // namespace PageWiring

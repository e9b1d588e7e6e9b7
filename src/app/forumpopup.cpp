#include "app/forumpopup.h"

#include "web/enginewebview.h"
#include "web/webpage.h"
#include "gui/spokennotice.h"
#include "gui/accessibleroles.h"
#include "gui/controls.h"
#include "gui/twips.h"

#include <QCloseEvent>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

namespace {

// Small beside the main window; the user may make it larger.
constexpr double clientWidth = 9600;
constexpr double clientHeight = 7200;
constexpr double margin = 50;

} // namespace

ForumPopup::ForumPopup(EngineWebView *view, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_view(view)
{
    setObjectName(QStringLiteral("frmFinestraForum"));
    AccessibleRoles::present(staticMetaObject, QAccessible::Window);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowIcon(QIcon(QStringLiteral(":/velmora.svg")));
    setAutoFillBackground(true);
    Controls::setColours(this, Qt::black, Controls::orange());
    resize(Twips::toPixels(clientWidth), Twips::toPixels(clientHeight));

    auto *layout = new QVBoxLayout(this);
    const int edge = Twips::toPixels(margin);
    layout->setContentsMargins(edge, edge, edge, edge);
    layout->setSpacing(edge);

    m_view->setParent(this);
    m_page = m_view->page();
    m_view->setAccessibleName(QStringLiteral("Pagina del forum"));
    layout->addWidget(m_view, 1);

    // The same status line as the main window's, for where a link leads.
    m_lblStatus = new QLabel(this);
    m_lblStatus->setObjectName(QStringLiteral("lblStatus"));
    m_lblStatus->setAccessibleDescription(QStringLiteral("Stato della pagina"));
    m_lblStatus->setFont(Controls::arial(8.25, true));
    m_lblStatus->setTextFormat(Qt::PlainText);
    m_lblStatus->setFixedHeight(Twips::toPixels(255));
    Controls::setColours(m_lblStatus, QColor(255, 128, 128), QColor(128, 0, 0));
    layout->addWidget(m_lblStatus);

    connect(m_page, &QWebEnginePage::titleChanged, this, &QWidget::setWindowTitle);
    connect(m_view, &WebView::StatusTextChange, m_lblStatus, &QLabel::setText);
    connect(m_view, &WebView::noticeShown, new SpokenNotice(this), &SpokenNotice::say);
    connect(m_view, &WebView::closeRefused, this, [this] { m_closeAsked = false; });
    connect(m_view, &WebView::closeAccepted, this, [this] {
        m_pageAgreed = true;
        close();
    });

    if (parent) {
        const QRect screen = parent->screen()->availableGeometry();
        move(screen.center() - rect().center());
    }
}

void ForumPopup::closeEvent(QCloseEvent *event)
{
    // The close box first lets the page ask about unsent text; the page then
    // asks to be closed. A page that does not answer is closed at the
    // second try.
    if (m_pageAgreed || m_closeAsked || m_view->requestClose()) {
        event->accept();
        return;
    }
    m_closeAsked = true;
    event->ignore();
}

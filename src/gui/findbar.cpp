#include "gui/findbar.h"

#include "gui/accessibleroles.h"
#include "gui/controls.h"
#include "gui/spokennotice.h"
#include "gui/webview.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

FindBar::FindBar(WebView *view, QWidget *parent)
    : QFrame(parent)
    , m_view(view)
{
    setObjectName(QStringLiteral("fraTrova"));
    AccessibleRoles::present(staticMetaObject, QAccessible::ToolBar);
    setAccessibleName(QStringLiteral("Trova nella pagina"));
    setFrameShape(QFrame::Box);
    Controls::setColours(this, Qt::black, Controls::orange());
    setFont(Controls::arial(8.25, true));

    auto *caption = new QLabel(QStringLiteral("Trova:"), this);
    m_text = new QLineEdit(this);
    m_text->setObjectName(QStringLiteral("txtTrova"));
    m_text->setAccessibleName(QStringLiteral("Testo da cercare"));
    m_text->setPlaceholderText(QStringLiteral("testo da cercare nella pagina"));
    Controls::setColours(m_text, Qt::black, Qt::white);
    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("lblTrovati"));
    m_count->setMinimumWidth(110);
    auto *previous = new QPushButton(QStringLiteral("Precedente"), this);
    previous->setObjectName(QStringLiteral("cmdPrecedente"));
    auto *next = new QPushButton(QStringLiteral("Successivo"), this);
    next->setObjectName(QStringLiteral("cmdSuccessivo"));
    auto *closing = new QPushButton(QStringLiteral("Chiudi"), this);
    closing->setObjectName(QStringLiteral("cmdChiudiTrova"));
    closing->setAccessibleName(QStringLiteral("Chiudi la ricerca"));
    // Reached by Tab; a click leaves the focus in the text being sought.
    for (QPushButton *b : {previous, next, closing}) {
        b->setAutoDefault(false);
        b->setFocusPolicy(Qt::TabFocus);
    }

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(6, 2, 6, 2);
    row->addWidget(caption);
    row->addWidget(m_text, 1);
    row->addWidget(m_count);
    row->addWidget(previous);
    row->addWidget(next);
    row->addWidget(closing);

    // The count changes without the focus moving: a screen reader is told.
    m_notice = new SpokenNotice(this);

    connect(m_text, &QLineEdit::textEdited, this, [this] { find(false); });
    connect(previous, &QPushButton::clicked, this, [this] { find(true); });
    connect(next, &QPushButton::clicked, this, [this] { find(false); });
    connect(closing, &QPushButton::clicked, this, &FindBar::close);
    connect(m_view, &WebView::findResult, this, &FindBar::showResult);
    hide();
}

void FindBar::open()
{
    show();
    raise();
    m_text->setFocus(Qt::ShortcutFocusReason);
    m_text->selectAll();
}

void FindBar::close()
{
    hide();
    m_count->clear();
    m_view->Find(QString(), false);
    m_view->setFocus(Qt::OtherFocusReason);
}

void FindBar::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        find(event->modifiers().testFlag(Qt::ShiftModifier));
        return;
    case Qt::Key_Escape:
        close();
        return;
    default:
        QFrame::keyPressEvent(event);
    }
}

void FindBar::find(bool backwards)
{
    if (m_text->text().isEmpty()) {
        m_count->clear();
        m_view->Find(QString(), false);
        return;
    }
    m_view->Find(m_text->text(), backwards);
}

void FindBar::showResult(int active, int total)
{
    if (m_text->text().isEmpty())
        m_count->clear();
    else if (total == 0)
        m_count->setText(QStringLiteral("Nessun risultato"));
    else
        m_count->setText(QStringLiteral("%1 di %2").arg(active).arg(total));
    if (!m_count->text().isEmpty())
        m_notice->say(m_count->text());
}

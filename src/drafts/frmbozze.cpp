#include "drafts/frmbozze.h"

#include "gui/controls.h"
#include "gui/focusframestyle.h"
#include "gui/spokennotice.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>

#include <utility>

using namespace Qt::StringLiterals;

frmBozze::frmBozze(DraftStore *store, OpenPage openPage, QWidget *parent)
    : FixedDialog(Frame::CloseBoxOnly, {7200, 4500}, parent)
    , m_store(store)
    , m_openPage(std::move(openPage))
{
    QVBoxLayout *outer = layOutModeless(u"frmBozze"_s, title());
    m_rows = Controls::scrollingRows(this, outer, u"lstBozze"_s, u"Elenco delle bozze"_s);
    m_list = findChild<QScrollArea *>();
    FocusFrameStyle::frameWhileFocused(m_list);

    // What a button did, under the list, and the way back from a deletion:
    // hidden until there is something to say.
    auto *message = new QHBoxLayout;
    m_lblAvviso = new QLabel(this);
    m_lblAvviso->setObjectName(u"lblAvviso"_s);
    m_lblAvviso->setFont(Controls::arial(9.75, true));
    m_lblAvviso->setTextFormat(Qt::PlainText);
    m_lblAvviso->setWordWrap(true);
    m_lblAvviso->hide();
    m_cmdAnnulla = new QPushButton(u"Annulla"_s, this);
    m_cmdAnnulla->setObjectName(u"cmdAnnulla"_s);
    m_cmdAnnulla->setAccessibleName(u"Annulla l'eliminazione"_s);
    m_cmdAnnulla->setFont(Controls::arial(8.25));
    m_cmdAnnulla->hide();
    message->addWidget(m_lblAvviso, 1);
    message->addWidget(m_cmdAnnulla);
    outer->addLayout(message);
    m_notice = new SpokenNotice(this);
    m_tmrAvviso = Controls::intervalTimer(this, u"tmrAvviso"_s, 5000);
    m_tmrAvviso->setSingleShot(true);
    connect(m_tmrAvviso, &QTimer::timeout, this, &frmBozze::tmrAvviso_Timer);
    connect(m_cmdAnnulla, &QPushButton::clicked, this, &frmBozze::cmdAnnulla_Click);

    fill();
}

void frmBozze::setMessageInterval(std::chrono::milliseconds interval)
{
    m_tmrAvviso->setInterval(interval);
}

frmBozze *frmBozze::showFor(DraftStore *store, OpenPage openPage, QWidget *parent)
{
    static QPointer<frmBozze> open;
    if (!open)
        open = new frmBozze(store, std::move(openPage), parent);
    open->show();
    open->raise();
    open->activateWindow();
    return open;
}

void frmBozze::fill()
{
    while (QLayoutItem *item = m_rows->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    const QList<Draft> drafts = m_store->drafts();
    if (drafts.isEmpty()) {
        QLabel *none = Controls::label(m_rows->parentWidget(), u"lblNessuna"_s, u"Nessuna bozza non inviata."_s,
                                       {0, 0, 0, 0}, Controls::arial(9.75, true));
        m_rows->addWidget(none);
    }
    const QLocale italian(QLocale::Italian, QLocale::Italy);
    for (const Draft &draft : drafts) {
        auto *row = new QWidget(m_rows->parentWidget());
        row->setObjectName(u"rigaBozza"_s);
        const QString page = draft.title.isEmpty() ? draft.page : draft.title;
        // Every row has the same buttons: a screen reader tells whose they are.
        row->setAccessibleName(page);
        auto *layout = new QHBoxLayout(row);
        layout->setContentsMargins(0, 0, 0, 0);
        auto *text = new QVBoxLayout;
        auto *name = new QLabel(page, row);
        name->setObjectName(u"lblPagina"_s);
        name->setFont(Controls::arial(9.75, true));
        name->setTextFormat(Qt::PlainText);
        name->setToolTip(draft.page);
        const QString when = italian.toString(draft.savedAt.toLocalTime(), u"d MMMM yyyy, HH:mm"_s);
        const QString words = draft.text.simplified().left(80);
        auto *about = new QLabel(
            u"Salvata il %1%2\n%3"_s.arg(when, draft.cut ? u" (solo il primo MiB)"_s : QString(), words), row);
        about->setObjectName(u"lblTesto"_s);
        about->setFont(Controls::arial(8.25));
        about->setTextFormat(Qt::PlainText);
        about->setWordWrap(true);
        text->addWidget(name);
        text->addWidget(about);
        layout->addLayout(text, 1);

        const auto button = [&](const QString &objectName, const QString &caption, auto action) {
            auto *b = new QPushButton(caption, row);
            b->setObjectName(objectName);
            b->setFont(Controls::arial(8.25));
            b->setAccessibleDescription(page);
            layout->addWidget(b);
            connect(b, &QPushButton::clicked, this, action);
        };
        button(u"cmdApriPagina"_s, u"Apri la pagina"_s, [this, page = draft.page] { m_openPage(page); });
        button(u"cmdCopiaTesto"_s, u"Copia il testo"_s, [this, text = draft.text] {
            QApplication::clipboard()->setText(text);
            tell(u"Testo copiato negli appunti"_s, false);
        });
        button(u"cmdElimina"_s, u"Elimina"_s,
               [this, page = draft.page, field = draft.field] { cmdElimina_Click(page, field); });
        m_rows->addWidget(row);
    }
    m_rows->addStretch(1);
    // New rows join the end of the Tab chain: "Annulla", under the list, stays after them.
    Controls::orderTabStops(this, {m_list, m_cmdAnnulla});
}

void frmBozze::cmdElimina_Click(const QString &page, const QString &field)
{
    if (!m_store->contains(page, field)) {
        fill();
        return;
    }
    // As it is now, not as it was listed: the forum may have saved it since.
    const Draft removed = m_store->draft(page, field);
    m_store->remove(page, field);
    m_removed = removed;
    tell(u"Bozza eliminata: %1"_s.arg(removed.title.isEmpty() ? removed.page : removed.title), true);
    // The focus goes with the row's buttons: it waits on the way back.
    m_cmdAnnulla->setFocus(Qt::OtherFocusReason);
    // After the click has been delivered: the button goes with its row.
    QMetaObject::invokeMethod(this, &frmBozze::fill, Qt::QueuedConnection);
}

void frmBozze::cmdAnnulla_Click()
{
    if (!m_removed)
        return;
    const Draft removed = *std::exchange(m_removed, std::nullopt);
    m_store->save(removed);
    fill();
    tell(u"Bozza ripristinata: %1"_s.arg(removed.title.isEmpty() ? removed.page : removed.title), false);
}

void frmBozze::tell(const QString &text, bool undoable)
{
    m_lblAvviso->setText(text);
    m_lblAvviso->show();
    if (undoable) {
        // Focused, the button says what it would undo.
        m_cmdAnnulla->setAccessibleDescription(text);
        m_cmdAnnulla->show();
    } else {
        withdrawUndo();
    }
    m_notice->say(text);
    m_tmrAvviso->start();
}

void frmBozze::tmrAvviso_Timer()
{
    m_lblAvviso->hide();
    withdrawUndo();
}

void frmBozze::withdrawUndo()
{
    m_removed.reset();
    // The focus stays in the window, on the list, rather than going with the button.
    if (m_cmdAnnulla->hasFocus())
        m_list->setFocus(Qt::OtherFocusReason);
    m_cmdAnnulla->hide();
}

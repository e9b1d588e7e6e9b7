#include "browser/frmbozze.h"

#include "core/draftstore.h"
#include "gui/controls.h"
#include "gui/focusframestyle.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

frmBozze::frmBozze(DraftStore *store, OpenPage openPage, QWidget *parent)
    : FixedDialog(Frame::CloseBoxOnly, {7200, 4500}, parent)
    , m_store(store)
    , m_openPage(std::move(openPage))
{
    QVBoxLayout *outer = layOutModeless(u"frmBozze"_s, title());
    m_rows = Controls::scrollingRows(this, outer, u"lstBozze"_s, u"Elenco delle bozze"_s);
    FocusFrameStyle::frameWhileFocused(findChild<QScrollArea *>());
    fill();
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
        button(u"cmdCopiaTesto"_s, u"Copia il testo"_s,
               [text = draft.text] { QApplication::clipboard()->setText(text); });
        button(u"cmdElimina"_s, u"Elimina"_s, [this, page = draft.page, field = draft.field] {
            m_store->remove(page, field);
            // After the click has been delivered: the button goes with its row.
            QMetaObject::invokeMethod(this, &frmBozze::fill, Qt::QueuedConnection);
        });
        m_rows->addWidget(row);
    }
    m_rows->addStretch(1);
}

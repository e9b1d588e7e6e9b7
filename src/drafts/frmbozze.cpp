#include "drafts/frmbozze.h"

#include "gui/controls.h"
#include "gui/focusframestyle.h"
#include "gui/spokennotice.h"
#include "gui/rowsview.h"

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

#include <algorithm>
#include <functional>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

qsizetype indexOf(const QList<Draft> &drafts, const QString &key)
{
    const auto found = std::find_if(drafts.begin(), drafts.end(),
                                    [&key](const Draft &draft) { return draft.key() == key; });
    return found == drafts.end() ? -1 : found - drafts.begin();
}

bool sameDraft(const Draft &a, const Draft &b)
{
    return a.key() == b.key() && a.title == b.title && a.text == b.text && a.savedAt == b.savedAt && a.cut == b.cut;
}

} // namespace

DraftsModel::DraftsModel(DraftStore *store, QObject *parent)
    : QAbstractListModel(parent)
    , m_store(store)
    , m_drafts(store->drafts())
{
}

int DraftsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_drafts.size());
}

QVariant DraftsModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Draft &draft = m_drafts.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return draft.title.isEmpty() ? draft.page : draft.title;
    case Qt::ToolTipRole:
        return draft.page;
    default:
        return {};
    }
}

void DraftsModel::reload()
{
    const QList<Draft> fresh = m_store->drafts();
    for (int row = int(m_drafts.size()) - 1; row >= 0; --row) {
        if (indexOf(fresh, m_drafts.at(row).key()) < 0) {
            beginRemoveRows({}, row, row);
            m_drafts.removeAt(row);
            endRemoveRows();
        }
    }
    // Row by row as the store has them: a draft saved again since, now
    // elsewhere in the order, leaves its old row for a new one.
    for (int row = 0; row < fresh.size(); ++row) {
        const Draft &draft = fresh.at(row);
        if (row < m_drafts.size() && m_drafts.at(row).key() == draft.key()) {
            if (!sameDraft(m_drafts.at(row), draft)) {
                m_drafts[row] = draft;
                emit dataChanged(index(row), index(row));
            }
            continue;
        }
        if (const int was = int(indexOf(m_drafts, draft.key())); was >= 0) {
            beginRemoveRows({}, was, was);
            m_drafts.removeAt(was);
            endRemoveRows();
        }
        beginInsertRows({}, row, row);
        m_drafts.insert(row, draft);
        endInsertRows();
    }
}

frmBozze::frmBozze(DraftStore *store, OpenPage openPage, QWidget *parent)
    : FixedDialog(Frame::CloseBoxOnly, {7200, 4500}, parent)
    , m_store(store)
    , m_openPage(std::move(openPage))
    , m_model(new DraftsModel(store, this))
{
    QVBoxLayout *outer = layOutModeless(u"frmBozze"_s, title());
    QVBoxLayout *rows = Controls::scrollingRows(this, outer, u"lstBozze"_s, u"Elenco delle bozze"_s);
    m_list = findChild<QScrollArea *>();
    FocusFrameStyle::frameWhileFocused(m_list);
    m_rows = new RowsView(m_model, std::bind_front(&frmBozze::makeRow, this), rows->parentWidget());
    m_lblNessuna = Controls::label(rows->parentWidget(), u"lblNessuna"_s, u"Nessuna bozza non inviata."_s, {0, 0, 0, 0},
                                   Controls::arial(9.75, true));
    rows->addWidget(m_rows);
    rows->addWidget(m_lblNessuna);
    rows->addStretch(1);
    const auto showNone = [this] { m_lblNessuna->setVisible(m_model->rowCount() == 0); };
    connect(m_model, &DraftsModel::rowsInserted, this, showNone);
    connect(m_model, &DraftsModel::rowsRemoved, this, showNone);
    showNone();
    connect(m_rows, &RowsView::rowsAdded, this, &frmBozze::orderTabStops);

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
    orderTabStops();
}

void frmBozze::setMessageInterval(std::chrono::milliseconds interval)
{
    m_tmrAvviso->setInterval(interval);
}

frmBozze *frmBozze::showFor(DraftStore *store, OpenPage openPage, QWidget *parent)
{
    static QPointer<frmBozze> open;
    return openOrRaise(open, [&] { return new frmBozze(store, std::move(openPage), parent); });
}

ModelRow *frmBozze::makeRow(const QPersistentModelIndex &index, QWidget *parent)
{
    const auto [row, name, about, layout] =
        ModelRow::twoLines(index, parent, u"rigaBozza"_s, u"lblPagina"_s, u"lblTesto"_s);
    QList<QPushButton *> buttons;
    const auto button = [&](const QString &objectName, const QString &caption, std::function<void(Draft)> action) {
        QPushButton *b = row->addButton(layout, objectName, caption);
        buttons.append(b);
        // The draft by value: what the action does may change the model.
        row->onClick(b, [this, action = std::move(action)](const QModelIndex &at) { action(m_model->draft(at)); });
    };
    button(u"cmdApriPagina"_s, u"Apri la pagina"_s, [this](const Draft &draft) { m_openPage(draft.page); });
    button(u"cmdCopiaTesto"_s, u"Copia il testo"_s, [this](const Draft &draft) {
        QApplication::clipboard()->setText(draft.text);
        tell(u"Testo copiato negli appunti"_s, false);
    });
    button(u"cmdElimina"_s, u"Elimina"_s, [this](const Draft &draft) { cmdElimina_Click(draft.page, draft.field); });

    row->setRefresh([this, row, name, about, buttons](const QModelIndex &at) {
        const Draft &draft = m_model->draft(at);
        const QString page = at.data().toString();
        // Every row has the same buttons: a screen reader tells whose they are.
        row->setAccessibleName(page);
        for (QPushButton *b : buttons)
            b->setAccessibleDescription(page);
        name->setText(page);
        name->setToolTip(at.data(Qt::ToolTipRole).toString());
        const QLocale italian(QLocale::Italian, QLocale::Italy);
        const QString when = italian.toString(draft.savedAt.toLocalTime(), u"d MMMM yyyy, HH:mm"_s);
        const QString words = draft.text.simplified().left(80);
        about->setText(u"Salvata il %1%2\n%3"_s.arg(when, draft.cut ? u" (solo il primo MiB)"_s : QString(), words));
    });
    return row;
}

void frmBozze::orderTabStops()
{
    RowsView::chainTabStops(QList<QWidget *>{m_list} + m_rows->tabStops() + QList<QWidget *>{m_cmdAnnulla});
}

void frmBozze::cmdElimina_Click(const QString &page, const QString &field)
{
    if (!m_store->contains(page, field)) {
        m_model->reload();
        return;
    }
    // As it is now, not as it was listed: the forum may have saved it since.
    const Draft removed = m_store->draft(page, field);
    m_store->remove(page, field);
    m_removed = removed;
    tell(u"Bozza eliminata: %1"_s.arg(removed.title.isEmpty() ? removed.page : removed.title), true);
    // The focus goes with the row's buttons: it waits on the way back.
    m_cmdAnnulla->setFocus(Qt::OtherFocusReason);
    m_model->reload();
}

void frmBozze::cmdAnnulla_Click()
{
    if (!m_removed)
        return;
    const Draft removed = *std::exchange(m_removed, std::nullopt);
    m_store->save(removed);
    m_model->reload();
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

#include "replies/frmrisposte.h"

#include "gui/controls.h"
#include "gui/focusframestyle.h"
#include "gui/rowsview.h"
#include "replies/replieswatcher.h"
#include "topics/pollplan.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

QList<FollowedTopic> ordered(QList<FollowedTopic> topics)
{
    std::stable_sort(topics.begin(), topics.end(), [](const FollowedTopic &a, const FollowedTopic &b) {
        if ((a.unread > 0) != (b.unread > 0))
            return a.unread > 0;
        return a.lastDate > b.lastDate;
    });
    return topics;
}

QString aboutText(const FollowedTopic &topic)
{
    if (topic.feed.isEmpty())
        return u"La pagina di questa discussione non offre un feed: le sue risposte non arrivano qui."_s;
    if (topic.lastAuthor.isEmpty() && topic.lastText.isEmpty())
        return u"Nessuna risposta da quando la segui."_s;
    const QLocale italian(QLocale::Italian, QLocale::Italy);
    const QString when = topic.lastDate.isValid()
        ? u" ("_s + italian.toString(topic.lastDate.toLocalTime(), u"d MMMM, HH:mm"_s) + u')'
        : QString();
    const QString news = topic.unread == 1 ? u"1 risposta nuova"_s
        : topic.unread > 1                 ? u"%1 risposte nuove"_s.arg(topic.unread)
                                           : u"Ultima risposta"_s;
    return u"%1%2: %3: %4"_s.arg(news, when, topic.lastAuthor, topic.lastText.left(120));
}

} // namespace

RisposteModel::RisposteModel(RepliesWatcher *watcher, QObject *parent)
    : QAbstractListModel(parent)
    , m_watcher(watcher)
    , m_topics(ordered(watcher->followed().topics))
{
    connect(watcher, &RepliesWatcher::changed, this, &RisposteModel::reload);
}

int RisposteModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_topics.size());
}

QVariant RisposteModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const FollowedTopic &topic = m_topics.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return topic.title;
    case Qt::ToolTipRole:
        return topic.page;
    default:
        return {};
    }
}

void RisposteModel::reload()
{
    // Few rows: shown again whole, each row's widgets made anew.
    beginResetModel();
    m_topics = ordered(m_watcher->followed().topics);
    endResetModel();
}

frmRisposte::frmRisposte(RepliesWatcher *watcher, QWidget *parent)
    : FixedDialog(Frame::CloseBoxOnly, {7200, 4500}, parent)
    , m_watcher(watcher)
    , m_model(new RisposteModel(watcher, this))
{
    QVBoxLayout *outer = layOutModeless(u"frmRisposte"_s, title());

    auto *settings = new QHBoxLayout;
    m_chkAvvisa = new QCheckBox(u"Avvisami delle risposte"_s, this);
    m_chkAvvisa->setObjectName(u"chkAvvisa"_s);
    m_chkAvvisa->setFont(Controls::arial(8.25, true));
    m_chkAvvisa->setChecked(watcher->followed().notify);
    auto *lblOgni = new QLabel(u"Controlla ogni"_s, this);
    lblOgni->setFont(Controls::arial(8.25));
    m_cboIntervallo = new QComboBox(this);
    m_cboIntervallo->setObjectName(u"cboIntervallo"_s);
    m_cboIntervallo->setFont(Controls::arial(8.25));
    for (const int minutes : PollPlan::intervals)
        m_cboIntervallo->addItem(minutes == 60 ? u"ora"_s : u"%1 minuti"_s.arg(minutes), minutes);
    m_cboIntervallo->setCurrentIndex(std::max(0, m_cboIntervallo->findData(watcher->followed().interval)));
    lblOgni->setBuddy(m_cboIntervallo);
    settings->addWidget(m_chkAvvisa, 1);
    settings->addWidget(lblOgni);
    settings->addWidget(m_cboIntervallo);
    outer->addLayout(settings);
    connect(m_chkAvvisa, &QCheckBox::toggled, watcher, &RepliesWatcher::setNotify);
    connect(m_cboIntervallo, &QComboBox::activated, this,
            [this](int index) { m_watcher->setInterval(m_cboIntervallo->itemData(index).toInt()); });

    QVBoxLayout *rows = Controls::scrollingRows(this, outer, u"lstRisposte"_s, u"Discussioni seguite"_s);
    m_list = findChild<QScrollArea *>();
    FocusFrameStyle::frameWhileFocused(m_list);
    m_rows = new RowsView(m_model, std::bind_front(&frmRisposte::makeRow, this), rows->parentWidget());
    m_lblNessuna = Controls::label(rows->parentWidget(), u"lblNessuna"_s,
                                   u"Non segui nessuna discussione. Si seguono quelle in cui scrivi e quelle "
                                   u"che scegli con «Segui questa discussione» nel menu della pagina."_s,
                                   {0, 0, 0, 0}, Controls::arial(9.75, true));
    m_lblNessuna->setWordWrap(true);
    rows->addWidget(m_rows);
    rows->addWidget(m_lblNessuna);
    rows->addStretch(1);
    const auto showNone = [this] { m_lblNessuna->setVisible(m_model->rowCount() == 0); };
    connect(m_model, &RisposteModel::modelReset, this, showNone);
    showNone();
    connect(m_rows, &RowsView::rowsAdded, this, &frmRisposte::orderTabStops);
    connect(m_model, &RisposteModel::modelReset, this, &frmRisposte::orderTabStops);
    orderTabStops();
}

frmRisposte *frmRisposte::showFor(RepliesWatcher *watcher, QWidget *parent)
{
    static QPointer<frmRisposte> open;
    return openOrRaise(open, [&] { return new frmRisposte(watcher, parent); });
}

ModelRow *frmRisposte::makeRow(const QPersistentModelIndex &index, QWidget *parent)
{
    const auto [row, name, about, layout] =
        ModelRow::twoLines(index, parent, u"rigaDiscussione"_s, u"lblDiscussione"_s, u"lblUltima"_s);
    QList<QPushButton *> buttons;
    const auto button = [&](const QString &objectName, const QString &caption,
                            void (RepliesWatcher::*act)(const QString &)) {
        QPushButton *b = row->addButton(layout, objectName, caption);
        buttons.append(b);
        // The key by value: what the action does resets the model.
        row->onClick(b, [this, act](const QModelIndex &at) { (m_watcher->*act)(m_model->topic(at).key()); });
    };
    button(u"cmdApri"_s, u"Apri"_s, &RepliesWatcher::open);
    button(u"cmdNonSeguire"_s, u"Non seguire più"_s, &RepliesWatcher::unfollow);

    row->setRefresh([this, row, name, about, buttons](const QModelIndex &at) {
        const FollowedTopic &topic = m_model->topic(at);
        row->setAccessibleName(topic.title);
        for (QPushButton *b : buttons)
            b->setAccessibleDescription(topic.title);
        buttons.first()->setEnabled(!topic.page.isEmpty());
        QFont font = name->font();
        font.setUnderline(topic.unread > 0);
        name->setFont(font);
        name->setText(topic.title);
        name->setToolTip(topic.page);
        about->setText(aboutText(topic));
    });
    return row;
}

void frmRisposte::orderTabStops()
{
    RowsView::chainTabStops(QList<QWidget *>{m_chkAvvisa, m_cboIntervallo, m_list} + m_rows->tabStops());
}

#include "downloads/frmdownloads.h"

#include "gui/controls.h"
#include "gui/focusframestyle.h"
#include "downloads/downloads.h"
#include "downloads/downloadsmodels.h"
#include "gui/rowsview.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QUrl>
#include <QVBoxLayout>

#include <functional>
#include <memory>

frmDownloads::frmDownloads(Downloads *downloads, QWidget *parent)
    : FixedDialog(Frame::CloseBoxOnly, {7200, 4500}, parent)
    , m_model(new DownloadsModel(downloads, this))
    , m_blockedModel(new BlockedDownloadsModel(downloads, this))
{
    QVBoxLayout *outer = layOutModeless(QStringLiteral("frmDownloads"), title());
    auto *folderLabel = new QLabel(QStringLiteral("I file scaricati sono nella cartella %1").arg(downloads->folder()),
                                   this);
    folderLabel->setObjectName(QStringLiteral("lblCartella"));
    folderLabel->setFont(Controls::arial(8.25, true));
    folderLabel->setTextFormat(Qt::PlainText);
    folderLabel->setWordWrap(true);
    outer->addWidget(folderLabel);

    QVBoxLayout *rows = Controls::scrollingRows(this, outer, QStringLiteral("lstDownload"),
                                                QStringLiteral("Elenco dei download"));
    m_list = findChild<QScrollArea *>();
    FocusFrameStyle::frameWhileFocused(m_list);
    // The downloads, then the files waiting for the member's word.
    m_rows = new RowsView(m_model, std::bind_front(&frmDownloads::makeRow, this), rows->parentWidget());
    m_blockedRows = new RowsView(m_blockedModel, std::bind_front(&frmDownloads::makeBlockedRow, this),
                                 rows->parentWidget());
    rows->addWidget(m_rows);
    rows->addWidget(m_blockedRows);
    rows->addStretch(1);
    connect(m_rows, &RowsView::rowsAdded, this, &frmDownloads::orderTabStops);
    connect(m_blockedRows, &RowsView::rowsAdded, this, &frmDownloads::orderTabStops);
    orderTabStops();
}

namespace {

struct RowLayout
{
    QHBoxLayout *layout;
    QLabel *name;
    QLabel *state;
};

// Every row: its name in bold over its state, its buttons to the right.
RowLayout rowLayout(QWidget *row)
{
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *text = new QVBoxLayout;
    auto *name = new QLabel(row);
    name->setObjectName(QStringLiteral("lblNome"));
    name->setFont(Controls::arial(9.75, true));
    name->setTextFormat(Qt::PlainText);
    auto *state = new QLabel(row);
    state->setObjectName(QStringLiteral("lblStato"));
    state->setFont(Controls::arial(8.25));
    state->setTextFormat(Qt::PlainText);
    text->addWidget(name);
    text->addWidget(state);
    layout->addLayout(text, 1);
    return {layout, name, state};
}

} // namespace

ModelRow *frmDownloads::makeRow(const QPersistentModelIndex &index, QWidget *parent)
{
    auto *row = new ModelRow(index, parent);
    const auto [layout, name, state] = rowLayout(row);
    state->setWordWrap(true);

    auto *cancel = new QPushButton(QStringLiteral("Annulla"), row);
    cancel->setObjectName(QStringLiteral("cmdAnnulla"));
    auto *open = new QPushButton(QStringLiteral("Apri"), row);
    open->setObjectName(QStringLiteral("cmdApri"));
    auto *folder = new QPushButton(QStringLiteral("Apri cartella"), row);
    folder->setObjectName(QStringLiteral("cmdApriCartella"));
    const QList<QPushButton *> buttons{cancel, open, folder};
    for (QPushButton *button : buttons) {
        button->setFont(Controls::arial(8.25));
        layout->addWidget(button);
    }
    row->onClick(cancel, [this](const QModelIndex &at) { m_model->cancel(at); });
    row->onClick(open, [state](const QModelIndex &at) {
        // Without a word the click would seem lost.
        if (!QDesktopServices::openUrl(QUrl::fromLocalFile(at.data(DownloadsModel::PathRole).toString())))
            state->setText(QStringLiteral("Nessun programma apre questo file"));
    });
    row->onClick(folder, [](const QModelIndex &at) {
        const QString path = at.data(DownloadsModel::PathRole).toString();
        QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absolutePath()));
    });

    row->setRefresh([row, name, state, cancel, open, buttons](const QModelIndex &at) {
        const QString fileName = at.data().toString();
        name->setText(fileName);
        // Every row has the same buttons: a screen reader tells whose they are.
        row->setAccessibleName(fileName);
        for (QPushButton *button : buttons)
            button->setAccessibleDescription(fileName);
        state->setText(at.data(DownloadsModel::StateRole).toString());
        cancel->setVisible(at.data(DownloadsModel::RunningRole).toBool());
        open->setEnabled(at.data(DownloadsModel::CompletedRole).toBool());
    });
    return row;
}

ModelRow *frmDownloads::makeBlockedRow(const QPersistentModelIndex &index, QWidget *parent)
{
    auto *row = new ModelRow(index, parent);
    row->setObjectName(QStringLiteral("rigaBloccata"));
    const auto [layout, name, state] = rowLayout(row);
    name->setWordWrap(true);
    state->setText(Downloads::blockedText());
    auto *anyway = new QPushButton(QStringLiteral("Scarica comunque"), row);
    anyway->setObjectName(QStringLiteral("cmdScaricaComunque"));
    anyway->setFont(Controls::arial(8.25));
    layout->addWidget(anyway);

    // A press saves what the row listed as the button went down; files the
    // page adds while it is held, or later, wait in the row for a press of
    // their own. Saved, the files get rows of their own.
    const auto listed = std::make_shared<qsizetype>(0);
    const auto pressedOn = std::make_shared<qsizetype>(0);
    connect(anyway, &QPushButton::pressed, row, [listed, pressedOn] { *pressedOn = *listed; });
    row->onClick(anyway, [this, state, anyway, pressedOn](const QModelIndex &at) {
        if (m_blockedModel->downloadAnyway(at, *pressedOn))
            return;
        state->setText(QStringLiteral("Non riuscito: la pagina non è più aperta"));
        anyway->setEnabled(false);
    });
    row->setRefresh([row, name, anyway, listed](const QModelIndex &at) {
        *listed = at.data(BlockedDownloadsModel::CountRole).toLongLong();
        name->setText(at.data().toString());
        row->setAccessibleName(name->text());
        anyway->setAccessibleDescription(name->text());
    });
    return row;
}

void frmDownloads::orderTabStops()
{
    RowsView::chainTabStops(QList<QWidget *>{m_list} + m_rows->tabStops() + m_blockedRows->tabStops());
}

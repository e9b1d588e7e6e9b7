#include "downloads/frmdownloads.h"

#include "gui/controls.h"
#include "gui/focusframestyle.h"
#include "downloads/downloads.h"
#include "core/downloadname.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineDownloadRequest>

#include <memory>

frmDownloads::frmDownloads(Downloads *downloads, QWidget *parent)
    : FixedDialog(Frame::CloseBoxOnly, {7200, 4500}, parent)
    , m_downloads(downloads)
{
    QVBoxLayout *outer = layOutModeless(QStringLiteral("frmDownloads"), title());
    auto *folderLabel = new QLabel(QStringLiteral("I file scaricati sono nella cartella %1").arg(downloads->folder()),
                                   this);
    folderLabel->setObjectName(QStringLiteral("lblCartella"));
    folderLabel->setFont(Controls::arial(8.25, true));
    folderLabel->setTextFormat(Qt::PlainText);
    folderLabel->setWordWrap(true);
    outer->addWidget(folderLabel);

    m_rows = Controls::scrollingRows(this, outer, QStringLiteral("lstDownload"), QStringLiteral("Elenco dei download"));
    FocusFrameStyle::frameWhileFocused(findChild<QScrollArea *>());
    m_rows->addStretch(1);

    const QList<QWebEngineDownloadRequest *> entries = m_downloads->entries();
    for (QWebEngineDownloadRequest *download : entries)
        addRow(download);
    connect(m_downloads, &Downloads::added, this, &frmDownloads::addRow);
    for (const Downloads::Blocked &entry : m_downloads->blocked()) {
        if (!entry.done)
            addBlockedRow(entry.id);
    }
    connect(m_downloads, &Downloads::blockedAdded, this, &frmDownloads::addBlockedRow);
}

void frmDownloads::addRow(QWebEngineDownloadRequest *download)
{
    auto *row = new QWidget(m_rows->parentWidget());
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);

    auto *text = new QVBoxLayout;
    auto *name = new QLabel(download->downloadFileName(), row);
    name->setObjectName(QStringLiteral("lblNome"));
    name->setFont(Controls::arial(9.75, true));
    name->setTextFormat(Qt::PlainText);
    auto *state = new QLabel(row);
    state->setObjectName(QStringLiteral("lblStato"));
    state->setFont(Controls::arial(8.25));
    state->setTextFormat(Qt::PlainText);
    state->setWordWrap(true);
    text->addWidget(name);
    text->addWidget(state);
    layout->addLayout(text, 1);

    auto *cancel = new QPushButton(QStringLiteral("Annulla"), row);
    cancel->setObjectName(QStringLiteral("cmdAnnulla"));
    auto *open = new QPushButton(QStringLiteral("Apri"), row);
    open->setObjectName(QStringLiteral("cmdApri"));
    auto *folder = new QPushButton(QStringLiteral("Apri cartella"), row);
    folder->setObjectName(QStringLiteral("cmdApriCartella"));
    // Every row has the same buttons: a screen reader tells whose they are.
    row->setAccessibleName(download->downloadFileName());
    for (QPushButton *button : {cancel, open, folder}) {
        button->setFont(Controls::arial(8.25));
        button->setAccessibleDescription(download->downloadFileName());
        layout->addWidget(button);
    }
    const QString path = Downloads::filePath(download);
    connect(cancel, &QPushButton::clicked, download, &QWebEngineDownloadRequest::cancel);
    connect(open, &QPushButton::clicked, this, [path, state] {
        // Without a word the click would seem lost.
        if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
            state->setText(QStringLiteral("Nessun programma apre questo file"));
    });
    connect(folder, &QPushButton::clicked, this,
            [path] { QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absolutePath())); });

    const auto refresh = [this, download, state, cancel, open] {
        state->setText(m_downloads->stateText(download));
        cancel->setVisible(Downloads::isRunning(download));
        open->setEnabled(download->state() == QWebEngineDownloadRequest::DownloadCompleted);
    };
    refresh();
    connect(download, &QWebEngineDownloadRequest::receivedBytesChanged, state, refresh);
    connect(download, &QWebEngineDownloadRequest::stateChanged, state, refresh);
    // Before the stretch that keeps the rows at the top.
    m_rows->insertWidget(m_rows->count() - 1, row);
}

void frmDownloads::addBlockedRow(quint64 id)
{
    auto *row = new QWidget(m_rows->parentWidget());
    row->setObjectName(QStringLiteral("rigaBloccata"));
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *text = new QVBoxLayout;
    auto *name = new QLabel(row);
    name->setObjectName(QStringLiteral("lblNome"));
    name->setFont(Controls::arial(9.75, true));
    name->setTextFormat(Qt::PlainText);
    name->setWordWrap(true);
    auto *state = new QLabel(Downloads::blockedText(), row);
    state->setObjectName(QStringLiteral("lblStato"));
    state->setFont(Controls::arial(8.25));
    state->setTextFormat(Qt::PlainText);
    text->addWidget(name);
    text->addWidget(state);
    layout->addLayout(text, 1);
    auto *anyway = new QPushButton(QStringLiteral("Scarica comunque"), row);
    anyway->setObjectName(QStringLiteral("cmdScaricaComunque"));
    anyway->setFont(Controls::arial(8.25));
    layout->addWidget(anyway);

    // A press saves what the row listed as the button went down; files the
    // page adds while it is held, or later, wait in the row for a press of
    // their own. Saved, the files get rows of their own.
    const auto listed = std::make_shared<qsizetype>(0);
    const auto pressedOn = std::make_shared<qsizetype>(0);
    connect(anyway, &QPushButton::pressed, this, [listed, pressedOn] { *pressedOn = *listed; });
    connect(anyway, &QPushButton::clicked, this, [this, id, state, anyway, pressedOn] {
        if (m_downloads->downloadAnyway(id, *pressedOn))
            return;
        state->setText(QStringLiteral("Non riuscito: la pagina non è più aperta"));
        anyway->setEnabled(false);
    });
    const auto refresh = [this, id, row, name, anyway, listed] {
        const Downloads::Blocked *entry = m_downloads->findBlocked(id);
        if (!entry || entry->done) {
            row->deleteLater();
            return;
        }
        // The names as they would be saved: the server's own could turn
        // their text around ("fdp.exe" shown as "exe.pdf") or hide the rest.
        QStringList names;
        for (const QString &sent : entry->names)
            names.append(DownloadName::safe(sent));
        *listed = names.size();
        name->setText(names.join(QStringLiteral(", ")));
        row->setAccessibleName(name->text());
        anyway->setAccessibleDescription(name->text());
    };
    refresh();
    connect(m_downloads, &Downloads::blockedChanged, row, [refresh, id](quint64 changed) {
        if (changed == id)
            refresh();
    });
    m_rows->insertWidget(m_rows->count() - 1, row);
}

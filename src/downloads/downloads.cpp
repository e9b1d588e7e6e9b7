#include "downloads/downloads.h"

#include "web/webpage.h"
#include "core/downloadname.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>

#include <algorithm>

namespace {

using Reason = QWebEngineDownloadRequest::DownloadInterruptReason;

QString reasonText(const QWebEngineDownloadRequest *download)
{
    switch (download->interruptReason()) {
    case Reason::FileAccessDenied:
        return QStringLiteral("la cartella dei download non permette di scrivere");
    case Reason::FileNoSpace:
        return QStringLiteral("il disco è pieno");
    case Reason::FileNameTooLong:
        return QStringLiteral("il nome del file è troppo lungo");
    case Reason::FileTooLarge:
        return QStringLiteral("il file è troppo grande per il disco");
    case Reason::FileFailed:
    case Reason::FileTransientError:
        return QStringLiteral("impossibile scrivere il file");
    case Reason::NetworkFailed:
    case Reason::NetworkTimeout:
    case Reason::NetworkDisconnected:
    case Reason::NetworkServerDown:
        return QStringLiteral("la connessione si è interrotta");
    case Reason::ServerFailed:
    case Reason::ServerBadContent:
        return QStringLiteral("il server non ha inviato il file intero");
    case Reason::ServerUnauthorized:
    case Reason::ServerForbidden:
        return QStringLiteral("il server non permette di scaricare il file");
    case Reason::UserCanceled:
        return QStringLiteral("annullato");
    default:
        // The engine's own words, in English, rather than no reason at all.
        return download->interruptReasonString();
    }
}

} // namespace

Downloads::Downloads(QObject *parent)
    : QObject(parent)
    , m_folder(QStandardPaths::writableLocation(QStandardPaths::DownloadLocation))
    , m_saveOnWord([](QObject *page, const QUrl &url, const QString &name) {
        if (auto *webPage = qobject_cast<WebPage *>(page))
            webPage->downloadOnWord(url, name);
    })
{
}

void Downloads::attach(QWebEngineProfile *profile)
{
    if (m_profiles.contains(profile))
        return;
    m_profiles.insert(profile);
    connect(profile, &QWebEngineProfile::downloadRequested, this, &Downloads::take);
    connect(profile, &QObject::destroyed, this, [this, profile] { m_profiles.remove(profile); });
}

void Downloads::take(QWebEngineDownloadRequest *download)
{
    if (download->state() != QWebEngineDownloadRequest::DownloadRequested)
        return;
    // The engine resuming a download it had, or one with no forum page
    // open, is not a page's doing.
    const bool resumed = download->interruptReason() != QWebEngineDownloadRequest::NoReason;
    if (WebPage *page = WebPage::downloadOwner(download->url());
        page && !resumed && !page->mayDownload(download->url(), download->suggestedFileName())) {
        refuse(page, download);
        return;
    }
    // The engine would only cancel, without a word, a download it cannot
    // place; the user is told why.
    if (!QDir().mkpath(m_folder) || !QFileInfo(m_folder).isDir()) {
        m_refused.insert(download, QStringLiteral("impossibile creare la cartella %1").arg(m_folder));
        connect(download, &QObject::destroyed, this, [this, download] { m_refused.remove(download); });
        download->cancel();
        m_entries.append(download);
        emit added(download);
        emit changed();
        return;
    }
    const QDir folder(m_folder);
    const QString name = DownloadName::unique(download->suggestedFileName(), [&](const QString &candidate) {
        const QString path = folder.filePath(candidate);
        return m_given.contains(path) || QFileInfo::exists(path);
    });
    m_given.insert(folder.filePath(name));
    download->setDownloadDirectory(m_folder);
    download->setDownloadFileName(name);
    connect(download, &QWebEngineDownloadRequest::receivedBytesChanged, this, &Downloads::changed);
    connect(download, &QWebEngineDownloadRequest::stateChanged, this, &Downloads::changed);
    download->accept();
    m_entries.append(download);
    emit added(download);
    emit changed();
}

void Downloads::refuse(WebPage *page, QWebEngineDownloadRequest *download)
{
    const QString name = download->suggestedFileName();
    const QUrl url = download->url();
    download->cancel();
    block(page, page->url(), url, name);
}

void Downloads::block(QObject *page, const QUrl &pageUrl, const QUrl &url, const QString &name)
{
    // A page asking again and again makes one entry, not one each time.
    const auto same = std::find_if(m_blocked.begin(), m_blocked.end(), [&](const Blocked &entry) {
        return !entry.done && entry.page == page && entry.pageUrl == pageUrl;
    });
    if (same != m_blocked.end()) {
        same->urls.append(url);
        same->names.append(name);
        emit blockedChanged(same->id);
        return;
    }
    const quint64 id = ++m_lastBlockedId;
    m_blocked.append({.id = id, .page = page, .pageUrl = pageUrl, .urls = {url}, .names = {name}});
    emit blockedAdded(id);
}

const Downloads::Blocked *Downloads::findBlocked(quint64 id) const
{
    const auto found = std::find_if(m_blocked.begin(), m_blocked.end(),
                                    [id](const Blocked &entry) { return entry.id == id; });
    return found == m_blocked.end() ? nullptr : &*found;
}

bool Downloads::downloadAnyway(quint64 id, qsizetype count)
{
    const auto found = std::find_if(m_blocked.begin(), m_blocked.end(),
                                    [id](const Blocked &entry) { return entry.id == id; });
    if (found == m_blocked.end() || found->done || !found->page)
        return false;
    Blocked &entry = *found;
    // Taken out before they are saved: saving may block more files.
    count = std::clamp<qsizetype>(count, 0, entry.urls.size());
    const QPointer<QObject> page = entry.page;
    const QList<QUrl> urls = entry.urls.first(count);
    const QStringList names = entry.names.first(count);
    entry.urls.remove(0, count);
    entry.names.remove(0, count);
    entry.done = entry.urls.isEmpty();
    for (qsizetype i = 0; i < urls.size() && page; ++i)
        m_saveOnWord(page, urls.at(i), names.at(i));
    emit blockedChanged(id);
    return true;
}

QList<QWebEngineDownloadRequest *> Downloads::entries() const
{
    QList<QWebEngineDownloadRequest *> live;
    for (const QPointer<QWebEngineDownloadRequest> &entry : m_entries) {
        if (entry)
            live.append(entry);
    }
    return live;
}

bool Downloads::running() const
{
    const QList<QWebEngineDownloadRequest *> all = entries();
    return std::any_of(all.begin(), all.end(), &Downloads::isRunning);
}

bool Downloads::isRunning(const QWebEngineDownloadRequest *download)
{
    return download->state() == QWebEngineDownloadRequest::DownloadInProgress
        || download->state() == QWebEngineDownloadRequest::DownloadRequested;
}

QString Downloads::filePath(const QWebEngineDownloadRequest *download)
{
    return QDir(download->downloadDirectory()).filePath(download->downloadFileName());
}

QString Downloads::stateText(const QWebEngineDownloadRequest *download) const
{
    if (m_refused.contains(download))
        return QStringLiteral("Non riuscito: %1").arg(m_refused.value(download));
    const QLocale italian(QLocale::Italian, QLocale::Italy);
    const QString received = italian.formattedDataSize(download->receivedBytes());
    switch (download->state()) {
    case QWebEngineDownloadRequest::DownloadRequested:
    case QWebEngineDownloadRequest::DownloadInProgress:
        if (download->totalBytes() > 0)
            return QStringLiteral("%1 di %2").arg(received, italian.formattedDataSize(download->totalBytes()));
        return received;
    case QWebEngineDownloadRequest::DownloadCompleted:
        return QStringLiteral("Completato, %1").arg(received);
    case QWebEngineDownloadRequest::DownloadCancelled:
        return QStringLiteral("Annullato");
    case QWebEngineDownloadRequest::DownloadInterrupted:
        return QStringLiteral("Non riuscito: %1").arg(reasonText(download));
    }
    return {};
}


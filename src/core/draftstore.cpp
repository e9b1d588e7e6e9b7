#include "core/draftstore.h"

#include "core/gestionefiles.h"
#include "platform/platformfiles.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QTimer>
#include <QUrl>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QSaveFile>
#include <QThread>

#include <algorithm>


using namespace Qt::StringLiterals;

namespace {

Q_LOGGING_CATEGORY(lcDrafts, "velmora.drafts")

constexpr auto suffix = ".bozza";
constexpr int formatVersion = 1;

// The bytes one UTF-16 unit takes in the file, as the JSON writer spells it:
// control characters as \u00XX, quotes and backslashes escaped, the rest as
// UTF-8 (a surrogate pair's two halves two bytes each).
int encodedBytes(char16_t c)
{
    if (c < 0x20)
        return c == u'\b' || c == u'\f' || c == u'\n' || c == u'\r' || c == u'\t' ? 2 : 6;
    if (c == u'"' || c == u'\\')
        return 2;
    if (c < 0x80)
        return 1;
    if (c < 0x800 || QChar::isSurrogate(c))
        return 2;
    return 3;
}

// Cuts text so that it takes at most budget bytes in the file, at a
// character's start, never inside one.
QString firstBytes(const QString &text, qint64 budget, bool *cut)
{
    *cut = false;
    // Six bytes at most for each unit: most drafts need no count.
    if (text.size() * 6 <= budget)
        return text;
    qint64 used = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        used += encodedBytes(text.at(i).unicode());
        if (used > budget) {
            *cut = true;
            if (i > 0 && text.at(i).isLowSurrogate())
                --i;
            return text.left(i);
        }
    }
    return text;
}

// When a file was last written, as a number to sort by: a folder of many
// thousand files is read in milliseconds, without a date made for each.
qint64 modifiedAt(const QString &path)
{
    return PlatformFiles::modifiedAt(path);
}

qint64 encodedSize(const Draft &draft)
{
    qint64 size = DraftStore::serialize(Draft{draft.page, draft.field, draft.title, {}, draft.savedAt, draft.cut}).size();
    for (const QChar c : draft.text)
        size += encodedBytes(c.unicode());
    return size;
}

// Cuts the draft so that its file holds at most maxDraftBytes; its size.
qint64 fit(Draft &draft)
{
    draft.title.truncate(DraftStore::maxTitleLength);
    // The header is counted as if the text were cut: a byte more, never less.
    const qint64 header = encodedSize(Draft{draft.page, draft.field, draft.title, {}, draft.savedAt, true});
    bool cut = false;
    draft.text = firstBytes(draft.text, DraftStore::maxDraftBytes - header, &cut);
    draft.cut = draft.cut || cut;
    return encodedSize(draft);
}

} // namespace

// Lives on the store's thread: the disk's latency never reaches the caller.
class DraftWriter final : public QObject
{
    Q_OBJECT

public:
    void write(const QString &key, const QString &path, const Draft &draft)
    {
        const QByteArray bytes = DraftStore::serialize(draft);
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly)) {
            emit written(key, false, GestioneFiles::italianReason(file.errorString()));
            return;
        }
        // The temporary file becomes the draft: it is made the user's alone
        // before a byte of the text is in it.
        PlatformFiles::restrictOpenFile(file);
        if (file.write(bytes) != bytes.size() || !file.flush()) {
            const QString reason = GestioneFiles::italianReason(file.errorString());
            file.cancelWriting();
            emit written(key, false, reason);
            return;
        }
        const bool ok = file.commit();
        emit written(key, ok, ok ? QString() : GestioneFiles::italianReason(file.errorString()));
    }

    void remove(const QString &path)
    {
        QFile file(path);
        if (file.exists() && !file.remove())
            qCWarning(lcDrafts) << "cannot remove" << path << file.errorString();
    }

signals:
    void written(const QString &key, bool ok, const QString &reason);
};

DraftStore::DraftStore(const QString &folder, QObject *parent)
    : QObject(parent)
    , m_folder(folder)
    , m_coalesce(new QTimer(this))
    , m_thread(new QThread(this))
    , m_writer(new DraftWriter)
{
    m_clock.start();
    m_coalesce->setSingleShot(true);
    connect(m_coalesce, &QTimer::timeout, this, &DraftStore::writePending);
    m_thread->setObjectName(u"velmora-drafts"_s);
    m_writer->moveToThread(m_thread);
    connect(m_thread, &QThread::finished, m_writer, &QObject::deleteLater);
    connect(m_writer, &DraftWriter::written, this, &DraftStore::onWritten);
    m_thread->start(QThread::LowPriority);
}

DraftStore::~DraftStore()
{
    // What was queued, or waits for its turn, is written before the program goes.
    flush();
    m_thread->quit();
    m_thread->wait();
}

QString DraftStore::fileNameFor(const QString &key)
{
    const QByteArray hash = QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha256).toHex();
    return QString::fromLatin1(hash.left(32)) + QLatin1String(suffix);
}

QByteArray DraftStore::serialize(const Draft &draft)
{
    const QJsonObject object{
        {u"velmora-bozza"_s, formatVersion},
        {u"pagina"_s, draft.page},
        {u"campo"_s, draft.field},
        {u"titolo"_s, draft.title},
        {u"salvata"_s, draft.savedAt.toUTC().toString(Qt::ISODateWithMs)},
        {u"tagliata"_s, draft.cut},
        {u"testo"_s, draft.text},
    };
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

std::optional<Draft> DraftStore::parse(const QByteArray &bytes)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject o = document.object();
    if (o.value(u"velmora-bozza"_s).toInt() != formatVersion)
        return std::nullopt;
    for (const auto &name : {u"pagina"_s, u"campo"_s, u"titolo"_s, u"salvata"_s, u"testo"_s}) {
        if (!o.value(name).isString())
            return std::nullopt;
    }
    Draft draft;
    draft.page = o.value(u"pagina"_s).toString();
    draft.field = o.value(u"campo"_s).toString();
    draft.title = o.value(u"titolo"_s).toString();
    draft.text = o.value(u"testo"_s).toString();
    draft.cut = o.value(u"tagliata"_s).toBool();
    draft.savedAt = QDateTime::fromString(o.value(u"salvata"_s).toString(), Qt::ISODateWithMs);
    if (draft.page.isEmpty() || !draft.savedAt.isValid())
        return std::nullopt;
    return draft;
}

namespace {

// A text as a page shows it: without the forum's tags, pictures and blanks.
QString visibleWords(const QString &text)
{
    static const QRegularExpression images(u"\\[img\\].*?\\[/img\\]"_s,
                                           QRegularExpression::CaseInsensitiveOption
                                               | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression tags(u"\\[/?[a-z*]+(=[^\\]]*)?\\]"_s, QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression blanks(u"\\s+"_s);
    return QString(text).remove(images).remove(tags).remove(blanks);
}

} // namespace

QString DraftStore::shownWords(const QString &text)
{
    return visibleWords(text).left(60);
}

QStringList DraftStore::imageAddresses(const QString &text)
{
    static const QRegularExpression images(u"\\[img\\]\\s*(.*?)\\s*\\[/img\\]"_s,
                                           QRegularExpression::CaseInsensitiveOption
                                               | QRegularExpression::DotMatchesEverythingOption);
    QStringList addresses;
    for (const QRegularExpressionMatch &m : images.globalMatch(text))
        addresses.append(m.captured(1));
    return addresses;
}

bool DraftStore::isShownIn(const QString &draftText, const QString &pageText, const QStringList &pageImages)
{
    static const QRegularExpression blanks(u"\\s+"_s);
    const QString words = shownWords(draftText);
    if (!words.isEmpty() && !QString(pageText).remove(blanks).contains(words))
        return false;
    if (words.size() >= minShownCharacters)
        return true;
    // Few words, or only pictures: a page that shows them proves little.
    const QStringList images = imageAddresses(draftText);
    if (words.isEmpty() && images.isEmpty())
        return false;
    return std::all_of(images.cbegin(), images.cend(), [&](const QString &image) {
        return pageImages.contains(image) || pageImages.contains(QUrl(image).toString(QUrl::FullyEncoded));
    });
}

bool DraftStore::isHeldIn(const QString &draftText, const QString &fieldText)
{
    const QString words = shownWords(draftText);
    if (!words.isEmpty())
        return visibleWords(fieldText).contains(words);
    const QStringList images = imageAddresses(draftText);
    return !images.isEmpty() && std::all_of(images.cbegin(), images.cend(), [&](const QString &image) {
        return fieldText.contains(image);
    });
}

void DraftStore::load(const QDateTime &now)
{
    m_drafts.clear();
    m_sizes.clear();
    m_totalBytes = 0;
    m_refused.clear();
    QDir dir(m_folder);
    const QFileInfo folder(m_folder);
    // A link in the folder's place would have us write, and change the
    // rights of, whatever it points to.
    if (folder.isSymLink()) {
        m_refused = u"la cartella delle bozze %1 è un collegamento"_s.arg(QDir::toNativeSeparators(m_folder));
        qCWarning(lcDrafts) << "not used, a link:" << m_folder;
        return;
    }
    if (!dir.mkpath(u"."_s)) {
        m_refused = u"impossibile creare la cartella %1"_s.arg(QDir::toNativeSeparators(m_folder));
        qCWarning(lcDrafts) << "cannot create" << m_folder;
        return;
    }
    // Only the user reads what the user wrote, whatever the folder had.
    PlatformFiles::restrictFolder(m_folder);
    // Two copies of the program writing one folder would undo each other's
    // saves and removals. A lock left by a copy that died is taken over.
    if (!m_lock) {
        auto lock = std::make_unique<QLockFile>(dir.filePath(u".velmora.lock"_s));
        lock->setStaleLockTime(0);
        if (lock->tryLock(0))
            m_lock = std::move(lock);
    }
    if (!m_lock) {
        m_refused = u"la cartella delle bozze %1 è in uso da un'altra copia del programma"_s.arg(
            QDir::toNativeSeparators(m_folder));
        qCWarning(lcDrafts) << "read only, held by another copy:" << m_folder;
    }

    // Newest first, by the time each file was written: the drafts kept are
    // the newest, however many files a folder holds.
    const QDateTime oldest = now.addDays(-maxAgeDays);
    QList<std::pair<qint64, QString>> files;
    // Names are matched here: a filter of QDir's costs a pattern match a file.
    QDirIterator each(m_folder, QDir::Files | QDir::Hidden | QDir::System);
    while (each.hasNext()) {
        each.next();
        if (each.fileName().endsWith(QLatin1String(suffix)))
            files.append({modifiedAt(each.filePath()), each.fileName()});
    }
    std::sort(files.begin(), files.end(), [](const auto &a, const auto &b) { return a.first > b.first; });
    int skipped = 0;
    for (const auto &[modified, name] : std::as_const(files)) {
        const QString path = dir.filePath(name);
        if (m_drafts.size() >= maxDrafts) {
            ++skipped;
            continue;
        }
        QString reason;
        // Earlier versions counted a draft's text, not its file: up to six
        // bytes a character.
        const std::optional<QByteArray> bytes =
            GestioneFiles::readFile(path, GestioneFiles::Trust::OwnFileNoLinks, &reason, 6 * maxDraftBytes + 4096);
        std::optional<Draft> draft = bytes ? parse(*bytes) : std::nullopt;
        // A file under another draft's name would put its text on that page.
        if (!draft || fileNameFor(draft->key()) != name) {
            qCWarning(lcDrafts) << "skipped, not a draft:" << path << reason;
            continue;
        }
        if (draft->savedAt < oldest) {
            enqueueRemoval(draft->key());
            continue;
        }
        const qint64 size = fit(*draft);
        if (m_totalBytes + size > maxTotalBytes) {
            ++skipped;
            continue;
        }
        m_drafts.insert(draft->key(), *draft);
        m_sizes.insert(draft->key(), size);
        m_totalBytes += size;
    }
    if (skipped > 0)
        qCWarning(lcDrafts) << "left on disk, beyond the store's bounds:" << skipped << "files";
}

QList<Draft> DraftStore::drafts() const
{
    QList<Draft> all = m_drafts.values();
    std::sort(all.begin(), all.end(), [](const Draft &a, const Draft &b) { return a.savedAt > b.savedAt; });
    return all;
}

bool DraftStore::contains(const QString &page, const QString &field) const
{
    return m_drafts.contains(Draft::keyOf(page, field));
}

Draft DraftStore::draft(const QString &page, const QString &field) const
{
    return m_drafts.value(Draft::keyOf(page, field));
}

std::optional<Draft> DraftStore::save(Draft draft)
{
    if (draft.page.size() > maxPageLength || draft.field.size() > maxFieldLength)
        return std::nullopt;
    if (!draft.savedAt.isValid())
        draft.savedAt = QDateTime::currentDateTimeUtc();
    const qint64 size = fit(draft);
    const QString key = draft.key();

    const auto oldestOther = [this, &key] {
        auto oldest = m_drafts.cend();
        for (auto it = m_drafts.cbegin(); it != m_drafts.cend(); ++it) {
            if (it.key() != key && (oldest == m_drafts.cend() || it->savedAt < oldest->savedAt))
                oldest = it;
        }
        return oldest == m_drafts.cend() ? QString() : oldest.key();
    };
    while ((!m_drafts.contains(key) && m_drafts.size() >= maxDrafts)
           || m_totalBytes - m_sizes.value(key) + size > maxTotalBytes) {
        const QString old = oldestOther();
        if (old.isEmpty())
            break;
        forget(old);
        enqueueRemoval(old);
    }
    m_totalBytes += size - m_sizes.value(key);
    m_sizes.insert(key, size);
    m_drafts.insert(key, draft);
    schedule(key);
    return draft;
}

void DraftStore::remove(const QString &page, const QString &field)
{
    const QString key = Draft::keyOf(page, field);
    forget(key);
    enqueueRemoval(key);
}

void DraftStore::forget(const QString &key)
{
    m_drafts.remove(key);
    m_totalBytes -= m_sizes.take(key);
    m_pending.remove(key);
}

void DraftStore::schedule(const QString &key)
{
    // A draft rewritten many times a second (a page's script, a long paste
    // typed key by key) is written once a second, with its newest text.
    const qint64 now = m_clock.elapsed();
    const auto last = m_writtenAt.constFind(key);
    if (!m_pending.contains(key) && (last == m_writtenAt.cend() || now - *last >= writeIntervalMs)) {
        m_writtenAt.insert(key, now);
        enqueueWrite(m_drafts.value(key));
        return;
    }
    m_pending.insert(key);
    const qint64 due = std::max<qint64>(0, *last + writeIntervalMs - now);
    if (!m_coalesce->isActive() || m_coalesce->remainingTime() > due)
        m_coalesce->start(int(due));
}

void DraftStore::writePending()
{
    const qint64 now = m_clock.elapsed();
    qint64 next = -1;
    const QSet<QString> keys = m_pending;
    for (const QString &key : keys) {
        const qint64 due = m_writtenAt.value(key) + writeIntervalMs - now;
        if (due > 0) {
            next = next < 0 ? due : std::min(next, due);
            continue;
        }
        m_pending.remove(key);
        m_writtenAt.insert(key, now);
        enqueueWrite(m_drafts.value(key));
    }
    if (next >= 0)
        m_coalesce->start(int(next));
}

void DraftStore::enqueueWrite(const Draft &draft)
{
    if (!m_refused.isEmpty()) {
        fail(m_refused);
        return;
    }
    const QString path = QDir(m_folder).filePath(fileNameFor(draft.key()));
    // Serialized on the writer's thread: the caller pays for a shared copy only.
    QMetaObject::invokeMethod(m_writer,
                              [writer = m_writer, draft, path] { writer->write(draft.key(), path, draft); });
}

void DraftStore::enqueueRemoval(const QString &key)
{
    if (!m_refused.isEmpty())
        return;
    const QString path = QDir(m_folder).filePath(fileNameFor(key));
    QMetaObject::invokeMethod(m_writer, [writer = m_writer, path] { writer->remove(path); });
}

void DraftStore::flush()
{
    m_coalesce->stop();
    for (const QString &key : std::exchange(m_pending, {})) {
        m_writtenAt.insert(key, m_clock.elapsed());
        enqueueWrite(m_drafts.value(key));
    }
    // Queued after every write so far, so it returns once they are done.
    QMetaObject::invokeMethod(
        m_writer, [] {}, Qt::BlockingQueuedConnection);
    // Their answers are queued to this thread: take them now.
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

void DraftStore::onWritten(const QString &key, bool ok, const QString &reason)
{
    Q_UNUSED(key);
    if (ok) {
        m_failing = false;
        return;
    }
    fail(reason);
}

void DraftStore::fail(const QString &reason)
{
    qCWarning(lcDrafts) << "draft not written:" << reason;
    if (!m_failing) {
        m_failing = true;
        emit writeFailed(reason);
    }
}

#include "draftstore.moc"

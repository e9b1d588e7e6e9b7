#include "core/draftstore.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
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
// JSON may spell a character in six bytes; anything larger is no draft of ours.
constexpr qint64 maxFileBytes = 8 * DraftStore::maxDraftBytes;

constexpr QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// Cuts at a character's start, never inside one.
QString firstBytes(const QString &text, qint64 limit, bool *cut)
{
    // Three UTF-8 bytes at most for each UTF-16 unit: most drafts need no count.
    *cut = false;
    if (text.size() * 3 <= limit)
        return text;
    QByteArray utf8 = text.toUtf8();
    *cut = utf8.size() > limit;
    if (!*cut)
        return text;
    qsizetype end = limit;
    while (end > 0 && (uchar(utf8.at(end)) & 0xC0) == 0x80)
        --end;
    utf8.truncate(end);
    return QString::fromUtf8(utf8);
}

} // namespace

// Lives on the store's thread: the disk's latency never reaches the caller.
class DraftWriter final : public QObject
{
    Q_OBJECT

public:
    void write(const QString &key, const QString &path, const QByteArray &bytes)
    {
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly)) {
            emit written(key, false, file.errorString());
            return;
        }
        // The temporary file becomes the draft: it is made the user's alone
        // before a byte of the text is in it.
        file.setPermissions(ownerOnly);
        if (file.write(bytes) != bytes.size() || !file.flush()) {
            const QString reason = file.errorString();
            file.cancelWriting();
            emit written(key, false, reason);
            return;
        }
        const bool ok = file.commit();
        emit written(key, ok, ok ? QString() : file.errorString());
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
    , m_thread(new QThread(this))
    , m_writer(new DraftWriter)
{
    m_thread->setObjectName(u"velmora-drafts"_s);
    m_writer->moveToThread(m_thread);
    connect(m_thread, &QThread::finished, m_writer, &QObject::deleteLater);
    connect(m_writer, &DraftWriter::written, this, &DraftStore::onWritten);
    m_thread->start(QThread::LowPriority);
}

DraftStore::~DraftStore()
{
    // What was queued is written before the program goes.
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

QString DraftStore::shownWords(const QString &text)
{
    static const QRegularExpression images(u"\\[img\\].*?\\[/img\\]"_s,
                                           QRegularExpression::CaseInsensitiveOption
                                               | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression tags(u"\\[/?[a-z*]+(=[^\\]]*)?\\]"_s, QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression blanks(u"\\s+"_s);
    QString words = text;
    words.remove(images).remove(tags).remove(blanks);
    return words.left(60);
}

bool DraftStore::isShownIn(const QString &draftText, const QString &pageText)
{
    static const QRegularExpression blanks(u"\\s+"_s);
    return QString(pageText).remove(blanks).contains(shownWords(draftText));
}

void DraftStore::load(const QDateTime &now)
{
    m_drafts.clear();
    QDir dir(m_folder);
    if (!dir.mkpath(u"."_s))
        qCWarning(lcDrafts) << "cannot create" << m_folder;
    // Only the user reads what the user wrote, whatever the folder had.
    QFile::setPermissions(m_folder, ownerOnly | QFileDevice::ExeOwner);

    const QDateTime oldest = now.addDays(-maxAgeDays);
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        const QString path = dir.filePath(name);
        QFile file(path);
        std::optional<Draft> draft;
        if (name.endsWith(QLatin1String(suffix)) && file.size() <= maxFileBytes && file.open(QIODevice::ReadOnly))
            draft = parse(file.read(maxFileBytes));
        // A file under another draft's name would put its text on that page.
        if (!draft || fileNameFor(draft->key()) != name) {
            qCWarning(lcDrafts) << "skipped, not a draft:" << path;
            continue;
        }
        if (draft->savedAt < oldest) {
            enqueueRemoval(draft->key());
            continue;
        }
        m_drafts.insert(draft->key(), *draft);
    }
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

Draft DraftStore::save(Draft draft)
{
    draft.text = firstBytes(draft.text, maxDraftBytes, &draft.cut);
    if (!draft.savedAt.isValid())
        draft.savedAt = QDateTime::currentDateTimeUtc();
    const QString key = draft.key();
    if (!m_drafts.contains(key) && m_drafts.size() >= maxDrafts) {
        const auto oldest = std::min_element(m_drafts.cbegin(), m_drafts.cend(),
                                             [](const Draft &a, const Draft &b) { return a.savedAt < b.savedAt; });
        const QString oldKey = oldest.key();
        m_drafts.remove(oldKey);
        enqueueRemoval(oldKey);
    }
    m_drafts.insert(key, draft);
    enqueueWrite(draft);
    return draft;
}

void DraftStore::remove(const QString &page, const QString &field)
{
    const QString key = Draft::keyOf(page, field);
    m_drafts.remove(key);
    enqueueRemoval(key);
}

void DraftStore::enqueueWrite(const Draft &draft)
{
    const QString path = QDir(m_folder).filePath(fileNameFor(draft.key()));
    // Serialized on the writer's thread: the caller pays for a shared copy only.
    QMetaObject::invokeMethod(m_writer,
                              [writer = m_writer, draft, path] { writer->write(draft.key(), path, serialize(draft)); });
}

void DraftStore::enqueueRemoval(const QString &key)
{
    const QString path = QDir(m_folder).filePath(fileNameFor(key));
    QMetaObject::invokeMethod(m_writer, [writer = m_writer, path] { writer->remove(path); });
}

void DraftStore::flush()
{
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
    qCWarning(lcDrafts) << "draft not written:" << reason;
    if (!m_failing) {
        m_failing = true;
        emit writeFailed(reason);
    }
}

#include "draftstore.moc"

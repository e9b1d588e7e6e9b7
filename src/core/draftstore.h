#pragma once

#include <memory>

#include <QDateTime>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QLockFile>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

class QThread;
class QTimer;
class DraftWriter;

// What the member was writing in one field of one forum page, not yet taken
// by the forum.
struct Draft
{
    // The page's address as loaded, without its fragment, and the field: its
    // name, else its id, else its position among the page's text areas.
    QString page;
    QString field;
    QString title;
    QString text;
    QDateTime savedAt;
    // The text was longer than a draft may be: only its beginning is kept.
    bool cut = false;

    static QString keyOf(const QString &page, const QString &field) { return page + QLatin1Char('\n') + field; }
    QString key() const { return keyOf(page, field); }
};

// The drafts on disk: one file each in a folder only the user can read,
// written whole or not at all. Writes go to a thread of their own, so a
// save costs the caller only a copy of the text; the drafts in memory are
// always the newest, even when the disk refuses them. What a page can make
// the member's editor hold is bounded here: each draft's file, the number
// of drafts, their bytes in all and how often each is written.
class DraftStore final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DraftStore)

public:
    // Bytes of a draft's file, as written.
    static constexpr qint64 maxDraftBytes = 1024 * 1024;
    static constexpr int maxDrafts = 200;
    static constexpr qint64 maxTotalBytes = 50 * 1000 * 1000;
    static constexpr int maxAgeDays = 30;
    // A draft changed more often is written at most this often.
    static constexpr int writeIntervalMs = 1000;
    // An address or a field's key longer than this is no forum page's.
    static constexpr int maxPageLength = 8192;
    static constexpr int maxFieldLength = 1024;
    static constexpr int maxTitleLength = 512;

    explicit DraftStore(const QString &folder, QObject *parent = nullptr);
    ~DraftStore() override;

    QString folder() const { return m_folder; }

    // Reads the folder: the newest maxDrafts drafts, within maxTotalBytes;
    // drafts older than maxAgeDays are removed, damaged or foreign files
    // skipped (with a line in the log). A folder that is a link is not
    // used: the drafts then live in memory only, and the first save says so.
    // So does a folder another copy of the program holds: it is read, never
    // written, while that copy runs.
    void load(const QDateTime &now = QDateTime::currentDateTimeUtc());

    // Newest first.
    QList<Draft> drafts() const;
    bool contains(const QString &page, const QString &field) const;
    Draft draft(const QString &page, const QString &field) const;

    // Keeps the draft (cut so that its file holds at most maxDraftBytes)
    // and writes it soon; beyond maxDrafts or maxTotalBytes the oldest go.
    // Returns the draft as kept; std::nullopt for an address or field too
    // long to be a forum page's.
    std::optional<Draft> save(Draft draft);
    void remove(const QString &page, const QString &field);

    // Writes what waits for its turn and waits until every save and removal
    // so far is on disk.
    void flush();

    // What of a draft a page must show for the post to count as taken: its
    // first words, without forum tags and white space.
    static QString shownWords(const QString &text);
    // The addresses of the pictures a draft's [img] tags show.
    static QStringList imageAddresses(const QString &text);
    // Whether a page showing pageText (its visible text outside its fields)
    // and the pictures pageImages shows the draft: its first words, and,
    // where it has fewer than minShownCharacters of them, also each of its
    // pictures. A draft with neither is never shown.
    static constexpr int minShownCharacters = 20;
    static bool isShownIn(const QString &draftText, const QString &pageText, const QStringList &pageImages = {});

    // Whether a field's text still holds the draft: its first words, or,
    // for a draft of pictures only, their addresses.
    static bool isHeldIn(const QString &draftText, const QString &fieldText);

    // The file name a draft of this key is kept under.
    static QString fileNameFor(const QString &key);

    // Exposed for tests: the bytes of a draft file, and back.
    static QByteArray serialize(const Draft &draft);
    static std::optional<Draft> parse(const QByteArray &bytes);

signals:
    // The disk refused a write; said once, in Italian, until a write
    // succeeds again.
    void writeFailed(const QString &reason);

private:
    void onWritten(const QString &key, bool ok, const QString &reason);
    void schedule(const QString &key);
    void writePending();
    void enqueueWrite(const Draft &draft);
    void enqueueRemoval(const QString &key);
    void forget(const QString &key);
    void fail(const QString &reason);

    QString m_folder;
    // Why the folder is not used; empty when it is.
    QString m_refused;
    // Held while this store writes the folder.
    std::unique_ptr<QLockFile> m_lock;
    QHash<QString, Draft> m_drafts;
    // Each draft's bytes on disk, and their sum.
    QHash<QString, qint64> m_sizes;
    qint64 m_totalBytes = 0;
    // Drafts waiting for their turn to be written, and when each was last.
    QSet<QString> m_pending;
    QHash<QString, qint64> m_writtenAt;
    QElapsedTimer m_clock;
    QTimer *m_coalesce = nullptr;
    QThread *m_thread = nullptr;
    DraftWriter *m_writer = nullptr;
    bool m_failing = false;
};

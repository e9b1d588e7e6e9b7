#pragma once

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

class QThread;
class DraftWriter;

// What the member was writing in one field of one forum page, not yet taken
// by the forum.
struct Draft
{
    // The page's address without its fragment, and the field: its name,
    // else its id, else its position among the page's text areas.
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
// always the newest, even when the disk refuses them.
class DraftStore final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DraftStore)

public:
    static constexpr qint64 maxDraftBytes = 1024 * 1024;
    static constexpr int maxDrafts = 200;
    static constexpr int maxAgeDays = 30;

    explicit DraftStore(const QString &folder, QObject *parent = nullptr);
    ~DraftStore() override;

    QString folder() const { return m_folder; }

    // Reads the folder: drafts older than maxAgeDays are removed, damaged or
    // foreign files skipped (with a line in the log).
    void load(const QDateTime &now = QDateTime::currentDateTimeUtc());

    // Newest first.
    QList<Draft> drafts() const;
    bool contains(const QString &page, const QString &field) const;
    Draft draft(const QString &page, const QString &field) const;

    // Keeps the draft (cut to maxDraftBytes of UTF-8) and writes it soon;
    // beyond maxDrafts the oldest goes. Returns the draft as kept.
    Draft save(Draft draft);
    void remove(const QString &page, const QString &field);

    // Waits until every save and removal so far is on disk.
    void flush();

    // What of a draft a page must show for the post to count as taken: its
    // first words, without forum tags and white space.
    static QString shownWords(const QString &text);
    // Whether pageText (a page's visible text) shows the draft's words.
    static bool isShownIn(const QString &draftText, const QString &pageText);

    // The file name a draft of this key is kept under.
    static QString fileNameFor(const QString &key);

    // Exposed for tests: the bytes of a draft file, and back.
    static QByteArray serialize(const Draft &draft);
    static std::optional<Draft> parse(const QByteArray &bytes);

signals:
    // The disk refused a write; said once, until a write succeeds again.
    void writeFailed(const QString &reason);

private:
    void onWritten(const QString &key, bool ok, const QString &reason);
    void enqueueWrite(const Draft &draft);
    void enqueueRemoval(const QString &key);

    QString m_folder;
    QHash<QString, Draft> m_drafts;
    QThread *m_thread = nullptr;
    DraftWriter *m_writer = nullptr;
    bool m_failing = false;
};

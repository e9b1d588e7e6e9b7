#pragma once

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QTimer>
#include <QUrl>
#include <QVariantMap>

#include <functional>

class DraftStore;
class WebPage;

// Keeps what the member writes in a forum page's text areas and editors
// until the forum has taken it: saved soon after the member types and at
// once when the page is left, put back when the page is shown again, and
// forgotten only when the forum shows the words as a post. Only the
// member's own input (keys, pasting, dropping, the program's insertions)
// makes a draft, and a draft belongs to the page as it was loaded: a
// page's script can neither forge, delay nor delete one.
class DraftJournal final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DraftJournal)

public:
    // How long after a change the text is saved, however long the typing.
    static constexpr int quietMs = 500;
    // How long after a submission its answer may show the words.
    static constexpr qint64 answerMs = 30 * 1000;

    DraftJournal(WebPage *page, DraftStore *store, const QUrl &forumHome, QObject *parent = nullptr);

    // The member edited the field with the caret (typed, pasted, dropped,
    // took an entry of the menu); deleting when the key may have removed
    // text, so that a field found empty was emptied by the member.
    void memberEdited(bool deleting);
    // The program typed into a field (already marked): save soon.
    void changed();
    // The page is about to go (left, reloaded, closed): save what changed now.
    void saveNow() { saveThen({}); }
    // Saves what changed, then runs then: what the program does to the page
    // (leave it, reload it, close it) waits for the words to be kept.
    void saveThen(const std::function<void()> &then);
    // A form of the page was submitted: its drafts wait for the answer.
    void formSubmitted();
    // The page sent something to the forum in the background, on the
    // member's click or key: a quick reply, an edit saved in place.
    void sentInBackground();
    // The draft this page offered, to put at the caret.
    QString offered() const { return m_offered; }
    void clearOffered() { m_offered.clear(); }

    static QString restoredText(const QDateTime &savedAt);
    static QString offeredText();
    static QString cutText();

signals:
    void status(const QString &text);
    // What status said no longer holds: the status line shows the page's.
    void statusWithdrawn();
    // The page shown holds the words the member sent: the forum took them.
    void postShown();

private:
    struct Sent
    {
        QString page;
        qint64 until = 0;
    };

    void collect(const std::function<void()> &then = {});
    // The page a document's drafts belong to: the page it was loaded from,
    // or, for the answer to a form, the page the form came from.
    QString keyOf(const QVariantMap &identity) const;
    // True when a text was longer than a draft may be, and only its
    // beginning was kept.
    bool keep(const QString &page, const QString &title, const QVariantList &fields);
    void onLoadFinished(bool ok);
    void restore(const QString &doc, const QString &page, const QStringList &keys, int attempt);
    // Removes the drafts of the page sent whose words the answer shows
    // (see DraftStore::isShownIn) and no field of it holds; false while
    // any waits.
    bool settle(const QVariantMap &answer);
    void checkInBackground(int step);
    bool isForum(const QString &page) const;
    bool sentPending() const;

    WebPage *m_page;
    DraftStore *m_store;
    QUrl m_home;
    QTimer m_quiet;
    bool m_dirty = false;
    bool m_editedSinceLoad = false;
    // The document shown, its page, and the page each form's answer
    // belongs to.
    QString m_doc;
    QString m_docPage;
    QHash<QString, QString> m_answerPages;
    QString m_formPage;
    Sent m_sent;
    int m_backgroundRound = 0;
    QString m_offered;
    // The fields whose draft was just put back, while the status says so.
    QStringList m_restored;
};

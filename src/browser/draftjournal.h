#pragma once

#include <QDateTime>
#include <QObject>
#include <QTimer>
#include <QUrl>

#include <functional>

class DraftStore;
class QWebEnginePage;
class QWebEngineView;

// Keeps what the member writes in a forum page's text areas until the forum
// has taken it: saved soon after the typing stops and at once when the page
// is left, put back when the page is shown again, and forgotten only when
// the page a submission leads to shows the words.
class DraftJournal final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DraftJournal)

public:
    // How long after the last change the text is saved.
    static constexpr int quietMs = 500;
    // How long after a submission its answer may show the words.
    static constexpr qint64 answerMs = 30 * 1000;

    DraftJournal(QWebEngineView *view, QWebEnginePage *page, DraftStore *store, const QUrl &forumHome);

    // The member (or the program, typing a tag) changed a field: save soon.
    void changed();
    // The page is about to go (left, reloaded, closed): save what changed now.
    void saveNow() { saveThen({}); }
    // Saves what changed, then runs then: what the program does to the page
    // (leave it, reload it, close it) waits for the words to be kept.
    void saveThen(const std::function<void()> &then);
    // A form of the page was submitted: its drafts wait for the answer.
    void formSubmitted();
    // Puts the draft this page offered at the caret of the focused field.
    void insertOffered();

    static QString restoredText(const QDateTime &savedAt);
    static QString offeredText();
    static QString cutText();

signals:
    void status(const QString &text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void watch(QObject *widget);
    void collect(const std::function<void()> &then = {});
    // True when a text was longer than a draft may be, and only its
    // beginning was kept.
    static bool keep(DraftStore &store, const QString &page, const QString &title, const QVariantList &fields);
    void onLoadFinished(bool ok);
    void restore(const QString &page);
    void checkAnswer(const QString &page);
    bool isForum(const QUrl &url) const;
    QString pageKey() const;

    QWebEngineView *m_view;
    QWebEnginePage *m_page;
    DraftStore *m_store;
    QUrl m_home;
    QTimer m_quiet;
    bool m_dirty = false;
    // The page whose form was submitted, and until when its answer counts.
    QString m_sentPage;
    qint64 m_sentUntil = 0;
    QString m_offered;
};

#pragma once

#include "web/pagedialogs.h"
#include "core/userintent.h"

#include <QHash>
#include <QSet>
#include <QUrl>

#include <functional>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>

class Prompter;

// Policy for the pages of our views. The forum's pages stay on the forum:
// other sites go to the system's browser and other programs are asked
// about, each only just after the member's own click or key; files open
// never, and are saved without asking only after such a click; new windows
// only on a click; no permission is granted. A preview only ever shows an
// image from the web.
class WebPage final : public QWebEnginePage
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WebPage)

public:
    enum class Kind {
        Forum,   // the main view
        Popup,   // a forum page opened in a window of its own
        Preview, // an image preview
    };

    // home: the forum's (its host is the trusted one); prompter: where the
    // page's questions to the member go (none for a preview).
    WebPage(QWebEngineProfile *profile, Kind kind, const QUrl &home, Prompter *prompter, QObject *parent);
    ~WebPage() override;

    // True while the page shown is the answer to a posted form: loading it
    // again would post the form again.
    bool showsPostAnswer() const { return m_postAnswer; }

    static QString externalTitle() { return QStringLiteral("Norvale - Apertura Esterna"); }
    static QString externalQuestion() { return QStringLiteral("Aprire questo indirizzo con un altro programma?"); }

    // Known to the program's own scripts in the page alone: their messages
    // (the member's clicks and keys, a new document) carry it.
    QString secret() const { return m_secret; }

    // The page a download comes from, found by its address: Qt 6.4's
    // QWebEngineDownloadRequest::page() crashes when that page is gone.
    // Null when no forum page is open.
    static WebPage *downloadOwner(const QUrl &url);
    // Whether a download the page asked for may be saved without asking:
    // the answer to what the member typed or clicked in the page itself,
    // not to a frame's or a script's wish. A refusal is told.
    bool mayDownload(const QUrl &url, const QString &name);
    // Downloads url on the member's word, after it was refused.
    void downloadOnWord(const QUrl &url, const QString &name);
    // The window is closing: the page's boxes close and no new one opens,
    // so a page that keeps showing them cannot hold the program.
    void closing() { m_dialogs.refuseFromNow(); }
    // The pages' console messages go to standard error (--log-console), at
    // most consoleLinesPerSecond a second; otherwise nowhere.
    static void showConsole(bool shown);
    static constexpr int consoleLinesPerSecond = 20;
    // How long a member's click may be reported after what it started.
    static constexpr int reportLagMs = 400;

    // A box of the page's is up, or waiting to come up.
    bool dialogsOpen() const { return m_dialogs.isOpen(); }
    // The member leaves the page: its boxes are answered "cancel".
    void dismissDialogs() { m_dialogs.dismiss(); }

signals:
    // The user chose to stay when the page asked about leaving it.
    void leaveRefused();
    // The page shown is about to go: left, reloaded, or replaced by the
    // answer to one of its forms (then formSubmitted comes instead).
    void leaving();
    void formSubmitted();
    // The page sent something to the forum in the background (a quick
    // reply, an edit saved in place) just after the member's click or key.
    void sentInBackground();
    // What url asked for did not happen here: refused, or handed to another
    // program. why is for the status line; empty when there is nothing to
    // say, the page shown being as it was.
    void navigationDeclined(const QUrl &url, const QString &why);
    // The member's click asks for a forum page in a window of its own: a
    // receiver opens it there (request.openIn) before returning; unopened,
    // the request is refused.
    void popupRequested(QWebEngineNewWindowRequest &request);

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage *createWindow(WebWindowType type) override;
    void javaScriptAlert(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptConfirm(const QUrl &securityOrigin, const QString &msg) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message, int lineNumber,
                                  const QString &sourceID) override;
    bool javaScriptPrompt(const QUrl &securityOrigin, const QString &msg, const QString &defaultValue,
                          QString *result) override;
    QStringList chooseFiles(FileSelectionMode mode, const QStringList &oldFiles,
                            const QStringList &acceptedMimeTypes) override;

private:
    friend class SendWatch;
    void onNewWindow(QWebEngineNewWindowRequest &request);
    void askToOpenElsewhere(const QUrl &url);
    // Asks a box that holds the page's script until answered; a renderer that
    // dies meanwhile ends the wait at once, as "cancel".
    bool askWhileAlive(const std::function<bool()> &ask);
    static QString blockedText(const QUrl &url);
    // Always false, for acceptNavigationRequest to return.
    bool decline(const QUrl &url, const QString &why = {});
    bool dialogAllowed(const QUrl &securityOrigin) const;
    QWidget *ownerWindow() const;

    Kind m_kind;
    QUrl m_home;
    Prompter *m_prompter = nullptr;
    bool m_postAnswer = false;
    PageDialogs m_dialogs;
    QString m_secret;
    // The member's last click or key in the page, as the page's own script
    // of ours saw what it landed on.
    UserIntent m_intent;
    // A navigation of the page itself is under way: redirects now are the
    // server's, of that navigation.
    bool m_inFlight = false;
    // What the page asked for lately, and when.
    QHash<QUrl, qint64> m_requested;
    // The main frame's address the member typed or clicked, followed through
    // redirects: a file it turns out to be is the member's.
    QUrl m_asked;
    // Addresses the page's frames loaded: a file they turn out to be is not.
    QSet<QUrl> m_frameAddresses;
    // Addresses the member said to download after all.
    QSet<QUrl> m_granted;
};

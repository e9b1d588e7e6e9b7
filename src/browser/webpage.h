#pragma once

#include "browser/forumsite.h"
#include "browser/pagedialogs.h"

#include <QWebEnginePage>

// Policy for the pages of our views. The forum's pages stay on the forum:
// other sites go to the system's browser, other programs only on the user's
// word, files never; new windows only on a click; no permission is granted.
// A preview only ever shows an image from the web.
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

    WebPage(QWebEngineProfile *profile, Kind kind, const ForumSite &site, QObject *parent);

    // True while the page shown is the answer to a posted form: loading it
    // again would post the form again.
    bool showsPostAnswer() const { return m_postAnswer; }

    static QString externalTitle() { return QStringLiteral("Norvale - Apertura Esterna"); }
    static QString externalQuestion() { return QStringLiteral("Aprire questo indirizzo con un altro programma?"); }

signals:
    // The user chose to stay when the page asked about leaving it.
    void leaveRefused();
    // The page shown is about to go: left, reloaded, or replaced by the
    // answer to one of its forms (then formSubmitted comes instead).
    void leaving();
    void formSubmitted();
    // The member changed a text field of the page (see DraftScripts).
    void textChanged();

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage *createWindow(WebWindowType type) override;
    void javaScriptAlert(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptConfirm(const QUrl &securityOrigin, const QString &msg) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message, int lineNumber,
                                  const QString &sourceID) override;
    bool javaScriptPrompt(const QUrl &securityOrigin, const QString &msg, const QString &defaultValue,
                          QString *result) override;

private:
    void onNewWindow(QWebEngineNewWindowRequest &request);
    void askToOpenElsewhere(const QUrl &url);
    QWidget *ownerWindow() const;

    Kind m_kind;
    ForumSite m_site;
    bool m_postAnswer = false;
    PageDialogs m_dialogs;
};

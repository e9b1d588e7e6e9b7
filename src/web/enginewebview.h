#pragma once

#include "core/reloadlimiter.h"
#include "gui/appcontext.h"
#include "gui/webview.h"

#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>

#include <functional>

class QAction;
class QWebEngineLoadingInfo;
class QWebEngineProfile;
class QWebEngineView;
class WebPage;

// The real web view, on Qt WebEngine (Chromium).
class EngineWebView final : public WebView
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EngineWebView)

public:
    // context: the forum's home (its host is the trusted one) and the
    // message boxes; a preview needs neither.
    explicit EngineWebView(Role role, QWidget *parent = nullptr, const AppContext &context = {});
    ~EngineWebView() override;
    // A view for a forum page the engine opens in a window of its own
    // (request.openIn(page())): the forum's policy for such pages, and no
    // personal set to add images to.
    static EngineWebView *forPopup(const AppContext &context, QWidget *parent);
    bool isPopup() const { return m_popup; }

    void Navigate(const QString &address) override;
    void Unload() override;
    void GoBack() override;
    void GoForward() override;
    void Refresh() override;
    void Stop() override;
    bool requestClose() override;

    bool Busy() const override { return m_loading; }
    QString LocationName() const override;
    QString LocationURL() const override;
    void InsertAtCaret(const QString &text, const QString &host) override;
    void Find(const QString &text, bool backwards) override;
    void Read() override;
    double zoomFactor() const override;
    void setZoomFactor(double factor) override;

    // What must happen before the page shown may go (the member's words
    // kept): given the step that takes the page away, runs it when ready.
    // Every way of leaving goes through it: the program's steps, the menu's
    // Back, Forward and Reload, closing.
    using LeaveGuard = std::function<void(const std::function<void()> &step)>;
    void setLeaveGuard(LeaveGuard guard) { m_leaveGuard = std::move(guard); }
    // A command of the program's shown at the end of the right-click menu.
    void addMenuAction(QAction *action) { m_menuActions.append(action); }
    // Types text at the caret of the field the member is in now.
    void insertHere(const QString &text);
    // Shows a message of the program's own, and has it spoken.
    void tell(const QString &text);
    // The status line goes back to what it said of the page shown.
    void showPageStatus() { emit StatusTextChange(m_shownStatus); }

    // Said when a tag would not fit whole in the field with the caret.
    static QString tooLongText()
    {
        return QStringLiteral("Il campo non può contenere tutto il tag: è solo negli appunti");
    }

    // The page, made now if it was not yet.
    WebPage *page();

    // The renderer process, for tests that check recovery from its crash.
    qint64 rendererProcessId() const;
    // The forum's profile, shared by the main view and its windows.
    static QWebEngineProfile *forumProfile();

signals:
    // The engine's page is made (at the first navigation): what rides with
    // it attaches now.
    void pageMade(WebPage *page);
    // The member edited the field with the caret (typed, pasted, dropped,
    // took an entry of the menu); deleting when the key may remove text.
    void memberEdited(bool deleting);
    // The keyboard left the page (for the Iconario, another window).
    void keyboardLeft();
    // The program typed text into the page's field.
    void textTyped();
    // A forum page asks for a window of its own (see WebPage).
    void popupRequested(QWebEngineNewWindowRequest &request);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    static QWebEngineProfile *profileFor(Role role);
    // Tells assistive technology which element of the page has the keyboard.
    void announceFocus();
    // Types text where the member writes (see PageScripts::insertAtCaret).
    void insert(const QString &text, const QString &host, bool anywhere);
    // Runs a step that takes the page away once the journal has its words.
    void beforeLeaving(const std::function<void()> &step);
    QWebEngineView *engine();
    void setLoading(bool loading);
    void onLoadStarted();
    void onLoadProgress(int percent);
    void onLoadFinished(const QWebEngineLoadingInfo &info);
    // Puts the watcher into a document the engine made without it.
    void noteIfMissed(const QUrl &committed);
    void onRendererGone(QWebEnginePage::RenderProcessTerminationStatus status);

    QWebEngineView *m_view = nullptr;
    WebPage *m_page = nullptr;
    LeaveGuard m_leaveGuard;
    QList<QAction *> m_menuActions;
    // The watcher's code, for a document made without it.
    QString m_watcherSource;
    Role m_role;
    bool m_popup = false;
    QUrl m_home;
    Prompter *m_prompter = nullptr;
    ReloadLimiter m_reloads;
    // A navigation that became a download ends as a failed load; the page
    // shown is still there.
    QUrl m_failedUrl;
    QUrl m_downloadUrl;
    QString m_download;
    // A navigation the page declined, and why, for when it ends.
    QUrl m_declinedUrl;
    QString m_declined;
    // What the status line said of the page shown.
    QString m_shownStatus;
    bool m_loading = false;
    // Applied to the engine's view once it is made.
    double m_zoom = 1.0;
};

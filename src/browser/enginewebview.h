#pragma once

#include "browser/forumsite.h"
#include "core/reloadlimiter.h"
#include "gui/webview.h"

#include <QWebEnginePage>

class DraftJournal;
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
    // site: what a forum view needs of the program; a preview needs none.
    explicit EngineWebView(Role role, QWidget *parent = nullptr, const ForumSite &site = {});
    ~EngineWebView() override;
    // A view for a forum page the engine opens in a window of its own
    // (request.openIn(page())): the forum's policy for such pages, and no
    // personal set to add images to.
    static EngineWebView *forPopup(const ForumSite &site, QWidget *parent);

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

    // Opens the window of the drafts not yet sent.
    void showDrafts();

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
    // Shows a message of the program's own, and has it spoken.
    void tell(const QString &text);
    void onLoadStarted();
    void onLoadProgress(int percent);
    void onLoadFinished(const QWebEngineLoadingInfo &info);
    void onRendererGone(QWebEnginePage::RenderProcessTerminationStatus status);

    QWebEngineView *m_view = nullptr;
    WebPage *m_page = nullptr;
    // What the member writes in the forum's pages; none in a preview.
    DraftJournal *m_journal = nullptr;
    Role m_role;
    bool m_popup = false;
    ForumSite m_site;
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

#pragma once

#include <QWidget>

class EngineWebView;
class QLabel;
class WebPage;

// A forum page opened in a new window (a link with a target, a script's
// window.open after a click): a small window of its own on the forum's
// profile, so the same login, titled with its page's title, with a close
// box and nothing else. The page may close it (window.close()).
class ForumPopup final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ForumPopup)

public:
    // view: the forum view the page opens in (see EngineWebView::forPopup),
    // taken over; parent: the window it was opened from; it goes with it.
    ForumPopup(EngineWebView *view, QWidget *parent);

    // Where the engine opens the new window's page.
    WebPage *page() const { return m_page; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    EngineWebView *m_view = nullptr;
    WebPage *m_page = nullptr;
    QLabel *m_lblStatus = nullptr;
    // The page has had its say ("leave this page?") and agreed to close.
    bool m_pageAgreed = false;
    bool m_closeAsked = false;
};

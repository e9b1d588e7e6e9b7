#pragma once

#include <QRectF>
#include <QString>
#include <QUrl>
#include <QVariantMap>
#include <QWidget>

// The program's only view of a web browser: the few operations the windows
// use, with its place kept in twips. The engine's view (browser/) is the real one; tests use
// a double. What the getters answer changes only with a signal, so windows
// follow the view without asking it on a timer.
class WebView : public QWidget
{
    Q_OBJECT

public:
    enum class Role {
        Forum,   // the forum itself: scripts, cookies and history kept
        Preview, // an image preview: no scripts, no plugins, no local files
    };

    using QWidget::QWidget;

    virtual void Navigate(const QString &address) = 0;
    virtual void GoBack() = 0;
    virtual void GoForward() = 0;
    virtual void Refresh() = 0;
    virtual void Stop() = 0;
    // Lets a hidden view's page go, renderer and all, until its next
    // navigation; a view on screen keeps its page.
    virtual void Unload() = 0;
    // The program is closing: true when the view agrees at once; otherwise
    // its page may first ask about unsent text, and closeAccepted follows
    // only if the user leaves it.
    [[nodiscard]] virtual bool requestClose() { return true; }

    virtual bool Busy() const = 0;
    virtual QString LocationName() const = 0;
    virtual QString LocationURL() const = 0;

    // Writing in the forum's pages; a preview does none of it.
    // Types text at the caret of the text field the member was writing in
    // when they left the page, as if typed and as one undo step of its own,
    // when the page is on host; the field then has the focus again.
    // textInserted tells whether it was.
    virtual void InsertAtCaret(const QString &text, const QString &host);
    // Highlights text in the page and moves to its next (or previous)
    // match; findResult tells where. An empty text ends the search.
    virtual void Find(const QString &text, bool backwards);
    // Reads the page shown as text for the reading view; pageRead answers
    // (see PageScripts::readable), with an empty map where there is none.
    virtual void Read();
    virtual double zoomFactor() const { return 1.0; }
    virtual void setZoomFactor(double factor);

    // Place in twips. A negative width or height is refused (false) and
    // leaves the view as it was; the layout relies on that.
    [[nodiscard]] bool setLeftTwips(double left);
    [[nodiscard]] bool setTopTwips(double top);
    [[nodiscard]] bool setWidthTwips(double width);
    [[nodiscard]] bool setHeightTwips(double height);
    void setRectTwips(double left, double top, double width, double height);

    // What was set, not what the pixels snapped to.
    double leftTwips() const { return m_twips.left(); }
    double topTwips() const { return m_twips.top(); }
    double widthTwips() const { return m_twips.width(); }
    double heightTwips() const { return m_twips.height(); }

signals:
    void StatusTextChange(const QString &text);
    // A message of the program's own just put in the status line (not a
    // link's address or the load's progress): worth telling a screen reader.
    void noticeShown(const QString &text);
    // Busy() turned to busy.
    void loadingChanged(bool busy);
    // LocationName() and LocationURL() now answer these.
    void titleChanged(const QString &title);
    void addressChanged(const QString &address);
    void textInserted(bool inserted);
    // Match active of total (0 of 0: none).
    void findResult(int active, int total);
    void pageRead(const QVariantMap &page);
    // The user asked, from the page's menu, to add this image to the
    // personal set.
    void addImageRequested(const QUrl &image);
    void closeAccepted();
    // The user stayed on the page rather than lose what it holds.
    void closeRefused();

private:
    void applyTwips();

    QRectF m_twips;
};

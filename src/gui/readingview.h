#pragma once

#include <QList>
#include <QTextBrowser>
#include <QUrl>
#include <QVariantMap>

class SpokenNotice;

// A forum page as text the member reads by caret and line, with a screen
// reader or by eye: its title, headings, paragraphs, lists, tables (each
// row with its column headers), links and pictures by their alternative
// text. Built from what the page shows, never from its markup: nothing of
// the page runs here, and nothing is kept. Letters move as in a browser's
// reading mode: h and 1 to 6 to the next heading, t to a table, l to a list,
// k to a link, with Shift backwards; each move says where it landed.
class ReadingView final : public QTextBrowser
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ReadingView)

public:
    explicit ReadingView(QWidget *parent = nullptr);

    // Shows a page as read by WebView::Read, the caret at its start.
    void showPage(const QVariantMap &page);
    // Text at the size the forum's page is shown at.
    void setZoom(double factor);

    enum class Kind { Heading, Table, List, Link };
    struct Mark
    {
        int position = 0;
        Kind kind = Kind::Heading;
        int level = 0;
        QString said;
    };
    const QList<Mark> &marks() const { return m_marks; }
    // Moves the caret to the next (or previous) mark of kind (and level, for
    // headings; 0 for any) and says it; false where there is none.
    bool moveTo(Kind kind, bool backwards, int level = 0);

signals:
    // The member followed a link: the forum's page goes there.
    void linkFollowed(const QUrl &url);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void addRuns(QTextCursor &cursor, const QVariantList &runs, const QTextCharFormat &base);
    void follow(const QString &href);

    QList<Mark> m_marks;
    QList<QUrl> m_links;
    SpokenNotice *m_notice = nullptr;
    double m_zoom = 1.0;
};

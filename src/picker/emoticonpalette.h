#pragma once

#include "finder/emoticonindex.h"
#include "finder/emoticonusage.h"
#include "gui/appcontext.h"

#include <QFrame>
#include <QList>
#include <QPixmap>

class EmoticonPictures;
class QBuffer;
class QLabel;
class QLineEdit;
class QMovie;
class QPushButton;
class QScrollArea;
class QVBoxLayout;
class SpokenNotice;

// One emoticon of the palette: its picture, still unless it has the
// keyboard or the mouse over it, its name and its set.
class EmoticonCell final : public QFrame
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EmoticonCell)

public:
    EmoticonCell(const Emoticon &emoticon, QWidget *parent);

    const Emoticon &emoticon() const { return m_emoticon; }
    void setPicture(const QByteArray &bytes);
    // The address gave no picture: a mark instead, and why in the tip.
    void setBroken(const QString &reason);
    bool isBroken() const { return m_broken; }
    void setCurrent(bool current);
    bool isAnimated() const { return m_movie != nullptr; }

signals:
    void clicked();

protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void followAttention();

    Emoticon m_emoticon;
    QLabel *m_picture;
    QByteArray m_bytes;
    QBuffer *m_buffer = nullptr;
    QMovie *m_movie = nullptr;
    bool m_hovered = false;
    bool m_current = false;
    bool m_broken = false;
};

// The emoticon by name, where the member types: a search box over a grid of
// the emoticons of all five sets, with the favourites and the recent ones
// above when nothing is typed. Enter gives the chosen one's tag to its
// owner, who types it at the caret; Esc closes it with nothing typed. It
// keeps the recents and favourites, in a file of their own.
class EmoticonPalette final : public QFrame
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EmoticonPalette)

public:
    static constexpr int columns = 4;
    // A search of one letter finds hundreds; the grid shows the best.
    static constexpr int mostResults = 48;

    EmoticonPalette(const AppContext &context, QWidget *window);

    // Shows it beside caret (in the window's coordinates), the search box
    // empty and with the keyboard.
    void openAt(const QRect &caret);
    // One use of an emoticon, here or by the Iconario's OK or a drag.
    void recordUse(int set, const QString &name);
    const EmoticonUsage &usage() const { return m_usage; }

    // Enter: the chosen emoticon, or nothing when none is.
    void chooseCurrent();

    QLineEdit *searchBox() const { return m_search; }
    QPushButton *favouriteButton() const { return m_favourite; }
    QLabel *warning() const { return m_warning; }
    QList<EmoticonCell *> cells() const { return m_cells; }
    EmoticonCell *current() const { return m_current; }

    // What a screen reader hears of a cell: "<name>, <set>, <n> di <m>".
    static QString spokenName(const Emoticon &emoticon, int position, int count);
    static QString addText() { return QStringLiteral("Aggiungi alle preferite"); }
    static QString removeText() { return QStringLiteral("Togli dalle preferite"); }

signals:
    // The member chose: tag is to be typed where they were writing.
    void chosen(const QString &tag, const QString &name);
    // Closed with nothing chosen; byKey when by Esc, when the keyboard goes
    // back to the page.
    void dismissed(bool byKey);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void dismiss(bool byKey);
    void showResults();
    void addSection(const QString &title, const QList<int> &items);
    void setCurrent(EmoticonCell *cell, bool focus);
    void moveCurrent(int key);
    void choose(EmoticonCell *cell);
    void pictureReady(const QString &url);
    void pictureFailed(const QString &url, const QString &reason);
    void warn(const QString &text);
    void toggleFavourite();
    void updateFavouriteButton();
    void saveUsage();
    void place(const QRect &caret);

    AppContext m_context;
    EmoticonIndex m_index;
    EmoticonUsage m_usage;
    // As they stood at the opening: a use while open moves nothing.
    QList<int> m_recent;
    QList<int> m_favourites;
    EmoticonPictures *m_pictures;
    QString m_waitingFor;

    QLineEdit *m_search = nullptr;
    QScrollArea *m_scroll = nullptr;
    QWidget *m_grid = nullptr;
    QVBoxLayout *m_sections = nullptr;
    QLabel *m_warning = nullptr;
    QPushButton *m_favourite = nullptr;
    SpokenNotice *m_notice = nullptr;
    QList<EmoticonCell *> m_cells;
    // Per cell: its section's first cell and size.
    QList<QPair<int, int>> m_sectionOf;
    EmoticonCell *m_current = nullptr;
};

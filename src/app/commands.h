#pragma once

#include <QKeySequence>
#include <QList>
#include <QObject>

class QAction;
class QWidget;

// The main window's commands, made in one place: each a QAction with its
// Italian name and its keys. The bar's buttons trigger the first six, the
// keys are the actions' shortcuts, the page's right-click menu shows the
// drafts' action with its key, and the Control keys a text field of the
// page would otherwise take are reserved from these.
class Commands final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Commands)

public:
    enum Id {
        // The bar's buttons, in their order.
        Back,
        Forward,
        Reload,
        Stop,
        Home,
        Iconario,
        // Keys of the window's own.
        Escape,       // closes what the keyboard is in, else stops the load
        IconarioKeys, // into the Iconario, and out again
        Find,
        Reading,
        Downloads,
        Drafts,
        ZoomIn,
        ZoomOut,
        ZoomReset,
        Palette, // the emoticon by name, where the member types
        Replies, // the topics followed and their replies
        Count
    };

    // Makes every command as an action of window's, its keys working
    // anywhere in the window, the reserved ones even in the page's fields.
    explicit Commands(QWidget *window);

    QAction *action(Id id) const { return m_actions.at(id); }

    // A command as the right-click menu of a forum view shows it (its name
    // and its key, in the words the status line uses: "Maiusc", not
    // "Shift"), for parent; the caller connects it.
    static QAction *forMenu(Id id, QObject *parent);
    // A key as the status line and the menus name it.
    static QString keyText(const QKeySequence &key);

private:
    QList<QAction *> m_actions;
};

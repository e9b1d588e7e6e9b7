#pragma once

#include <QKeySequence>
#include <QList>
#include <QObject>

class QWidget;

// Keys of a window's own that a page focused in it must not take. In a text
// field the engine claims every key Qt counts as a text-editing key, and on
// X11 those include Emacs keys such as Ctrl+E (end of line): the window's key
// would be dead exactly where the member writes. As in browsers, the
// window's keys win; End still ends the line.
class ReservedKeys final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ReservedKeys)

public:
    // Watches the application's events for window's widgets.
    ReservedKeys(QWidget *window, QList<QKeySequence> keys);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_window;
    QList<QKeySequence> m_keys;
};

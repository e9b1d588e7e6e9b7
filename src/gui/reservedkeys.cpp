#include "gui/reservedkeys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

ReservedKeys::ReservedKeys(QWidget *window, QList<QKeySequence> keys)
    : QObject(window)
    , m_window(window)
    , m_keys(std::move(keys))
{
    // The engine's widgets come and go with its renderer: the application
    // sees the key before any of them.
    qApp->installEventFilter(this);
}

bool ReservedKeys::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::ShortcutOverride || !watched->isWidgetType())
        return false;
    auto *widget = static_cast<QWidget *>(watched);
    if (widget->window() != m_window)
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    const QKeySequence pressed(QKeyCombination(key->modifiers() & ~Qt::KeypadModifier, Qt::Key(key->key())));
    if (!m_keys.contains(pressed))
        return false;
    // Not accepted, and kept from the widget: the window's shortcut runs.
    event->ignore();
    return true;
}

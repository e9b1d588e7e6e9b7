#include "app/commands.h"

#include "gui/reservedkeys.h"

#include <QAction>
#include <QWidget>

namespace {

struct Command
{
    const char16_t *name;
    QList<QKeySequence> keys;
    // A text field of the page would otherwise take the key.
    bool reserved = false;
};

const Command &command(Commands::Id id)
{
    static const Command commands[Commands::Count] = {
        {u"Indietro", {QKeySequence(Qt::ALT | Qt::Key_Left)}},
        {u"Avanti", {QKeySequence(Qt::ALT | Qt::Key_Right)}},
        {u"Aggiorna", {QKeySequence(Qt::Key_F5), QKeySequence(Qt::CTRL | Qt::Key_R)}, true},
        {u"Termina", {}},
        {u"Home Page Forum", {QKeySequence(Qt::ALT | Qt::Key_Home)}},
        {u"Attiva Iconario", {}},
        {u"Chiudi", {QKeySequence(Qt::Key_Escape)}},
        {u"Iconario", {QKeySequence(Qt::CTRL | Qt::Key_E)}, true},
        {u"Trova nella pagina", {QKeySequence(QKeySequence::Find)}, true},
        {u"Lettura", {QKeySequence(Qt::Key_F9)}},
        {u"Download", {QKeySequence(Qt::CTRL | Qt::Key_J)}, true},
        {u"Bozze non inviate…", {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D)}, true},
        {u"Ingrandisci", {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)}},
        {u"Riduci", {QKeySequence(Qt::CTRL | Qt::Key_Minus)}},
        {u"Dimensione normale", {QKeySequence(Qt::CTRL | Qt::Key_0)}},
        {u"Emoticon per nome", {QKeySequence(Qt::CTRL | Qt::Key_Period)}, true},
        {u"Risposte…", {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R)}, true},
    };
    return commands[id];
}

} // namespace

Commands::Commands(QWidget *window)
    : QObject(window)
{
    QList<QKeySequence> reserved;
    for (int i = 0; i < Count; ++i) {
        const Command &c = command(Id(i));
        auto *action = new QAction(QString::fromUtf16(c.name), window);
        action->setShortcuts(c.keys);
        action->setShortcutContext(Qt::WindowShortcut);
        window->addAction(action);
        m_actions.append(action);
        if (c.reserved) {
            for (const QKeySequence &key : c.keys) {
                // F5 reaches the window from a field anyway.
                if (key[0].keyboardModifiers() & Qt::ControlModifier)
                    reserved.append(key);
            }
        }
    }
    new ReservedKeys(window, reserved);
}

QAction *Commands::forMenu(Id id, QObject *parent)
{
    const Command &c = command(id);
    QString text = QString::fromUtf16(c.name);
    // The key is the window's; the menu only names it.
    if (!c.keys.isEmpty())
        text += QLatin1Char('\t') + keyText(c.keys.first());
    return new QAction(text, parent);
}

QString Commands::keyText(const QKeySequence &key)
{
    return key.toString(QKeySequence::PortableText).replace(QStringLiteral("Shift"), QStringLiteral("Maiusc"));
}

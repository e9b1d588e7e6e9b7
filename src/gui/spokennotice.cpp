#include "gui/spokennotice.h"

#include "gui/accessibleroles.h"

#include <QAccessible>

SpokenNotice::SpokenNotice(QWidget *parent)
    : QWidget(parent)
{
    AccessibleRoles::present(staticMetaObject, QAccessible::Notification);
    setObjectName(QStringLiteral("avviso"));
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setGeometry(0, 0, 0, 0);
    // Never seen, and shown only in what it tells the bus: showing with its
    // window would have a screen reader announce an empty notification.
    hide();
}

void SpokenNotice::say(const QString &text)
{
    if (text.isEmpty())
        return;
    setAccessibleName(text);
    // The same message again is news again: each saying shows anew.
    QAccessibleEvent shown(this, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
}

#include "gui/spokennotice.h"

#include <QAccessible>
#include <QAccessibleWidget>

namespace {

QAccessibleInterface *accessibleFor(const QString &className, QObject *object)
{
    if (className == QLatin1String(SpokenNotice::staticMetaObject.className()) && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Notification);
    return nullptr;
}

} // namespace

SpokenNotice::SpokenNotice(QWidget *parent)
    : QWidget(parent)
{
    static const bool installed = [] {
        QAccessible::installFactory(accessibleFor);
        return true;
    }();
    Q_UNUSED(installed);
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

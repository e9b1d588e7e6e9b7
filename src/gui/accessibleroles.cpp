#include "gui/accessibleroles.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QWidget>

namespace AccessibleRoles {

namespace {

QHash<QString, QAccessible::Role> &roles()
{
    static QHash<QString, QAccessible::Role> byClass;
    return byClass;
}

// Qt asks with each class name from the widget's own up to QObject.
QAccessibleInterface *accessibleFor(const QString &className, QObject *object)
{
    const auto found = roles().constFind(className);
    if (found == roles().constEnd() || !object->isWidgetType())
        return nullptr;
    return new QAccessibleWidget(static_cast<QWidget *>(object), *found);
}

} // namespace

void present(const QMetaObject &type, QAccessible::Role role)
{
    if (roles().isEmpty())
        QAccessible::installFactory(accessibleFor);
    roles().insert(QString::fromLatin1(type.className()), role);
}

} // namespace AccessibleRoles

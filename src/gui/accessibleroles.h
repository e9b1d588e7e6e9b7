#pragma once

#include <QAccessible>

struct QMetaObject;

// The role screen readers are told for every widget of a class, where Qt's
// guess misleads them: a QFrame is told as a window's frame, and Orca then
// takes a panel for a window that is not active and ignores the focus in it;
// a plain top-level QWidget is told as a filler, not as a window.
namespace AccessibleRoles {

void present(const QMetaObject &type, QAccessible::Role role);

} // namespace AccessibleRoles

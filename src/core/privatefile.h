#pragma once

#include <QByteArray>
#include <QString>

namespace PrivateFile {

// Writes bytes to path whole or not at all (an interrupted write leaves the
// old file), the user's alone from its first byte, its folder made first;
// false and why.
bool write(const QString &path, const QByteArray &bytes, QString *reason = nullptr);

} // namespace PrivateFile

#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

// The ANSI code page of Western Windows, the personal-set file's encoding,
// done here rather than by Qt: Qt knows it only through ICU, which Qt for
// Windows may be built without. Bytes 0x81, 0x8D, 0x8F, 0x90 and 0x9D, which
// the code page leaves unassigned, stand for U+0081... as ICU and Windows
// itself have them, so every byte reads back as it was.
namespace Windows1252 {

QString decode(QByteArrayView bytes);

// std::nullopt when some character of text has no byte.
std::optional<QByteArray> encode(QStringView text);

} // namespace Windows1252

#pragma once

#include <QString>

#include <functional>

// The name a download is saved under: the server's, made safe as a file
// name and made unique as a browser does ("nome (1).zip"). Qt Core only.
namespace DownloadName {

// What the file systems we save to take in one name, in UTF-8 bytes, less
// the ".download" the engine adds to the name while the file is on its way.
constexpr qsizetype longestName = 255 - 9;

// The server's name as a file would be saved under it, before it is made
// unique: what a window shows of a name a page sent. Never empty, at most
// longestName bytes, the extension kept; no folder part, no leading dot, no
// control or invisible characters, no line breaks and no marks that turn
// the text's direction (which would show "exe.txt" for a file ending in .exe).
// A name Windows can hold on every system: none of < > : " / \ | ? *, no
// dot or blank at its end, and a device's name (CON, NUL, COM1, LPT1...,
// with any extension) made a file's by a leading underscore.
QString safe(const QString &suggested);

// safe(suggested), numbered when taken.
QString unique(const QString &suggested, const std::function<bool(const QString &name)> &taken);

} // namespace DownloadName

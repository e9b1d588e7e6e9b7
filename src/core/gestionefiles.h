#pragma once

#include "core/personalset.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// The personal-set file, Personali.ic2 beside the program: one quoted field a
// line, CR LF, name and URL alternating, Windows-1252 bytes. Everything here
// opens, reads or writes the file completely and closes it again.
namespace GestioneFiles {

// programFolder + "/Personali.ic2", joined as they stand (C:\Forum/Personali.ic2).
QString personalSetPath(const QString &programFolder);
// The same for QCoreApplication::applicationDirPath().
QString personalSetPath();

// True for an existing regular file that is not hidden (nor, on Windows, a
// system file); false for folders and for an empty path.
bool EsisteFile(const QString &path);

enum class ReadResult {
    Ok,
    Failed,     // damaged: what was read before the fault is appended
    Unreadable, // not read at all (no access, not a file, too large); see reason
};

// Larger files are not read: far beyond any real set, and reading one would
// hold up the window for seconds.
constexpr qint64 maxFileSize = 16 * 1024 * 1024;
enum class WriteResult {
    Ok,
    Failed,      // not written; an old file is left as it was
    Unencodable, // some text has no Windows-1252 byte; nothing was touched
};

// What reading the file gave: its entries, and how the reading went. On
// Failed the entries read before the fault are there (the last one maybe
// without its address); on Unreadable there are none and reason says why.
struct PersonalSetRead
{
    PersonalSet set;
    ReadResult result = ReadResult::Ok;
    QString reason;
};

[[nodiscard]] PersonalSetRead LeggiSetPersonale(const QString &path);

// Copies the file to path + ".bak", replacing an older copy, so that bytes
// the reader could not make sense of survive the rewrite that follows.
// False, with the reason, when the copy could not be made whole.
[[nodiscard]] bool keepCopy(const QString &path, QString *reason = nullptr);

// Replaces the file with the set; an entry without address is written with
// an empty one.
[[nodiscard]] WriteResult ScriviSetPersonale(const QString &path, const PersonalSet &set);

// The byte-level halves of the two above.
PersonalSetRead parsePersonalSet(QByteArrayView bytes);
// std::nullopt when Windows-1252 cannot hold some character of the set.
std::optional<QByteArray> serializePersonalSet(const PersonalSet &set);

// Whether Windows-1252 can hold every character of text, so the manager can
// refuse a name or URL before it joins the lists.
bool fitsInFile(const QString &text);

} // namespace GestioneFiles

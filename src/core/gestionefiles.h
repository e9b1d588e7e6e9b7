#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

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

// Appends every name and URL of the file to the lists; the caller clears them
// first. On Failed whatever was read before the fault stays appended, so after
// an odd number of fields names holds one item more than urls. On Unreadable
// nothing is appended and reason, if given, says why.
[[nodiscard]] ReadResult LeggiSetPersonale(const QString &path, QStringList &names, QStringList &urls,
                                           QString *reason = nullptr);

// Copies the file to path + ".bak", replacing an older copy, so that bytes
// the reader could not make sense of survive the rewrite that follows.
// False, with the reason, when the copy could not be made whole.
[[nodiscard]] bool keepCopy(const QString &path, QString *reason = nullptr);

// Replaces the file with the entries of the two lists, pairing them over the
// names; a name without URL is written with an empty one.
[[nodiscard]] WriteResult ScriviSetPersonale(const QString &path, const QStringList &names,
                                             const QStringList &urls);

// The byte-level halves of the two above.
ReadResult parsePersonalSet(QByteArrayView bytes, QStringList &names, QStringList &urls);
// std::nullopt when Windows-1252 cannot hold some character of the lists.
std::optional<QByteArray> serializePersonalSet(const QStringList &names, const QStringList &urls);

// Whether Windows-1252 can hold every character of text, so the manager can
// refuse a name or URL before it joins the lists.
bool fitsInFile(const QString &text);

} // namespace GestioneFiles

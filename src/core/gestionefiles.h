#pragma once

#include "core/personalset.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <optional>

// The personal-set file, Personali.ic2 beside the program: one quoted field a
// line, CR LF, name and URL alternating, Windows-1252 bytes. Everything here
// opens, reads or writes the file completely and closes it again.
namespace GestioneFiles {

// The file's name in folder, joined as they stand (C:\Forum/Personali.ic2).
// Which folder is PersonalSetLocation's to decide.
QString personalSetPath(const QString &folder);

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

enum class WriteStatus {
    Ok,
    Failed,      // not written; an old file is left as it was, unless reason says otherwise
    Unencodable, // some text has no Windows-1252 byte; nothing was touched
};

// How a write went and, when it failed, why, in Italian.
struct WriteResult
{
    WriteStatus status = WriteStatus::Ok;
    QString reason;

    bool ok() const { return status == WriteStatus::Ok; }
};

// What reading the file gave: its entries, and how the reading went. On
// Failed the entries read before the fault are there (the last one maybe
// without its address); on Unreadable there are none and reason says why.
// bytes are those read, so a later reading can tell whether they changed.
struct PersonalSetRead
{
    PersonalSet set;
    ReadResult result = ReadResult::Ok;
    QString reason;
    QByteArray bytes;
};

[[nodiscard]] PersonalSetRead LeggiSetPersonale(const QString &path);

// Which files readFile takes. The reader takes any regular file; a file
// taken from a folder others may write must also be the user's own, with no
// other name, and is never opened through a link.
enum class Trust { AnyRegularFile, OwnFileNoLinks };

// The whole content of a regular file of at most maxBytes bytes. The file
// is opened first and then looked at (fstat), so nothing can be swapped in
// between; a pipe or a device never holds the reader up. std::nullopt with
// the reason, in Italian, otherwise.
std::optional<QByteArray> readFile(const QString &path, Trust trust, QString *reason, qint64 maxBytes = maxFileSize);

// Copies the file to copyPath (path + ".bak" when empty), readable by the
// user alone, replacing an older copy: bytes the reader could not make sense
// of survive the rewrite that follows, and a set found elsewhere starts the
// user's own. The file is taken as trust says; one taken with
// OwnFileNoLinks is also no larger than maxFileSize. False, with the reason
// in Italian, when the copy could not be made whole.
[[nodiscard]] bool keepCopy(const QString &path, QString *reason = nullptr, const QString &copyPath = {},
                            Trust trust = Trust::AnyRegularFile);

// Replaces the file with the set; an entry without address is written with
// an empty one. Where the folder refuses new files but the file may be
// written, the file is rewritten in place, after its old bytes are copied
// to spareFolder (the user's AppDataLocation when empty); a write cut short
// there is reported with its reason and where the old bytes are.
[[nodiscard]] WriteResult ScriviSetPersonale(const QString &path, const PersonalSet &set,
                                             const QString &spareFolder = {});

// How bytes are read: valid UTF-8 that holds something beyond ASCII (a
// modern editor's save, with or without its BOM) as UTF-8, anything else as
// the format's Windows-1252.
enum class Encoding { Windows1252, Utf8 };
Encoding encodingOf(QByteArrayView bytes);

// The byte-level halves of the two above.
PersonalSetRead parsePersonalSet(QByteArrayView bytes);
PersonalSetRead parsePersonalSet(QByteArrayView bytes, Encoding encoding);
// std::nullopt when Windows-1252 cannot hold some character of the set.
std::optional<QByteArray> serializePersonalSet(const PersonalSet &set);

// Whether Windows-1252 can hold every character of text, so the manager can
// refuse a name or URL before it joins the lists.
bool fitsInFile(const QString &text);
// The characters of text Windows-1252 lacks, each once, in their order; a
// lone surrogate as U+XXXX.
QStringList charactersNotInFile(const QString &text);

// The system's reason for a failed file operation, in Italian where it is
// one of the usual ones.
QString italianReason(const QString &systemReason);

} // namespace GestioneFiles

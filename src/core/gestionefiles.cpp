#include "core/gestionefiles.h"

#include "core/windows1252.h"
#include "platform/platformfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QStringView>

#include <algorithm>
#include <cerrno>
#include <cstring>


using namespace Qt::StringLiterals;

// What the reader does with text our writer never produces (hand-edited or
// damaged files). It reads the whole file into memory first, so it cannot run
// past the end, and every step consumes at least one character, so it cannot
// hang; each complete pair before a fault is kept.
// - Blanks (space, tab) before a field are skipped; after an unquoted field
//   they are dropped. Blanks between quotes belong to the text.
// - Empty lines and lines of blanks are skipped: they never make an empty
//   field nor shift names onto URLs. An empty field is written as "".
// - Text between a closing quote and the next comma or line end is dropped.
// - A lone CR, or a lone LF, ends a line like CR LF.
// - A missing final CR LF changes nothing: the last field ends with the data.
// - An unquoted field is taken literally up to a comma or line end, quotes
//   included. A quoted field runs to its closing quote, across commas and
//   line breaks alike; "" inside it is one quote.
// - A quote never closed is a read failure; that field is not appended, the
//   fields before it stay (so a complete name before it stays without URL).
// - The end test comes only before a name; blanks and empty lines at the end
//   count as the end. Data that ends where a URL is due is a read failure and
//   the lone name stays appended.

namespace GestioneFiles {

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}
bool isLineEnd(QChar c)
{
    return c == u'\r' || c == u'\n';
}
bool endsField(QChar c)
{
    return c == u',' || isLineEnd(c);
}

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString tooLarge(qint64 size, qint64 limit)
{
    const QLocale italian(QLocale::Italian);
    return u"il file misura %1 MiB, oltre il limite di %2 MiB"_s.arg(
        italian.toString(double(size) / (1024 * 1024), 'f', 1), italian.toString(limit / (1024 * 1024)));
}

// Writes all of bytes and flushes them; false with the reason otherwise. Qt
// reports a write the system cut short (a full disk, a size limit) as an
// unknown error, while errno still holds the system's reason.
bool writeAll(QFileDevice &file, QByteArrayView bytes, QString *reason)
{
    errno = 0;
    if (file.write(bytes.data(), bytes.size()) == bytes.size() && file.flush())
        return true;
    const int error = errno;
    *reason = italianReason(file.error() != QFileDevice::NoError && file.errorString() != u"Unknown error"
                                ? file.errorString()
                                : error != 0 ? systemReason(error)
                                             : u"scrittura interrotta dal sistema"_s);
    return false;
}

// Opens for reading without waiting on a pipe or a device; the QFile owns the
// handle. A regular file only, checked on what was opened.
bool openRegular(const QString &path, QFile &file, Trust trust, QString *reason)
{
    const bool own = trust == Trust::OwnFileNoLinks;
    PlatformFiles::Opened opened;
    if (!PlatformFiles::openForReading(path, file, own ? PlatformFiles::Links::Refuse : PlatformFiles::Links::Follow,
                                       &opened, reason))
        return false;
    if (!opened.regular)
        *reason = u"non è un file ordinario"_s;
    else if (own && !opened.ownedByUser)
        *reason = u"il file appartiene a un altro utente"_s;
    else if (own && opened.names != 1)
        *reason = u"il file ha altri nomi"_s;
    else
        return true;
    file.close();
    return false;
}

class FieldReader
{
public:
    explicit FieldReader(QStringView text)
        : m_text(text)
    {
    }

    bool atEnd()
    {
        skipBlanksAndLineEnds();
        return m_pos == m_text.size();
    }

    // Nothing when the data ends before a field, or inside an open quote.
    std::optional<QString> next()
    {
        skipBlanksAndLineEnds();
        if (m_pos == m_text.size())
            return std::nullopt;
        std::optional<QString> field = m_text[m_pos] == u'"' ? quoted() : unquoted();
        if (m_pos < m_text.size() && m_text[m_pos] == u',')
            ++m_pos;
        return field;
    }

private:
    void skipBlanksAndLineEnds()
    {
        while (m_pos < m_text.size() && (isBlank(m_text[m_pos]) || isLineEnd(m_text[m_pos])))
            ++m_pos;
    }

    std::optional<QString> quoted()
    {
        QString field;
        qsizetype from = ++m_pos;
        for (;;) {
            const qsizetype quote = m_text.indexOf(u'"', from);
            if (quote < 0) {
                m_pos = m_text.size();
                return std::nullopt;
            }
            if (quote + 1 < m_text.size() && m_text[quote + 1] == u'"') {
                field += m_text.sliced(from, quote + 1 - from); // "" is one quote
                from = quote + 2;
                continue;
            }
            field += m_text.sliced(from, quote - from);
            m_pos = quote + 1;
            skipToFieldEnd();
            return field;
        }
    }

    QString unquoted()
    {
        const qsizetype start = m_pos;
        skipToFieldEnd();
        qsizetype end = m_pos;
        while (end > start && isBlank(m_text[end - 1]))
            --end;
        return m_text.sliced(start, end - start).toString();
    }

    void skipToFieldEnd()
    {
        while (m_pos < m_text.size() && !endsField(m_text[m_pos]))
            ++m_pos;
    }

    QStringView m_text;
    qsizetype m_pos = 0;
};

} // namespace

QString personalSetPath(const QString &folder)
{
    return folder + u"/Personali.ic2"_s;
}

bool EsisteFile(const QString &path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    return info.isFile() && !info.isHidden() && !PlatformFiles::isSystemFile(path);
}

Encoding encodingOf(QByteArrayView bytes)
{
    if (std::all_of(bytes.begin(), bytes.end(), [](char byte) { return uchar(byte) < 0x80; }))
        return Encoding::Windows1252;
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    return utf8.hasError() ? Encoding::Windows1252 : Encoding::Utf8;
}

PersonalSetRead parsePersonalSet(QByteArrayView bytes)
{
    return parsePersonalSet(bytes, encodingOf(bytes));
}

PersonalSetRead parsePersonalSet(QByteArrayView bytes, Encoding encoding)
{
    PersonalSetRead read;
    // All the marks the reader looks for are ASCII, which both encodings
    // keep as they are, so the decoded text can be split as the bytes would.
    // A leading BOM is dropped by the UTF-8 decoder.
    const QString text = encoding == Encoding::Utf8 ? QStringDecoder(QStringConverter::Utf8).decode(bytes)
                                                    : Windows1252::decode(bytes);
    FieldReader reader(text);
    QList<PersonalEntry> entries;
    while (!reader.atEnd()) {
        std::optional<QString> name = reader.next();
        if (!name) {
            read.result = ReadResult::Failed;
            break;
        }
        std::optional<QString> url = reader.next();
        entries.append({std::move(*name), url.value_or(QString())});
        if (!url) {
            read.result = ReadResult::Failed;
            break;
        }
    }
    read.set = PersonalSet(std::move(entries));
    return read;
}

std::optional<QByteArray> readFile(const QString &path, Trust trust, QString *reason, qint64 maxBytes)
{
    QString why;
    const auto failed = [&] {
        // The system's words are English: the common ones are told in Italian.
        if (reason)
            *reason = italianReason(why);
        return std::nullopt;
    };
    QFile file;
    if (!openRegular(path, file, trust, &why))
        return failed();
    if (file.size() > maxBytes) {
        why = tooLarge(file.size(), maxBytes);
        return failed();
    }
    // One byte over the limit tells a file that grew since it was looked at.
    QByteArray bytes = file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        why = file.errorString();
        return failed();
    }
    if (bytes.size() > maxBytes) {
        why = tooLarge(bytes.size(), maxBytes);
        return failed();
    }
    return bytes;
}

PersonalSetRead LeggiSetPersonale(const QString &path)
{
    QString reason;
    const std::optional<QByteArray> bytes = readFile(path, Trust::AnyRegularFile, &reason);
    if (!bytes)
        return {{}, ReadResult::Unreadable, reason, {}};
    PersonalSetRead read = parsePersonalSet(*bytes);
    read.bytes = *bytes;
    return read;
}

bool keepCopy(const QString &path, QString *reason, const QString &copyPath, Trust trust)
{
    const auto failed = [reason](const QString &why) {
        if (reason)
            *reason = why;
        return false;
    };
    QFile original;
    QString why;
    if (!openRegular(path, original, trust, &why))
        return failed(italianReason(why));
    if (trust == Trust::OwnFileNoLinks && original.size() > maxFileSize)
        return failed(tooLarge(original.size(), maxFileSize));
    const QString target = copyPath.isEmpty() ? path + u".bak"_s : copyPath;
    if (!QDir().mkpath(QFileInfo(target).path()))
        return failed(u"impossibile creare la cartella "_s + QDir::toNativeSeparators(QFileInfo(target).path()));
    QSaveFile copy(target);
    copy.setDirectWriteFallback(true);
    if (!copy.open(QIODevice::WriteOnly))
        return failed(italianReason(copy.errorString()));
    // The old bytes may be the user's alone: so is the copy.
    if (!PlatformFiles::restrictOpenFile(copy)) {
        copy.cancelWriting();
        return failed(italianReason(copy.errorString()));
    }
    // In pieces: the file may be one too large to read whole.
    QByteArray chunk;
    while (!(chunk = original.read(1024 * 1024)).isEmpty()) {
        if (!writeAll(copy, chunk, &why)) {
            copy.cancelWriting();
            return failed(why);
        }
    }
    if (original.error() != QFileDevice::NoError) {
        copy.cancelWriting();
        return failed(italianReason(original.errorString()));
    }
    return copy.commit() || failed(italianReason(copy.errorString()));
}

std::optional<QByteArray> serializePersonalSet(const PersonalSet &set)
{
    qsizetype length = 0;
    for (const PersonalEntry &entry : set.entries())
        length += entry.name.size() + entry.url.size() + 8;
    QString text;
    text.reserve(length);

    const auto appendField = [&text](QStringView field) {
        text += u'"';
        // Only quotes are doubled, so quote-free fields are written as ever.
        for (qsizetype quote; (quote = field.indexOf(u'"')) >= 0; field = field.sliced(quote + 1)) {
            text += field.first(quote + 1);
            text += u'"';
        }
        text += field;
        text += QStringView(u"\"\r\n");
    };
    for (const PersonalEntry &entry : set.entries()) {
        appendField(entry.name);
        appendField(entry.url);
    }

    return Windows1252::encode(text);
}

bool fitsInFile(const QString &text)
{
    return Windows1252::encode(text).has_value();
}

QStringList charactersNotInFile(const QString &text)
{
    QStringList found;
    for (qsizetype i = 0; i < text.size();) {
        const bool pair = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        const QString character = text.mid(i, pair ? 2 : 1);
        i += character.size();
        if (fitsInFile(character))
            continue;
        const QString shown = character.size() == 1 && character[0].isSurrogate()
            ? u"U+"_s + QString::number(character[0].unicode(), 16).toUpper()
            : character;
        if (!found.contains(shown))
            found.append(shown);
    }
    return found;
}

QString italianReason(const QString &reason)
{
    static const struct
    {
        int error;
        const char16_t *italian;
    } known[] = {
        {EACCES, u"permesso negato"},
        {EPERM, u"operazione non permessa"},
        {ENOSPC, u"spazio esaurito sul disco"},
#ifdef EDQUOT
        {EDQUOT, u"quota del disco superata"},
#endif
        {EROFS, u"il disco è in sola lettura"},
        {EFBIG, u"file troppo grande"},
        {EIO, u"errore di lettura o scrittura sul disco"},
        {ENOENT, u"file o cartella inesistente"},
        {ENOTDIR, u"una parte del percorso non è una cartella"},
        {EISDIR, u"è una cartella"},
        {ELOOP, u"troppi collegamenti simbolici"},
        {EMFILE, u"troppi file aperti"},
        {ENAMETOOLONG, u"nome del file troppo lungo"},
        {EBUSY, u"file o dispositivo occupato"},
        {EXDEV, u"collegamento tra dischi diversi non valido"},
    };
    for (const auto &entry : known) {
        if (reason.compare(systemReason(entry.error), Qt::CaseInsensitive) == 0)
            return QString::fromUtf16(entry.italian);
    }
    // QSaveFile's own words for a folder in the file's place.
    if (reason == u"Filename refers to a directory")
        return u"al posto del file c'è una cartella"_s;
    return reason;
}

WriteResult ScriviSetPersonale(const QString &path, const PersonalSet &set, const QString &spareFolder)
{
    const std::optional<QByteArray> bytes = serializePersonalSet(set);
    if (!bytes)
        return {WriteStatus::Unencodable, {}};
    const auto failed = [](const QString &why) { return WriteResult{WriteStatus::Failed, why}; };

    // The old file is replaced only by commit(), so any failure leaves it whole.
    {
        QSaveFile file(path);
        if (file.open(QIODevice::WriteOnly)) {
            // Qt 6.4's commit() still succeeds after a short write (a full disk), and
            // would install a truncated file: check the write and the flush ourselves.
            QString why;
            if (!writeAll(file, *bytes, &why)) {
                file.cancelWriting();
                return failed(why);
            }
            return file.commit() ? WriteResult{} : failed(italianReason(file.errorString()));
        }
        if (!QFileInfo(path).isFile())
            return failed(italianReason(file.errorString()));
    }

    // A folder the user may not create files in can still hold a file the
    // user may write: then the file is rewritten in place, which a full disk
    // can cut short, so its old bytes are kept elsewhere first.
    const QString spare = personalSetPath(spareFolder.isEmpty()
                                              ? QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
                                              : spareFolder)
        + u".bak"_s;
    QString why;
    if (!keepCopy(path, &why, spare))
        return failed(u"la cartella non accetta nuovi file e la copia dei dati precedenti non è riuscita: "_s + why);
    QSaveFile file(path);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        return failed(italianReason(file.errorString()));
    if (!writeAll(file, *bytes, &why)) {
        file.cancelWriting();
        return failed(
            u"scrittura incompleta (%1); i dati precedenti sono in %2"_s.arg(why, QDir::toNativeSeparators(spare)));
    }
    return file.commit() ? WriteResult{} : failed(italianReason(file.errorString()));
}

} // namespace GestioneFiles

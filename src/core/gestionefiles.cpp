#include "core/gestionefiles.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QStringView>

#ifdef Q_OS_WIN
#include <QDir>
#include <qt_windows.h>
#endif

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

constexpr auto codecName = "windows-1252";

bool isBlank(QChar c) { return c == u' ' || c == u'\t'; }
bool isLineEnd(QChar c) { return c == u'\r' || c == u'\n'; }
bool endsField(QChar c) { return c == u',' || isLineEnd(c); }

class FieldReader
{
public:
    explicit FieldReader(QStringView text) : m_text(text) {}

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

QString personalSetPath(const QString &programFolder)
{
    return programFolder + u"/Personali.ic2"_s;
}

QString personalSetPath()
{
    return personalSetPath(QCoreApplication::applicationDirPath());
}

bool EsisteFile(const QString &path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    if (!info.isFile() || info.isHidden())
        return false;
#ifdef Q_OS_WIN
    const QString native = QDir::toNativeSeparators(path);
    const DWORD attributes = GetFileAttributesW(reinterpret_cast<LPCWSTR>(native.utf16()));
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_SYSTEM))
        return false;
#endif
    return true;
}

PersonalSetRead parsePersonalSet(QByteArrayView bytes)
{
    PersonalSetRead read;
    QStringDecoder decoder(codecName);
    if (!decoder.isValid()) {
        read.result = ReadResult::Failed;
        return read;
    }
    // Every byte has a character in Windows-1252 and all the marks the reader
    // looks for are ASCII, so the decoded text can be split as the bytes would.
    const QString text = decoder.decode(bytes);
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

PersonalSetRead LeggiSetPersonale(const QString &path)
{
    const auto unreadable = [](const QString &why) {
        return PersonalSetRead{{}, ReadResult::Unreadable, why};
    };
    const QFileInfo info(path);
    // A pipe or a device would keep the reader waiting for ever.
    if (info.exists() && !info.isFile() && !info.isDir())
        return unreadable(u"non è un file ordinario"_s);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return unreadable(file.errorString());
    if (file.size() > maxFileSize) {
        const QLocale italian(QLocale::Italian);
        return unreadable(u"il file misura %1 MiB, oltre il limite di %2 MiB"_s.arg(
            italian.toString(double(file.size()) / (1024 * 1024), 'f', 1),
            italian.toString(maxFileSize / (1024 * 1024))));
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return unreadable(file.errorString());
    file.close();
    return parsePersonalSet(bytes);
}

bool keepCopy(const QString &path, QString *reason)
{
    const auto failed = [reason](const QString &why) {
        if (reason)
            *reason = why;
        return false;
    };
    QFile original(path);
    if (!original.open(QIODevice::ReadOnly))
        return failed(original.errorString());
    QSaveFile copy(path + u".bak"_s);
    copy.setDirectWriteFallback(true);
    if (!copy.open(QIODevice::WriteOnly))
        return failed(copy.errorString());
    // In pieces: the file may be one too large to read whole.
    QByteArray chunk;
    while (!(chunk = original.read(1024 * 1024)).isEmpty()) {
        if (copy.write(chunk) != chunk.size()) {
            copy.cancelWriting();
            return failed(copy.errorString());
        }
    }
    if (original.error() != QFileDevice::NoError) {
        copy.cancelWriting();
        return failed(original.errorString());
    }
    if (!copy.flush()) {
        copy.cancelWriting();
        return failed(copy.errorString());
    }
    return copy.commit() || failed(copy.errorString());
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

    // Stateless, so a lone surrogate at the very end counts as an error too.
    QStringEncoder encoder(codecName, QStringConverter::Flag::Stateless);
    QByteArray bytes = encoder.encode(text);
    if (encoder.hasError())
        return std::nullopt;
    return bytes;
}

bool fitsInFile(const QString &text)
{
    QStringEncoder encoder(codecName, QStringConverter::Flag::Stateless);
    // encode() is lazy: only the conversion to bytes runs the encoder.
    const QByteArray bytes = encoder.encode(text);
    Q_UNUSED(bytes);
    return !encoder.hasError();
}

WriteResult ScriviSetPersonale(const QString &path, const PersonalSet &set)
{
    const std::optional<QByteArray> bytes = serializePersonalSet(set);
    if (!bytes)
        return WriteResult::Unencodable;

    // The old file is replaced only by commit(), so any failure leaves it whole.
    QSaveFile file(path);
    // A folder the user may not create files in can still hold a file the
    // user may write: then the file is rewritten in place.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        return WriteResult::Failed;
    // Qt 6.4's commit() still succeeds after a short write (a full disk), and
    // would install a truncated file: check the write and the flush ourselves.
    if (file.write(*bytes) != bytes->size() || !file.flush()) {
        file.cancelWriting();
        return WriteResult::Failed;
    }
    return file.commit() ? WriteResult::Ok : WriteResult::Failed;
}

} // namespace GestioneFiles

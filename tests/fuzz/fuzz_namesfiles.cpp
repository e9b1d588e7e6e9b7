#include "core/downloadname.h"
#include "core/gestionefiles.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

#include <sys/stat.h>
#include <unistd.h>

using namespace GestioneFiles;
using namespace Qt::StringLiterals;

// The download-name rules and the file layer. The first byte picks where the
// rest goes and how; the rest is the server's name or the file's bytes.
namespace {

bool forbidden(char16_t c)
{
    return c < 0x20 || (c >= 0x80 && c <= 0x9f) || c == u'/' || c == u'\\' || c == 0x061c || c == 0x200e || c == 0x200f
        || (c >= 0x202a && c <= 0x202e) || (c >= 0x2066 && c <= 0x2069);
}

void downloadName(QByteArrayView rest, int takenCount)
{
    // The first names asked about are taken already, as in a full folder.
    QSet<QString> taken;
    const QString name = DownloadName::unique(QString::fromUtf8(rest), [&](const QString &candidate) {
        if (taken.size() < takenCount)
            taken.insert(candidate);
        return taken.contains(candidate);
    });
    if (name.isEmpty() || name.startsWith(u'.') || name.toUtf8().size() > 255 || taken.contains(name))
        std::abort();
    for (const QChar c : name) {
        if (forbidden(c.unicode()))
            std::abort();
    }
}

QString folder()
{
    static const QTemporaryDir dir;
    return dir.path();
}

void fileLayer(QByteArrayView rest, int kind)
{
    const QString path = folder() + u"/Personali.ic2"_s;
    const QString target = folder() + u"/altro"_s;
    const QByteArray native = QFile::encodeName(path);
    ::unlink(native.constData());
    ::rmdir(native.constData());
    QFile file(kind == 1 ? target : path);
    if (kind <= 1 || kind == 4) {
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
            || file.write(rest.data(), rest.size()) != rest.size())
            std::abort();
        file.close();
    }
    if (kind == 1 && !QFile::link(target, path))
        std::abort();
    if (kind == 2 && mkfifo(native.constData(), 0600) != 0)
        std::abort();
    if (kind == 3 && !QDir().mkdir(path))
        std::abort();
    // Sparse: over the limit without writing it.
    if (kind == 4 && !QFile::resize(path, maxFileSize + 1 + rest.size()))
        std::abort();

    const PersonalSetRead read = LeggiSetPersonale(path);
    const std::optional<QByteArray> own = readFile(path, Trust::OwnFileNoLinks, nullptr);
    if (kind <= 1) {
        // Through a link or not, the file reads as its bytes do.
        const PersonalSetRead parsed = parsePersonalSet(rest);
        if (read.result != parsed.result || read.set != parsed.set || !read.reason.isEmpty())
            std::abort();
        if (kind == 0 ? own != rest.toByteArray() : own.has_value())
            std::abort();
    } else if (read.result != ReadResult::Unreadable || read.reason.isEmpty() || !read.set.isEmpty()
               || own.has_value()) {
        std::abort(); // a pipe, a folder, a file over the limit
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const auto rest = QByteArrayView(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1));
    if (data[0] & 1)
        fileLayer(rest, (data[0] >> 1) % 5);
    else
        downloadName(rest, (data[0] >> 1) % 4);
    return 0;
}

#include "core/gestionefiles.h"

#include <cstdint>
#include <cstdlib>

// Any bytes at all: the reader must neither crash, hang nor read past the
// end, and what it reads must come back unchanged through the writer.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QStringList names;
    QStringList urls;
    const auto bytes = QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size));
    const auto result = GestioneFiles::parsePersonalSet(bytes, names, urls);

    if (result == GestioneFiles::ReadResult::Ok && names.size() != urls.size())
        std::abort(); // a successful read is always in pairs
    if (names.size() < urls.size() || names.size() > urls.size() + 1)
        std::abort(); // at most one name is left without its URL

    const std::optional<QByteArray> written = GestioneFiles::serializePersonalSet(names, urls);
    if (!written)
        return 0; // text the file cannot hold is refused, not written
    QStringList namesAgain;
    QStringList urlsAgain;
    if (GestioneFiles::parsePersonalSet(*written, namesAgain, urlsAgain) != GestioneFiles::ReadResult::Ok)
        std::abort();
    // A name that was left without URL comes back with an empty one.
    QStringList expectedUrls = urls;
    while (expectedUrls.size() < names.size())
        expectedUrls.append(QString());
    if (namesAgain != names || urlsAgain != expectedUrls)
        std::abort();
    return 0;
}

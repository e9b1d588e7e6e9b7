#include "core/gestionefiles.h"

#include <cstdint>
#include <cstdlib>

// Any bytes at all: the reader must neither crash, hang nor read past the
// end, and what it reads must come back unchanged through the writer.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const auto bytes = QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size));
    const GestioneFiles::PersonalSetRead read = GestioneFiles::parsePersonalSet(bytes);
    if (read.result == GestioneFiles::ReadResult::Unreadable)
        std::abort(); // bytes in memory are always read

    const std::optional<QByteArray> written = GestioneFiles::serializePersonalSet(read.set);
    if (!written)
        return 0; // text the file cannot hold is refused, not written
    const GestioneFiles::PersonalSetRead again = GestioneFiles::parsePersonalSet(*written);
    // A name that was left without URL comes back with an empty one.
    if (again.result != GestioneFiles::ReadResult::Ok || again.set != read.set)
        std::abort();
    return 0;
}

#include "core/gestionefiles.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

using namespace GestioneFiles;

// Any bytes at all: the reader must neither crash, hang nor read past the
// end, and what it reads must come back unchanged through the writer.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const auto bytes = QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size));
    const PersonalSetRead read = parsePersonalSet(bytes);
    if (read.result == ReadResult::Unreadable)
        std::abort(); // bytes in memory are always read

    const std::optional<QByteArray> written = serializePersonalSet(read.set);
    if (!written) {
        // Only text read as UTF-8 can hold characters Windows-1252 lacks,
        // and then some field must hold one.
        const bool unfit = std::any_of(
            read.set.entries().begin(), read.set.entries().end(),
            [](const PersonalEntry &e) { return !fitsInFile(e.name) || !fitsInFile(e.url); });
        if (encodingOf(bytes) != Encoding::Utf8 || !unfit)
            std::abort();
        return 0;
    }
    // The writer writes Windows-1252. (The program would read bytes that are
    // valid UTF-8 too, say a name "Ã¨", as UTF-8: no writer can tell them apart.)
    const PersonalSetRead again = parsePersonalSet(*written, Encoding::Windows1252);
    // A name that was left without URL comes back with an empty one.
    if (again.result != ReadResult::Ok || again.set != read.set)
        std::abort();
    return 0;
}

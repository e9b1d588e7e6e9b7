#include "gui/memoryrelief.h"

#include <QFile>
#include <QTest>

#include <cstring>
#include <memory>
#include <vector>

namespace {

// Resident memory of this process, in KiB; read only where the C library is glibc.
[[maybe_unused]] qint64 residentKib()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

} // namespace

class tst_MemoryRelief : public QObject
{
    Q_OBJECT

private slots:
    void freedPagesGoBack();
};

// Many small blocks freed below one still in use stay with the allocator
// (it shrinks only from the top); the release must hand them back.
void tst_MemoryRelief::freedPagesGoBack()
{
#if !defined(__GLIBC__)
    QSKIP("only the GNU C library keeps freed pages and can be asked for them");
#else
    constexpr int blocks = 16384;
    constexpr int blockSize = 4000;
    std::vector<std::unique_ptr<char[]>> held;
    held.reserve(blocks);
    for (int i = 0; i < blocks; ++i) {
        held.emplace_back(new char[blockSize]);
        memset(held.back().get(), i & 0xff, blockSize);
    }
    // The last block is the highest in the heap: kept, it stops free() from
    // giving the rest back by itself.
    std::unique_ptr<char[]> keepsTheTop = std::move(held.back());
    held.clear();

    const qint64 before = residentKib();
    QVERIFY(before > 0);
    QVERIFY(MemoryRelief::releaseFreedMemory());
    const qint64 after = residentKib();
    // 64 MB were freed; at least half must have left the process.
    QVERIFY2(before - after > 32 * 1024, qPrintable(QStringLiteral("resident %1 -> %2 KiB").arg(before).arg(after)));
    keepsTheTop[0] = 1;
#endif
}

QTEST_GUILESS_MAIN(tst_MemoryRelief)
#include "tst_memoryrelief.moc"

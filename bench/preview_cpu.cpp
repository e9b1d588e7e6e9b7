// What the GUI thread spends while the preview shows a big animated GIF
// (3600 x 3600 pixels, two frames at 1/10 s, from the loopback forum), the
// preview as programContext() makes it and sized as in the picker:
//
//     velmora_preview_cpu [--side N] [--seconds S] [--shot FILE.png]
//
// Prints one JSON object: the CPU of the GUI thread, of the whole process
// and of the engine's own processes over S seconds (default 10) once the
// picture is up, as a share of one core, and whether Qt or the web view
// drew it. Built only when the tests' fixture is
// (-DVELMORA_BUILD_TESTS=ON -DVELMORA_BUILD_BENCH=ON).

#include "app/composition.h"
#include "app/programcontext.h"
#include "web/imagepreview.h"
#include "forumserver.h"
#include "gui/appcontext.h"
#include "gui/webview.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <cstdio>
#include <ctime>
#include <sys/resource.h>
#include <unistd.h>

namespace {

double seconds(clockid_t clock)
{
    timespec now{};
    clock_gettime(clock, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

double processCpu()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// CPU seconds of the engine's processes (renderer, GPU), all descendants.
double helperCpu()
{
    QHash<qint64, qint64> parentOf;
    QHash<qint64, double> cpuOf;
    const double tick = double(sysconf(_SC_CLK_TCK));
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool number = false;
        const qint64 pid = entry.toLongLong(&number);
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!number || !stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        parentOf.insert(pid, fields.value(1).toLongLong());
        cpuOf.insert(pid, (fields.value(11).toDouble() + fields.value(12).toDouble()) / tick);
    }
    double total = 0;
    const qint64 self = QCoreApplication::applicationPid();
    for (auto it = parentOf.cbegin(); it != parentOf.cend(); ++it) {
        for (qint64 up = it.value(); up > 1; up = parentOf.value(up, 0)) {
            if (up == self) {
                total += cpuOf.value(it.key());
                break;
            }
        }
    }
    return total;
}

void waitMs(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    QApplication::setOrganizationName(QStringLiteral("Norvale"));
    Composition::choose();
    const QStringList args = QApplication::arguments();
    const int sideAt = int(args.indexOf(QStringLiteral("--side")));
    const int side = sideAt > 0 ? args.value(sideAt + 1).toInt() : 3600;
    const int secondsAt = int(args.indexOf(QStringLiteral("--seconds")));
    const int span = secondsAt > 0 ? args.value(secondsAt + 1).toInt() : 10;

    ForumServer server;
    if (!server.start())
        return 1;
    QWidget window;
    window.resize(300, 300);
    WebView *preview = programContext().makeWebView(WebView::Role::Preview, &window);
    preview->setRectTwips(105, 3870, 2025, 1905);
    window.show();

    QElapsedTimer shown;
    shown.start();
    preview->Navigate(server.url(QStringLiteral("immagini/grande/%1.gif").arg(side)));
    while (preview->Busy() && shown.elapsed() < 120000)
        waitMs(50);
    const double upMs = double(shown.elapsed());
    waitMs(3000); // the first frames, and the web view's start, are not counted

    const double threadBefore = seconds(CLOCK_THREAD_CPUTIME_ID);
    const double processBefore = processCpu();
    const double helpersBefore = helperCpu();
    const double wallBefore = seconds(CLOCK_MONOTONIC);
    waitMs(span * 1000);
    const double wall = seconds(CLOCK_MONOTONIC) - wallBefore;
    const double gui = (seconds(CLOCK_THREAD_CPUTIME_ID) - threadBefore) / wall * 100;
    const double process = (processCpu() - processBefore) / wall * 100;
    const double helpers = (helperCpu() - helpersBefore) / wall * 100;
    const int shotAt = int(args.indexOf(QStringLiteral("--shot")));
    if (shotAt > 0)
        window.grab().save(args.value(shotAt + 1));

    const auto *image = qobject_cast<ImagePreview *>(preview);
    const char *drawnBy = !image ? "other" : image->movie() ? "qt" : image->webFallback() ? "web view" : "none";
    std::printf("{\"name\": \"preview_big_animation_cpu\", \"unit\": \"%% of a core\", \"side\": %d, "
                "\"bytes\": %lld, \"gui_thread\": %.1f, \"process\": %.1f, \"engine_processes\": %.1f, "
                "\"seconds\": %.1f, "
                "\"up_ms\": %.0f, \"drawn_by\": \"%s\"}\n",
                side, static_cast<long long>(ForumServer::animation(side).size()), gui, process, helpers, wall, upMs,
                drawnBy);
    return 0;
}

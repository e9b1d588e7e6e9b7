// In-process benchmarks of the picker and of the personal-set file, on the
// program's own window, views and timers (programContext()), so the
// figures include what the real engine and event loop add.
//
//     velmora_bench slide    [--runs N]
//     velmora_bench personal [--runs N] --dir FOLDER
//     velmora_bench preview  [--runs N]   click on an emoticon to its first
//                                         frame on screen, the picker open
//     velmora_bench palette  [--runs N] --dir FOLDER   a key typed in the
//                                   emoticon palette's search, over 500 names,
//                                   to its grid rebuilt; and the search alone
//     velmora_bench drafts   [--runs N] --dir FOLDER
//                                         a draft's save as the GUI thread
//                                         pays for it, 1 KB, 100 KB, 1 MiB;
//                                         reading an empty drafts folder and
//                                         one of 20,000 files and a pipe
//
// Prints one JSON object per line: {"name", "unit", "median", "runs", ...}.
//
// Two more modes look for causes rather than give figures:
//     velmora_bench idle [--open]   what the event loop does over 10 s idle,
//                                   and how often the GUI thread woke
//     velmora_bench startup VARIANT the program, or a bare view with one of
//                                   its choices added, left running for a
//                                   driver to time (see measure.py diagnose)
// Run it on a display (Xvfb with a window manager) and with the forum's host
// pointed at a loopback server, as bench/run.sh does.

#include "app/composition.h"
#include "app/frmvelmora.h"
#include "app/programcontext.h"
#include "core/catalogue.h"
#include "core/draftstore.h"
#include "core/gestionefiles.h"
#include "gui/appcontext.h"
#include "gui/listbox.h"
#include "gui/webview.h"
#include "finder/emoticonindex.h"
#include "picker/emoticonpalette.h"
#include "picker/pickerpanel.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QHash>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollArea>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int personalEntries = 32767;
constexpr int slideTicks = (fraIconario::openHeight - fraIconario::startHeight) / fraIconario::slideStep;

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double msSince(const QElapsedTimer &clock)
{
    return double(clock.nsecsElapsed()) / 1e6;
}

void report(const char *name, const std::vector<double> &runs, const char *extra = "")
{
    std::printf("{\"name\": \"%s\", \"unit\": \"ms\", \"median\": %.3f, \"runs\": [", name, median(runs));
    for (size_t i = 0; i < runs.size(); ++i)
        std::printf("%s%.3f", i ? ", " : "", runs[i]);
    std::printf("]%s}\n", extra);
    std::fflush(stdout);
}

// Lets the event loop run for a while, timers and all.
void waitMs(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Runs the event loop until test() holds or the time is up.
bool waitUntil(const std::function<bool()> &test, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!test()) {
        if (clock.elapsed() > ms)
            return false;
        waitMs(10);
    }
    return true;
}

// The program's window as main() makes it, with the personal-set file
// somewhere of our choosing; shown, framed and with the forum loaded, so
// that start-up work does not fall into what is measured.
struct Program
{
    AppContext context;
    frmVelmora *window = nullptr;

    explicit Program(const QString &personalSetPath)
    {
        context = programContext();
        context.personalSetPath = personalSetPath;
        window = new frmVelmora(context);
        window->show();
        waitUntil([this] { return window->WB()->LocationName().contains(QStringLiteral("Velmora")); }, 30000);
        waitUntil([this] { return !window->WB()->Busy(); }, 30000);
        waitMs(1000);
    }
    ~Program() { delete window; }
    Q_DISABLE_COPY_MOVE(Program)

    fraIconario *picker() const { return window->picker(); }

    bool openPicker()
    {
        window->imgNavy_Click(5);
        return waitUntil([this] { return picker()->heightTwips() >= fraIconario::openHeight; }, 5000);
    }
};

// Notes when a widget has been sent a paint event.
class PaintWatch final : public QObject
{
public:
    explicit PaintWatch(QWidget *widget) { widget->installEventFilter(this); }
    bool painted = false;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            painted = true;
        return false;
    }
};

int slide(int runs)
{
    Program program(QDir::tempPath() + QStringLiteral("/velmora-bench-none.ic2"));
    fraIconario *picker = program.picker();
    auto *timer = picker->findChild<QTimer *>(QStringLiteral("tmrMoveFrame"));
    if (!timer) {
        std::fprintf(stderr, "no tmrMoveFrame\n");
        return 1;
    }

    std::vector<double> totals;
    std::vector<double> worstGaps;
    double cold = 0;
    for (int run = 0; run <= runs; ++run) {
        QElapsedTimer clock;
        QEventLoop loop;
        int ticks = 0;
        double last = 0;
        double worstGap = 0;
        double at63 = -1;
        // Connected after the panel's own handler, so it runs once the tick
        // has moved the panel.
        const auto connection = QObject::connect(timer, &QTimer::timeout, [&] {
            const double now = msSince(clock);
            worstGap = std::max(worstGap, now - last);
            last = now;
            ++ticks;
            // A late timer catches up the steps it missed, so the 63rd step
            // is the one that brings the panel to its full height.
            if (picker->heightTwips() == fraIconario::openHeight) {
                at63 = now;
                loop.quit();
            }
        });
        QTimer::singleShot(5000, &loop, &QEventLoop::quit);
        clock.start();
        program.window->imgNavy_Click(5); // what "Attiva Iconario" runs
        loop.exec();
        QObject::disconnect(connection);
        if (at63 < 0 || picker->heightTwips() != fraIconario::openHeight) {
            std::fprintf(stderr, "slide %d: %d ticks, height %d\n", run, ticks, picker->heightTwips());
            return 1;
        }
        // The first slide of a process pays for first paints; it is
        // reported apart, the rest make the median.
        if (run == 0)
            cold = at63;
        else {
            totals.push_back(at63);
            worstGaps.push_back(worstGap);
        }
        waitMs(300);
        picker->lblChiudiIC_Click();
        waitMs(700);
    }
    char extra[160];
    std::snprintf(extra, sizeof extra, ", \"steps\": %d, \"cold\": %.3f, \"worst_gap_median\": %.3f", slideTicks, cold,
                  median(worstGaps));
    report("slide", totals, extra);
    return 0;
}

// Names and addresses as people write them: accented letters, spaces,
// quotes now and then, lengths that vary.
void makePersonalSet(QStringList &names, QStringList &urls)
{
    static const QString words[] = {QStringLiteral("faccina"), QStringLiteral("perché"),
                                    QStringLiteral("così"),    QStringLiteral("\"urlo\""),
                                    QStringLiteral("caffè"),   QStringLiteral("ciao a tutti")};
    for (int i = 0; i < personalEntries; ++i) {
        names.append(
            QStringLiteral("%1 %2 n. %3").arg(words[i % 6], words[(i / 6) % 6]).arg(i + 1, 5, 10, QLatin1Char('0')));
        urls.append(QStringLiteral("http://www.velmora.it/iconario/personali/%1/emo_%2.gif").arg(i % 97).arg(i + 1));
    }
}

int personal(int runs, const QString &folder)
{
    QDir().mkpath(folder);
    const QString path = folder + QStringLiteral("/Personali.ic2");
    QStringList names;
    QStringList urls;
    makePersonalSet(names, urls);
    const PersonalSet set = PersonalSet::fromLists(names, urls);
    if (!GestioneFiles::ScriviSetPersonale(path, set).ok()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return 1;
    }
    const qint64 bytes = QFile(path).size();

    std::vector<double> reads;
    std::vector<double> writes;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer clock;
        clock.start();
        const GestioneFiles::PersonalSetRead read = GestioneFiles::LeggiSetPersonale(path);
        reads.push_back(msSince(clock));
        if (read.result != GestioneFiles::ReadResult::Ok || read.set != set) {
            std::fprintf(stderr, "read back differs\n");
            return 1;
        }
        clock.start();
        const auto written = GestioneFiles::ScriviSetPersonale(path, read.set);
        writes.push_back(msSince(clock));
        if (!written.ok()) {
            std::fprintf(stderr, "rewrite failed\n");
            return 1;
        }
    }
    char extra[96];
    std::snprintf(extra, sizeof extra, ", \"entries\": %d, \"bytes\": %lld", personalEntries, bytes);
    report("personal_read", reads, extra);
    report("personal_rewrite", writes, extra);

    // The picker, open, filled as a user fills it: a click on a set's
    // button runs optEmo_Click. Each figure runs until the event loop has
    // painted the list anew (its layout is done then); the handler alone is
    // reported beside.
    Program program(path);
    if (!program.openPicker()) {
        std::fprintf(stderr, "picker did not open\n");
        return 1;
    }
    fraIconario *picker = program.picker();
    auto *list = picker->findChild<ListBox *>(QStringLiteral("lstEmo"));
    PaintWatch listPainted(list->viewport());
    const auto choose = [&](int set, double &handlerMs) {
        QElapsedTimer clock;
        listPainted.painted = false;
        clock.start();
        picker->optEmo_Click(set);
        handlerMs = msSince(clock);
        // What the window system would run next: the list's layout and
        // the repaint of what changed, no more.
        while (!listPainted.painted && clock.elapsed() < 5000)
            QCoreApplication::processEvents();
        return msSince(clock);
    };

    std::vector<double> fills, fillHandlers;
    std::vector<double> afterPersonal, afterPersonalHandlers;
    std::vector<std::vector<double>> builtIn(Catalogue::personalSet), builtInHandlers(Catalogue::personalSet);
    for (int run = 0; run < runs; ++run) {
        double handler = 0;
        // Each built-in set, chosen while another built-in one is shown.
        for (int set = 0; set < Catalogue::personalSet; ++set) {
            choose((set + 1) % Catalogue::personalSet, handler);
            waitMs(200);
            builtIn[set].push_back(choose(set, handler));
            builtInHandlers[set].push_back(handler);
            waitMs(200);
        }
        fills.push_back(choose(Catalogue::personalSet, handler));
        fillHandlers.push_back(handler);
        if (list->count() != personalEntries) {
            std::fprintf(stderr, "lstEmo holds %d\n", int(list->count()));
            return 1;
        }
        waitMs(300);
        // Back to a built-in set: the 32,767 items go first.
        afterPersonal.push_back(choose(3, handler));
        afterPersonalHandlers.push_back(handler);
        waitMs(300);
    }
    std::snprintf(extra, sizeof extra, ", \"handler_median\": %.3f", median(fillHandlers));
    report("personal_fill", fills, extra);
    int slowest = 0;
    for (int set = 1; set < Catalogue::personalSet; ++set)
        if (median(builtIn[set]) > median(builtIn[slowest]))
            slowest = set;
    std::snprintf(extra, sizeof extra, ", \"set\": %d, \"handler_median\": %.3f", slowest,
                  median(builtInHandlers[slowest]));
    report("builtin_choose", builtIn[slowest], extra);
    std::snprintf(extra, sizeof extra, ", \"set\": 3, \"handler_median\": %.3f", median(afterPersonalHandlers));
    report("builtin_after_personal", afterPersonal, extra);
    return 0;
}

// Counts what the event loop delivers: paints by widget, timer ticks by
// timer, window update requests.
class EventCount final : public QObject
{
public:
    QHash<QString, int> paints;
    QHash<QString, int> timers;
    int updateRequests = 0;

    static QString describe(const QObject *o)
    {
        QString text;
        for (int depth = 0; o && depth < 3; ++depth, o = o->parent()) {
            if (!text.isEmpty())
                text += QStringLiteral(" < ");
            text += QString::fromLatin1(o->metaObject()->className());
            if (!o->objectName().isEmpty())
                text += QStringLiteral("(") + o->objectName() + QStringLiteral(")");
            if (!o->objectName().isEmpty() && depth > 0)
                break;
        }
        return text;
    }

protected:
    bool eventFilter(QObject *receiver, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::Paint:
            ++paints[describe(receiver)];
            break;
        case QEvent::Timer:
            ++timers[describe(receiver)];
            break;
        case QEvent::UpdateRequest:
            ++updateRequests;
            break;
        default:
            break;
        }
        return false;
    }
};

void printCounts(const char *name, const QHash<QString, int> &counts)
{
    std::printf(", \"%s\": {", name);
    bool first = true;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it, first = false)
        std::printf("%s\"%s\": %d", first ? "" : ", ", qPrintable(it.key()), it.value());
    std::printf("}");
}

// How many times this thread has gone to sleep and been woken since it
// started: each wait for an event that a timer, a socket or another
// thread ends counts one.
long voluntarySwitches()
{
    QFile status(QStringLiteral("/proc/self/task/%1/status").arg(gettid()));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("voluntary_ctxt_switches:"))
            return line.mid(line.indexOf(':') + 1).trimmed().toLong();
    }
    return -1;
}

// Microseconds a call of a timer's handler takes, paints it causes aside.
double handlerUs(const std::function<void()> &handler)
{
    std::vector<double> runs;
    for (int i = 0; i < 200; ++i) {
        QElapsedTimer clock;
        clock.start();
        handler();
        runs.push_back(double(clock.nsecsElapsed()) / 1e3);
    }
    return median(runs);
}

// From the press of OK to the tag in the reply's message box, beside the
// clipboard copy alone (the handler up to its return), on the sample
// forum's reply page.
int typing(int runs)
{
    Program program(QDir::tempPath() + QStringLiteral("/velmora-bench-none.ic2"));
    WebView *forum = program.window->WB();
    forum->Navigate(program.context.forumHomeUrl + QStringLiteral("rispondi.html"));
    if (!waitUntil([&] { return forum->LocationName().contains(QStringLiteral("Rispondi")) && !forum->Busy(); },
                   30000)) {
        std::fprintf(stderr, "no reply page\n");
        return 1;
    }
    QWebEnginePage *page = forum->findChild<QWebEngineView *>()->page();
    const auto inPage = [page](const QString &code) {
        QVariant result;
        bool done = false;
        page->runJavaScript(code, [&](const QVariant &v) {
            result = v;
            done = true;
        });
        waitUntil([&] { return done; }, 5000);
        return result;
    };
    program.openPicker();
    fraIconario *picker = program.picker();
    picker->optEmo_Click(3);
    auto *names = picker->findChild<ListBox *>(QStringLiteral("lstEmo"));
    names->setCurrentRow(0);
    waitMs(500);

    std::vector<double> copies;
    std::vector<double> typed;
    for (int run = 0; run <= runs; ++run) {
        inPage(QStringLiteral("(m => { m.value = 'Ciao '; m.focus(); m.setSelectionRange(5, 5); return true; })"
                              "(document.getElementById('messaggio'))"));
        names->setFocus();
        waitMs(50);
        bool inserted = false;
        double at = -1;
        QElapsedTimer clock;
        const auto connection = QObject::connect(forum, &WebView::textInserted, [&](bool ok) {
            at = msSince(clock);
            inserted = ok;
        });
        clock.start();
        picker->cmdEmoOK_Click();
        const double copy = msSince(clock);
        waitUntil([&] { return at >= 0; }, 5000);
        QObject::disconnect(connection);
        const QString value = inPage(QStringLiteral("document.getElementById('messaggio').value")).toString();
        if (!inserted || !value.contains(QStringLiteral("[img]"))) {
            std::fprintf(stderr, "run %d: not typed (%s)\n", run, qPrintable(value));
            return 1;
        }
        if (run > 0) { // the first run pays for compiling the script
            copies.push_back(copy);
            typed.push_back(at);
        }
        waitMs(1100); // "FATTO" and the second beep, as a member would wait
    }
    report("ok_clipboard_only", copies, "");
    report("ok_typed_in_field", typed, "");
    return 0;
}

int idle(bool open)
{
    Program program(QDir::tempPath() + QStringLiteral("/velmora-bench-none.ic2"));
    fraIconario *picker = program.picker();
    if (open) {
        program.openPicker();
        picker->optEmo_Click(3);
        picker->findChild<ListBox *>(QStringLiteral("lstEmo"))->setCurrentRow(0);
        waitMs(3000);
    }
    // Past the window's first seconds, while it looks for its frame.
    waitMs(3000);
    EventCount count;
    QCoreApplication::instance()->installEventFilter(&count);
    const long switchesBefore = voluntarySwitches();
    waitMs(10000);
    // One of them is the wait's own end.
    const long wakeups = voluntarySwitches() - switchesBefore;
    QCoreApplication::instance()->removeEventFilter(&count);
    std::printf("{\"name\": \"idle_events\", \"picker_open\": %s, \"seconds\": 10, \"update_requests\": %d"
                ", \"wakeups\": %ld, \"wakeups_per_s\": %.1f",
                open ? "true" : "false", count.updateRequests, wakeups, double(wakeups) / 10);
    printCounts("paints", count.paints);
    printCounts("timers", count.timers);
    frmVelmora *window = program.window;
    std::printf(", \"handler_us\": {\"tmrBusy\": %.1f, \"tmrWBSizer\": %.1f, \"tmrEmoBusy\": %.1f}}\n",
                handlerUs([window] { window->tmrBusy_Timer(); }), handlerUs([window] { window->tmrWBSizer_Timer(); }),
                handlerUs([picker] { picker->tmrEmoBusy_Timer(); }));
    std::fflush(stdout);
    return 0;
}

// Whether the preview's place on the screen (what the X server shows, not
// what the program meant to draw) holds anything but white.
bool previewDrawn(QWidget *preview)
{
    const QPoint at = preview->mapToGlobal(QPoint(0, 0));
    const QImage shown = preview->screen()
                             ->grabWindow(0, at.x(), at.y(), preview->width(), preview->height())
                             .toImage()
                             .convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < shown.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(shown.constScanLine(y));
        for (int x = 0; x < shown.width(); ++x)
            if ((line[x] & 0xffffff) != 0xffffff)
                return true;
    }
    return false;
}

// A press and a release on a line of a list, through the event loop's own
// delivery, as a mouse would.
void clickRow(ListBox *list, int row)
{
    QWidget *viewport = list->viewport();
    const QPointF at = list->visualRect(list->model()->index(row, 0)).center();
    const QPointF global = viewport->mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &press);
    QApplication::sendEvent(viewport, &release);
}

int previewFirstFrame(int runs)
{
    Program program(QDir::tempPath() + QStringLiteral("/velmora-bench-none.ic2"));
    program.openPicker();
    fraIconario *picker = program.picker();
    picker->optEmo_Click(3);
    waitMs(1000);
    auto *list = picker->findChild<ListBox *>(QStringLiteral("lstEmo"));
    WebView *preview = picker->WBIC();
    std::vector<double> times;
    // The first click is not counted: it shows the preview, hidden until then.
    clickRow(list, 0);
    waitMs(2000);
    for (int run = 0; run <= runs; ++run) {
        // Every emoticon here is the same picture: white in between, so the
        // next one's first frame is seen.
        preview->Navigate(QStringLiteral("ciao"));
        if (!waitUntil([preview] { return !preview->Busy() && !previewDrawn(preview); }, 10000)) {
            std::fprintf(stderr, "the preview did not turn white\n");
            return 1;
        }
        waitMs(300);
        QElapsedTimer clock;
        clock.start();
        clickRow(list, run + 1);
        QEventLoop loop;
        QTimer poll;
        poll.setTimerType(Qt::PreciseTimer);
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            if (previewDrawn(preview) || clock.elapsed() > 10000)
                loop.quit();
        });
        poll.start(1);
        loop.exec();
        if (clock.elapsed() > 10000) {
            std::fprintf(stderr, "no frame of the emoticon on screen within 10 s\n");
            return 1;
        }
        if (run > 0)
            times.push_back(msSince(clock));
    }
    report("preview_first_frame", times);
    return 0;
}

// A bare view on the forum, with none, one or both of the program's engine
// choices: the forum in a named profile kept on disk, and a second view in
// an in-memory profile (the picker's preview) made at start.
//
// Prints when (monotonic clock, ms) the application, the window and its
// showing were done, for the driver to set beside the start and the load.
qint64 applicationMade = 0;

// The clock Python's time.monotonic() reads.
qint64 monotonicMs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

void printPhases(qint64 built, qint64 shown)
{
    std::printf("{\"name\": \"phases\", \"application\": %lld, \"built\": %lld, \"shown\": %lld}\n", applicationMade,
                built, shown);
    std::fflush(stdout);
}

int startupVariant(const QString &variant)
{
    if (variant == QStringLiteral("program")) {
        const AppContext context = programContext();
        frmVelmora window(context);
        const qint64 built = monotonicMs();
        window.show();
        printPhases(built, monotonicMs());
        return QApplication::exec();
    }
    const bool persistent = variant.contains(QStringLiteral("persistent"));
    const bool preview = variant.contains(QStringLiteral("preview"));
    QWebEngineView view;
    // Profiles outlive the views' pages: they go with the application.
    QObject *app = QCoreApplication::instance();
    if (persistent)
        view.setPage(new QWebEnginePage(new QWebEngineProfile(QStringLiteral("velmora"), app), &view));
    view.resize(1024, 741);
    view.load(QUrl(QStringLiteral("http://www.velmora.it/forum/")));
    const qint64 built = monotonicMs();
    view.show();
    if (preview) {
        auto *second = new QWebEngineView(&view);
        second->setPage(new QWebEnginePage(new QWebEngineProfile(app), second));
        second->setGeometry(7, 258, 135, 127);
        second->show();
    }
    printPhases(built, monotonicMs());
    return QApplication::exec();
}

// What a save costs the thread that asks for it, and how long until the
// draft is on disk.
int drafts(int runs, const QString &dir)
{
    DraftStore store(dir);
    store.load();
    const std::pair<const char *, qsizetype> sizes[] = {{"1k", 1024}, {"100k", 100 * 1024}, {"1m", 1024 * 1024}};
    for (const auto &[name, bytes] : sizes) {
        std::vector<double> asked, written;
        for (int i = 0; i < runs; ++i) {
            const QString text = QString(bytes - 8, QLatin1Char('a')) + QString::number(10000000 + i);
            QElapsedTimer clock;
            clock.start();
            store.save(Draft{.page = QStringLiteral("http://www.velmora.it/forum/post.php?tid=1"),
                             .field = QStringLiteral("req_message"),
                             .title = QStringLiteral("Rispondi"),
                             .text = text,
                             .savedAt = {},
                             .cut = false});
            asked.push_back(msSince(clock));
            store.flush();
            written.push_back(msSince(clock));
        }
        report(qPrintable(QStringLiteral("draft_save_gui_%1").arg(QLatin1String(name))), asked);
        report(qPrintable(QStringLiteral("draft_save_disk_%1").arg(QLatin1String(name))), written);
    }
    // Start-up's reading of the folder: empty, and with 20,000 planted
    // drafts and a pipe among them.
    for (const bool planted : {false, true}) {
        const QString folder = QDir(dir).filePath(planted ? QStringLiteral("piena") : QStringLiteral("vuota"));
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        if (planted) {
            for (int i = 0; i < 20000; ++i) {
                const Draft d{.page = QStringLiteral("http://www.velmora.it/forum/%1").arg(i),
                              .field = QStringLiteral("req_message"),
                              .title = {},
                              .text = QStringLiteral("testo"),
                              .savedAt = QDateTime::currentDateTimeUtc(),
                              .cut = false};
                QFile file(QDir(folder).filePath(DraftStore::fileNameFor(d.key())));
                if (file.open(QIODevice::WriteOnly))
                    file.write(DraftStore::serialize(d));
            }
            mkfifo(QFile::encodeName(QDir(folder).filePath(QStringLiteral("tubo.bozza"))).constData(), 0600);
        }
        std::vector<double> loads;
        for (int i = 0; i < runs; ++i) {
            QElapsedTimer clock;
            clock.start();
            DraftStore reader(folder);
            reader.load();
            loads.push_back(msSince(clock));
        }
        report(planted ? "drafts_load_20000_files" : "drafts_load_empty", loads);
    }
    return 0;
}

// The palette over 500 names: the four built-in sets and a personal set
// making up the rest. Each key of a few searches is typed into its search
// box and timed to the grid rebuilt; the search alone is timed apart.
int palette(int runs, const QString &folder)
{
    constexpr int allNames = 500;
    QDir().mkpath(folder);
    const QString path = folder + QStringLiteral("/Personali.ic2");
    int builtIn = 0;
    for (int set = 0; set < Catalogue::personalSet; ++set)
        builtIn += int(Catalogue::names(set).size());
    QStringList names;
    QStringList urls;
    makePersonalSet(names, urls);
    names = names.first(allNames - builtIn);
    urls = urls.first(allNames - builtIn);
    const PersonalSet set = PersonalSet::fromLists(names, urls);
    if (!GestioneFiles::ScriviSetPersonale(path, set).ok()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return 1;
    }
    AppContext context;
    context.personalSetPath = path;
    // Pictures are not what is timed: an address that refuses at once.
    context.emoticonBaseUrl = QStringLiteral("http://127.0.0.1:9/iconario/");
    QWidget window;
    window.resize(1024, 700);
    auto *palette = new EmoticonPalette(context, &window);
    window.show();
    waitMs(500);

    const QStringList searches{QStringLiteral("ridere a"), QStringLiteral("caffe"), QStringLiteral("perche"),
                               QStringLiteral("faccina ciao")};
    std::vector<double> searchesAlone;
    std::vector<double> handled;
    const EmoticonIndex index(context.emoticonBaseUrl, set);
    for (int run = 0; run < runs; ++run) {
        for (const QString &typed : searches) {
            palette->openAt(QRect(100, 100, 1, 16));
            waitMs(50);
            for (const QChar c : typed) {
                QElapsedTimer clock;
                clock.start();
                QKeyEvent press(QEvent::KeyPress, c == u' ' ? Qt::Key_Space : Qt::Key_A, Qt::NoModifier, QString(c));
                QCoreApplication::sendEvent(palette->searchBox(), &press);
                handled.push_back(msSince(clock));
                // The grid's layout and painting, before the next key.
                waitMs(20);
            }
            QElapsedTimer clock;
            clock.start();
            const QList<int> found = index.search(typed);
            searchesAlone.push_back(msSince(clock));
            if (found.isEmpty())
                std::fprintf(stderr, "nothing found for %s\n", qPrintable(typed));
        }
    }
    report("palette: a key to the grid rebuilt (the handler), 500 names", handled);
    report("palette: the search alone, 500 names", searchesAlone);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    applicationMade = monotonicMs();
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    QApplication::setOrganizationName(QStringLiteral("Norvale"));
    Composition::choose(); // as the program does

    const QStringList args = QApplication::arguments();
    const QString mode = args.value(1);
    const int runsAt = int(args.indexOf(QStringLiteral("--runs")));
    const int runs = runsAt > 0 ? std::max(5, args.value(runsAt + 1).toInt()) : 5;
    const int dirAt = int(args.indexOf(QStringLiteral("--dir")));
    const QString dir = dirAt > 0 ? args.value(dirAt + 1) : QString();

    if (mode == QStringLiteral("idle"))
        return idle(args.contains(QStringLiteral("--open")));
    if (mode == QStringLiteral("startup"))
        return startupVariant(args.value(2));
    if (mode == QStringLiteral("slide"))
        return slide(runs);
    if (mode == QStringLiteral("typing"))
        return typing(runs);
    if (mode == QStringLiteral("preview"))
        return previewFirstFrame(runs);
    if (mode == QStringLiteral("personal") && !dir.isEmpty())
        return personal(runs, dir);
    if (mode == QStringLiteral("palette") && !dir.isEmpty())
        return palette(runs, dir);
    if (mode == QStringLiteral("drafts") && !dir.isEmpty())
        return drafts(runs, dir);
    std::fprintf(stderr,
                 "usage: velmora_bench slide [--runs N] | personal [--runs N] --dir FOLDER"
                 " | typing [--runs N] | preview [--runs N] | drafts [--runs N] --dir FOLDER | idle [--open]"
                 " | palette [--runs N] --dir FOLDER"
                 " | startup program|bare[+persistent][+preview]\n");
    return 2;
}

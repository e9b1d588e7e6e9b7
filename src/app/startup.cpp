#include "app/startup.h"

#include "app/commandline.h"
#include "app/screenreader.h"
#include "web/webpage.h"
#include "gui/focusframestyle.h"
#include "gui/prompter.h"
#include "platform/platformsystem.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QByteArray>
#include <QLoggingCategory>
#include <QStringList>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace Startup {

namespace {

constexpr auto chromiumFlags = "QTWEBENGINE_CHROMIUM_FLAGS";
constexpr auto pageAccessibility = "QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY";

// --screen-reader=on|off, until the application object exists.
std::optional<bool> screenReaderAsked;

void print(std::FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

// The engine prints its switches and OpenGL details at every start; a user
// who wants them sets QT_LOGGING_RULES, which then decides alone.
void quietEngineLog()
{
    if (qEnvironmentVariableIsSet("QT_LOGGING_RULES"))
        return;
    QLoggingCategory::setFilterRules(u"qt.webenginecontext.info=false\n"
                                     u"qt.webenginecontext.debug=false"_s);
}

bool runsAsRoot()
{
    return PlatformSystem::runsAsSuperUser();
}

// The user has switched the sandbox off already: Qt's own variable, or the
// flag handed to Chromium directly.
bool sandboxAlreadyOff()
{
    return qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX")
        || qEnvironmentVariable(chromiumFlags).split(u' ', Qt::SkipEmptyParts).contains(u"--no-sandbox"_s);
}

// Only a real screen can show a box; offscreen and minimal ones would wait
// for a click that never comes.
bool hasDisplay()
{
    const QString platform = qEnvironmentVariable("QT_QPA_PLATFORM");
    if (platform.startsWith(u"offscreen"_s) || platform.startsWith(u"minimal"_s))
        return false;
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
#else
    return true;
#endif
}

int refuseRoot(int &argc, char **argv)
{
    const QString reason =
        u"Velmora non può essere avviato come amministratore (root) con la protezione (sandbox) di "
        u"Chromium attiva: lo avvii da un utente normale, oppure con l'opzione --no-sandbox se accetta "
        u"di rinunciare a quella protezione."_s;
    print(stderr, reason + u'\n');
    if (hasDisplay()) {
        QApplication app(argc, argv);
        MessageBoxPrompter prompter;
        prompter.tell(nullptr, QMessageBox::Critical, u"Norvale - Avvio"_s, reason);
    }
    return 1;
}

// Chromium reads its switches from this variable when the engine starts, and
// this process alone sees the change.
void switchSandboxOff()
{
    QByteArray flags = qgetenv(chromiumFlags);
    qputenv(chromiumFlags, flags.isEmpty() ? "--no-sandbox" : flags + " --no-sandbox");
    print(stderr, u"Velmora: protezione (sandbox) di Chromium disattivata per questa sessione (--no-sandbox).\n"_s);
}

} // namespace

std::optional<int> beforeApplication(int &argc, char **argv)
{
    quietEngineLog();
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const CommandLine commandLine = CommandLine::parse(arguments);
    switch (commandLine.action()) {
    case CommandLine::Action::ShowHelp:
    case CommandLine::Action::ShowVersion:
        print(stdout, commandLine.text());
        return 0;
    case CommandLine::Action::Refuse:
        print(stderr, commandLine.text());
        return CommandLine::refusedStatus;
    case CommandLine::Action::Run:
        break;
    }
    screenReaderAsked = commandLine.screenReader();
    WebPage::showConsole(commandLine.logConsole());
    if (commandLine.noSandbox())
        switchSandboxOff();
    else if (runsAsRoot() && !sandboxAlreadyOff())
        return refuseRoot(argc, argv);
    return std::nullopt;
}

void afterApplication()
{
    // Asked whatever the command line says: Qt's own bridge talks to the bus
    // as the first window is made, and must stay off one that is silent.
    const ScreenReader::Answer answer = ScreenReader::ask();
    if (answer == ScreenReader::Answer::BusSilent)
        ScreenReader::keepQtOffTheBus();

    // The engine exposes the pages' content to screen readers only if this
    // is set when it starts; it costs processor time on big pages, so only
    // when a screen reader runs, or the member asked.
    const bool readable = screenReaderAsked
        ? *screenReaderAsked
        : qEnvironmentVariableIsSet(pageAccessibility) || answer == ScreenReader::Answer::Running;
    if (readable)
        qputenv(pageAccessibility, "1");
    else
        qunsetenv(pageAccessibility);

    QApplication::setStyle(new FocusFrameStyle);

    // The engine takes its language from the default locale as it starts:
    // its own pages (a page that cannot be reached) and the language it asks
    // sites for are Italian whatever the system's language.
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));

    // Qt's own words (Sì / No on message boxes, the text boxes' menus)
    // in Italian, where the system has Qt's translations.
    auto *qtTexts = new QTranslator(qApp);
    if (qtTexts->load(QLocale(QLocale::Italian), QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qtTexts);

    // The engine looks for dictionaries beside the program (a build folder);
    // an installed program keeps them in its data folder.
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_DICTIONARIES_PATH")) {
        const QDir program(QCoreApplication::applicationDirPath());
        const QString installed = program.filePath(QStringLiteral("../share/velmora/qtwebengine_dictionaries"));
        if (!program.exists(QStringLiteral("qtwebengine_dictionaries")) && QDir(installed).exists())
            qputenv("QTWEBENGINE_DICTIONARIES_PATH", QFile::encodeName(QDir::cleanPath(installed)));
    }
}

} // namespace Startup

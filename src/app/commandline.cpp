#include "app/commandline.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QFileInfo>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

struct OptionText
{
    QStringList names;
    QString description;
};

// Our own options, in the order the help lists them.
const OptionText &helpOption()
{
    static const OptionText option{{u"h"_s, u"help"_s}, u"Mostra questo aiuto ed esce."_s};
    return option;
}

const OptionText &versionOption()
{
    static const OptionText option{{u"v"_s, u"version"_s}, u"Mostra la versione ed esce."_s};
    return option;
}

const OptionText &noSandboxOption()
{
    static const OptionText option{
        {u"no-sandbox"_s},
        u"Disattiva la protezione (sandbox) di Chromium per questa sessione; serve per avviare "
        u"Velmora come amministratore (root), ed è sconsigliato."_s};
    return option;
}

const OptionText &screenReaderOption()
{
    static const OptionText option{
        {u"screen-reader"_s},
        u"on: rende le pagine del forum leggibili dai lettori di schermo (Orca); off: no. Senza "
        u"l'opzione, le pagine sono leggibili se all'avvio un lettore di schermo è attivo."_s};
    return option;
}

const OptionText &logConsoleOption()
{
    static const OptionText option{
        {u"log-console"_s},
        u"Scrive sullo standard error i messaggi della console delle pagine del forum, al più 20 al "
        u"secondo (per chi sviluppa il forum)."_s};
    return option;
}

// The options every Qt program takes (-platform, -style, ...), which
// QApplication reads itself: accepted here so they keep working, and not
// listed in the help.
QList<QCommandLineOption> qtOptions()
{
    QList<QCommandLineOption> options;
    for (const auto *name : {"platform", "platformpluginpath", "platformtheme", "plugin", "display", "geometry",
                             "qwindowgeometry", "qwindowtitle", "qwindowicon", "style", "stylesheet", "session"}) {
        QCommandLineOption option(QString::fromLatin1(name), QString(), u"valore"_s);
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        options.append(option);
    }
    for (const auto *name : {"reverse", "widgetcount", "nograb", "dograb", "sync"}) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        options.append(option);
    }
    return options;
}

QString spelled(const QStringList &names)
{
    QStringList dashed;
    for (const QString &name : names)
        dashed.append((name.size() == 1 ? u"-"_s : u"--"_s) + name);
    return dashed.join(u", "_s);
}

// An unknown option as the user typed it (--bogus, -x), without its value.
QString asTyped(const QString &name, const QStringList &arguments)
{
    for (const QString &argument : arguments) {
        const QString option = argument.section(u'=', 0, 0);
        if (option == u"--"_s + name || option == u"-"_s + name)
            return option;
    }
    return u"--"_s + name;
}

QString helpText(const QString &program)
{
    const OptionText *listed[] = {&helpOption(), &versionOption(), &noSandboxOption(), &screenReaderOption(),
                                  &logConsoleOption()};
    qsizetype width = 0;
    for (const OptionText *option : listed)
        width = std::max(width, spelled(option->names).size());
    QString text = u"Uso: "_s + program + u" [opzioni]\n\n"_s
        + u"Velmora mostra il forum Velmora in una finestra, con l'Iconario per inserire "
          u"le emoticon nei messaggi.\n\nOpzioni:\n"_s;
    for (const OptionText *option : listed)
        text += u"  "_s + spelled(option->names).leftJustified(width + 2) + option->description + u'\n';
    return text;
}

} // namespace

CommandLine CommandLine::parse(const QStringList &arguments)
{
    const QString program = arguments.isEmpty() ? u"velmora"_s : QFileInfo(arguments.first()).fileName();
    QCommandLineParser parser;
    // -platform is one Qt option, not -p -l -a ...; -h and -v stay ours.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(helpOption().names, helpOption().description);
    const QCommandLineOption version(versionOption().names, versionOption().description);
    const QCommandLineOption noSandbox(noSandboxOption().names, noSandboxOption().description);
    const QCommandLineOption screenReader(screenReaderOption().names, screenReaderOption().description, u"on|off"_s);
    const QCommandLineOption logConsole(logConsoleOption().names, logConsoleOption().description);
    parser.addOptions({help, version, noSandbox, screenReader, logConsole});
    parser.addOptions(qtOptions());

    CommandLine result;
    const auto refuse = [&result, &program](const QString &reason) {
        result.m_action = Action::Refuse;
        result.m_text = program + u": "_s + reason + u" Le opzioni ammesse sono elencate da "_s + program
            + u" --help.\n"_s;
        return result;
    };
    if (!parser.parse(arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        if (!unknown.isEmpty())
            return refuse(u"opzione sconosciuta "_s + asTyped(unknown.first(), arguments) + u'.');
        // The only other faults: "Missing value after '-style'." and
        // "Unexpected value after '--help=1'."; say them in Italian.
        const QString error = parser.errorText();
        const QString option = error.section(u'\'', 1, 1);
        return refuse(error.startsWith(u"Missing"_s) ? u"manca il valore dell'opzione "_s + option + u'.'
                                                     : u"l'opzione "_s + option + u" non prevede un valore."_s);
    }
    if (!parser.positionalArguments().isEmpty())
        return refuse(u"argomento non previsto \""_s + parser.positionalArguments().first() + u"\"."_s);

    if (parser.isSet(help)) {
        result.m_action = Action::ShowHelp;
        result.m_text = helpText(program);
    } else if (parser.isSet(version)) {
        result.m_action = Action::ShowVersion;
        result.m_text = u"Velmora "_s + QStringLiteral(VELMORA_VERSION) + u'\n';
    }
    result.m_noSandbox = parser.isSet(noSandbox);
    result.m_logConsole = parser.isSet(logConsole);
    if (parser.isSet(screenReader)) {
        const QString value = parser.value(screenReader);
        if (value != u"on"_s && value != u"off"_s)
            return refuse(u"il valore di --screen-reader è on oppure off, non \""_s + value + u"\"."_s);
        result.m_screenReader = value == u"on"_s;
    }
    return result;
}

#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// What the user asked for on the command line. Qt Core only: it is read
// before the application object exists, so that --help, --version and
// mistakes are answered without a display and before the engine starts.
class CommandLine
{
public:
    enum class Action {
        Run,         // start the program
        ShowHelp,    // print text on standard output, status 0
        ShowVersion, // the same
        Refuse,      // print text on standard error, status 2
    };

    // arguments as QCoreApplication would give them: the program first.
    static CommandLine parse(const QStringList &arguments);

    Action action() const { return m_action; }
    // The help, the version line or the reason for refusing, ending in a newline.
    QString text() const { return m_text; }
    // --no-sandbox: Chromium runs without its sandbox for this run.
    bool noSandbox() const { return m_noSandbox; }
    // --screen-reader=on|off: the forum's pages exposed to screen readers or
    // not, whatever is running; nothing when the program is to find out.
    std::optional<bool> screenReader() const { return m_screenReader; }
    // --log-console: the pages' console messages on standard error.
    bool logConsole() const { return m_logConsole; }

    static constexpr int refusedStatus = 2;

private:
    Action m_action = Action::Run;
    QString m_text;
    bool m_noSandbox = false;
    bool m_logConsole = false;
    std::optional<bool> m_screenReader;
};

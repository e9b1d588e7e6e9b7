#include "app/screenreader.h"

#include <QAccessible>
#include <QByteArray>
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QList>
#include <QScopeGuard>
#include <QThread>
#include <QVariantMap>

#include <atomic>
#include <memory>

using namespace Qt::StringLiterals;

namespace ScreenReader {

namespace {

constexpr auto busAddressVariable = "AT_SPI_BUS_ADDRESS";

// How long the program's end waits for a question cut short, whose calls
// have all run out of time already.
constexpr int cutShortGrace = 1000;

const QString launcher = u"org.a11y.Bus"_s;
const QString launcherPath = u"/org/a11y/bus"_s;
const QString daemon = u"org.freedesktop.DBus"_s;
const QString daemonPath = u"/org/freedesktop/DBus"_s;

// A call the deadline cuts ends as NoReply, as QtDBus ends one whose own
// time runs out.
QDBusMessage call(const QString &bus, const QDeadlineTimer &deadline, const QString &service, const QString &path,
                  const QString &interface, const QString &method, const QVariantList &arguments = {})
{
    const qint64 left = deadline.remainingTime();
    if (left <= 0)
        return QDBusMessage::createError(QDBusError::NoReply, u"no time left to ask"_s);
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    return QDBusConnection(bus).call(message, QDBus::Block, int(left));
}

bool silent(const QDBusMessage &reply)
{
    const QDBusError::ErrorType error = QDBusError(reply).type();
    return error == QDBusError::NoReply || error == QDBusError::Timeout || error == QDBusError::TimedOut;
}

// An error's first argument is its text, never an answer.
QVariant answerIn(const QDBusMessage &reply)
{
    return reply.type() == QDBusMessage::ReplyMessage ? reply.arguments().value(0) : QVariant();
}

// A connection of the question's own, registered by hand: QtDBus's
// connectToBus registers with no time limit, on the one thread that serves
// every connection of the program.
QDBusMessage open(const QString &address, const QString &name, const QDeadlineTimer &deadline)
{
    QDBusConnection::connectToPeer(address, name);
    return call(name, deadline, daemon, daemonPath, daemon, u"Hello"_s);
}

// Where libdbus finds the session bus.
QString sessionBusAddress()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
    const QString socket = qEnvironmentVariable("XDG_RUNTIME_DIR") + u"/bus"_s;
    return socket.startsWith(u'/') && QFileInfo::exists(socket) ? u"unix:path="_s + socket : QString();
}

// Whether anything listens to the accessibility bus's events, as screen
// readers, magnifiers and switch devices do.
bool listened(const QDBusMessage &events)
{
    const QVariant list = answerIn(events);
    if (!list.canConvert<QDBusArgument>())
        return false;
    const auto array = list.value<QDBusArgument>();
    array.beginArray();
    return !array.atEnd();
}

// Each step that finds a bus Qt's bridge would wait on answering moves the
// answer on from BusSilent; a step the deadline cuts leaves it there.
void askBuses(const QDeadlineTimer &deadline, std::atomic<Answer> &answer)
{
    static std::atomic<int> questions;
    const QString number = QString::number(questions++);
    const QString session = u"velmora-session-"_s + number;
    const QString accessibility = u"velmora-accessibility-"_s + number;
    const auto closing = qScopeGuard([&] {
        QDBusConnection::disconnectFromPeer(accessibility);
        QDBusConnection::disconnectFromPeer(session);
    });

    // Qt's bridge takes the bus from this variable alone where it is set;
    // otherwise from the session's launcher, with accessibility on.
    QString address = qEnvironmentVariable(busAddressVariable);
    const bool alwaysOn = qEnvironmentVariableIsSet("QT_LINUX_ACCESSIBILITY_ALWAYS_ON");
    QVariantMap flags;
    if (const QString sessionAddress = sessionBusAddress(); !sessionAddress.isEmpty()) {
        if (silent(open(sessionAddress, session, deadline)))
            return;
        // The bridge asks only a launcher that is there already: asking one
        // that is not would start it.
        const QDBusMessage owned = call(session, deadline, daemon, daemonPath, daemon, u"NameHasOwner"_s, {launcher});
        if (silent(owned))
            return;
        if (answerIn(owned).toBool()) {
            // Both flags in one call, without looking the object over first.
            const QDBusMessage status = call(session, deadline, launcher, launcherPath,
                                             u"org.freedesktop.DBus.Properties"_s, u"GetAll"_s, {u"org.a11y.Status"_s});
            if (silent(status))
                return;
            flags = QDBusReply<QVariantMap>(status).value();
            const bool enabled = alwaysOn || flags.value(u"IsEnabled"_s).toBool()
                || flags.value(u"ScreenReaderEnabled"_s).toBool();
            if (address.isEmpty() && enabled) {
                const QDBusMessage where = call(session, deadline, launcher, launcherPath, launcher, u"GetAddress"_s);
                if (silent(where))
                    return;
                address = answerIn(where).toString();
            }
        }
    }
    if (address.isEmpty()) {
        answer = Answer::NotRunning;
        return;
    }
    const QDBusMessage hello = open(address, accessibility, deadline);
    if (silent(hello))
        return;
    answer = Answer::NotRunning;
    if (hello.type() != QDBusMessage::ReplyMessage)
        return;
    if (flags.value(u"ScreenReaderEnabled"_s).toBool()) {
        answer = Answer::Running;
        return;
    }
    // Some desktops keep IsEnabled on whether or not anyone uses it: it
    // counts only with an assistive technology listening.
    if (flags.value(u"IsEnabled"_s).toBool()
        && listened(call(accessibility, deadline, u"org.a11y.atspi.Registry"_s, u"/org/a11y/atspi/registry"_s,
                         u"org.a11y.atspi.Registry"_s, u"GetRegisteredEvents"_s)))
        answer = Answer::Running;
}

// Questions the program stopped waiting for, still running.
QList<QThread *> &cutShort()
{
    static QList<QThread *> questions;
    return questions;
}

// A question still running when the program ends is given a moment, so that
// it never outlives QtDBus; one held up anyway is left, never destroyed.
void waitForCutShort()
{
    const QDeadlineTimer grace(cutShortGrace);
    for (QThread *question : std::as_const(cutShort())) {
        if (question->wait(grace))
            delete question;
    }
    cutShort().clear();
}

} // namespace

Answer ask(std::chrono::milliseconds within)
{
    const QDeadlineTimer deadline(within, Qt::PreciseTimer);
    const auto answer = std::make_shared<std::atomic<Answer>>(Answer::BusSilent);
    QThread *question = QThread::create([deadline, answer] { askBuses(deadline, *answer); });
    question->start();
    if (question->wait(deadline)) {
        delete question;
    } else {
        if (cutShort().isEmpty())
            qAddPostRoutine(waitForCutShort);
        cutShort().append(question);
    }
    return answer->load();
}

void keepQtOffTheBus()
{
    // Qt makes its bridge at the first accessibility call, and the bridge
    // takes its bus from this variable alone where it is set: an address of
    // no bus fails at once and leaves it inactive for good. Put back at
    // once, so that the engine and programs opened later see the desktop's.
    const bool wasSet = qEnvironmentVariableIsSet(busAddressVariable);
    const QByteArray address = qgetenv(busAddressVariable);
    qputenv(busAddressVariable, "none:");
    QAccessible::isActive();
    if (wasSet)
        qputenv(busAddressVariable, address);
    else
        qunsetenv(busAddressVariable);
}

} // namespace ScreenReader

#include "core/draftstore.h"
#include "core/gestionefiles.h"
#include "core/personalsetlocation.h"
#include "core/windows1252.h"
#include "platform/platformfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#else
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

// What the program asks of the system where POSIX and Windows differ, run on
// both: each row goes through the body the system has.
namespace {

bool hardLink(const QString &existing, const QString &link)
{
#ifdef Q_OS_WIN
    return CreateHardLinkW(reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(link).utf16()),
                           reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(existing).utf16()), nullptr);
#else
    return ::link(QFile::encodeName(existing).constData(), QFile::encodeName(link).constData()) == 0;
#endif
}

// A symbolic link, on Windows a reparse point (QFile::link makes a .lnk
// shortcut there, which is an ordinary file).
bool symbolicLink(const QString &target, const QString &link)
{
#ifdef Q_OS_WIN
    const auto name = QDir::toNativeSeparators(link);
    CreateSymbolicLinkW(reinterpret_cast<LPCWSTR>(name.utf16()),
                        reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(target).utf16()),
                        SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
    const DWORD attributes = GetFileAttributesW(reinterpret_cast<LPCWSTR>(name.utf16()));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
#else
    return QFile::link(target, link);
#endif
}

// Wine answers every change of a file's rights with success and keeps none.
bool underWine()
{
#ifdef Q_OS_WIN
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
#else
    return false;
#endif
}

QString device()
{
#ifdef Q_OS_WIN
    return u"NUL"_s;
#else
    return u"/dev/null"_s;
#endif
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : "<none>"_ba;
}

} // namespace

class tst_PlatformFiles : public QObject
{
    Q_OBJECT

private slots:
    void openThenCheck_data();
    void openThenCheck();
    void personalSetPlace_data();
    void personalSetPlace();
    void windows1252KeptByteForByte();
    void windows1252EveryByte();
    void windows1252Characters_data();
    void windows1252Characters();
    void draftsTheUsersAlone();
};

void tst_PlatformFiles::openThenCheck_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("reason"); // empty: read

    QTest::newRow("a file of the user's") << u"file"_s << QString();
    QTest::newRow("a second name of it") << u"hard link"_s << u"il file ha altri nomi"_s;
    QTest::newRow("a link to it") << u"symbolic link"_s << u"è un collegamento"_s;
    QTest::newRow("a folder") << u"folder"_s << u"è una cartella"_s;
    QTest::newRow("a device") << u"device"_s << u"non è un file ordinario"_s;
}

// The personal set taken from beside the program: opened first, then looked
// at on what was opened.
void tst_PlatformFiles::openThenCheck()
{
    QFETCH(QString, entry);
    QFETCH(QString, reason);
    QTemporaryDir root;
    const QString original = root.filePath(u"originale.ic2"_s);
    const QByteArray bytes = "\"a\"\r\n\"http://a/\"\r\n"_ba;
    QVERIFY(writeBytes(original, bytes));
    QString path = root.filePath(u"Personali.ic2"_s);
    if (entry == u"file")
        path = original;
    else if (entry == u"hard link")
        QVERIFY(hardLink(original, path));
    else if (entry == u"symbolic link" && !symbolicLink(original, path))
        QSKIP("this system makes no symbolic links here (Wine before 9 does not)");
    else if (entry == u"folder")
        QVERIFY(QDir().mkpath(path));
    else if (entry == u"device")
        path = device();

    QString why;
    const std::optional<QByteArray> read = GestioneFiles::readFile(path, GestioneFiles::Trust::OwnFileNoLinks, &why);
    QCOMPARE(why, reason);
    QCOMPARE(read.has_value(), reason.isEmpty());
    if (read)
        QCOMPARE(*read, bytes);
}

void tst_PlatformFiles::personalSetPlace_data()
{
    QTest::addColumn<QString>("twist");
    QTest::addColumn<bool>("expectBeside");
    QTest::addColumn<QByteArray>("expectInData");
    const QByteArray mine = "\"Mio\"\r\n\"http://a/\"\r\n"_ba;
    QTest::newRow("a program folder of the user's") << QString() << true << "<none>"_ba;
    QTest::newRow("a program folder the user cannot write") << u"read-only"_s << false << mine;
    QTest::newRow("the file there a second name")
        << u"read-only, hard link"_s << false << "<none>"_ba;
}

// Beside the program when the folder is the user's own; otherwise in the
// user's data folder, starting as a copy of a file of the user's left there.
void tst_PlatformFiles::personalSetPlace()
{
    QFETCH(QString, twist);
    QFETCH(bool, expectBeside);
    QFETCH(QByteArray, expectInData);
    QTemporaryDir root;
    const QString program = root.filePath(u"Velmora"_s);
    const QString data = root.filePath(u"AppData/Roaming/Norvale/Velmora"_s);
    QVERIFY(QDir().mkpath(program));
    QVERIFY(PlatformFiles::restrictFolder(program) || underWine());
    const QString beside = program + u"/Personali.ic2"_s;
    const QByteArray mine = "\"Mio\"\r\n\"http://a/\"\r\n"_ba;
    if (twist.contains(u"hard link"_s)) {
        QVERIFY(writeBytes(root.filePath(u"altro"_s), mine));
        QVERIFY(hardLink(root.filePath(u"altro"_s), beside));
    } else {
        QVERIFY(writeBytes(beside, mine));
    }
    // As Program Files is to a member who is not an administrator; the
    // tests run as root and administrator alike.
    const bool readOnly = twist.startsWith(u"read-only"_s);
    const QString chosen = PersonalSetLocation::choose(
        program, data, [&](const QString &path) { return !(readOnly && path == program); });
    QCOMPARE(QDir::cleanPath(chosen), QDir::cleanPath(expectBeside ? beside : data + u"/Personali.ic2"_s));
    QCOMPARE(readBytes(data + u"/Personali.ic2"_s), expectInData);
    QCOMPARE(readBytes(beside), mine);
}

// Personali.ic2 is in the ANSI code page of Western Windows, and read back
// exactly: no line ends changed, no stop at a Ctrl+Z byte, as a file opened
// in text mode would have.
void tst_PlatformFiles::windows1252KeptByteForByte()
{
    QTemporaryDir root;
    const QString path = GestioneFiles::personalSetPath(root.path());
    const PersonalSet set = PersonalSet::fromLists({u"caff\u00e8 \u20ac \u2122 \u201cok\u201d"_s, u"fine\x1aqui"_s},
                                                   {u"http://a/\u00e0.gif"_s, u"http://b/"_s});
    const QByteArray bytes = "\"caff\xe8 \x80 \x99 \x93ok\x94\"\r\n\"http://a/\xe0.gif\"\r\n"
                             "\"fine\x1aqui\"\r\n\"http://b/\"\r\n"_ba;
    const GestioneFiles::WriteResult written = GestioneFiles::ScriviSetPersonale(path, set);
    QVERIFY2(written.ok(), qPrintable(u"%1: %2"_s.arg(int(written.status)).arg(written.reason)));
    QCOMPARE(readBytes(path), bytes);

    const GestioneFiles::PersonalSetRead read = GestioneFiles::LeggiSetPersonale(path);
    QCOMPARE(read.result, GestioneFiles::ReadResult::Ok);
    QCOMPARE(read.bytes, bytes);
    QCOMPARE(read.set.entries(), set.entries());
}

// Every byte stands for one character and comes back as it was, the five
// the code page leaves unassigned too: no file loses a byte when rewritten.
void tst_PlatformFiles::windows1252EveryByte()
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const QString text = Windows1252::decode(all);
    QCOMPARE(text.size(), 256);
    QCOMPARE(Windows1252::encode(text), std::optional<QByteArray>(all));
}

void tst_PlatformFiles::windows1252Characters_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes"); // empty: no byte for it
    QTest::newRow("euro") << u"\u20ac"_s << "\x80"_ba;
    QTest::newRow("quotes and trade mark") << u"\u201c\u2122\u201d"_s << "\x93\x99\x94"_ba;
    QTest::newRow("unassigned, as Windows has it") << u"\u0081\u009d"_s << "\x81\x9d"_ba;
    QTest::newRow("Latin-1's top") << u"\u00e8\u00ff"_s << "\xe8\xff"_ba;
    QTest::newRow("a C1 control the page gave away") << u"\u0080"_s << QByteArray();
    QTest::newRow("beyond Latin-1") << u"a\u0100"_s << QByteArray();
    QTest::newRow("beyond the BMP") << u"\U0001F600"_s << QByteArray();
}

void tst_PlatformFiles::windows1252Characters()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    const std::optional<QByteArray> encoded = Windows1252::encode(text);
    QCOMPARE(encoded.has_value(), !bytes.isEmpty());
    if (encoded)
        QCOMPARE(*encoded, bytes);
}

// Drafts are what the member wrote: the folder and each file in it are the
// user's alone, on POSIX by their mode, on Windows by their ACL.
void tst_PlatformFiles::draftsTheUsersAlone()
{
    if (underWine())
        QSKIP("Wine keeps no ACL it is given; run on Windows itself");
    QTemporaryDir root;
    const QString folder = root.filePath(u"dati/bozze"_s);
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(!PlatformFiles::isUserOnly(folder));
    {
        DraftStore store(folder);
        store.load();
        QVERIFY(store.save(Draft{.page = u"http://f/t"_s, .field = u"req_message"_s, .title = u"Rispondi"_s,
                                 .text = u"Ciao a tutti"_s, .savedAt = QDateTime::currentDateTimeUtc()}));
    }
    QVERIFY(PlatformFiles::isUserOnly(folder));
    // The lock says only which copy of the program holds the folder.
    const QStringList files = QDir(folder).entryList({u"*.bozza"_s}, QDir::Files);
    QVERIFY(!files.isEmpty());
    for (const QString &name : files)
        QVERIFY2(PlatformFiles::isUserOnly(QDir(folder).filePath(name)), qPrintable(name));
}

QTEST_GUILESS_MAIN(tst_PlatformFiles)
#include "tst_platformfiles.moc"

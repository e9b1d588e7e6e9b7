#include "core/gestionefiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;
using namespace GestioneFiles;

namespace {

const QString setName = u"Personali.ic2"_s;

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : "<unreadable>"_ba;
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

#ifdef Q_OS_UNIX
// Every write beyond `bytes` fails as on a full disk; root is not exempt.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_saved);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        m_active = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_handler);
    }
    bool active() const { return m_active; }

private:
    rlimit m_saved{};
    void (*m_handler)(int) = nullptr;
    bool m_active = false;
};
#endif

} // namespace

class tst_GestioneFiles : public QObject
{
    Q_OBJECT

private slots:
    void paths();
    void serialize_data();
    void serialize();
    void unencodable_data();
    void unencodable();
    void parse_data();
    void parse();
    void roundTripRandomLists();
    void fileAtPath_data();
    void fileAtPath();
    void rewrite_data();
    void rewrite();
    void rewriteInAFolderClosedToNewFiles_data();
    void rewriteInAFolderClosedToNewFiles();
    void copyKeptBeforeRewrite();
};

void tst_GestioneFiles::paths()
{
    QCOMPARE(personalSetPath(u"C:\\Forum"_s), u"C:\\Forum/Personali.ic2"_s);
    QCOMPARE(personalSetPath(u"/opt/velmora"_s), u"/opt/velmora/Personali.ic2"_s);
}

void tst_GestioneFiles::serialize_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("urls");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("empty set is 0 bytes") << QStringList() << QStringList() << QByteArray();
    QTest::newRow("one entry") << QStringList{u"gatto"_s} << QStringList{u"U"_s} << "\"gatto\"\r\n\"U\"\r\n"_ba;
    QTest::newRow("a then b") << QStringList{u"a"_s, u"b"_s} << QStringList{u"http://x/a.gif"_s, u"http://x/b.gif"_s}
                              << "\"a\"\r\n\"http://x/a.gif\"\r\n\"b\"\r\n\"http://x/b.gif\"\r\n"_ba;
    QTest::newRow("comma and blanks") << QStringList{u" uno, due "_s} << QStringList{u"http://x/,"_s}
                                      << "\" uno, due \"\r\n\"http://x/,\"\r\n"_ba;
    QTest::newRow("Windows-1252 bytes") << QStringList{u"caff\u00e8 \u20ac"_s} << QStringList{u""_s}
                                        << "\"caff\xe8 \x80\"\r\n\"\"\r\n"_ba;
    QTest::newRow("quotes doubled") << QStringList{u"say \"hi\""_s} << QStringList{u"\""_s}
                                    << "\"say \"\"hi\"\"\"\r\n\"\"\"\"\r\n"_ba;
    QTest::newRow("name without URL keeps pairs")
        << QStringList{u"a"_s, u"b"_s} << QStringList{u"u"_s} << "\"a\"\r\n\"u\"\r\n\"b\"\r\n\"\"\r\n"_ba;
    QTest::newRow("URLs beyond the names ignored")
        << QStringList{u"a"_s} << QStringList{u"u"_s, u"v"_s} << "\"a\"\r\n\"u\"\r\n"_ba;
}

void tst_GestioneFiles::serialize()
{
    QFETCH(QStringList, names);
    QFETCH(QStringList, urls);
    QFETCH(QByteArray, bytes);
    const std::optional<QByteArray> written = serializePersonalSet(PersonalSet::fromLists(names, urls));
    QVERIFY(written);
    QCOMPARE(*written, bytes);
}

void tst_GestioneFiles::unencodable_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("unfit"); // as the manager names them

    QTest::newRow("plain") << u"gatto, \"nero\""_s << QStringList();
    QTest::newRow("accents, euro, NBSP") << u"\u00e8\u00e0\u00f9\u20ac\u00a0\u0153"_s << QStringList();
    QTest::newRow("emoji") << u"ciao \U0001F600"_s << QStringList{u"\U0001F600"_s};
    QTest::newRow("Cyrillic, each once") << u"\u0416a\u0416\u0151"_s << QStringList{u"\u0416"_s, u"\u0151"_s};
    QTest::newRow("A with macron (no best fit)") << u"\u0100"_s << QStringList{u"\u0100"_s};
    QTest::newRow("lone high surrogate at end") << QString(QChar(0xD83D)) << QStringList{u"U+D83D"_s};
    QTest::newRow("lone low surrogate") << (u"a"_s + QChar(0xDE00) + u"b"_s) << QStringList{u"U+DE00"_s};
}

void tst_GestioneFiles::unencodable()
{
    QFETCH(QString, text);
    QFETCH(QStringList, unfit);
    const bool fits = unfit.isEmpty();
    QCOMPARE(charactersNotInFile(text), unfit);
    QCOMPARE(fitsInFile(text), fits);
    QCOMPARE(serializePersonalSet(PersonalSet({{text, u"u"_s}})).has_value(), fits);
    QCOMPARE(serializePersonalSet(PersonalSet({{u"n"_s, text}})).has_value(), fits);
}

void tst_GestioneFiles::parse_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("urls");

    const QStringList a{u"a"_s}, u{u"u"_s}, ab{u"a"_s, u"b"_s}, uv{u"u"_s, u"v"_s};
    QTest::newRow("empty file") << QByteArray() << true << QStringList() << QStringList();
    QTest::newRow("two entries") << "\"a\"\r\n\"u\"\r\n\"b\"\r\n\"v\"\r\n"_ba << true << ab << uv;
    QTest::newRow("comma, quotes, accents") << "\"x, \"\"y\"\" \xe8\"\r\n\"\"\r\n"_ba << true
                                            << QStringList{u"x, \"y\" \u00e8"_s} << QStringList{QString()};
    QTest::newRow("odd fields keep the lone name") << "\"a\"\r\n\"u\"\r\n\"b\"\r\n"_ba << false << ab << u;
    QTest::newRow("blanks around unquoted fields") << "  a \t\r\n\tu  \r\n"_ba << true << a << u;
    QTest::newRow("blanks around quoted fields") << " \" a \" \r\n\"u\"\r\n"_ba << true << QStringList{u" a "_s} << u;
    QTest::newRow("empty lines skipped") << "\r\n\"a\"\r\n  \r\n\"u\"\r\n\r\n\r\n"_ba << true << a << u;
    QTest::newRow("text after closing quote dropped") << "\"a\"junk\r\n\"u\" \"x\"\r\n"_ba << true << a << u;
    QTest::newRow("raw quote from an older writer")
        << "\"say \"hi\"\"\r\n\"u\"\r\n"_ba << true << QStringList{u"say "_s} << u;
    QTest::newRow("lone CR") << "\"a\"\r\"u\"\r\"b\"\r\"v\"\r"_ba << true << ab << uv;
    QTest::newRow("lone LF") << "a\nu\nb\nv"_ba << true << ab << uv;
    QTest::newRow("no final CR LF") << "\"a\"\r\n\"u\""_ba << true << a << u;
    QTest::newRow("commas on one line") << "\"a\",\"u\"\r\nb,v\r\n"_ba << true << ab << uv;
    QTest::newRow("quote inside unquoted field") << "a\"b\r\nu\r\n"_ba << true << QStringList{u"a\"b"_s} << u;
    QTest::newRow("unterminated URL") << "\"a\"\r\n\"u\"\r\n\"b\"\r\n\"http://x"_ba << false << ab << u;
    QTest::newRow("unterminated name") << "\"a\"\r\n\"u\"\r\n\"b\r\n"_ba << false << a << u;
    QTest::newRow("lone quote") << "\""_ba << false << QStringList() << QStringList();
    QTest::newRow("trailing comma, no URL") << "a,"_ba << false << a << QStringList();
    // A modern editor's save; anything not valid UTF-8 stays Windows-1252.
    QTest::newRow("UTF-8") << "\"citt\xc3\xa0 \xe2\x82\xac\"\r\nu\r\n"_ba << true << QStringList{u"citt\u00e0 \u20ac"_s}
                           << u;
    QTest::newRow("UTF-8 with BOM") << "\xef\xbb\xbf\"a\"\r\n\"u\"\r\n"_ba << true << a << u;
    QTest::newRow("UTF-8 cut short is Windows-1252")
        << "\"\xc3\xa0 \xc3\"\r\nu\r\n"_ba << true << QStringList{u"\u00c3\u00a0 \u00c3"_s} << u;
    QTest::newRow("overlong UTF-8 is Windows-1252")
        << "\"\xc0\xaf\"\r\nu\r\n"_ba << true << QStringList{u"\u00c0\u00af"_s} << u;
}

void tst_GestioneFiles::parse()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, ok);
    QFETCH(QStringList, names);
    QFETCH(QStringList, urls);

    const PersonalSetRead read = parsePersonalSet(bytes);
    QCOMPARE(read.result == ReadResult::Ok, ok);
    // A name the data left without its address comes with an empty one.
    QCOMPARE(read.set, PersonalSet::fromLists(names, urls));
}

void tst_GestioneFiles::roundTripRandomLists()
{
    // Every character Windows-1252 has, with the troublesome ones made common.
    QByteArray allBytes;
    for (int b = 0; b < 256; ++b)
        allBytes.append(char(b));
    const QString charset = QStringDecoder("windows-1252").decode(allBytes);
    const QString tricky = u"\",  \r\n\t\u00e8\u20ac"_s;

    QRandomGenerator rng(20240611);
    const auto randomText = [&] {
        QString text;
        for (int n = rng.bounded(12); n > 0; --n) {
            const QString &from = rng.bounded(3) == 0 ? tricky : charset;
            text += from.at(rng.bounded(int(from.size())));
        }
        return text;
    };
    for (int round = 0; round < 500; ++round) {
        QStringList names, urls;
        for (int n = rng.bounded(30); n > 0; --n) {
            names << randomText();
            urls << randomText();
        }
        const std::optional<QByteArray> bytes = serializePersonalSet(PersonalSet::fromLists(names, urls));
        QVERIFY(bytes);
        const PersonalSetRead read = parsePersonalSet(*bytes);
        QCOMPARE(read.result, ReadResult::Ok);
        QCOMPARE(read.set.names(), names);
        QCOMPARE(read.set.urls(), urls);
    }
}

// What stands at the path: the existence test and the reader must agree with
// how each window treats it (the picker reads without the existence test).
void tst_GestioneFiles::fileAtPath_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("exists");
    QTest::addColumn<ReadResult>("result");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<int>("urlCount");
    QTest::addColumn<QString>("reason");

    const QByteArray two = "\"a\"\r\n\"u\"\r\n\"b\"\r\n\"v\"\r\n"_ba;
    const QStringList none, ab{u"a"_s, u"b"_s};
    const QByteArray empty;
    const auto unreadable = ReadResult::Unreadable;
    QTest::newRow("missing") << u"missing"_s << empty << false << unreadable << none << 0 << u"file o cartella inesistente"_s;
    QTest::newRow("empty path") << u"empty path"_s << empty << false << unreadable << none << 0 << QString();
    QTest::newRow("folder named Personali.ic2")
        << u"folder"_s << empty << false << unreadable << none << 0 << u"è una cartella"_s;
    QTest::newRow("pipe") << u"pipe"_s << empty << false << unreadable << none << 0 << u"non è un file ordinario"_s;
    QTest::newRow("over 16 MiB") << u"large"_s << empty << true << unreadable << none << 0
                                 << u"il file misura 20,0 MiB, oltre il limite di 16 MiB"_s;
    QTest::newRow("empty file") << u"file"_s << empty << true << ReadResult::Ok << none << 0 << QString();
    QTest::newRow("two entries") << u"file"_s << two << true << ReadResult::Ok << ab << 2 << QString();
    QTest::newRow("hidden file") << u"hidden"_s << two << false << ReadResult::Ok << ab << 2 << QString();
    QTest::newRow("odd fields") << u"file"_s << "\"a\"\r\n\"u\"\r\n\"b\"\r\n"_ba << true << ReadResult::Failed << ab
                                << 1 << QString();
}

void tst_GestioneFiles::fileAtPath()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, exists);
    QFETCH(ReadResult, result);
    QFETCH(QStringList, names);
    QFETCH(int, urlCount);
    QFETCH(QString, reason);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QString path = dir.filePath(kind == u"hidden"_s ? u"."_s + setName : setName);
    if (kind == u"file"_s || kind == u"hidden"_s)
        QVERIFY(writeBytes(path, bytes));
    else if (kind == u"folder"_s)
        QVERIFY(QDir(dir.path()).mkdir(setName));
    else if (kind == u"empty path"_s)
        path.clear();
    else if (kind == u"pipe"_s)
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    else if (kind == u"large"_s)
        QVERIFY(writeBytes(path, {}) && QFile(path).resize(20 * 1024 * 1024));

    QCOMPARE(EsisteFile(path), exists);
    const PersonalSetRead read = LeggiSetPersonale(path);
    QCOMPARE(read.result, result);
    QVERIFY2(read.reason.contains(reason), qPrintable(read.reason));
    QCOMPARE(read.set.names(), names);
    QCOMPARE(read.set.size() - read.set.urls().count(QString()), urlCount);
}

void tst_GestioneFiles::rewrite_data()
{
    QTest::addColumn<QString>("blocker");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<WriteStatus>("result");
    QTest::addColumn<QString>("reason"); // the system's, in Italian

    QStringList many;
    for (int i = 0; i < 50; ++i)
        many << u"emoticon %1"_s.arg(i);
    QTest::newRow("no file yet") << u"missing"_s << QStringList{u"gatto"_s} << WriteStatus::Ok << QString();
    QTest::newRow("only entry removed") << u"old file"_s << QStringList() << WriteStatus::Ok << QString();
    QTest::newRow("target is a folder") << u"folder"_s << many << WriteStatus::Failed
                                        << u"al posto del file c'è una cartella"_s;
    QTest::newRow("parent folder missing")
        << u"no parent"_s << many << WriteStatus::Failed << u"file o cartella inesistente"_s;
    QTest::newRow("disk full midway") << u"size limit"_s << many << WriteStatus::Failed << u"file troppo grande"_s;
    QTest::newRow("emoji in a name") << u"old file"_s << QStringList{u"ok"_s, u"\U0001F600"_s}
                                     << WriteStatus::Unencodable << QString();
}

// A rewrite either installs exactly the new bytes or leaves whatever stood at
// the path untouched, with no stray temporary file beside it.
void tst_GestioneFiles::rewrite()
{
    QFETCH(QString, blocker);
    QFETCH(QStringList, names);
    QFETCH(WriteStatus, result);
    QFETCH(QString, reason);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray old = "\"a\"\r\n\"u\"\r\n"_ba;
    QString path = dir.filePath(setName);
    QString keptPath = path;
    if (blocker == u"folder"_s) {
        QVERIFY(QDir(dir.path()).mkdir(setName));
        keptPath = path + u"/inside"_s;
    } else if (blocker == u"no parent"_s) {
        path = dir.filePath(u"missing/"_s + setName);
    }
    if (blocker != u"missing"_s && blocker != u"no parent"_s)
        QVERIFY(writeBytes(keptPath, old));
    const auto entries = [&] {
        return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    };
    const QStringList before = entries();

    const QStringList urls(names.size(), u"http://x/e.gif"_s);
    {
#ifdef Q_OS_UNIX
        std::optional<FileSizeLimit> limit;
        if (blocker == u"size limit"_s)
            QVERIFY(limit.emplace(64).active());
#else
        if (blocker == u"size limit"_s)
            QSKIP("needs a POSIX file-size limit");
#endif
        const WriteResult written = ScriviSetPersonale(path, PersonalSet::fromLists(names, urls));
        QCOMPARE(written.status, result);
        QCOMPARE(written.reason, reason);
    }

    if (result == WriteStatus::Ok) {
        QCOMPARE(readBytes(path), serializePersonalSet(PersonalSet::fromLists(names, urls)).value());
        QCOMPARE(entries(), QStringList{setName});
    } else {
        QCOMPARE(entries(), before);
        if (blocker != u"no parent"_s)
            QCOMPARE(readBytes(keptPath), old);
    }
}

void tst_GestioneFiles::rewriteInAFolderClosedToNewFiles_data()
{
    QTest::addColumn<bool>("diskFull");
    QTest::newRow("whole") << false;
    QTest::newRow("disk full midway") << true;
}

// The file is rewritten in place: its old bytes are kept in the spare folder
// first, for the user alone, and a write cut short says so.
void tst_GestioneFiles::rewriteInAFolderClosedToNewFiles()
{
#ifdef Q_OS_UNIX
    QFETCH(bool, diskFull);
    QTemporaryDir dir, spareRoot;
    const QString path = dir.filePath(setName);
    const QString spare = spareRoot.filePath(u"dati"_s);
    const QByteArray old = "\"a\"\r\n\"u\"\r\n"_ba;
    QVERIFY(writeBytes(path, old));
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther | QFile::WriteOther));
    QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));
    QVERIFY(QFile::setPermissions(spareRoot.path(),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther
                                      | QFile::WriteOther | QFile::ExeOther));
    const QStringList names(diskFull ? 20 : 1, u"b"_s);
    // Root may create files anywhere: the rewrite runs as nobody instead.
    const pid_t child = fork();
    if (child == 0) {
        if (getuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(3);
        std::optional<FileSizeLimit> limit;
        if (diskFull && !limit.emplace(64).active())
            _exit(4);
        const WriteResult written = ScriviSetPersonale(path, PersonalSet::fromLists(names, {u"v"_s}), spare);
        if (written.ok())
            _exit(0);
        _exit(written.reason.startsWith(u"scrittura incompleta (file troppo grande); i dati precedenti sono in "_s
                                        + spare + u"/Personali.ic2.bak"_s)
                  ? 1
                  : 2);
    }
    int status = -1;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QCOMPARE(WEXITSTATUS(status), diskFull ? 1 : 0);
    if (!diskFull)
        QCOMPARE(readBytes(path), "\"b\"\r\n\"v\"\r\n"_ba);
    QCOMPARE(readBytes(spare + u"/Personali.ic2.bak"_s), old);
    struct stat info = {};
    QCOMPARE(stat(QFile::encodeName(spare + u"/Personali.ic2.bak"_s).constData(), &info), 0);
    QCOMPARE(info.st_mode & 0777, 0600u);
#else
    QSKIP("needs POSIX permissions");
#endif
}

void tst_GestioneFiles::copyKeptBeforeRewrite()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(setName);
    const QByteArray damaged = "\"a\"\r\n\"u\"\r\n\"orfano\"\r\n"_ba;
    QVERIFY(writeBytes(path + u".bak"_s, "older copy"_ba));
    QString reason;
    QVERIFY(!keepCopy(path, &reason));
    QCOMPARE(reason, u"file o cartella inesistente"_s);
    QCOMPARE(readBytes(path + u".bak"_s), "older copy"_ba);
    QVERIFY(writeBytes(path, damaged));
    QVERIFY(keepCopy(path));
    QCOMPARE(readBytes(path + u".bak"_s), damaged);
    // The user's entries are the user's alone, even where the old copy was not.
    QCOMPARE(QFile::permissions(path + u".bak"_s) & ~(QFile::ReadUser | QFile::WriteUser),
             QFile::ReadOwner | QFile::WriteOwner);
}

QTEST_GUILESS_MAIN(tst_GestioneFiles)
#include "tst_gestionefiles.moc"

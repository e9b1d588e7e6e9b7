#include "personal/frmgestionepersonali.h"
#include "gui/listbox.h"
#include "gui/spokennotice.h"
#include "testcontext.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// The set file as the program writes it: one quoted field per CR LF line.
QByteArray setFile(const QStringList &fields)
{
    QByteArray bytes;
    for (const QString &field : fields)
        bytes += '"' + field.toLatin1() + "\"\r\n";
    return bytes;
}

QStringList items(const ListBox *list)
{
    return list->items();
}

const QByteArray missing("<missing>");
const QByteArray untouched("<untouched>");

} // namespace

class tst_frmGestionePersonali : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void opening_data();
    void opening();
    void enabling_data();
    void enabling();
    void busyLabelFollowsPreview();
    void previewOfEntryAndOfTypedAddress();
    void addition_data();
    void addition();
    void additionsAppendInOrder();
    void removalOfSelectedAmongEqualNames();
    void removalAnsweredNo();
    void removalWithNothingSelected();
    void tabFollowsTheWindow();
    void entriesDescribedByAddress();
    void verificationIsSaid_data();
    void verificationIsSaid();
    void nameWithoutAddress();
    void unreadableFile_data();
    void unreadableFile();
    void changedByAnotherProgram_data();
    void changedByAnotherProgram();
    void failedRewriteKeepsListsAsTheFile_data();
    void failedRewriteKeepsListsAsTheFile();
    void charactersTheFileCannotHold_data();
    void charactersTheFileCannotHold();
    void tooLongAddressRefusedAtOnce();

private:
    void open(const QByteArray &content = missing);
    template <typename T>
    T *child(const QString &name) const
    {
        return m_window->findChild<T *>(name);
    }
    QByteArray fileBytes() const;
    void typeAndWait(const QString &name, const QString &url);
    void click(const QString &button) { QTest::mouseClick(child<QPushButton>(button), Qt::LeftButton); }
    void select(int row) { m_names->setCurrentRow(row); }

    std::unique_ptr<TestContext> m_test;
    std::unique_ptr<frmGestionePersonali> m_window;
    ListBox *m_names = nullptr;
    FakeWebView *m_preview = nullptr;
};

void tst_frmGestionePersonali::init()
{
    m_test = std::make_unique<TestContext>();
}

void tst_frmGestionePersonali::cleanup()
{
    m_window.reset();
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
}

void tst_frmGestionePersonali::open(const QByteArray &content)
{
    if (content != missing) {
        QFile file(m_test->context.personalSetPath);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    m_window = std::make_unique<frmGestionePersonali>(m_test->context);
    // Timer1 runs after each change, never on its own, 100 ms later for the
    // member; the tests need not wait that out at every change.
    QTimer *rule = child<QTimer>(u"Timer1"_s);
    QCOMPARE(rule->interval(), 100);
    QVERIFY(rule->isSingleShot());
    m_window->setRuleInterval(std::chrono::milliseconds(0));
    m_names = child<ListBox>(u"lstEmo"_s);
    m_preview = child<FakeWebView>(u"WBPers"_s);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

QByteArray tst_frmGestionePersonali::fileBytes() const
{
    QFile file(m_test->context.personalSetPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : missing;
}

// Fills the two boxes and lets Timer1's rule run over what they hold.
void tst_frmGestionePersonali::typeAndWait(const QString &name, const QString &url)
{
    // First the run the opening asked for, so the typing alone starts the next.
    QTimer *rule = child<QTimer>(u"Timer1"_s);
    QTRY_VERIFY(!rule->isActive());
    child<QLineEdit>(u"txtNome"_s)->setText(name);
    child<QPlainTextEdit>(u"txtURL"_s)->setPlainText(url);
    QTRY_VERIFY(!rule->isActive());
}

void tst_frmGestionePersonali::opening_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("urls");
    const QByteArray two = setFile({u"a"_s, u"u1"_s, u"b, c"_s, u"u2"_s});
    const QStringList names = {u"a"_s, u"b, c"_s};
    const QStringList urls = {u"u1"_s, u"u2"_s};
    QTest::newRow("no file") << u"Personali.ic2"_s << missing << QStringList() << QStringList();
    QTest::newRow("empty") << u"Personali.ic2"_s << QByteArray() << QStringList() << QStringList();
    QTest::newRow("two entries") << u"Personali.ic2"_s << two << names << urls;
    QTest::newRow("hidden file") << u".Personali.ic2"_s << two << QStringList() << QStringList();
    QTest::newRow("damaged") << u"Personali.ic2"_s << two + "\"orphan\"\r\n"
                             << names + QStringList(u"orphan"_s) << urls;
}

void tst_frmGestionePersonali::opening()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, content);
    QFETCH(QStringList, names);
    QFETCH(QStringList, urls);
    m_test->context.personalSetPath = m_test->folder.filePath(fileName);
    open(content);

    QCOMPARE(items(m_names), names);
    QCOMPARE(m_window->personalSet(), PersonalSet::fromLists(names, urls));
    if (names.size() > urls.size()) {
        QCOMPARE(m_test->prompter.shown.size(), 1);
        QCOMPARE(m_test->prompter.shown[0].icon, QMessageBox::Critical);
        QCOMPARE(m_test->prompter.shown[0].title, u"Norvale - File Corrotto"_s);
        QCOMPARE(m_test->prompter.shown[0].text,
                 u"Il file Personali.ic2 risulta corrotto. I dati non sono visualizzabili. "
                 "Aggiungendo nuove immagini verrà ricreato dall'inizio."_s);
    } else {
        QVERIFY(m_test->prompter.shown.isEmpty());
    }
    QVERIFY(m_preview->navigations.isEmpty());
    for (const char *hidden : {"lneEmo", "lneVerifica", "lblBusy"})
        QVERIFY(!child<QWidget>(QString::fromLatin1(hidden))->isVisible());
    for (const char *disabled : {"cmdRimuovi", "cmdVerifica", "cmdAggiungi"})
        QVERIFY(!child<QWidget>(QString::fromLatin1(disabled))->isEnabled());
}

void tst_frmGestionePersonali::enabling_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("verify");
    QTest::addColumn<bool>("add");
    QTest::newRow("only the prefix") << u"n"_s << u"http://"_s << false << false;
    QTest::newRow("one more character") << QString() << u"http://a"_s << true << false;
    QTest::newRow("name and address") << u"n"_s << u"http://a"_s << true << true;
    QTest::newRow("a blank is a name") << u" "_s << u"ftp://ab"_s << true << true;
    QTest::newRow("name, no address") << u"n"_s << QString() << false << false;
}

void tst_frmGestionePersonali::enabling()
{
    QFETCH(QString, name);
    QFETCH(QString, url);
    QFETCH(bool, verify);
    QFETCH(bool, add);
    open();
    typeAndWait(name, url);
    QCOMPARE(child<QPushButton>(u"cmdVerifica"_s)->isEnabled(), verify);
    QCOMPARE(child<QPushButton>(u"cmdAggiungi"_s)->isEnabled(), add);
}

void tst_frmGestionePersonali::busyLabelFollowsPreview()
{
    open();
    auto *busy = child<QLabel>(u"lblBusy"_s);
    m_preview->setBusy(true);
    QTRY_VERIFY(busy->isVisible());
    m_preview->setBusy(false);
    QTRY_VERIFY(!busy->isVisible());
}

void tst_frmGestionePersonali::previewOfEntryAndOfTypedAddress()
{
    open(setFile({u"a"_s, u"http://x/a.gif"_s}));
    auto *entryLine = child<QWidget>(u"lneEmo"_s);
    auto *typedLine = child<QWidget>(u"lneVerifica"_s);

    QTest::mouseClick(m_names->viewport(), Qt::LeftButton, {},
                      m_names->visualRect(m_names->model()->index(0, 0)).center());
    QCOMPARE(m_preview->navigations, QStringList(u"http://x/a.gif"_s));
    QVERIFY(entryLine->isVisible() && !typedLine->isVisible());
    QVERIFY(child<QPushButton>(u"cmdRimuovi"_s)->isEnabled());

    typeAndWait(QString(), u" HTTP://y/b.gif"_s);
    click(u"cmdVerifica"_s);
    QCOMPARE(m_preview->navigations.last(), u" HTTP://y/b.gif"_s);
    QVERIFY(typedLine->isVisible() && !entryLine->isVisible());
}

void tst_frmGestionePersonali::addition_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("capitals") << u"HTTP://x/a.gif"_s << true;
    QTest::newRow("https") << u"HTTPS://x/a.gif"_s << true;
    // Made safe only in the tag: the file keeps the address as entered.
    QTest::newRow("blank and quote") << u"https://x/a b\"c.gif"_s << true;
    QTest::newRow("https without slashes") << u"https:x/a.gif"_s << false;
    QTest::newRow("blank first") << u" http://x/a.gif"_s << false;
    QTest::newRow("other scheme") << u"ftp://x/a.gif"_s << false;
}

void tst_frmGestionePersonali::addition()
{
    QFETCH(QString, url);
    QFETCH(bool, accepted);
    open();
    typeAndWait(u"gatto"_s, url);
    click(u"cmdAggiungi"_s);

    QCOMPARE(m_test->prompter.shown.size(), 1);
    const ScriptedPrompter::Box &box = m_test->prompter.shown[0];
    if (accepted) {
        QCOMPARE(box.icon, QMessageBox::Information);
        QCOMPARE(box.title, u"Norvale - Aggiunta Completa"_s);
        QCOMPARE(box.text, u"Immagine Aggiunta"_s);
        // No file before: now just this entry, four quotes and two CR LF.
        QCOMPARE(fileBytes(), "\"gatto\"\r\n\"" + url.toLatin1().replace('"', "\"\"") + "\"\r\n");
        QCOMPARE(items(m_names), QStringList(u"gatto"_s));
        QCOMPARE(m_window->personalSet().urls(), QStringList(url));
        QVERIFY(child<QLineEdit>(u"txtNome"_s)->text().isEmpty());
        QVERIFY(child<QPlainTextEdit>(u"txtURL"_s)->toPlainText().isEmpty());
        QTRY_VERIFY(!child<QPushButton>(u"cmdAggiungi"_s)->isEnabled());
        QTRY_VERIFY(!child<QPushButton>(u"cmdVerifica"_s)->isEnabled());
    } else {
        QCOMPARE(box.icon, QMessageBox::Warning);
        QCOMPARE(box.title, u"Norvale - Verificare URL"_s);
        QCOMPARE(box.text, u"L'indirizzo URL indicato non sembra valido. Verificare"_s);
        QCOMPARE(fileBytes(), missing);
        QCOMPARE(m_names->count(), 0);
        QCOMPARE(child<QPlainTextEdit>(u"txtURL"_s)->toPlainText(), url);
        QCOMPARE(child<QLineEdit>(u"txtNome"_s)->text(), u"gatto"_s);
    }
}

void tst_frmGestionePersonali::additionsAppendInOrder()
{
    open();
    const QStringList fields = {u"a"_s, u"http://x/1"_s, u"b"_s, u"http://x/2"_s, u"a"_s, u"http://x/3"_s};
    for (qsizetype i = 0; i < fields.size(); i += 2) {
        typeAndWait(fields[i], fields[i + 1]);
        click(u"cmdAggiungi"_s);
    }
    QCOMPARE(fileBytes(), setFile(fields));
    QCOMPARE(items(m_names), QStringList({u"a"_s, u"b"_s, u"a"_s}));
}

void tst_frmGestionePersonali::removalOfSelectedAmongEqualNames()
{
    open(setFile({u"x"_s, u"u1"_s, u"y"_s, u"u2"_s, u"x"_s, u"u3"_s}));
    select(2);
    click(u"cmdRimuovi"_s);

    QCOMPARE(m_test->prompter.shown.size(), 2);
    const ScriptedPrompter::Box &question = m_test->prompter.shown[0];
    QCOMPARE(question.icon, QMessageBox::Information);
    QCOMPARE(question.title, u"Norvale - Rimozione Immagine"_s);
    QCOMPARE(question.text, u"Rimuovere l'immagine denominata x dal Set Personali ?"_s);
    QCOMPARE(question.buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(m_test->prompter.shown[1].title, u"Norvale - Rimozione Completa"_s);
    QCOMPARE(m_test->prompter.shown[1].text, u"Immagine Rimossa"_s);

    QCOMPARE(fileBytes(), setFile({u"x"_s, u"u1"_s, u"y"_s, u"u2"_s}));
    QCOMPARE(m_window->personalSet().urls(), QStringList({u"u1"_s, u"u2"_s}));
    QCOMPARE(m_preview->navigations, QStringList({u"u3"_s, u"ciao"_s}));
    QCOMPARE(m_names->selectedRow(), -1);
    QVERIFY(!child<QPushButton>(u"cmdRimuovi"_s)->isEnabled());
}

void tst_frmGestionePersonali::removalAnsweredNo()
{
    const QByteArray content = setFile({u"x"_s, u"u1"_s});
    open(content);
    select(0);
    m_test->prompter.answers = {QMessageBox::No};
    click(u"cmdRimuovi"_s);
    QCOMPARE(m_test->prompter.shown.size(), 1);
    QCOMPARE(fileBytes(), content);
    QCOMPARE(items(m_names), QStringList(u"x"_s));
    QCOMPARE(m_preview->navigations, QStringList(u"u1"_s));
}

void tst_frmGestionePersonali::removalWithNothingSelected()
{
    open(setFile({u"x"_s, u"u1"_s, u"y"_s, u"u2"_s}));
    select(0);
    click(u"cmdRimuovi"_s);
    QCOMPARE(m_test->prompter.shown.size(), 2);
    // Disabled with nothing selected: a second press does nothing at all.
    click(u"cmdRimuovi"_s);
    QCOMPARE(m_test->prompter.shown.size(), 2);
    QCOMPARE(items(m_names), QStringList(u"y"_s));
    QCOMPARE(fileBytes(), setFile({u"y"_s, u"u2"_s}));
}

// Top to bottom; "Verifica URL" and "Aggiungi" share a line.
void tst_frmGestionePersonali::tabFollowsTheWindow()
{
    open(setFile({u"x"_s, u"u1"_s}));
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    select(0);
    typeAndWait(u"n"_s, u"http://x/n.gif"_s);
    m_names->setFocus();
    QStringList walked;
    for (int i = 0; i < 7; ++i) {
        walked << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(walked,
             QStringList({u"lstEmo"_s, u"cmdRimuovi"_s, u"txtNome"_s, u"txtURL"_s, u"cmdVerifica"_s, u"cmdAggiungi"_s,
                          u"cmdEsci"_s}));
}

void tst_frmGestionePersonali::entriesDescribedByAddress()
{
    open(setFile({u"a"_s, u"http://x/a.gif"_s, u"b"_s, u"http://x/b.gif"_s, u"orphan"_s}));
    QAccessibleTableInterface *list = QAccessible::queryAccessibleInterface(m_names)->tableInterface();
    QStringList described;
    for (int row = 0; row < 3; ++row)
        described << list->cellAt(row, 0)->text(QAccessible::Description);
    QCOMPARE(described, QStringList({u"http://x/a.gif"_s, u"http://x/b.gif"_s, QString()}));
}

void tst_frmGestionePersonali::verificationIsSaid_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("said");
    QTest::newRow("shown") << u"http://x/a.gif"_s << QString() << u"Anteprima caricata: a.gif (16×16)"_s;
    QTest::newRow("not found") << u"http://x/a.gif"_s << u"Impossibile aprire la pagina http://x/a.gif"_s
                               << u"Impossibile aprire la pagina http://x/a.gif"_s;
    QTest::newRow("no web address") << u"ftp://x/a.gif"_s << QString()
                                    << u"L'indirizzo indicato non è un indirizzo web: l'anteprima resta vuota"_s;
}

// What the eye sees in the preview after "Verifica URL" is said.
void tst_frmGestionePersonali::verificationIsSaid()
{
    QFETCH(QString, url);
    QFETCH(QString, failure);
    QFETCH(QString, said);
    open();
    auto *notice = child<SpokenNotice>(u"avviso"_s);
    QVERIFY(notice);
    typeAndWait(QString(), url);
    click(u"cmdVerifica"_s);
    m_preview->setBusy(true);
    m_preview->setName(u"a.gif (16×16)"_s);
    m_preview->setBusy(false);
    // The engine tells a failure just after the loading ends: a web
    // address's outcome is not said before that.
    if (url.startsWith(u"http:"_s))
        QVERIFY(notice->accessibleName().isEmpty());
    if (!failure.isEmpty())
        emit m_preview->noticeShown(failure);
    QCoreApplication::sendPostedEvents(m_window.get(), QEvent::MetaCall);
    QCOMPARE(notice->accessibleName(), said);
}

void tst_frmGestionePersonali::nameWithoutAddress()
{
    open(setFile({u"a"_s, u"u1"_s, u"orphan"_s}));
    select(1);
    QVERIFY(m_preview->navigations.isEmpty());
    QVERIFY(child<QPushButton>(u"cmdRimuovi"_s)->isEnabled());
    // An addition keeps the new address with the new name.
    typeAndWait(u"new"_s, u"http://x/new"_s);
    click(u"cmdAggiungi"_s);
    QCOMPARE(fileBytes(), setFile({u"a"_s, u"u1"_s, u"orphan"_s, QString(), u"new"_s, u"http://x/new"_s}));
    QFile kept(m_test->context.personalSetPath + u".bak"_s);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), setFile({u"a"_s, u"u1"_s, u"orphan"_s}));
    select(1);
    QVERIFY(m_preview->navigations.isEmpty());
    select(2);
    QCOMPARE(m_preview->navigations, QStringList(u"http://x/new"_s));
}

void tst_frmGestionePersonali::unreadableFile_data()
{
    QTest::addColumn<bool>("folder");
    QTest::addColumn<QString>("reason");
    QTest::newRow("a folder") << true << u"è una cartella"_s;
    QTest::newRow("over 16 MiB") << false << u"20,0 MiB"_s;
}

void tst_frmGestionePersonali::unreadableFile()
{
    QFETCH(bool, folder);
    QFETCH(QString, reason);
    QFile file(m_test->context.personalSetPath);
    QVERIFY(folder ? QDir().mkdir(file.fileName()) : file.open(QIODevice::WriteOnly) && file.resize(20 << 20));
    file.close();
    open();
    QCOMPARE(m_test->prompter.shown.size(), 1);
    QCOMPARE(m_test->prompter.shown[0].icon, QMessageBox::Critical);
    QCOMPARE(m_test->prompter.shown[0].title, u"Norvale - Errore di Lettura"_s);
    QVERIFY(m_test->prompter.shown[0].text.startsWith(u"Impossibile leggere il file Personali.ic2: "_s));
    QVERIFY(m_test->prompter.shown[0].text.contains(reason));
    QCOMPARE(m_names->count(), 0);
    // A later change keeps the old bytes beside the new file.
    typeAndWait(u"n"_s, u"http://x/n.gif"_s);
    click(u"cmdAggiungi"_s);
    QCOMPARE(m_test->prompter.shown.last().title,
             folder ? u"Norvale - Errore di Scrittura"_s : u"Norvale - Aggiunta Completa"_s);
    if (folder) {
        QVERIFY(m_test->prompter.shown.last().text.endsWith(
            u"\n\nMotivo: la copia Personali.ic2.bak non è riuscita: è una cartella"_s));
    }
    QCOMPARE(QFileInfo(file.fileName() + u".bak"_s).size(), folder ? 0 : 20 << 20);
}

void tst_frmGestionePersonali::changedByAnotherProgram_data()
{
    // The file holds a and b when the window opens; another program leaves
    // outside in it before "Aggiungi" adds c, or while "Rimuovi" asks about
    // the chosen row.
    QTest::addColumn<bool>("removal");
    QTest::addColumn<int>("chosen");
    QTest::addColumn<QByteArray>("outside");
    QTest::addColumn<QStringList>("file");
    QTest::addColumn<QString>("said");
    QTest::addColumn<QByteArray>("kept");
    const QString a = u"a"_s, xa = u"http://x/a"_s, b = u"b"_s, xb = u"http://x/b"_s;
    const QString c = u"c"_s, xc = u"http://x/c"_s, d = u"d"_s, xd = u"http://x/d"_s;
    const QString note = u"\n\nIl file è stato modificato da un altro programma: l'elenco mostra il file com'è ora"_s;
    const QByteArray damaged = setFile({a, xa, b, xb}) + "\"d\"\r\n";
    QTest::newRow("nothing changed, Aggiungi")
        << false << -1 << untouched << QStringList{a, xa, b, xb, c, xc} << u"Immagine Aggiunta"_s << missing;
    QTest::newRow("nothing changed, Rimuovi")
        << true << 1 << untouched << QStringList{a, xa} << u"Immagine Rimossa"_s << missing;
    QTest::newRow("an entry added, then Aggiungi")
        << false << -1 << setFile({a, xa, b, xb, d, xd}) << QStringList{a, xa, b, xb, d, xd, c, xc}
        << u"Immagine Aggiunta"_s + note << missing;
    QTest::newRow("the chosen entry removed, then Rimuovi")
        << true << 1 << setFile({a, xa}) << QStringList{a, xa}
        << u"L'immagine denominata b non è più nel file Personali.ic2: non è stato rimosso nulla."_s + note << missing;
    QTest::newRow("entries moved, Rimuovi takes the chosen one")
        << true << 1 << setFile({b, xb, a, xa}) << QStringList{a, xa} << u"Immagine Rimossa"_s + note << missing;
    QTest::newRow("the file damaged, then Aggiungi")
        << false << -1 << damaged << QStringList{a, xa, b, xb, c, xc}
        << u"Immagine Aggiunta\n\nIl file Personali.ic2 risultava corrotto: è stato riscritto dall'elenco e i "
           "dati precedenti sono in Personali.ic2.bak"_s
        << damaged;
}

// A change is made to the file as it is when the member makes it, and the
// list then shows that file.
void tst_frmGestionePersonali::changedByAnotherProgram()
{
    QFETCH(bool, removal);
    QFETCH(int, chosen);
    QFETCH(QByteArray, outside);
    QFETCH(QStringList, file);
    QFETCH(QString, said);
    QFETCH(QByteArray, kept);
    open(setFile({u"a"_s, u"http://x/a"_s, u"b"_s, u"http://x/b"_s}));
    const QString path = m_test->context.personalSetPath;
    const auto otherProgram = [&] {
        if (outside == untouched)
            return;
        // Within the same second, or with the time put back: only the bytes tell.
        const QDateTime time = QFileInfo(path).lastModified();
        QFile written(path);
        QVERIFY(written.open(QIODevice::WriteOnly | QIODevice::Truncate));
        written.write(outside);
        QVERIFY(written.setFileTime(time, QFileDevice::FileModificationTime));
    };
    if (removal) {
        select(chosen);
        m_test->prompter.whileOpen = [&] {
            if (m_test->prompter.shown.size() == 1)
                otherProgram();
        };
        click(u"cmdRimuovi"_s);
    } else {
        typeAndWait(u"c"_s, u"http://x/c"_s);
        otherProgram();
        click(u"cmdAggiungi"_s);
    }
    QCOMPARE(fileBytes(), setFile(file));
    // The list shows the file as it is.
    QList<PersonalEntry> entries;
    for (qsizetype i = 0; i + 1 < file.size(); i += 2)
        entries.append({file.at(i), file.at(i + 1)});
    QCOMPARE(m_window->personalSet(), PersonalSet(entries));
    QCOMPARE(items(m_names), PersonalSet(entries).names());
    QCOMPARE(m_test->prompter.shown.last().text, said);
    QFile copy(path + u".bak"_s);
    QCOMPARE(copy.open(QIODevice::ReadOnly) ? copy.readAll() : missing, kept);
}

void tst_frmGestionePersonali::failedRewriteKeepsListsAsTheFile_data()
{
    QTest::addColumn<bool>("removal");
    QTest::newRow("addition") << false;
    QTest::newRow("removal") << true;
}

void tst_frmGestionePersonali::failedRewriteKeepsListsAsTheFile()
{
    QFETCH(bool, removal);
    open(setFile({u"x"_s, u"u1"_s, u"y"_s, u"u2"_s}));
    // A folder where the file should be: its bytes cannot be kept aside, so
    // nothing is rewritten, even for root.
    QVERIFY(QFile::remove(m_test->context.personalSetPath));
    QVERIFY(QDir().mkdir(m_test->context.personalSetPath));

    if (removal) {
        select(1);
        click(u"cmdRimuovi"_s);
    } else {
        typeAndWait(u"z"_s, u"http://x/z.gif"_s);
        click(u"cmdAggiungi"_s);
    }
    QCOMPARE(m_test->prompter.shown.size(), removal ? 2 : 1);
    QCOMPARE(m_test->prompter.shown.last().icon, QMessageBox::Critical);
    QCOMPARE(m_test->prompter.shown.last().title, u"Norvale - Errore di Scrittura"_s);
    QVERIFY(m_test->prompter.shown.last().text.endsWith(
        u"non sia aperto da un altro programma.\n\nMotivo: la copia Personali.ic2.bak non è riuscita: "
        "è una cartella"_s));
    QCOMPARE(items(m_names), QStringList({u"x"_s, u"y"_s}));
    QCOMPARE(m_window->personalSet().urls(), QStringList({u"u1"_s, u"u2"_s}));
    if (removal) {
        QCOMPARE(m_names->selectedRow(), 1);
        QVERIFY(!m_preview->navigations.contains(u"ciao"_s));
    } else {
        QCOMPARE(child<QLineEdit>(u"txtNome"_s)->text(), u"z"_s);
    }
}

void tst_frmGestionePersonali::charactersTheFileCannotHold_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("named");
    QTest::newRow("name") << u"Gatto \u0151"_s << u"http://x/a.gif"_s << u"\u0151"_s;
    QTest::newRow("address") << u"gatto"_s << u"http://x/\u4e2d\u4e2d.gif"_s << u"\u4e2d"_s;
    QTest::newRow("both") << u"\u0416"_s << u"http://x/\U0001F600.gif"_s << u"\u0416 \U0001F600"_s;
}

void tst_frmGestionePersonali::charactersTheFileCannotHold()
{
    QFETCH(QString, name);
    QFETCH(QString, url);
    QFETCH(QString, named);
    open();
    typeAndWait(name, url);
    click(u"cmdAggiungi"_s);
    QCOMPARE(m_test->prompter.shown.size(), 1);
    QCOMPARE(m_test->prompter.shown[0].icon, QMessageBox::Warning);
    QCOMPARE(m_test->prompter.shown[0].title, u"Norvale - Caratteri Non Ammessi"_s);
    QCOMPARE(m_test->prompter.shown[0].text,
             u"Il Nome o l'indirizzo URL contiene caratteri che il file Personali.ic2 non può memorizzare. "
             "Correggere il testo e riprovare.\n\nCaratteri non ammessi: "_s
                 + named);
    QCOMPARE(m_names->count(), 0);
    QCOMPARE(fileBytes(), missing);
    QCOMPARE(child<QLineEdit>(u"txtNome"_s)->text(), name);
}

// An image's address megabytes long once froze the window for a minute: it is
// refused before it reaches the text box, the preview or the file.
void tst_frmGestionePersonali::tooLongAddressRefusedAtOnce()
{
    open();
    const QString huge = u"http://x/a.gif?"_s + QString(1500000, u'x');
    m_window->proposeEntry(u"lungo"_s, huge);
    const QString reason = u"L'indirizzo URL indicato è troppo lungo (%1 caratteri; il massimo è 2048). Verificare"_s;
    QCOMPARE(m_test->prompter.shown.size(), 1);
    QCOMPARE(m_test->prompter.shown[0].title, u"Norvale - Verificare URL"_s);
    QCOMPARE(m_test->prompter.shown[0].text, reason.arg(huge.size()));
    QVERIFY(child<QPlainTextEdit>(u"txtURL"_s)->toPlainText().isEmpty());

    const QString typed = u"http://x/a.gif?"_s + QString(PersonalSet::longestUrl - 14, u'x');
    typeAndWait(u"lungo"_s, typed);
    click(u"cmdVerifica"_s);
    click(u"cmdAggiungi"_s);
    QCOMPARE(m_test->prompter.shown.size(), 3);
    QCOMPARE(m_test->prompter.shown[2].text, reason.arg(PersonalSet::longestUrl + 1));
    QVERIFY(m_preview->navigations.isEmpty());
    QCOMPARE(fileBytes(), missing);

    // Pasted, it is refused before it reaches the box.
    auto *box = child<QPlainTextEdit>(u"txtURL"_s);
    box->selectAll();
    QGuiApplication::clipboard()->setText(huge);
    box->paste();
    QCOMPARE(m_test->prompter.shown.size(), 4);
    QCOMPARE(m_test->prompter.shown[3].text, reason.arg(huge.size()));
    QCOMPARE(box->toPlainText(), typed);
}

QTEST_MAIN(tst_frmGestionePersonali)
#include "tst_frmgestionepersonali.moc"

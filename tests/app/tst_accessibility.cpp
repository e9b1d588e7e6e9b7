#include "app/frmvelmora.h"
#include "core/catalogue.h"
#include "personal/frmgestionepersonali.h"
#include "picker/pickerpanel.h"
#include "testcontext.h"

#include <QAccessible>
#include <QTest>

using namespace Qt::StringLiterals;

// What a screen reader is told about the program's controls, as Qt's
// accessibility layer gives it to the bus.
class tst_Accessibility : public QObject
{
    Q_OBJECT

private slots:
    void controlsAreNamed_data();
    void controlsAreNamed();
};

void tst_Accessibility::controlsAreNamed_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("role");
    const auto row = [](const char *window, const char *control, const QString &name, QAccessible::Role role) {
        QTest::addRow("%s %s", window, control)
            << QString::fromLatin1(window) << QString::fromLatin1(control) << name << int(role);
    };
    const QString bar[] = {u"Indietro"_s, u"Avanti"_s, u"Ricarica"_s, u"Interrompi"_s, u"Pagina iniziale del forum"_s,
                           u"Iconario"_s};
    for (int i = 0; i < 6; ++i)
        row("main", qPrintable(u"imgNavy%1"_s.arg(i)), bar[i], QAccessible::Button);
    row("main", "lblURL", u"Indirizzo della pagina"_s, QAccessible::StaticText);
    row("main", "lblStatus", u"Stato della pagina"_s, QAccessible::StaticText);
    row("main", "lstEmo", u"Emoticon del set"_s, QAccessible::List);
    row("main", "WBIC", u"Anteprima"_s, QAccessible::Client);
    row("main", "lblChiudiIC", u"Chiudi l'Iconario"_s, QAccessible::Button);
    row("main", "cmdEmoOK", u"OK"_s, QAccessible::Button);
    // A set button stays down once chosen: a toggle.
    row("main", "optEmo0", Catalogue::set(0).caption, QAccessible::CheckBox);
    row("manager", "lstEmo", u"Set personale"_s, QAccessible::List);
    row("manager", "txtNome", u"Nome dell'immagine"_s, QAccessible::EditableText);
    row("manager", "txtURL", u"Indirizzo dell'immagine"_s, QAccessible::EditableText);
    row("manager", "WBPers", u"Anteprima"_s, QAccessible::Client);
}

void tst_Accessibility::controlsAreNamed()
{
    QFETCH(QString, window);
    QFETCH(QString, control);
    QFETCH(QString, name);
    QFETCH(int, role);
    TestContext test;
    frmVelmora main(test.context);
    frmGestionePersonali manager(test.context);
    main.picker()->openSequence();
    QWidget *top = window == u"main"_s ? static_cast<QWidget *>(&main) : &manager;
    QWidget *widget = top->findChild<QWidget *>(control);
    QVERIFY(widget);
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget);
    QVERIFY(accessible);
    QCOMPARE(accessible->text(QAccessible::Name), name);
    QCOMPARE(int(accessible->role()), role);
}

QTEST_MAIN(tst_Accessibility)
#include "tst_accessibility.moc"

#include "gui/twips.h"
#include "help/frmerrorsinpersonalset.h"
#include "help/frmhowdoesitwork.h"
#include "help/frmhowtogetimginfo.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

std::unique_ptr<ExplanationWindow> make(const QString &window)
{
    if (window == u"frmHowDoesItWork")
        return std::make_unique<frmHowDoesItWork>();
    if (window == u"frmHowToGetImgInfo")
        return std::make_unique<frmHowToGetImgInfo>();
    return std::make_unique<frmErrorsInPersonalSet>();
}

} // namespace

class tst_ExplanationWindows : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QVERIFY(QApplication::topLevelWidgets().isEmpty()); }

    void frameAndClosing_data();
    void frameAndClosing();
    void textBoxesReadOnlyButCopyable_data();
    void textBoxesReadOnlyButCopyable();
    void errorsTextIsExact();
    void paragraphsFilledOnceAtEachOpening();
    void openOnTheirText_data();
    void openOnTheirText();
    void stepsReadWhole();
};

void tst_ExplanationWindows::frameAndClosing_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QSize>("client");
    QTest::addColumn<QRect>("outline");
    QTest::newRow("HowDoesItWork") << u"frmHowDoesItWork"_s << QSize(5445, 4890) << QRect(45, 30, 5355, 4815);
    QTest::newRow("HowToGetImgInfo") << u"frmHowToGetImgInfo"_s << QSize(8115, 8130) << QRect(45, 45, 8025, 8025);
    QTest::newRow("ErrorsInPersonalSet") << u"frmErrorsInPersonalSet"_s << QSize(6390, 6435)
                                         << QRect(45, 45, 6300, 6315);
}

void tst_ExplanationWindows::frameAndClosing()
{
    QFETCH(QString, window);
    QFETCH(QSize, client);
    QFETCH(QRect, outline);

    const auto w = make(window);
    QVERIFY(w->windowFlags().testFlag(Qt::FramelessWindowHint));
    QCOMPARE(w->size(), QSize(Twips::toPixels(client.width()), Twips::toPixels(client.height())));
    QCOMPARE(w->minimumSize(), w->maximumSize());
    auto *shape = w->findChild<QWidget *>(u"Shape1"_s);
    QVERIFY(shape);
    QCOMPARE(shape->geometry(), Twips::rect(outline.x(), outline.y(), outline.width(), outline.height()));

    w->show();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    QVERIFY((w->geometry().center() - w->screen()->geometry().center()).manhattanLength() <= 2);
    // A blue outline three pixels thick on the orange ground.
    const QImage image = w->grab().toImage();
    const QPoint edge = shape->geometry().topLeft() + QPoint(0, shape->height() / 2);
    for (int inset : {0, 1, 2})
        QCOMPARE(image.pixelColor(edge + QPoint(inset, 0)), QColor(0, 0, 255));
    QCOMPARE(image.pixelColor(edge + QPoint(4, 0)), QColor(255, 128, 0));

    auto *close = w->findChild<QPushButton *>(u"Command1"_s);
    QCOMPARE(close->text(), u"Chiudi Questa Finestra"_s);
    QTest::mouseClick(close, Qt::LeftButton);
    QVERIFY(!w->isVisible());
    QCOMPARE(w->result(), int(QDialog::Accepted));

    // Escape closes it as its button does, wherever the focus is.
    w->show();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    if (auto *text = w->findChild<QWidget *>(u"Text1"_s))
        text->setFocus();
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : w.get(), Qt::Key_Escape);
    QVERIFY(!w->isVisible());
    QCOMPARE(w->result(), int(QDialog::Accepted));
}

void tst_ExplanationWindows::textBoxesReadOnlyButCopyable_data()
{
    QTest::addColumn<QString>("window");
    QTest::newRow("HowDoesItWork") << u"frmHowDoesItWork"_s;
    QTest::newRow("ErrorsInPersonalSet") << u"frmErrorsInPersonalSet"_s;
}

void tst_ExplanationWindows::textBoxesReadOnlyButCopyable()
{
    QFETCH(QString, window);
    const auto w = make(window);
    auto *text = w->findChild<QPlainTextEdit *>(u"Text1"_s);
    QVERIFY(text);
    QCOMPARE(text->palette().color(QPalette::Text), QColor(0, 0, 192));
    QCOMPARE(text->palette().color(QPalette::Base), QColor(255, 128, 0));
    w->show();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    text->setFocus();
    QTRY_VERIFY(text->hasFocus());

    const QString before = text->toPlainText();
    QTest::keyClicks(text, u"xyz"_s);
    QTest::keyClick(text, Qt::Key_Delete);
    QCOMPARE(text->toPlainText(), before);

    QApplication::clipboard()->clear();
    QTest::keyClick(text, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(text, Qt::Key_C, Qt::ControlModifier);
    QTRY_COMPARE(QApplication::clipboard()->text(), before);
    // More text than the box holds: it scrolls.
    QVERIFY(text->verticalScrollBar()->isVisible());
    QVERIFY(text->verticalScrollBar()->maximum() > 0);
    w->close();
}

void tst_ExplanationWindows::errorsTextIsExact()
{
    const QString expected = u"L'Iconario accede al Vostro Set Personale di Immagini - Gif - \r\n"
                             "Emoticons \r\n"
                             "attraverso i riferimenti memorizzati nel file \"PERSONALI.IC2\"\r\n"
                             "Questo file viene cercato dal programma nella stessa cartella \r\n"
                             "dove risiede il \r\n"
                             "programma stesso. Se per qualche ragione il file viene spostato \r\n"
                             "o rimosso, il \r\n"
                             "software non sarà in grado di accedervi e segnalerà \r\n"
                             "l'inconveniente con un \r\n"
                             "messaggio d'errore.\r\n"
                             "I riferimenti di cui si parla sono dati sequenziali letti uno dopo \r\n"
                             "l'altro fino a che il \r\n"
                             "file non termina, e sono :\r\n"
                             "- NOME ASSOCIATO ALL'IMMAGINE\r\n"
                             "- INDIRIZZO URL DELL'IMMAGINE\r\n"
                             "Se la sequenza viene alterata dalla cancellazione o modifica di \r\n"
                             "questi dati, viene, per così dire, \"smarrito\" il filo logico della \r\n"
                             "sequenza e il file risulterà quindi corrotto, incompleto o \r\n"
                             "illeggibile. Questo genera un messaggio d'errore.\r\n"
                             "Immaginate il file Personali.ic2 come una collana di perle, dove il \r\n"
                             "programma si aspetta sia formata in successione da una perla \r\n"
                             "grigia e una nera, una grigia e una nera, e così via.\r\n"
                             "Se dopo aver \"letto\" una \"perla grigia\" non trova subito dopo la sua corrispondente "
                             "\"nera\", cioè ne trova un altra grigia o adirittura di un altro colore, il file "
                             "risulterà corrotto e quindi inutilizzabile.\r\n"_s;
    QCOMPARE(frmErrorsInPersonalSet::explanation(), expected);

    frmErrorsInPersonalSet w;
    auto *text = w.findChild<QPlainTextEdit *>(u"Text1"_s);
    // The box holds one paragraph per line and reports line ends as LF.
    QCOMPARE(text->toPlainText(), QString(expected).replace(u"\r\n"_s, u"\n"_s));
}

void tst_ExplanationWindows::paragraphsFilledOnceAtEachOpening()
{
    const QString expected = u"Nella stessa directory (cartella) del programma viene creato il file Personali.ic2 che "
                             "contiene le informazioni necessarie a memorizzare i riferimenti delle immagini, gif ed "
                             "emoticons che volete rendere disponibili anche in futuro.\r\n"
                             "I dati salvati sono : NOME assegnato all'immagine e il suo INDIRIZZO URL.\r\n"
                             "Non si tratta quindi di immagini residenti sul Vostro PC, ma pubblicate su Internet.\r\n"
                             "Se ad esempio voleste inserire nelle discussioni un'immagine pubblicata e vorreste "
                             "riutilizzarla in futuro potrete inserirla nel vostro set personale, cioè memorizzare i "
                             "riferimenti per risalire alla stessa immagine con un solo click.\r\n"
                             "Per creare e gestire il file Personali.ic2 cliccate sul pulsante [ Gestione Set "
                             "Personali ] presente a destra."_s;
    QCOMPARE(frmHowDoesItWork::explanation(), expected);

    for (int opening = 1; opening <= 2; ++opening) {
        frmHowDoesItWork w;
        auto *text = w.findChild<QPlainTextEdit *>(u"Text1"_s);
        QCOMPARE(text->toPlainText(), QString(expected).replace(u"\r\n"_s, u"\n"_s));
        QCOMPARE(text->document()->blockCount(), 5);
    }
}

void tst_ExplanationWindows::openOnTheirText_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("focused");
    QTest::newRow("HowDoesItWork") << u"frmHowDoesItWork"_s << u"Come Funziona"_s << u"Text1"_s;
    // Without a title bar, named by their headings.
    QTest::newRow("HowToGetImgInfo") << u"frmHowToGetImgInfo"_s
                                     << u"Come ottenere l'Indirizzo URL di un'immagine/gif ?"_s << u"Label3"_s;
    QTest::newRow("ErrorsInPersonalSet")
        << u"frmErrorsInPersonalSet"_s
        << u"Perchè l'Iconario mi risponde con un messaggio d'errore se seleziono il Set Personali ?"_s << u"Text1"_s;
}

// A screen reader names the window and starts reading its text.
void tst_ExplanationWindows::openOnTheirText()
{
    QFETCH(QString, window);
    QFETCH(QString, name);
    QFETCH(QString, focused);
    const auto w = make(window);
    w->show();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    QCOMPARE(QApplication::focusWidget()->objectName(), focused);
    QCOMPARE(QAccessible::queryAccessibleInterface(w.get())->text(QAccessible::Name), name);
    w->close();
}

// The steps are Tab stops in order, and the second is read with the word
// that ends it on a line of its own.
void tst_ExplanationWindows::stepsReadWhole()
{
    frmHowToGetImgInfo w;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QStringList stops;
    for (int i = 0; i < 6; ++i) {
        stops << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(stops, QStringList({u"Label3"_s, u"Label5"_s, u"Label8"_s, u"Label10"_s, u"Label11"_s, u"Command1"_s}));
    QCOMPARE(QAccessible::queryAccessibleInterface(w.findChild<QWidget *>(u"Label5"_s))->text(QAccessible::Name),
             u"2. Dal menù che apparirà seleziona l'ultima voce in basso, cioè PROPRIETA'"_s);
}

QTEST_MAIN(tst_ExplanationWindows)
#include "tst_explanationwindows.moc"

#include "app/twips.h"
#include "help/frmerrorsinpersonalset.h"
#include "help/frmhowdoesitwork.h"
#include "help/frmhowtogetimginfo.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTest>

#include <memory>

namespace {

std::unique_ptr<ExplanationWindow> make(const QString &window)
{
    if (window == u"frmHowDoesItWork")
        return std::make_unique<frmHowDoesItWork>();
    if (window == u"frmHowToGetImgInfo")
        return std::make_unique<frmHowToGetImgInfo>();
    return std::make_unique<frmErrorsInPersonalSet>();
}

const char *const errorLines[] = {
    "L'Iconario accede al Vostro Set Personale di Immagini - Gif - ",
    "Emoticons ",
    "attraverso i riferimenti memorizzati nel file \"PERSONALI.IC2\"",
    "Questo file viene cercato dal programma nella stessa cartella ",
    "dove risiede il ",
    "programma stesso. Se per qualche ragione il file viene spostato ",
    "o rimosso, il ",
    "software non sarà in grado di accedervi e segnalerà ",
    "l'inconveniente con un ",
    "messaggio d'errore.",
    "I riferimenti di cui si parla sono dati sequenziali letti uno dopo ",
    "l'altro fino a che il ",
    "file non termina, e sono :",
    "- NOME ASSOCIATO ALL'IMMAGINE",
    "- INDIRIZZO URL DELL'IMMAGINE",
    "Se la sequenza viene alterata dalla cancellazione o modifica di ",
    "questi dati, viene, per così dire, \"smarrito\" il filo logico della ",
    "sequenza e il file risulterà quindi corrotto, incompleto o ",
    "illeggibile. Questo genera un messaggio d'errore.",
    "Immaginate il file Personali.ic2 come una collana di perle, dove il ",
    "programma si aspetta sia formata in successione da una perla ",
    "grigia e una nera, una grigia e una nera, e così via.",
    "Se dopo aver \"letto\" una \"perla grigia\" non trova subito dopo la sua corrispondente "
    "\"nera\", cioè ne trova un altra grigia o adirittura di un altro colore, il file risulterà "
    "corrotto e quindi inutilizzabile.",
};

const char *const paragraphs[] = {
    "Nella stessa directory (cartella) del programma viene creato il file Personali.ic2 che "
    "contiene le informazioni necessarie a memorizzare i riferimenti delle immagini, gif ed "
    "emoticons che volete rendere disponibili anche in futuro.",
    "I dati salvati sono : NOME assegnato all'immagine e il suo INDIRIZZO URL.",
    "Non si tratta quindi di immagini residenti sul Vostro PC, ma pubblicate su Internet.",
    "Se ad esempio voleste inserire nelle discussioni un'immagine pubblicata e vorreste "
    "riutilizzarla in futuro potrete inserirla nel vostro set personale, cioè memorizzare i "
    "riferimenti per risalire alla stessa immagine con un solo click.",
    "Per creare e gestire il file Personali.ic2 cliccate sul pulsante [ Gestione Set Personali "
    "] presente a destra.",
};

} // namespace

class tst_ExplanationWindows : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();

    void frame_data();
    void frame();
    void closesOnlyThroughItsButton_data();
    void closesOnlyThroughItsButton();
    void placement_data();
    void placement();
    void firstFocus_data();
    void firstFocus();
    void textBoxesReadOnlyButCopyable_data();
    void textBoxesReadOnlyButCopyable();

    void errorsTextIsExact();
    void paragraphsFilledOnceAtEachOpening();
    void stepsOfHowToGetImgInfo_data();
    void stepsOfHowToGetImgInfo();
};

void tst_ExplanationWindows::cleanup()
{
    // Every window of a test is closed and gone by its end.
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
}

static void addWindows()
{
    QTest::addColumn<QString>("window");
    QTest::newRow("frmHowDoesItWork") << QStringLiteral("frmHowDoesItWork");
    QTest::newRow("frmHowToGetImgInfo") << QStringLiteral("frmHowToGetImgInfo");
    QTest::newRow("frmErrorsInPersonalSet") << QStringLiteral("frmErrorsInPersonalSet");
}

void tst_ExplanationWindows::frame_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QSize>("clientTwips");
    QTest::addColumn<QRect>("outlineTwips");
    QTest::newRow("frmHowDoesItWork")
        << QStringLiteral("frmHowDoesItWork") << QSize(5445, 4890) << QRect(45, 30, 5355, 4815);
    QTest::newRow("frmHowToGetImgInfo")
        << QStringLiteral("frmHowToGetImgInfo") << QSize(8115, 8130) << QRect(45, 45, 8025, 8025);
    QTest::newRow("frmErrorsInPersonalSet") << QStringLiteral("frmErrorsInPersonalSet")
                                            << QSize(6390, 6435) << QRect(45, 45, 6300, 6315);
}

void tst_ExplanationWindows::frame()
{
    QFETCH(QString, window);
    QFETCH(QSize, clientTwips);
    QFETCH(QRect, outlineTwips);

    const auto w = make(window);
    QVERIFY(w->windowFlags().testFlag(Qt::FramelessWindowHint));
    QCOMPARE(w->size(), QSize(Twips::toPixels(clientTwips.width()),
                              Twips::toPixels(clientTwips.height())));
    QCOMPARE(w->minimumSize(), w->maximumSize());
    QCOMPARE(w->palette().color(QPalette::Window), QColor(255, 128, 0));

    auto *shape = w->findChild<QWidget *>(QStringLiteral("Shape1"));
    QVERIFY(shape);
    QCOMPARE(shape->geometry(), Twips::rect(outlineTwips.x(), outlineTwips.y(),
                                            outlineTwips.width(), outlineTwips.height()));
    // The outline is blue and three pixels thick: look at its drawn pixels.
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    const QImage image = w->grab().toImage();
    const QPoint corner = shape->geometry().topLeft();
    for (int inset : {0, 1, 2})
        QCOMPARE(image.pixelColor(corner + QPoint(inset, shape->height() / 2)), QColor(0, 0, 255));
    QCOMPARE(image.pixelColor(corner + QPoint(4, shape->height() / 2)), QColor(255, 128, 0));

    // Centred on the screen.
    const QPoint screenCentre = w->screen()->geometry().center();
    QVERIFY((w->geometry().center() - screenCentre).manhattanLength() <= 2);
    w->close();
}

void tst_ExplanationWindows::closesOnlyThroughItsButton_data()
{
    addWindows();
}

void tst_ExplanationWindows::closesOnlyThroughItsButton()
{
    QFETCH(QString, window);
    const auto w = make(window);
    w->show();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));

    QTest::keyClick(w.get(), Qt::Key_Escape);
    QVERIFY(w->isVisible());

    auto *close = w->findChild<QPushButton *>(QStringLiteral("Command1"));
    QVERIFY(close);
    QCOMPARE(close->text(), QStringLiteral("Chiudi Questa Finestra"));
    QTest::mouseClick(close, Qt::LeftButton);
    QVERIFY(!w->isVisible());
    QCOMPARE(w->result(), int(QDialog::Accepted));
}

void tst_ExplanationWindows::placement_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QRect>("twips");
    auto row = [](const char *window, const char *control, QRect twips) {
        QTest::addRow("%s.%s", window, control)
            << QString::fromLatin1(window) << QString::fromLatin1(control) << twips;
    };
    row("frmHowDoesItWork", "Label1", {195, 120, 5070, 285});
    row("frmHowDoesItWork", "Text1", {225, 480, 4980, 3240});
    row("frmHowDoesItWork", "Command1", {225, 4125, 4965, 315});
    row("frmHowToGetImgInfo", "Label1", {1605, 135, 5070, 285});
    row("frmHowToGetImgInfo", "Image1", {240, 465, 4830, 7125});
    row("frmHowToGetImgInfo", "Label2", {5145, 840, 270, 225});
    row("frmHowToGetImgInfo", "Label3", {5505, 825, 2415, 510});
    row("frmHowToGetImgInfo", "Label4", {5160, 1620, 270, 225});
    row("frmHowToGetImgInfo", "Label5", {5520, 1605, 2415, 780});
    row("frmHowToGetImgInfo", "Label6", {6615, 2070, 1260, 315});
    row("frmHowToGetImgInfo", "Label7", {5145, 2550, 270, 225});
    row("frmHowToGetImgInfo", "Label8", {5505, 2535, 2415, 735});
    row("frmHowToGetImgInfo", "Label9", {5145, 3480, 270, 225});
    row("frmHowToGetImgInfo", "Label10", {5505, 3465, 2415, 1350});
    row("frmHowToGetImgInfo", "Image2", {4620, 3900, 690, 390});
    row("frmHowToGetImgInfo", "Label12", {5130, 4785, 270, 225});
    row("frmHowToGetImgInfo", "Label11", {5490, 4770, 2415, 990});
    row("frmHowToGetImgInfo", "Command1", {1605, 7665, 4965, 315});
    row("frmErrorsInPersonalSet", "Label1", {150, 90, 6045, 540});
    row("frmErrorsInPersonalSet", "Text1", {180, 810, 6060, 4785});
    row("frmErrorsInPersonalSet", "Command1", {795, 5940, 4965, 315});
}

void tst_ExplanationWindows::placement()
{
    QFETCH(QString, window);
    QFETCH(QString, control);
    QFETCH(QRect, twips);
    const auto w = make(window);
    auto *c = w->findChild<QWidget *>(control);
    QVERIFY(c);
    QCOMPARE(c->geometry(), Twips::rect(twips.x(), twips.y(), twips.width(), twips.height()));
}

void tst_ExplanationWindows::firstFocus_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("focused");
    QTest::newRow("frmHowDoesItWork") << QStringLiteral("frmHowDoesItWork") << QStringLiteral("Text1");
    QTest::newRow("frmHowToGetImgInfo")
        << QStringLiteral("frmHowToGetImgInfo") << QStringLiteral("Command1");
    QTest::newRow("frmErrorsInPersonalSet")
        << QStringLiteral("frmErrorsInPersonalSet") << QStringLiteral("Command1");
}

void tst_ExplanationWindows::firstFocus()
{
    QFETCH(QString, window);
    QFETCH(QString, focused);
    const auto w = make(window);
    w->show();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    QTRY_VERIFY(QApplication::focusWidget());
    QCOMPARE(QApplication::focusWidget()->objectName(), focused);
    w->close();
}

void tst_ExplanationWindows::textBoxesReadOnlyButCopyable_data()
{
    QTest::addColumn<QString>("window");
    QTest::newRow("frmHowDoesItWork") << QStringLiteral("frmHowDoesItWork");
    QTest::newRow("frmErrorsInPersonalSet") << QStringLiteral("frmErrorsInPersonalSet");
}

void tst_ExplanationWindows::textBoxesReadOnlyButCopyable()
{
    QFETCH(QString, window);
    const auto w = make(window);
    auto *text = w->findChild<QPlainTextEdit *>(QStringLiteral("Text1"));
    QVERIFY(text);
    QVERIFY(text->isReadOnly());
    QCOMPARE(text->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(text->palette().color(QPalette::Text), QColor(0, 0, 192));
    QCOMPARE(text->palette().color(QPalette::Base), QColor(255, 128, 0));
    w->show();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    text->setFocus();
    QTRY_VERIFY(text->hasFocus());

    const QString before = text->toPlainText();
    QTest::keyClicks(text, QStringLiteral("xyz"));
    QTest::keyClick(text, Qt::Key_Delete);
    QCOMPARE(text->toPlainText(), before);

    // The whole text can be selected with the keyboard and copied.
    QApplication::clipboard()->clear();
    QTest::keyClick(text, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(text, Qt::Key_C, Qt::ControlModifier);
    QTRY_COMPARE(QApplication::clipboard()->text(), before);

    // More text than fits: the box scrolls.
    QVERIFY(text->verticalScrollBar()->maximum() > 0);
    w->close();
}

void tst_ExplanationWindows::errorsTextIsExact()
{
    QString expected;
    for (const char *line : errorLines)
        expected += QString::fromUtf8(line) + QStringLiteral("\r\n");
    QCOMPARE(frmErrorsInPersonalSet::explanation(), expected);
    QCOMPARE(frmErrorsInPersonalSet::explanation().count(QStringLiteral("\r\n")), 23);

    frmErrorsInPersonalSet w;
    auto *text = w.findChild<QPlainTextEdit *>(QStringLiteral("Text1"));
    QVERIFY(text);
    // The box keeps one paragraph per line; it reports line ends as LF.
    QCOMPARE(text->toPlainText(), QString(expected).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    QCOMPARE(text->document()->blockCount(), 24);
}

void tst_ExplanationWindows::paragraphsFilledOnceAtEachOpening()
{
    QStringList expected;
    for (const char *p : paragraphs)
        expected.append(QString::fromUtf8(p));
    QCOMPARE(frmHowDoesItWork::explanation(), expected.join(QStringLiteral("\r\n")));

    for (int opening = 1; opening <= 2; ++opening) {
        frmHowDoesItWork w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto *text = w.findChild<QPlainTextEdit *>(QStringLiteral("Text1"));
        QVERIFY(text);
        QCOMPARE(text->toPlainText(), expected.join(u'\n'));
        QCOMPARE(text->document()->blockCount(), 5);
        w.close();
    }
}

void tst_ExplanationWindows::stepsOfHowToGetImgInfo_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<bool>("opaque");
    const QColor navy(0, 0, 128);
    auto number = [](const char *control, const char *text) {
        QTest::newRow(control) << QString::fromLatin1(control) << QString::fromUtf8(text)
                               << QColor(255, 255, 0) << true;
    };
    auto step = [&navy](const char *control, const char *text) {
        QTest::newRow(control) << QString::fromLatin1(control) << QString::fromUtf8(text) << navy
                               << false;
    };
    number("Label2", "1");
    step("Label3", "Fai click col pulsante destro sull'immagine voluta.");
    number("Label4", "2");
    step("Label5", "Dal menù che apparirà seleziona l'ultima voce in basso, cioè ");
    step("Label6", "PROPRIETA'");
    number("Label7", "3");
    step("Label8", "Vi apparirà la finestra \"Proprietà\" come questa <<<<<  qui a lato.");
    number("Label9", "4");
    step("Label10", "Non dovrete far altro che selezionare e copiare con CTRL + C l'indirizzo URL "
                    "che trovate come voce tra le proprietà.");
    number("Label12", "5");
    step("Label11", "A questo punto l'indirizzo copiato sarà \"incollabile\" con la combinazione "
                    "di tasti CTRL + V");
}

void tst_ExplanationWindows::stepsOfHowToGetImgInfo()
{
    QFETCH(QString, control);
    QFETCH(QString, text);
    QFETCH(QColor, colour);
    QFETCH(bool, opaque);

    frmHowToGetImgInfo w;
    auto *label = w.findChild<QLabel *>(control);
    QVERIFY(label);
    QCOMPARE(label->text(), text);
    QCOMPARE(label->autoFillBackground(), opaque);
    if (opaque) {
        QCOMPARE(label->palette().color(QPalette::Window), colour);
        QVERIFY(label->font().bold());
        QCOMPARE(label->font().pointSizeF(), 8.25);
        QVERIFY(label->alignment().testFlag(Qt::AlignHCenter));
    } else {
        QCOMPARE(label->palette().color(QPalette::WindowText), colour);
        QCOMPARE(label->font().pointSizeF(), 9.75);
        QVERIFY(label->wordWrap());
    }
    // Only "Chiudi Questa Finestra" takes the focus.
    for (QWidget *child : w.findChildren<QWidget *>())
        if (child->focusPolicy() != Qt::NoFocus)
            QCOMPARE(child->objectName(), QStringLiteral("Command1"));
}

QTEST_MAIN(tst_ExplanationWindows)
#include "tst_explanationwindows.moc"

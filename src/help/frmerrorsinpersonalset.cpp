#include "help/frmerrorsinpersonalset.h"

#include "gui/controls.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

frmErrorsInPersonalSet::frmErrorsInPersonalSet(QWidget *parent)
    : ExplanationWindow(QString(), {6390, 6435}, {45, 45, 6300, 6315}, {795, 5940, 4965, 315}, parent)
{
    setObjectName(QStringLiteral("frmErrorsInPersonalSet"));
    setFont(Controls::arial(8.25));

    QLabel *Label1 = Controls::label(this, QStringLiteral("Label1"),
                                     QStringLiteral("Perchè l'Iconario mi risponde con un messaggio "
                                                    "d'errore se seleziono il Set Personali ?"),
                                     {150, 90, 6045, 540}, Controls::arial(9.75, true), Qt::AlignHCenter, true);

    // Without a title bar, the question is the window's name for a screen reader.
    setAccessibleName(Label1->text());

    QPlainTextEdit *Text1 = addTextBox({180, 810, 6060, 4785}, Controls::arial(9.75));
    Text1->setPlainText(explanation());
    // The question names the answer's box for a screen reader.
    Label1->setBuddy(Text1);

    // The window opens on its answer, to be read at once; the button follows.
    setTabOrder(Text1, m_Command1);
    Text1->setFocus();
}

QString frmErrorsInPersonalSet::explanation()
{
    // The line breaks fall where the text was first laid out; kept as they are.
    return QStringLiteral("L'Iconario accede al Vostro Set Personale di Immagini - Gif - \r\n"
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
                          "Se dopo aver \"letto\" una \"perla grigia\" non trova subito dopo la sua "
                          "corrispondente \"nera\", cioè ne trova un altra grigia o adirittura di un altro "
                          "colore, il file risulterà corrotto e quindi inutilizzabile.\r\n");
}

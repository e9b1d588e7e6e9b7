#include "help/frmhowdoesitwork.h"

#include "gui/controls.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringList>

frmHowDoesItWork::frmHowDoesItWork(QWidget *parent)
    : ExplanationWindow(QStringLiteral("Come Funziona"), {5445, 4890}, {45, 30, 5355, 4815}, {225, 4125, 4965, 315},
                        parent)
{
    setObjectName(QStringLiteral("frmHowDoesItWork"));
    const QFont font = Controls::arial(9.75);
    setFont(font);

    QLabel *Label1 = Controls::label(this, QStringLiteral("Label1"),
                                     QStringLiteral("Come funziona il Set Personale di Emoticons ?"),
                                     {195, 120, 5070, 285}, Controls::arial(9.75, true), Qt::AlignHCenter);

    // The designed box holds a placeholder until the window loads.
    m_Text1 = addTextBox({225, 480, 4980, 3240}, font);
    m_Text1->setPlainText(QStringLiteral("Text1"));
    // The question names the answer's box for a screen reader.
    Label1->setBuddy(m_Text1);

    setTabOrder(m_Text1, m_Command1);
    m_Text1->setFocus();

    Form_Load();
}

QString frmHowDoesItWork::explanation()
{
    static const QStringList paragraphs = {
        QStringLiteral("Nella stessa directory (cartella) del programma viene creato il file "
                       "Personali.ic2 che contiene le informazioni necessarie a memorizzare i "
                       "riferimenti delle immagini, gif ed emoticons che volete rendere "
                       "disponibili anche in futuro."),
        QStringLiteral("I dati salvati sono : NOME assegnato all'immagine e il suo INDIRIZZO "
                       "URL."),
        QStringLiteral("Non si tratta quindi di immagini residenti sul Vostro PC, ma pubblicate "
                       "su Internet."),
        QStringLiteral("Se ad esempio voleste inserire nelle discussioni un'immagine pubblicata "
                       "e vorreste riutilizzarla in futuro potrete inserirla nel vostro set "
                       "personale, cioè memorizzare i riferimenti per risalire alla stessa "
                       "immagine con un solo click."),
        QStringLiteral("Per creare e gestire il file Personali.ic2 cliccate sul pulsante "
                       "[ Gestione Set Personali ] presente a destra."),
    };
    return paragraphs.join(QStringLiteral("\r\n"));
}

void frmHowDoesItWork::Form_Load()
{
    // Replaced, never appended to: each opening shows the text once.
    m_Text1->setPlainText(explanation());
}

#include "help/frmhowtogetimginfo.h"

#include "gui/controls.h"
#include "gui/focusframestyle.h"

#include <QLabel>
#include <QPixmap>
#include <QPushButton>

namespace {

QColor navy()
{
    return {0, 0, 128};
}

} // namespace

frmHowToGetImgInfo::frmHowToGetImgInfo(QWidget *parent)
    : ExplanationWindow(QString(), {8115, 8130}, {45, 45, 8025, 8025}, {1605, 7665, 4965, 315}, parent)
{
    setObjectName(QStringLiteral("frmHowToGetImgInfo"));
    setFont(Controls::arial(8.25));

    QLabel *Label1 = Controls::label(this, QStringLiteral("Label1"),
                                     QStringLiteral("Come ottenere l'Indirizzo URL di un'immagine/gif ?"),
                                     {1605, 135, 5070, 285}, Controls::arial(9.75, true), Qt::AlignHCenter);
    // Without a title bar, the question is the window's name for a screen reader.
    setAccessibleName(Label1->text());

    picture(QStringLiteral("Image1"), QStringLiteral(":/help/proprieta.png"), {240, 465, 4830, 7125})
        ->setAccessibleName(QStringLiteral("La finestra Proprietà di un'immagine, con il suo indirizzo URL"));

    numberBox(QStringLiteral("Label2"), QStringLiteral("1"), {5145, 840, 270, 225});
    QLabel *Label3 = stepText(QStringLiteral("Label3"),
                              QStringLiteral("Fai click col pulsante destro sull'immagine voluta."),
                              {5505, 825, 2415, 510});

    numberBox(QStringLiteral("Label4"), QStringLiteral("2"), {5160, 1620, 270, 225});
    QLabel *Label5 = stepText(QStringLiteral("Label5"),
                              QStringLiteral("Dal menù che apparirà seleziona l'ultima voce in basso, cioè "),
                              {5520, 1605, 2415, 780});
    // The last word of step 2 stands out on its own, where the sentence ends.
    QLabel *Label6 = stepText(QStringLiteral("Label6"), QStringLiteral("PROPRIETA'"), {6615, 2070, 1260, 315});
    QFont emphasis = Controls::arial(9.75, true);
    emphasis.setUnderline(true);
    Label6->setFont(emphasis);

    numberBox(QStringLiteral("Label7"), QStringLiteral("3"), {5145, 2550, 270, 225});
    QLabel *Label8 = stepText(QStringLiteral("Label8"),
                              QStringLiteral("Vi apparirà la finestra \"Proprietà\" come questa "
                                             "<<<<<  qui a lato."),
                              {5505, 2535, 2415, 735});

    numberBox(QStringLiteral("Label9"), QStringLiteral("4"), {5145, 3480, 270, 225});
    QLabel *Label10 = stepText(QStringLiteral("Label10"),
                               QStringLiteral("Non dovrete far altro che selezionare e copiare con CTRL + C "
                                              "l'indirizzo URL che trovate come voce tra le proprietà."),
                               {5505, 3465, 2415, 1350});
    picture(QStringLiteral("Image2"), QStringLiteral(":/help/copia.svg"), {4620, 3900, 690, 390})
        ->setAccessibleName(QStringLiteral("CTRL + C"));

    numberBox(QStringLiteral("Label12"), QStringLiteral("5"), {5130, 4785, 270, 225});
    QLabel *Label11 = stepText(QStringLiteral("Label11"),
                               QStringLiteral("A questo punto l'indirizzo copiato sarà \"incollabile\" con la "
                                              "combinazione di tasti CTRL + V"),
                               {5490, 4770, 2415, 990});

    // The steps are read in order, each with its number, and the window opens
    // on the first; Tab then goes from step to step and on to the button.
    // The word that ends step 2 on a line of its own is read in its sentence.
    const QList<QLabel *> steps = {Label3, Label5, Label8, Label10, Label11};
    for (qsizetype i = 0; i < steps.size(); ++i) {
        QLabel *step = steps[i];
        const QString sentence = step == Label5 ? step->text() + Label6->text() : step->text();
        step->setAccessibleName(QStringLiteral("%1. %2").arg(i + 1).arg(sentence));
        step->setFocusPolicy(Qt::TabFocus);
        FocusFrameStyle::frameWhileFocused(step);
        if (i > 0)
            setTabOrder(steps[i - 1], step);
    }
    setTabOrder(steps.last(), m_Command1);
    Label3->setFocus();
}

QLabel *frmHowToGetImgInfo::numberBox(const QString &name, const QString &number, const QRectF &twips)
{
    QLabel *box = Controls::label(this, name, number, twips, Controls::arial(8.25, true), Qt::AlignHCenter);
    Controls::setColours(box, Qt::black, Controls::yellow());
    return box;
}

QLabel *frmHowToGetImgInfo::stepText(const QString &name, const QString &text, const QRectF &twips)
{
    QLabel *step = Controls::label(this, name, text, twips, Controls::arial(9.75), Qt::AlignLeft, true);
    Controls::setColours(step, navy());
    return step;
}

QLabel *frmHowToGetImgInfo::picture(const QString &name, const QString &resource, const QRectF &twips)
{
    auto *image = new QLabel(this);
    image->setObjectName(name);
    // Stretched to its box whatever the picture's own size.
    image->setScaledContents(true);
    image->setPixmap(QPixmap(resource));
    Controls::place(image, twips);
    return image;
}

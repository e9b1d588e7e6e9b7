#include "help/frmichelp.h"

#include "gui/controls.h"
#include "gui/memoryrelief.h"
#include "gui/twips.h"
#include "help/frmerrorsinpersonalset.h"
#include "help/frmhowdoesitwork.h"
#include "help/frmhowtogetimginfo.h"
#include "help/wrappingbutton.h"
#include "personal/frmgestionepersonali.h"

#include <QLabel>

#include <iterator>

namespace {

// Each window is built for one showing and gone when it closes, so the next
// opening starts again from its design. It is modal to the whole program; its
// opener is its parent only so that window managers stack it above the
// opener instead of behind it.
template <typename Window, typename... Args>
void openModal(QWidget *opener, Args &&...args)
{
    Window window(std::forward<Args>(args)..., opener);
    window.exec();
    MemoryRelief::releaseSoon();
}

} // namespace

frmICHelp::frmICHelp(const AppContext &context, QWidget *parent)
    : FixedDialog(Frame::CloseBoxOnly, {6795, 3765}, parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("frmICHelp"));
    setWindowTitle(QStringLiteral("Set Emoticons Personali"));
    setWindowIcon(QIcon(QStringLiteral(":/help/ichelp.svg")));
    setFont(Controls::arial(8.25));

    Controls::label(this, QStringLiteral("Label1"),
                    QStringLiteral("Con Iconario potrai creare il tuo set personale di "
                                   "Emoticons e Immagini che devono trovarsi pubblicate "
                                   "ad un indirizzo Internet."),
                    {135, 120, 6525, 495}, Controls::arial(9.75, true), Qt::AlignLeft, true);
    Controls::setColours(Controls::label(this, QStringLiteral("Label3"), QStringLiteral("VISUALIZZA INFORMAZIONI"),
                                         {75, 840, 3210, 285}, Controls::arial(8.25, true), Qt::AlignHCenter),
                         Controls::blue());
    Controls::setColours(Controls::label(this, QStringLiteral("Label2"),
                                         QStringLiteral("GESTISCI SET EMOTICONS PERSONALI"), {3495, 840, 3210, 285},
                                         Controls::arial(8.25, true), Qt::AlignHCenter),
                         Controls::blue());

    new LineControl(this, QStringLiteral("Line1"), {0, 720}, {6795, 720}, Qt::black, 1);
    new LineControl(this, QStringLiteral("Line3"), {0, 1200}, {6780, 1200}, Qt::black, 1);
    new LineControl(this, QStringLiteral("Line2"), {3360, 735}, {3360, 3150}, Qt::black, 1);
    new LineControl(this, QStringLiteral("Line4"), {0, 3150}, {6780, 3150}, Qt::black, 1);

    struct Entry
    {
        const char16_t *text;
        QRectF twips;
        void (frmICHelp::*handler)();
    };
    // In tab order, Command1 to Command5.
    static const Entry entries[] = {
        {u"Come funziona il Set Personale ?", {120, 1320, 3105, 345}, &frmICHelp::Command1_Click},
        {u"Come si ottiene l'indirizzo URL di un'immagine ?", {120, 1785, 3105, 480}, &frmICHelp::Command2_Click},
        {u"Perchè l'Iconario mi risponde con un messaggio d'errore se seleziono il Set Personali ?",
         {135, 2400, 3090, 660},
         &frmICHelp::Command3_Click},
        {u"Gestione Set Personali", {3555, 1845, 3105, 345}, &frmICHelp::Command4_Click},
        {u"Chiudi Questa Finestra", {1830, 3300, 3105, 345}, &frmICHelp::Command5_Click},
    };
    QPushButton *previous = nullptr;
    for (std::size_t i = 0; i < std::size(entries); ++i) {
        QPushButton *b = Controls::setUpButton(new WrappingButton(QString::fromUtf16(entries[i].text), this),
                                               QStringLiteral("Command%1").arg(i + 1), entries[i].twips);
        connect(b, &QPushButton::clicked, this, entries[i].handler);
        if (previous)
            setTabOrder(previous, b);
        else
            b->setFocus();
        previous = b;
    }
}

void frmICHelp::showModal(const AppContext &context, QWidget *opener)
{
    openModal<frmICHelp>(opener, context);
}

void frmICHelp::Command1_Click()
{
    openModal<frmHowDoesItWork>(this);
}

void frmICHelp::Command2_Click()
{
    openModal<frmHowToGetImgInfo>(this);
}

void frmICHelp::Command3_Click()
{
    openModal<frmErrorsInPersonalSet>(this);
}

void frmICHelp::Command4_Click()
{
    openModal<frmGestionePersonali>(this, m_context);
}

void frmICHelp::Command5_Click()
{
    accept();
}

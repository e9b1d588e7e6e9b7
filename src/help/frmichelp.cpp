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

namespace {

// Each window is built for one showing and gone when it closes, so the next
// opening starts again from its design. It is modal to the whole program; its
// opener is its parent only so that window managers stack it above the
// opener instead of behind it.
template<typename Window, typename... Args>
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

    Label1 = Controls::label(this, QStringLiteral("Label1"),
                             QStringLiteral("Con Iconario potrai creare il tuo set personale di "
                                            "Emoticons e Immagini che devono trovarsi pubblicate "
                                            "ad un indirizzo Internet."),
                             {135, 120, 6525, 495}, Controls::arial(9.75, true), Qt::AlignLeft,
                             true);

    const QColor heading(0, 0, 255);
    Label3 = Controls::label(this, QStringLiteral("Label3"),
                             QStringLiteral("VISUALIZZA INFORMAZIONI"), {75, 840, 3210, 285},
                             Controls::arial(8.25, true), Qt::AlignHCenter);
    Controls::setColours(Label3, heading);
    Label2 = Controls::label(this, QStringLiteral("Label2"),
                             QStringLiteral("GESTISCI SET EMOTICONS PERSONALI"),
                             {3495, 840, 3210, 285}, Controls::arial(8.25, true), Qt::AlignHCenter);
    Controls::setColours(Label2, heading);

    Line1 = new LineControl(this, QStringLiteral("Line1"), {0, 720}, {6795, 720}, Qt::black, 1);
    Line3 = new LineControl(this, QStringLiteral("Line3"), {0, 1200}, {6780, 1200}, Qt::black, 1);
    Line2 = new LineControl(this, QStringLiteral("Line2"), {3360, 735}, {3360, 3150}, Qt::black, 1);
    Line4 = new LineControl(this, QStringLiteral("Line4"), {0, 3150}, {6780, 3150}, Qt::black, 1);

    Command1 = button(QStringLiteral("Command1"),
                      QStringLiteral("Come funziona il Set Personale ?"), {120, 1320, 3105, 345});
    Command2 = button(QStringLiteral("Command2"),
                      QStringLiteral("Come si ottiene l'indirizzo URL di un'immagine ?"),
                      {120, 1785, 3105, 480});
    Command3 = button(QStringLiteral("Command3"),
                      QStringLiteral("Perchè l'Iconario mi risponde con un messaggio d'errore se "
                                     "seleziono il Set Personali ?"),
                      {135, 2400, 3090, 660});
    Command4 = button(QStringLiteral("Command4"), QStringLiteral("Gestione Set Personali"),
                      {3555, 1845, 3105, 345});
    Command5 = button(QStringLiteral("Command5"), QStringLiteral("Chiudi Questa Finestra"),
                      {1830, 3300, 3105, 345});

    setTabOrder(Command1, Command2);
    setTabOrder(Command2, Command3);
    setTabOrder(Command3, Command4);
    setTabOrder(Command4, Command5);
    Command1->setFocus();

    connect(Command1, &QPushButton::clicked, this, &frmICHelp::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmICHelp::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &frmICHelp::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &frmICHelp::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &frmICHelp::Command5_Click);
}

void frmICHelp::showModal(const AppContext &context, QWidget *opener)
{
    openModal<frmICHelp>(opener, context);
}

QPushButton *frmICHelp::button(const QString &name, const QString &text, const QRectF &twips)
{
    auto *b = new WrappingButton(text, this);
    b->setObjectName(name);
    Controls::place(b, twips.left(), twips.top(), twips.width(), twips.height());
    return b;
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

#include "personal/frmgestionepersonali.h"

#include "core/gestionefiles.h"
#include "gui/controls.h"
#include "gui/prompter.h"
#include "gui/twips.h"
#include "gui/webview.h"

#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>

#include <iterator>
#include <memory>

namespace {

QColor darkBlue() { return {0, 0, 192}; }
QColor indicator() { return {128, 128, 255}; }

QStringList texts(const QListWidget *list)
{
    QStringList result;
    result.reserve(list->count());
    for (int i = 0; i < list->count(); ++i)
        result.append(list->item(i)->text());
    return result;
}

} // namespace

frmGestionePersonali::frmGestionePersonali(const AppContext &context, QWidget *parent)
    : FixedDialog(Frame::CloseBoxOnly, {7920, 5790}, parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("frmGestionePersonali"));
    setWindowTitle(QStringLiteral("Gestione Set Personali"));
    setWindowIcon(QIcon(QStringLiteral(":/personal/gestione.svg")));
    setFont(Controls::arial(9.75));

    lstEmo = new QListWidget(this);
    lstEmo->setObjectName(QStringLiteral("lstEmo"));
    lstEmo->setSelectionMode(QAbstractItemView::SingleSelection);
    Controls::setColours(lstEmo, Qt::black, Controls::orange());
    Controls::place(lstEmo, 105, 105, 3345, 2460);

    WBPers = m_context.makeWebView(WebView::Role::Preview, this);
    WBPers->setObjectName(QStringLiteral("WBPers"));
    WBPers->setRectTwips(3885, 120, 3930, 2430);

    // The addresses, row for row with the names; never shown.
    lstURL = new QListWidget(this);
    lstURL->setObjectName(QStringLiteral("lstURL"));
    Controls::place(lstURL, 105, 3255, 1515, 300);
    lstURL->hide();

    cmdRimuovi = button(QStringLiteral("cmdRimuovi"),
                        QStringLiteral("Rimuovi Immagine Selezionata"),
                        QStringLiteral("L'immagine corrente verrà rimossa dall'elenco"),
                        {255, 2625, 3075, 345});
    cmdRimuovi->setEnabled(false);

    lblBusy = caption(QStringLiteral("lblBusy"), QStringLiteral("Attesa..."),
                      {5265, 2640, 1425, 255}, Controls::arial(9.75, true), Qt::AlignHCenter);
    Controls::setColours(lblBusy, Qt::black, QColor(255, 255, 0));
    lblBusy->hide();

    lneEmo = new LineControl(this, QStringLiteral("lneEmo"), {3480, 1320}, {3870, 1320},
                             indicator(), 6);
    lneEmo->hide();
    lneVerifica = new LineControl(this, QStringLiteral("lneVerifica"), {6840, 2580}, {6825, 4065},
                                  indicator(), 6);
    lneVerifica->hide();
    Line1 = new LineControl(this, QStringLiteral("Line1"), {0, 3135}, {7905, 3135}, Qt::black, 1);

    Label1 = caption(QStringLiteral("Label1"), QStringLiteral("Aggiungi Immagine al Set"),
                     {1695, 3240, 4275, 270}, Controls::arial(9.75, true), Qt::AlignHCenter);
    Label2 = caption(QStringLiteral("Label2"), QStringLiteral("Nome "), {375, 3720, 1515, 255},
                     Controls::arial(9.75), Qt::AlignRight);
    Label3 = caption(QStringLiteral("Label3"), QStringLiteral("Indirizzo URL "),
                     {360, 4050, 1515, 255}, Controls::arial(9.75), Qt::AlignRight);

    txtNome = new QLineEdit(this);
    txtNome->setObjectName(QStringLiteral("txtNome"));
    txtNome->setToolTip(QStringLiteral("Specifica il Nome che vuoi dare all'immagine"));
    Controls::place(txtNome, 1920, 3630, 3870, 360);

    txtURL = new QPlainTextEdit(this);
    txtURL->setObjectName(QStringLiteral("txtURL"));
    txtURL->setToolTip(QStringLiteral("Digita o Incolla qui l'indirizzo URL dell'immagine"));
    txtURL->setTabChangesFocus(true);
    txtURL->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    txtURL->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // An address has no blanks to break at: wrap it anywhere.
    txtURL->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    Controls::place(txtURL, 1920, 4080, 5790, 630);

    cmdVerifica = button(QStringLiteral("cmdVerifica"), QStringLiteral("Verifica URL"),
                         QStringLiteral("Verifica se l'URL è esatto"), {2625, 4800, 1965, 285});
    cmdVerifica->setEnabled(false);
    cmdAggiungi = button(QStringLiteral("cmdAggiungi"), QStringLiteral("Aggiungi"),
                         QStringLiteral("Aggiungi l'immagine specificata"),
                         {5370, 4785, 1710, 300});
    cmdAggiungi->setEnabled(false);

    Line2 = new LineControl(this, QStringLiteral("Line2"), {0, 5280}, {7920, 5280}, Qt::black, 1);

    cmdEsci = button(QStringLiteral("cmdEsci"), QStringLiteral("Termina Gestione"),
                     QStringLiteral("Chiudi il Gestore Set Personali"), {2880, 5400, 2355, 300});

    QWidget *const tabOrder[] = {lstEmo, WBPers,  lstURL,      cmdRimuovi, txtNome,
                                 txtURL, cmdAggiungi, cmdEsci, cmdVerifica};
    for (std::size_t i = 1; i < std::size(tabOrder); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    lstEmo->setFocus();

    // Selection, not the current row: focus arriving by Tab makes a row
    // current without the user choosing it.
    connect(lstEmo, &QListWidget::itemSelectionChanged, this, &frmGestionePersonali::lstEmo_Click);
    connect(cmdVerifica, &QPushButton::clicked, this, &frmGestionePersonali::cmdVerifica_Click);
    connect(cmdAggiungi, &QPushButton::clicked, this, &frmGestionePersonali::cmdAggiungi_Click);
    connect(cmdRimuovi, &QPushButton::clicked, this, &frmGestionePersonali::cmdRimuovi_Click);
    connect(cmdEsci, &QPushButton::clicked, this, &frmGestionePersonali::cmdEsci_Click);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(100);
    connect(Timer1, &QTimer::timeout, this, &frmGestionePersonali::Timer1_Timer);

    Form_Load();
    Timer1->start();
}

QPushButton *frmGestionePersonali::button(const QString &name, const QString &text,
                                          const QString &toolTip, const QRectF &twips)
{
    auto *b = new QPushButton(text, this);
    b->setObjectName(name);
    b->setToolTip(toolTip);
    // No button answers Enter typed in a text box: that could remove an entry.
    b->setAutoDefault(false);
    Controls::place(b, twips.left(), twips.top(), twips.width(), twips.height());
    return b;
}

QLabel *frmGestionePersonali::caption(const QString &name, const QString &text,
                                      const QRectF &twips, const QFont &font,
                                      Qt::Alignment alignment)
{
    QLabel *l = Controls::label(this, name, text, twips, font, alignment);
    Controls::setColours(l, darkBlue());
    return l;
}

int frmGestionePersonali::selectedRow() const
{
    const QList<QListWidgetItem *> selected = lstEmo->selectedItems();
    return selected.isEmpty() ? -1 : lstEmo->row(selected.first());
}

void frmGestionePersonali::Form_Load()
{
    lstEmo->clear();
    lstURL->clear();

    const QString path = m_context.personalSetPath;
    // A folder in the file's place is reported; a missing or hidden file
    // is an empty set.
    if (!GestioneFiles::EsisteFile(path) && !QFileInfo(path).isDir())
        return;

    QStringList names;
    QStringList urls;
    QString reason;
    const GestioneFiles::ReadResult result = GestioneFiles::LeggiSetPersonale(path, names, urls, &reason);
    // What was read before a failure is shown all the same.
    lstEmo->addItems(names);
    lstURL->addItems(urls);
    m_keepOldBytes = result != GestioneFiles::ReadResult::Ok;
    if (result == GestioneFiles::ReadResult::Failed) {
        m_context.prompter->tell(
            this, QMessageBox::Critical, QStringLiteral("Norvale - File Corrotto"),
            QStringLiteral("Il file Personali.ic2 risulta corrotto. I dati non sono "
                           "visualizzabili. Aggiungendo nuove immagini verrà ricreato "
                           "dall'inizio."));
    } else if (result == GestioneFiles::ReadResult::Unreadable) {
        m_context.prompter->tell(this, QMessageBox::Critical,
                                 QStringLiteral("Norvale - Errore di Lettura"),
                                 QStringLiteral("Impossibile leggere il file Personali.ic2: ") + reason);
    }
}

void frmGestionePersonali::lstEmo_Click()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    // A damaged file can leave a name without its address: nothing to preview.
    const QString url = row < lstURL->count() ? lstURL->item(row)->text() : QString();
    if (!url.isEmpty()) {
        WBPers->Navigate(url);
        lneEmo->show();
        lneVerifica->hide();
    }
    cmdRimuovi->setEnabled(true);
}

void frmGestionePersonali::cmdVerifica_Click()
{
    lneVerifica->show();
    lneEmo->hide();
    WBPers->Navigate(txtURL->toPlainText());
}

void frmGestionePersonali::cmdAggiungi_Click()
{
    const QString name = txtNome->text();
    const QString url = txtURL->toPlainText();

    if (url.left(7).toLower() != QStringLiteral("http://")) {
        m_context.prompter->tell(this, QMessageBox::Warning,
                                 QStringLiteral("Norvale - Verificare URL"),
                                 QStringLiteral("L'indirizzo URL indicato non sembra valido. "
                                                "Verificare"));
        return;
    }
    if (!GestioneFiles::fitsInFile(name) || !GestioneFiles::fitsInFile(url)) {
        m_context.prompter->tell(
            this, QMessageBox::Warning, QStringLiteral("Norvale - Caratteri Non Ammessi"),
            QStringLiteral("Il Nome o l'indirizzo URL contiene caratteri che il file "
                           "Personali.ic2 non può memorizzare. Correggere il testo e riprovare."));
        return;
    }

    const int namesBefore = lstEmo->count();
    const int urlsBefore = lstURL->count();
    // A name left without address by a damaged file is written with an empty
    // one; pairing it so here keeps the new address with the new name.
    while (lstURL->count() < lstEmo->count())
        lstURL->addItem(QString());
    lstEmo->addItem(name);
    lstURL->addItem(url);
    if (!saveSet()) {
        // The lists show only what the file holds.
        while (lstEmo->count() > namesBefore)
            delete lstEmo->takeItem(lstEmo->count() - 1);
        while (lstURL->count() > urlsBefore)
            delete lstURL->takeItem(lstURL->count() - 1);
        return;
    }

    m_context.prompter->tell(this, QMessageBox::Information,
                             QStringLiteral("Norvale - Aggiunta Completa"),
                             QStringLiteral("Immagine Aggiunta"));
    txtURL->clear();
    txtNome->clear();
}

void frmGestionePersonali::cmdRimuovi_Click()
{
    // The button stays enabled after a removal, with no entry selected.
    const int row = selectedRow();
    if (row < 0)
        return;

    const QString name = lstEmo->item(row)->text();
    const QMessageBox::StandardButton answer = m_context.prompter->ask(
        this, QMessageBox::Information, QStringLiteral("Norvale - Rimozione Immagine"),
        QStringLiteral("Rimuovere l'immagine denominata ") + name
            + QStringLiteral(" dal Set Personali ?"),
        QMessageBox::Yes | QMessageBox::No);
    if (answer != QMessageBox::Yes)
        return;

    // Taking rows out must not count as the user choosing another entry.
    const QSignalBlocker blocker(lstEmo);
    std::unique_ptr<QListWidgetItem> removedName(lstEmo->takeItem(row));
    std::unique_ptr<QListWidgetItem> removedUrl(row < lstURL->count() ? lstURL->takeItem(row)
                                                                      : nullptr);
    lstEmo->clearSelection();
    lstEmo->setCurrentItem(nullptr);

    if (!saveSet()) {
        lstEmo->insertItem(row, removedName.release());
        if (removedUrl)
            lstURL->insertItem(row, removedUrl.release());
        lstEmo->setCurrentRow(row);
        return;
    }

    WBPers->Navigate(QStringLiteral("ciao"));
    m_context.prompter->tell(this, QMessageBox::Information,
                             QStringLiteral("Norvale - Rimozione Completa"),
                             QStringLiteral("Immagine Rimossa"));
}

void frmGestionePersonali::cmdEsci_Click()
{
    accept();
}

void frmGestionePersonali::Timer1_Timer()
{
    lblBusy->setVisible(WBPers->Busy());
    // Counted as typed, blanks included; seven is the length of "http://".
    const bool hasUrl = txtURL->toPlainText().size() > 7;
    cmdVerifica->setEnabled(hasUrl);
    cmdAggiungi->setEnabled(hasUrl && !txtNome->text().isEmpty());
}

bool frmGestionePersonali::saveSet()
{
    // The bytes of a file that could not be read are kept aside before the
    // first rewrite; without that copy nothing is rewritten.
    if (m_keepOldBytes && !GestioneFiles::keepCopy(m_context.personalSetPath)) {
        tellWriteFailed();
        return false;
    }
    m_keepOldBytes = false;
    switch (GestioneFiles::ScriviSetPersonale(m_context.personalSetPath, texts(lstEmo),
                                               texts(lstURL))) {
    case GestioneFiles::WriteResult::Ok:
        return true;
    case GestioneFiles::WriteResult::Failed:
    case GestioneFiles::WriteResult::Unencodable:
        break;
    }
    tellWriteFailed();
    return false;
}

void frmGestionePersonali::tellWriteFailed()
{
    m_context.prompter->tell(
        this, QMessageBox::Critical, QStringLiteral("Norvale - Errore di Scrittura"),
        QStringLiteral("Impossibile salvare il file Personali.ic2: la modifica è stata annullata "
                       "e l'elenco è rimasto com'era. Verificare che la cartella del programma "
                       "non sia protetta da scrittura, che il disco non sia pieno e che il file "
                       "non sia aperto da un altro programma."));
}

#include "personal/frmgestionepersonali.h"

#include "core/gestionefiles.h"
#include "core/linkrule.h"
#include "gui/boundedtextedit.h"
#include "gui/controls.h"
#include "gui/listbox.h"
#include "gui/prompter.h"
#include "gui/spokennotice.h"
#include "gui/twips.h"
#include "gui/webview.h"

#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <iterator>
#include <string_view>
#include <utility>

namespace {

QColor indicator()
{
    return {128, 128, 255};
}

struct ButtonPlace
{
    const char16_t *name;
    const char16_t *text;
    const char16_t *toolTip;
    QRectF twips;
};

struct CaptionPlace
{
    const char16_t *name;
    const char16_t *text;
    QRectF twips;
    bool bold;
    Qt::Alignment alignment;
};

QString text(const char16_t *s)
{
    return QString::fromUtf16(s);
}

QString withNote(const QString &text, const QString &note)
{
    return note.isEmpty() ? text : text + QStringLiteral("\n\n") + note;
}

// Which of set's equal entries (same name, same address) the one at row is:
// 0 for the first.
qsizetype copyIndex(const PersonalSet &set, qsizetype row)
{
    const QList<PersonalEntry> &entries = set.entries();
    return std::count(entries.begin(), entries.begin() + row, entries.at(row));
}

// Where set holds copy number copy of entry, or its last copy when it holds
// fewer; -1 when it holds none.
qsizetype placeOf(const PersonalSet &set, const PersonalEntry &entry, qsizetype copy)
{
    qsizetype found = -1;
    for (qsizetype i = 0; i < set.size() && copy >= 0; ++i) {
        if (set.entries().at(i) == entry) {
            found = i;
            --copy;
        }
    }
    return found;
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

    m_lstEmo = new ListBox(this);
    m_lstEmo->setObjectName(QStringLiteral("lstEmo"));
    m_lstEmo->setAccessibleName(QStringLiteral("Set personale"));
    // The eye sees the address in the preview; a screen reader hears it
    // after the name.
    m_lstEmo->setDescription([this](int row) { return m_set.at(row).url; });
    Controls::setColours(m_lstEmo, Qt::black, Controls::orange());
    Controls::place(m_lstEmo, {105, 105, 3345, 2460});

    m_WBPers = m_context.makeWebView(WebView::Role::Preview, this);
    m_WBPers->setAccessibleName(QStringLiteral("Anteprima"));
    m_WBPers->setObjectName(QStringLiteral("WBPers"));
    m_WBPers->setRectTwips(3885, 120, 3930, 2430);

    static const ButtonPlace buttons[] = {
        {u"cmdRimuovi",
         u"Rimuovi Immagine Selezionata",
         u"L'immagine corrente verrà rimossa dall'elenco",
         {255, 2625, 3075, 345}},
        {u"cmdVerifica", u"Verifica URL", u"Verifica se l'URL è esatto", {2625, 4800, 1965, 285}},
        {u"cmdAggiungi", u"Aggiungi", u"Aggiungi l'immagine specificata", {5370, 4785, 1710, 300}},
        {u"cmdEsci", u"Termina Gestione", u"Chiudi il Gestore Set Personali", {2880, 5400, 2355, 300}},
    };
    QPushButton *made[std::size(buttons)];
    for (std::size_t i = 0; i < std::size(buttons); ++i) {
        const ButtonPlace &b = buttons[i];
        made[i] = Controls::button(this, text(b.name), text(b.text), b.twips, text(b.toolTip));
        // No button answers Enter typed in a text box: that could remove an entry.
        made[i]->setAutoDefault(false);
    }
    m_cmdRimuovi = made[0];
    m_cmdVerifica = made[1];
    m_cmdAggiungi = made[2];
    m_cmdEsci = made[3];
    m_cmdRimuovi->setEnabled(false);
    m_cmdVerifica->setEnabled(false);
    m_cmdAggiungi->setEnabled(false);

    static const CaptionPlace captions[] = {
        {u"lblBusy", u"Attesa...", {5265, 2640, 1425, 255}, true, Qt::AlignHCenter},
        {u"Label1", u"Aggiungi Immagine al Set", {1695, 3240, 4275, 270}, true, Qt::AlignHCenter},
        {u"Label2", u"Nome ", {375, 3720, 1515, 255}, false, Qt::AlignRight},
        {u"Label3", u"Indirizzo URL ", {360, 4050, 1515, 255}, false, Qt::AlignRight},
    };
    for (const CaptionPlace &c : captions) {
        QLabel *l = Controls::label(this, text(c.name), text(c.text), c.twips, Controls::arial(9.75, c.bold),
                                    c.alignment);
        Controls::setColours(l, Controls::darkBlue());
        if (c.name == std::u16string_view(u"lblBusy"))
            m_lblBusy = l;
    }
    Controls::setColours(m_lblBusy, Qt::black, Controls::yellow());
    m_lblBusy->hide();

    m_lneEmo = new LineControl(this, QStringLiteral("lneEmo"), {3480, 1320}, {3870, 1320}, indicator(), 6);
    m_lneEmo->hide();
    m_lneVerifica = new LineControl(this, QStringLiteral("lneVerifica"), {6840, 2580}, {6825, 4065}, indicator(), 6);
    m_lneVerifica->hide();
    new LineControl(this, QStringLiteral("Line1"), {0, 3135}, {7905, 3135}, Qt::black, 1);
    new LineControl(this, QStringLiteral("Line2"), {0, 5280}, {7920, 5280}, Qt::black, 1);

    m_txtNome = new QLineEdit(this);
    m_txtNome->setObjectName(QStringLiteral("txtNome"));
    m_txtNome->setAccessibleName(QStringLiteral("Nome dell'immagine"));
    m_txtNome->setToolTip(QStringLiteral("Specifica il Nome che vuoi dare all'immagine"));
    Controls::place(m_txtNome, {1920, 3630, 3870, 360});

    auto *url = new BoundedTextEdit(PersonalSet::longestUrl, this);
    connect(url, &BoundedTextEdit::refused, this, &frmGestionePersonali::tellTooLong);
    m_txtURL = url;
    m_txtURL->setObjectName(QStringLiteral("txtURL"));
    m_txtURL->setAccessibleName(QStringLiteral("Indirizzo dell'immagine"));
    m_txtURL->setToolTip(QStringLiteral("Digita o Incolla qui l'indirizzo URL dell'immagine"));
    m_txtURL->setTabChangesFocus(true);
    m_txtURL->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_txtURL->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // An address has no blanks to break at: wrap it anywhere.
    m_txtURL->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    Controls::place(m_txtURL, {1920, 4080, 5790, 630});

    // As the controls are seen: top to bottom, and left to right on a line.
    QWidget *const tabOrder[] = {m_lstEmo, m_WBPers,      m_cmdRimuovi,  m_txtNome,
                                 m_txtURL, m_cmdVerifica, m_cmdAggiungi, m_cmdEsci};
    for (std::size_t i = 1; i < std::size(tabOrder); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    m_lstEmo->setFocus();

    // Selection, not the current row: focus arriving by Tab makes a row
    // current without the user choosing it.
    connect(m_lstEmo, &ListBox::rowSelected, this, &frmGestionePersonali::lstEmo_Click);
    connect(m_cmdVerifica, &QPushButton::clicked, this, &frmGestionePersonali::cmdVerifica_Click);
    connect(m_cmdAggiungi, &QPushButton::clicked, this, &frmGestionePersonali::cmdAggiungi_Click);
    connect(m_cmdRimuovi, &QPushButton::clicked, this, &frmGestionePersonali::cmdRimuovi_Click);
    connect(m_cmdEsci, &QPushButton::clicked, this, &frmGestionePersonali::cmdEsci_Click);

    // The busy mark and the buttons follow the preview and the two boxes.
    m_Timer1 = Controls::changeTimer(this, QStringLiteral("Timer1"), 100);
    connect(m_Timer1, &QTimer::timeout, this, &frmGestionePersonali::Timer1_Timer);
    const auto changed = [this] { Controls::runSoon(m_Timer1); };
    connect(m_WBPers, &WebView::loadingChanged, this, changed);
    connect(m_txtNome, &QLineEdit::textChanged, this, changed);
    connect(m_txtURL, &QPlainTextEdit::textChanged, this, changed);

    // What the preview failed to show is said, as in the forum's window.
    m_notice = new SpokenNotice(this);
    connect(m_WBPers, &WebView::noticeShown, this, [this](const QString &text) {
        m_verifying = false;
        m_notice->say(text);
    });
    connect(m_WBPers, &WebView::loadingChanged, this, [this](bool busy) {
        // A failure is told just after the loading ends: success waits for it.
        if (!busy && m_verifying)
            QMetaObject::invokeMethod(this, &frmGestionePersonali::tellVerified, Qt::QueuedConnection);
    });

    Form_Load();
    m_Timer1->start();
}

int frmGestionePersonali::selectedRow() const
{
    return m_lstEmo->selectedRow();
}

GestioneFiles::PersonalSetRead frmGestionePersonali::readSetFile() const
{
    const QString path = m_context.personalSetPath;
    // A folder in the file's place is reported; a missing or hidden file
    // is an empty set.
    if (!GestioneFiles::EsisteFile(path) && !QFileInfo(path).isDir())
        return {};
    return GestioneFiles::LeggiSetPersonale(path);
}

void frmGestionePersonali::Form_Load()
{
    GestioneFiles::PersonalSetRead read = readSetFile();
    // What was read before a failure is shown all the same.
    m_set = std::move(read.set);
    m_fileBytes = std::move(read.bytes);
    m_lstEmo->setItems(m_set.names());
    m_keepOldBytes = read.result != GestioneFiles::ReadResult::Ok;
    if (read.result == GestioneFiles::ReadResult::Failed) {
        m_context.prompter->tell(this, QMessageBox::Critical, QStringLiteral("Norvale - File Corrotto"),
                                 QStringLiteral("Il file Personali.ic2 risulta corrotto. I dati non sono "
                                                "visualizzabili. Aggiungendo nuove immagini verrà ricreato "
                                                "dall'inizio."));
    } else if (read.result == GestioneFiles::ReadResult::Unreadable) {
        m_context.prompter->tell(this, QMessageBox::Critical, QStringLiteral("Norvale - Errore di Lettura"),
                                 QStringLiteral("Impossibile leggere il file Personali.ic2: ") + read.reason);
    }
}

frmGestionePersonali::FileNow frmGestionePersonali::fileNow()
{
    GestioneFiles::PersonalSetRead read = readSetFile();
    if (read.result != GestioneFiles::ReadResult::Ok) {
        // As after a failed opening: the change starts from the list shown,
        // once the bytes that could not be read are kept aside.
        FileNow now{.set = m_set, .bytes = m_fileBytes, .changed = false, .note = {}};
        if (!m_keepOldBytes) {
            now.note = (read.result == GestioneFiles::ReadResult::Failed
                            ? QStringLiteral("Il file Personali.ic2 risultava corrotto")
                            : QStringLiteral("Impossibile leggere il file Personali.ic2 (%1)").arg(read.reason))
                + QStringLiteral(": è stato riscritto dall'elenco e i dati precedenti sono in Personali.ic2.bak");
        }
        m_keepOldBytes = true;
        return now;
    }
    m_keepOldBytes = false;
    // The bytes, not the time: a program can write twice within a second,
    // or put the time back.
    if (read.bytes == m_fileBytes)
        return {.set = m_set, .bytes = m_fileBytes, .changed = false, .note = {}};
    return {.set = std::move(read.set),
            .bytes = std::move(read.bytes),
            .changed = true,
            .note = QStringLiteral("Il file è stato modificato da un altro programma: l'elenco mostra il file "
                                   "com'è ora")};
}

void frmGestionePersonali::showSet(const PersonalSet &set)
{
    m_set = set;
    {
        const QSignalBlocker blocker(m_lstEmo);
        m_lstEmo->setItems(m_set.names());
    }
    chooseNothing();
}

void frmGestionePersonali::chooseNothing()
{
    {
        // Taking the choice away must not count as the user choosing another entry.
        const QSignalBlocker blocker(m_lstEmo);
        m_lstEmo->clearSelection();
        m_lstEmo->setCurrentIndex({});
    }
    // Nothing is chosen now; the focus waits on the list for the next choice.
    if (m_cmdRimuovi->hasFocus())
        m_lstEmo->setFocus(Qt::OtherFocusReason);
    m_cmdRimuovi->setEnabled(false);
}

void frmGestionePersonali::proposeEntry(const QString &name, const QString &url)
{
    // Laying out a megabyte of address in the text box took a minute.
    if (refusedAsTooLong(url))
        return;
    m_txtNome->setText(name);
    m_txtURL->setPlainText(url);
    m_txtNome->setFocus();
    m_txtNome->selectAll();
}

void frmGestionePersonali::lstEmo_Click()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    // A damaged file can leave a name without its address: nothing to preview.
    const QString url = m_set.at(row).url;
    if (!url.isEmpty()) {
        m_verifying = false;
        m_WBPers->Navigate(url);
        m_lneEmo->show();
        m_lneVerifica->hide();
    }
    m_cmdRimuovi->setEnabled(true);
}

void frmGestionePersonali::cmdVerifica_Click()
{
    const QString url = m_txtURL->toPlainText();
    if (refusedAsTooLong(url))
        return;
    m_lneVerifica->show();
    m_lneEmo->hide();
    // The preview shows only web addresses: any other stays blank.
    m_verifying = LinkRule::isPreviewable(QUrl(url));
    if (!m_verifying)
        m_notice->say(QStringLiteral("L'indirizzo indicato non è un indirizzo web: l'anteprima resta vuota"));
    m_WBPers->Navigate(url);
}

void frmGestionePersonali::tellVerified()
{
    if (!std::exchange(m_verifying, false))
        return;
    const QString shown = m_WBPers->LocationName();
    m_notice->say(shown.isEmpty() ? QStringLiteral("Anteprima caricata")
                                  : QStringLiteral("Anteprima caricata: %1").arg(shown));
}

void frmGestionePersonali::cmdAggiungi_Click()
{
    const QString name = m_txtNome->text();
    const QString url = m_txtURL->toPlainText();
    if (refusedAsTooLong(url))
        return;

    if (!url.startsWith(QStringLiteral("http://"), Qt::CaseInsensitive)
        && !url.startsWith(QStringLiteral("https://"), Qt::CaseInsensitive)) {
        m_context.prompter->tell(this, QMessageBox::Warning, QStringLiteral("Norvale - Verificare URL"),
                                 QStringLiteral("L'indirizzo URL indicato non sembra valido. "
                                                "Verificare"));
        return;
    }
    const QStringList unfit = GestioneFiles::charactersNotInFile(name + url);
    if (!unfit.isEmpty()) {
        m_context.prompter->tell(this, QMessageBox::Warning, QStringLiteral("Norvale - Caratteri Non Ammessi"),
                                 QStringLiteral("Il Nome o l'indirizzo URL contiene caratteri che il file "
                                                "Personali.ic2 non può memorizzare. Correggere il testo e riprovare.")
                                     + QStringLiteral("\n\nCaratteri non ammessi: ") + unfit.join(QStringLiteral(" ")));
        return;
    }

    // Added to what the file holds now: an entry another program added
    // meanwhile stays.
    const FileNow now = fileNow();
    const PersonalSet changed = now.set.withAdded({name, url});
    if (!saveSet(changed))
        return;
    if (now.changed) {
        showSet(changed);
    } else {
        m_set = changed;
        m_lstEmo->appendItem(name);
    }

    m_context.prompter->tell(this, QMessageBox::Information, QStringLiteral("Norvale - Aggiunta Completa"),
                             withNote(QStringLiteral("Immagine Aggiunta"), now.note));
    m_txtURL->clear();
    m_txtNome->clear();
}

void frmGestionePersonali::cmdRimuovi_Click()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    const PersonalEntry chosen = m_set.at(row);

    const QMessageBox::StandardButton answer = m_context.prompter->ask(
        this, QMessageBox::Information, QStringLiteral("Norvale - Rimozione Immagine"),
        QStringLiteral("Rimuovere l'immagine denominata ") + chosen.name + QStringLiteral(" dal Set Personali ?"),
        QMessageBox::Yes | QMessageBox::No);
    if (answer != QMessageBox::Yes)
        return;

    // The entry chosen, by name and address, wherever the file holds it now;
    // not whatever another program put at its row.
    const FileNow now = fileNow();
    const qsizetype at = now.changed ? placeOf(now.set, chosen, copyIndex(m_set, row)) : row;
    if (at < 0) {
        m_fileBytes = now.bytes;
        showSet(now.set);
        m_context.prompter->tell(this, QMessageBox::Warning, QStringLiteral("Norvale - Rimozione Immagine"),
                                 withNote(QStringLiteral("L'immagine denominata %1 non è più nel file "
                                                         "Personali.ic2: non è stato rimosso nulla.")
                                              .arg(chosen.name),
                                          now.note));
        return;
    }
    const PersonalSet changed = now.set.withRemoved(at);
    if (!saveSet(changed))
        return;
    if (now.changed) {
        showSet(changed);
    } else {
        m_set = changed;
        const QSignalBlocker blocker(m_lstEmo);
        m_lstEmo->removeItem(row);
    }
    chooseNothing();

    m_verifying = false;
    m_WBPers->Navigate(QStringLiteral("ciao"));
    m_context.prompter->tell(this, QMessageBox::Information, QStringLiteral("Norvale - Rimozione Completa"),
                             withNote(QStringLiteral("Immagine Rimossa"), now.note));
}

void frmGestionePersonali::cmdEsci_Click()
{
    accept();
}

void frmGestionePersonali::setRuleInterval(std::chrono::milliseconds interval)
{
    m_Timer1->setInterval(interval);
}

void frmGestionePersonali::Timer1_Timer()
{
    m_lblBusy->setVisible(m_WBPers->Busy());
    // Counted as typed, blanks included; seven is the length of "http://".
    const bool hasUrl = m_txtURL->toPlainText().size() > 7;
    m_cmdVerifica->setEnabled(hasUrl);
    m_cmdAggiungi->setEnabled(hasUrl && !m_txtNome->text().isEmpty());
}

bool frmGestionePersonali::saveSet(const PersonalSet &changed)
{
    // The bytes of a file that could not be read are kept aside before the
    // first rewrite; without that copy nothing is rewritten.
    QString reason;
    if (m_keepOldBytes && !GestioneFiles::keepCopy(m_context.personalSetPath, &reason)) {
        tellWriteFailed(QStringLiteral("la copia Personali.ic2.bak non è riuscita: ") + reason);
        return false;
    }
    m_keepOldBytes = false;
    const GestioneFiles::WriteResult written = GestioneFiles::ScriviSetPersonale(m_context.personalSetPath, changed);
    if (written.ok()) {
        m_fileBytes = GestioneFiles::serializePersonalSet(changed).value_or(QByteArray());
        return true;
    }
    tellWriteFailed(written.reason);
    return false;
}

bool frmGestionePersonali::refusedAsTooLong(const QString &url)
{
    if (url.size() <= PersonalSet::longestUrl)
        return false;
    tellTooLong(url.size());
    return true;
}

void frmGestionePersonali::tellTooLong(qsizetype length)
{
    m_context.prompter->tell(this, QMessageBox::Warning, QStringLiteral("Norvale - Verificare URL"),
                             QStringLiteral("L'indirizzo URL indicato è troppo lungo (%1 caratteri; il massimo "
                                            "è %2). Verificare")
                                 .arg(length)
                                 .arg(PersonalSet::longestUrl));
}

void frmGestionePersonali::tellWriteFailed(const QString &reason)
{
    QString text = QStringLiteral("Impossibile salvare il file Personali.ic2: la modifica è stata annullata "
                                  "e l'elenco è rimasto com'era. Verificare che la cartella del programma "
                                  "non sia protetta da scrittura, che il disco non sia pieno e che il file "
                                  "non sia aperto da un altro programma.");
    if (!reason.isEmpty())
        text += QStringLiteral("\n\nMotivo: ") + reason;
    m_context.prompter->tell(this, QMessageBox::Critical, QStringLiteral("Norvale - Errore di Scrittura"), text);
}

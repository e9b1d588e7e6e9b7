#include "picker/pickerpanel.h"

#include "gui/picturebutton.h"
#include "core/addresses.h"
#include "core/catalogue.h"
#include "core/gestionefiles.h"
#include "gui/accessibleroles.h"
#include "gui/controls.h"
#include "gui/listbox.h"
#include "gui/memoryrelief.h"
#include "gui/prompter.h"
#include "gui/spokennotice.h"
#include "gui/twips.h"
#include "gui/webview.h"
#include "help/frmichelp.h"
#include "picker/animatedbutton.h"

#include <QApplication>
#include <QButtonGroup>
#include <QClipboard>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QTimer>

namespace {

constexpr double panelLeft = -30;
constexpr double panelTop = 1695;
constexpr double panelWidth = 3105;

const QColor markFill(192, 64, 0);

struct OptionPlace
{
    double left;
    double top;
};
// By set index: Iconario, Punto Inform., Quizzy, Yahoo, Personale.
constexpr OptionPlace optionPlaces[Catalogue::setCount] = {
    {45, 900}, {1335, 900}, {1335, 1170}, {45, 1170}, {750, 1440}};

} // namespace

fraIconario::fraIconario(const AppContext &context, MainWindowState &state, QWidget *window)
    : QFrame(window)
    , m_context(context)
    , m_state(state)
{
    setObjectName(QStringLiteral("fraIconario"));
    AccessibleRoles::present(staticMetaObject, QAccessible::Grouping);
    setAccessibleName(QStringLiteral("Iconario"));
    setFrameShape(QFrame::NoFrame);
    Controls::setColours(this, Qt::black, Controls::orange());
    // A window shorter than the panel (a large text scale on a small
    // screen) shows it in part and scrolls it: its lower controls stay in
    // reach.
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("scrIconario"));
    m_scroll->setAccessibleName(QStringLiteral("Iconario"));
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setFocusPolicy(Qt::NoFocus);
    Controls::setColours(m_scroll->viewport(), Qt::black, Controls::orange());
    m_content = new QWidget;
    m_content->setObjectName(QStringLiteral("fraIconarioContenuto"));
    Controls::setColours(m_content, Qt::black, Controls::orange());
    m_content->resize(Twips::rect(0, 0, panelWidth, openHeight).size());
    m_scroll->setWidget(m_content);
    window->installEventFilter(this);
    buildControls();
    setHeightTwips(openHeight);
    hide();

    m_tmrMoveFrame = Controls::intervalTimer(this, QStringLiteral("tmrMoveFrame"), 2);
    m_tmrMoveFrame->setTimerType(Qt::PreciseTimer);
    connect(m_tmrMoveFrame, &QTimer::timeout, this, &fraIconario::slideTimerFired);
    // "Attesa..." follows the preview's loading; a first run hides it.
    m_tmrEmoBusy = Controls::changeTimer(this, QStringLiteral("tmrEmoBusy"), 100);
    connect(m_tmrEmoBusy, &QTimer::timeout, this, &fraIconario::tmrEmoBusy_Timer);
    connect(m_WBIC, &WebView::loadingChanged, this, [this] { Controls::runSoon(m_tmrEmoBusy); });
    m_tmrEmoBusy->start();
    m_tmrDone = Controls::intervalTimer(this, QStringLiteral("tmrDone"), 1000);
    connect(m_tmrDone, &QTimer::timeout, this, &fraIconario::tmrDone_Timer);
}

void fraIconario::buildControls()
{
    const QFont text = Controls::arial(8.25, true);
    const QFont large = Controls::arial(9.75, true);
    const auto centred = Qt::AlignHCenter;

    // Shapes first: they lie under the labels placed over them.
    auto circle = [this](const QString &name, double left, double top) {
        new ShapeControl(m_content, name, ShapeControl::Kind::Oval, {left, top, 345, 345}, Qt::black, 2, markFill);
    };
    circle(QStringLiteral("shpStep1"), 45, 525);
    circle(QStringLiteral("shpStep2"), 105, 1845);
    circle(QStringLiteral("shpStep3"), 75, 3210);
    new ShapeControl(m_content, QStringLiteral("shpChiudi"), ShapeControl::Kind::Oval, {60, 5970, 2970, 345}, Qt::black, 2,
                     markFill);

    new LineControl(m_content, QStringLiteral("Line1"), {30, 480}, {3075, 480}, Controls::blue(), 2);
    new LineControl(m_content, QStringLiteral("Line2"), {45, 1770}, {3090, 1755}, Controls::blue(), 2);
    new LineControl(m_content, QStringLiteral("Line3"), {45, 3150}, {3060, 3165}, Controls::blue(), 2);
    new LineControl(m_content, QStringLiteral("Line4"), {60, 5910}, {3075, 5910}, Controls::blue(), 2);
    new LineControl(m_content, QStringLiteral("Line8"), {2040, 1560}, {2685, 1560}, Qt::black, 2);

    // The title in relief: a dark copy 15 twips below and right of the red one.
    Controls::label(m_content, QStringLiteral("lblTitoloOmbra"), QStringLiteral("Norvale ICONARIO"), {315, 210, 2085, 240},
                    large, centred);
    QLabel *title = Controls::label(m_content, QStringLiteral("lblTitolo"), QStringLiteral("Norvale ICONARIO"),
                                    {300, 195, 2085, 240}, large, centred);
    Controls::setColours(title, Controls::red());

    auto stepMark = [&](const QString &name, const QString &digit, double left, double top) {
        QLabel *mark = Controls::label(m_content, name, digit, {left, top, 195, 225}, text, centred);
        Controls::setColours(mark, Controls::darkBlue());
    };
    stepMark(QStringLiteral("lblPasso1"), QStringLiteral("1"), 120, 585);
    stepMark(QStringLiteral("lblPasso2"), QStringLiteral("2"), 180, 1905);
    stepMark(QStringLiteral("lblPasso3"), QStringLiteral("3"), 150, 3270);
    Controls::label(m_content, QStringLiteral("lblIstruzione1"), QStringLiteral("Seleziona il set di Emoticons"),
                    {450, 585, 2505, 255}, text);
    Controls::label(m_content, QStringLiteral("lblIstruzione2"), QStringLiteral("Seleziona l'Emoticon voluta dall'elenco"),
                    {495, 1905, 2370, 390}, text, Qt::AlignLeft, true);
    Controls::label(m_content, QStringLiteral("lblIstruzione3"),
                    QStringLiteral("Guardala in Anteprima. Se è quella che volevi fai CLICK su OK per copiare i Tags"),
                    {450, 3210, 2640, 660}, text, Qt::AlignLeft, true);

    auto *group = new QButtonGroup(m_content);
    group->setExclusive(true);
    for (int i = 0; i < Catalogue::setCount; ++i) {
        const Catalogue::EmoticonSet &set = Catalogue::set(i);
        auto *option = new QPushButton(set.caption, m_content);
        option->setObjectName(QStringLiteral("optEmo%1").arg(i));
        option->setCheckable(true);
        // One set at a time, as radio buttons: Tab stops at the chosen one,
        // the arrows choose another, and a screen reader says so.
        option->setAutoExclusive(true);
        option->setToolTip(set.tooltip);
        option->setFont(text);
        option->setFocusPolicy(Qt::TabFocus);
        Controls::setColours(option, Qt::black, Controls::orange());
        Controls::place(option, optionPlaces[i].left, optionPlaces[i].top, 1290, 270);
        group->addButton(option, i);
        connect(option, &QPushButton::clicked, this, [this, i] { optEmo_Click(i); });
        m_optEmo.append(option);
    }

    auto *cmdHelpIC = new QPushButton(QStringLiteral("?"), m_content);
    cmdHelpIC->setObjectName(QStringLiteral("cmdHelpIC"));
    cmdHelpIC->setAccessibleName(QStringLiteral("Aiuto e set personale"));
    cmdHelpIC->setFont(large);
    cmdHelpIC->setToolTip(QStringLiteral("Ottieni informazioni e Gestisci il tuo set Personale"));
    Controls::setColours(cmdHelpIC, Qt::black, Controls::orange());
    Controls::place(cmdHelpIC, 2715, 1440, 285, 285);
    connect(cmdHelpIC, &QPushButton::clicked, this, &fraIconario::cmdHelpIC_Click);

    m_lstEmo = new ListBox(m_content);
    m_lstEmo->setObjectName(QStringLiteral("lstEmo"));
    m_lstEmo->setAccessibleName(QStringLiteral("Emoticon del set"));
    m_lstEmo->setFont(text);
    Controls::setColours(m_lstEmo, Qt::black, Controls::orange());
    Controls::place(m_lstEmo, 60, 2325, 2925, 690);
    connect(m_lstEmo, &ListBox::rowSelected, this, [this] {
        if (!m_filling)
            lstEmo_Click();
    });
    // An emoticon dragged into a post's text field is typed at the drop point.
    m_lstEmo->setDragText([this](int row) { return tagFor(row); });
    connect(m_lstEmo, &ListBox::rowDropped, this, [this](int row) { emit emoticonUsed(m_SetScelto, m_lstEmo->text(row)); });
    // A double-click or Enter on an emoticon is OK.
    connect(m_lstEmo, &ListBox::activated, this, [this] {
        if (m_cmdEmoOK->isEnabled())
            cmdEmoOK_Click();
    });

    m_WBIC = m_context.makeWebView(WebView::Role::Preview, m_content);
    m_WBIC->setAccessibleName(QStringLiteral("Anteprima"));
    m_WBIC->setObjectName(QStringLiteral("WBIC"));
    m_WBIC->setRectTwips(105, 3870, 2025, 1905);

    m_lblEmoBusy = Controls::label(m_content, QStringLiteral("lblEmoBusy"), QStringLiteral("Attesa..."),
                                   {2190, 3885, 855, 285}, text, centred);
    Controls::setColours(m_lblEmoBusy, Controls::red());

    m_lblDone = Controls::label(m_content, QStringLiteral("lblDone"), QStringLiteral("FATTO"), {2205, 4800, 720, 285}, large,
                                centred);
    Controls::setColours(m_lblDone, Qt::white);
    m_lblDone->hide();
    m_notice = new SpokenNotice(m_content);

    m_cmdEmoOK = new AnimatedButton(QStringLiteral("OK"), QStringLiteral(":/ok.gif"), m_content);
    m_cmdEmoOK->setObjectName(QStringLiteral("cmdEmoOK"));
    m_cmdEmoOK->setFont(Controls::arial(12, true));
    m_cmdEmoOK->setToolTip(QStringLiteral("Copia Tags per l'Emoticon scelta"));
    Controls::place(m_cmdEmoOK, 2205, 5115, 705, 690);
    m_cmdEmoOK->setEnabled(false);
    connect(m_cmdEmoOK, &QPushButton::clicked, this, &fraIconario::cmdEmoOK_Click);

    auto *lblChiudiIC = new PictureButton(m_content);
    lblChiudiIC->setObjectName(QStringLiteral("lblChiudiIC"));
    lblChiudiIC->setText(QStringLiteral("CHIUDI L'ICONARIO"));
    lblChiudiIC->setAccessibleName(QStringLiteral("Chiudi l'Iconario"));
    lblChiudiIC->setFont(text);
    Controls::setColours(lblChiudiIC, Controls::darkBlue());
    Controls::place(lblChiudiIC, 570, 6030, 2055, 225);
    connect(lblChiudiIC, &PictureButton::clicked, this, [this, lblChiudiIC] {
        // A click gives it no focus; only the keyboard could press it so.
        const bool byKeyboard = lblChiudiIC->hasFocus();
        lblChiudiIC_Click();
        if (byKeyboard)
            emit closedByKeyboard();
    });
}

QString fraIconario::forumLogo() const
{
    return Addresses::forumLogo(m_context.forumHomeUrl);
}

void fraIconario::setHeightTwips(qint32 height)
{
    m_heightTwips = height;
    QRect place = Twips::rect(panelLeft, panelTop, panelWidth, height);
    // Never below the window's bottom edge.
    if (const QWidget *window = parentWidget())
        place.setHeight(std::max(0, std::min(place.height(), window->height() - place.top())));
    setGeometry(place);
    m_scroll->setGeometry(rect());
}

bool fraIconario::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        setHeightTwips(m_heightTwips);
    return QFrame::eventFilter(watched, event);
}

void fraIconario::openSequence()
{
    if (m_state.IconarioAperto)
        return;
    m_state.IconarioAperto = true;
    m_state.WBLeft = MainWindowState::leftWithPickerOpen;
    emit stateChanged();
    // An emoticon still chosen from the last time shows again with its OK.
    if (m_cmdEmoOK->isEnabled())
        lstEmo_Click();
    else
        m_WBIC->Navigate(forumLogo());
    setHeightTwips(startHeight);
    show();
    raise();
    m_slideTicks = 0;
    m_slideClock.start();
    m_tmrMoveFrame->start();
}

void fraIconario::focusSets()
{
    QPushButton *chosen = m_optEmo.value(m_SetScelto, m_optEmo.first());
    // The keyboard brought the focus here: the button shows it, as after Tab.
    window()->setAttribute(Qt::WA_KeyboardFocusChange);
    chosen->setFocus(Qt::ShortcutFocusReason);
    m_scroll->ensureWidgetVisible(chosen);
}

void fraIconario::slideTimerFired()
{
    // When drawing the window takes longer than a tick (no graphics card),
    // the ticks missed meanwhile are caught up, so the slide keeps its pace
    // instead of dragging on.
    const qint64 due = m_slideClock.elapsed() / m_tmrMoveFrame->interval();
    do {
        tmrMoveFrame_Timer();
        ++m_slideTicks;
    } while (m_slideTicks < due && m_tmrMoveFrame->isActive());
}

void fraIconario::tmrMoveFrame_Timer()
{
    setHeightTwips(m_heightTwips + slideStep);
    if (m_heightTwips >= openHeight) {
        m_tmrMoveFrame->stop();
        m_state.WBLeft = MainWindowState::leftWithPickerOpen;
        emit stateChanged();
    }
}

void fraIconario::lblChiudiIC_Click()
{
    // The slide stops too, or its end would move the forum view back right
    // beside a hidden panel.
    m_tmrMoveFrame->stop();
    m_state.IconarioAperto = false;
    m_state.WBLeft = MainWindowState::leftWithPickerClosed;
    emit stateChanged();
    // Qt would hand the focus on along the window's chain, into the page.
    if (isAncestorOf(QApplication::focusWidget()))
        QApplication::focusWidget()->clearFocus();
    hide();
    m_WBIC->hide();
    // The preview's renderer is not kept for a panel that may not open again
    // for hours; it is made again, quickly, at the next opening.
    m_WBIC->Unload();
    MemoryRelief::releaseSoon();
}

void fraIconario::keepFocusInPanel()
{
    // A focused control that is disabled or hidden hands the focus on along
    // the window's chain, which leads into the forum's page: Chromium takes
    // that as a Tab and selects the page's first field, where the next OK
    // would type. The list, the next step, keeps it here instead.
    QWidget *focused = QApplication::focusWidget();
    if (focused && (focused == m_cmdEmoOK || m_WBIC->isAncestorOf(focused)))
        m_lstEmo->setFocus(Qt::OtherFocusReason);
}

void fraIconario::optEmo_Click(int Index)
{
    keepFocusInPanel();
    m_cmdEmoOK->setEnabled(false);
    m_WBIC->hide();
    m_WBIC->Navigate(forumLogo());
    m_SetScelto = qint16(Index);
    switch (Index) {
    case 0:
        CaricaSetIconario();
        break;
    case 1:
        CaricaSetPtoInformatico();
        break;
    case 2:
        CaricaSetQuizzy();
        break;
    case 3:
        CaricaSetYahoo();
        break;
    case Catalogue::personalSet:
        CaricaSetPersonale();
        return;
    default:
        return;
    }
    m_CartellaSet = Catalogue::set(Index).folder;
}

void fraIconario::fillFromCatalogue(int set)
{
    m_filling = true;
    m_lstEmo->setItems(Catalogue::names(set));
    m_filling = false;
}

void fraIconario::CaricaSetIconario()
{
    fillFromCatalogue(0);
}

void fraIconario::CaricaSetPtoInformatico()
{
    fillFromCatalogue(1);
}

void fraIconario::CaricaSetQuizzy()
{
    fillFromCatalogue(2);
}

void fraIconario::CaricaSetYahoo()
{
    fillFromCatalogue(3);
}

void fraIconario::CaricaSetPersonale()
{
    GestioneFiles::PersonalSetRead read = GestioneFiles::LeggiSetPersonale(m_context.personalSetPath);
    // What was read before a failure is listed too.
    m_personalSet = std::move(read.set);
    m_filling = true;
    m_lstEmo->setItems(m_personalSet.names());
    m_filling = false;
    if (read.result == GestioneFiles::ReadResult::Ok)
        return;

    unchooseSets(Catalogue::personalSet);
    QString text = QStringLiteral("Il File PERSONALI.IC2 non si trova nella stessa cartella "
                                  "dell'Applicazione o non è stato creato o è stato corrotto");
    // A file that is there but cannot be read says why, as in the manager;
    // a missing one is what the text already says.
    const QFileInfo file(m_context.personalSetPath);
    if (!read.reason.isEmpty() && (file.exists() || file.isSymLink()))
        text += QStringLiteral("\n\nMotivo: ") + read.reason;
    m_context.prompter->tell(this, QMessageBox::Critical, QStringLiteral("IMPOSSIBILE ACCEDERE AL FILE PERSONALI"),
                             text);
}

void fraIconario::unchooseSets(int index)
{
    // An exclusive group keeps one button down; lifting it is not a choice,
    // so no click follows.
    QPushButton *option = m_optEmo.at(index);
    QButtonGroup *group = option->group();
    group->setExclusive(false);
    option->setChecked(false);
    group->setExclusive(true);
}

QString fraIconario::imageUrlFor(int row) const
{
    if (row < 0)
        return {};
    if (m_SetScelto >= 0 && m_SetScelto < Catalogue::personalSet)
        return Catalogue::imageUrl(m_context.emoticonBaseUrl, m_CartellaSet, row);
    if (m_SetScelto == Catalogue::personalSet)
        return m_personalSet.at(row).url;
    return {};
}

QString fraIconario::tagFor(int row) const
{
    const QString url = imageUrlFor(row);
    return url.isEmpty() ? QString() : Catalogue::imageTag(url);
}

void fraIconario::lstEmo_Click()
{
    const int i = m_lstEmo->currentRow();
    if (i < 0)
        return;
    const QString url = imageUrlFor(i);
    if (m_SetScelto == Catalogue::personalSet && url.isEmpty()) {
        // A name a damaged file left without its address, or with an
        // empty one: there is nothing to show or copy.
        keepFocusInPanel();
        m_cmdEmoOK->setEnabled(false);
        m_WBIC->hide();
        return;
    }
    if (!url.isNull()) {
        m_TagsEmo = tagFor(i);
        m_WBIC->Navigate(url);
    }
    m_cmdEmoOK->setEnabled(true);
    m_WBIC->show();
}

void fraIconario::tmrEmoBusy_Timer()
{
    m_lblEmoBusy->setVisible(m_WBIC->Busy());
}

void fraIconario::cmdEmoOK_Click()
{
    QClipboard *clipboard = QApplication::clipboard();
    clipboard->clear();
    clipboard->setText(m_TagsEmo);
    m_context.beep();
    m_lblDone->show();
    m_copiedName = m_lstEmo->text(m_lstEmo->selectedRow());
    m_tmrDone->start();
    emit emoticonUsed(m_SetScelto, m_copiedName);
    emit tagCopied(m_TagsEmo);
}

void fraIconario::tellWhereTheTagWent(bool typed)
{
    // "FATTO" shows either way; a screen reader hears which it was.
    m_notice->say(typed ? typedText(m_copiedName) : copiedText(m_copiedName));
}

void fraIconario::setDoneInterval(std::chrono::milliseconds interval)
{
    m_tmrDone->setInterval(interval);
}

void fraIconario::tmrDone_Timer()
{
    m_lblDone->hide();
    m_context.beep();
    m_tmrDone->stop();
}

void fraIconario::cmdHelpIC_Click()
{
    frmICHelp::showModal(m_context, window());
}

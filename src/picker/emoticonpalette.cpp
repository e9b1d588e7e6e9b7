#include "picker/emoticonpalette.h"

#include "core/catalogue.h"
#include "core/gestionefiles.h"
#include "gui/accessibleroles.h"
#include "gui/controls.h"
#include "gui/spokennotice.h"
#include "picker/emoticonpictures.h"

#include <QAccessible>
#include <QApplication>
#include <QBuffer>
#include <QDateTime>
#include <QGridLayout>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMovie>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

constexpr QSize cellSize(96, 84);
constexpr int pictureSide = 48;
constexpr int paletteHeight = 380;

qint64 nowMs()
{
    return QDateTime::currentMSecsSinceEpoch();
}

QPixmap firstFrame(const QByteArray &bytes)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    QImage image = reader.read();
    if (image.width() > pictureSide || image.height() > pictureSide)
        image = image.scaled(pictureSide, pictureSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return QPixmap::fromImage(image);
}

} // namespace

EmoticonCell::EmoticonCell(const Emoticon &emoticon, QWidget *parent)
    : QFrame(parent)
    , m_emoticon(emoticon)
{
    setObjectName(QStringLiteral("cellaEmo"));
    // The arrows and the mouse reach it; Tab goes past the grid.
    setFocusPolicy(Qt::ClickFocus);
    setFixedSize(cellSize);
    setAutoFillBackground(true);
    setToolTip(emoticon.name + QStringLiteral(" (") + Catalogue::set(emoticon.set).caption + QLatin1Char(')'));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(3, 3, 3, 3);
    layout->setSpacing(0);
    m_picture = new QLabel(this);
    m_picture->setFixedHeight(pictureSide);
    m_picture->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_picture);
    auto *name = new QLabel(this);
    name->setAlignment(Qt::AlignHCenter);
    name->setText(name->fontMetrics().elidedText(emoticon.name, Qt::ElideRight, cellSize.width() - 8));
    layout->addWidget(name);
    auto *set = new QLabel(Catalogue::set(emoticon.set).caption, this);
    set->setAlignment(Qt::AlignHCenter);
    QFont small = set->font();
    small.setPointSizeF(small.pointSizeF() * 0.8);
    set->setFont(small);
    set->setForegroundRole(QPalette::PlaceholderText);
    layout->addWidget(set);
    setCurrent(false);
}

void EmoticonCell::setPicture(const QByteArray &bytes)
{
    m_bytes = bytes;
    m_broken = false;
    m_picture->setPixmap(firstFrame(bytes));
    followAttention();
}

void EmoticonCell::setBroken(const QString &reason)
{
    m_broken = true;
    m_picture->setText(QStringLiteral("⚠"));
    setToolTip(toolTip() + QStringLiteral(": ") + reason);
}

void EmoticonCell::setCurrent(bool current)
{
    m_current = current;
    setBackgroundRole(current ? QPalette::Highlight : QPalette::Base);
    setForegroundRole(current ? QPalette::HighlightedText : QPalette::Text);
    update();
}

void EmoticonCell::followAttention()
{
    // Only the emoticon the member is looking at moves: a grid of moving
    // pictures would be hard to read and keep the processor busy.
    const bool wanted = (m_hovered || hasFocus()) && !m_bytes.isEmpty();
    if (wanted == (m_movie != nullptr))
        return;
    if (wanted) {
        m_buffer = new QBuffer(&m_bytes, this);
        m_buffer->open(QIODevice::ReadOnly);
        m_movie = new QMovie(m_buffer, QByteArray(), this);
        if (m_movie->frameCount() == 1 || !m_movie->isValid()) {
            delete m_movie;
            delete m_buffer;
            m_movie = nullptr;
            m_buffer = nullptr;
            return;
        }
        m_movie->setScaledSize(m_picture->pixmap().size());
        m_picture->setMovie(m_movie);
        m_movie->start();
        return;
    }
    m_picture->setPixmap(firstFrame(m_bytes));
    delete m_movie;
    delete m_buffer;
    m_movie = nullptr;
    m_buffer = nullptr;
}

void EmoticonCell::enterEvent(QEnterEvent *event)
{
    m_hovered = true;
    followAttention();
    QFrame::enterEvent(event);
}

void EmoticonCell::leaveEvent(QEvent *event)
{
    m_hovered = false;
    followAttention();
    QFrame::leaveEvent(event);
}

void EmoticonCell::focusInEvent(QFocusEvent *event)
{
    followAttention();
    QFrame::focusInEvent(event);
    update();
}

void EmoticonCell::focusOutEvent(QFocusEvent *event)
{
    followAttention();
    QFrame::focusOutEvent(event);
    update();
}

void EmoticonCell::mouseReleaseEvent(QMouseEvent *event)
{
    if (rect().contains(event->position().toPoint()) && event->button() == Qt::LeftButton)
        emit clicked();
    QFrame::mouseReleaseEvent(event);
}

void EmoticonCell::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    if (!hasFocus())
        return;
    QPainter painter(this);
    painter.setPen(QPen(Controls::blue(), 2));
    painter.drawRect(rect().adjusted(1, 1, -1, -1));
}

EmoticonPalette::EmoticonPalette(const AppContext &context, QWidget *window)
    : QFrame(window)
    , m_context(context)
    , m_usage(EmoticonUsage::load(context.emoticonUsagePath))
    , m_pictures(new EmoticonPictures(this))
{
    setObjectName(QStringLiteral("fraTavolozza"));
    AccessibleRoles::present(staticMetaObject, QAccessible::Grouping);
    AccessibleRoles::present(EmoticonCell::staticMetaObject, QAccessible::ListItem);
    setAccessibleName(QStringLiteral("Emoticon per nome"));
    setFrameShape(QFrame::Box);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    m_search = new QLineEdit(this);
    m_search->setObjectName(QStringLiteral("txtCerca"));
    m_search->setAccessibleName(QStringLiteral("Cerca un'emoticon per nome"));
    m_search->setPlaceholderText(QStringLiteral("Nome dell'emoticon"));
    m_search->setClearButtonEnabled(false);
    layout->addWidget(m_search);
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("scrTavolozza"));
    m_scroll->setWidgetResizable(true);
    m_scroll->setFocusPolicy(Qt::NoFocus);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    layout->addWidget(m_scroll, 1);
    m_warning = new QLabel(this);
    m_warning->setObjectName(QStringLiteral("lblAvviso"));
    m_warning->setWordWrap(true);
    m_warning->setForegroundRole(QPalette::BrightText);
    Controls::setColours(m_warning, Controls::red());
    m_warning->hide();
    layout->addWidget(m_warning);
    m_favourite = new QPushButton(addText(), this);
    m_favourite->setObjectName(QStringLiteral("cmdPreferita"));
    layout->addWidget(m_favourite);
    m_notice = new SpokenNotice(this);
    setFixedSize(columns * (cellSize.width() + 6) + 40, paletteHeight);
    hide();

    connect(m_search, &QLineEdit::textChanged, this, &EmoticonPalette::showResults);
    connect(m_search, &QLineEdit::returnPressed, this, &EmoticonPalette::chooseCurrent);
    connect(m_favourite, &QPushButton::clicked, this, &EmoticonPalette::toggleFavourite);
    connect(m_pictures, &EmoticonPictures::ready, this, &EmoticonPalette::pictureReady);
    connect(m_pictures, &EmoticonPictures::failed, this, &EmoticonPalette::pictureFailed);
    m_search->installEventFilter(this);
    m_favourite->installEventFilter(this);
    // A click elsewhere (the page, the bar) closes it, typing nothing.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        if (isVisible() && now && !isAncestorOf(now))
            dismiss(false);
    });
}

QString EmoticonPalette::spokenName(const Emoticon &emoticon, int position, int count)
{
    return QStringLiteral("%1, %2, %3 di %4")
        .arg(emoticon.name, Catalogue::set(emoticon.set).caption)
        .arg(position)
        .arg(count);
}

void EmoticonPalette::openAt(const QRect &caret)
{
    const GestioneFiles::PersonalSetRead read = GestioneFiles::LeggiSetPersonale(m_context.personalSetPath);
    m_index = EmoticonIndex(m_context.emoticonBaseUrl, read.set);
    // Entries removed from a file read whole are forgotten; a file that
    // could not be read only hides its own for now.
    if (read.result == GestioneFiles::ReadResult::Ok
        && m_usage.forget([this](const EmoticonKey &key) { return m_index.find(key) < 0; }))
        saveUsage();
    m_recent.clear();
    m_favourites.clear();
    for (const EmoticonKey &key : m_usage.recent(nowMs())) {
        if (const int i = m_index.find(key); i >= 0)
            m_recent.append(i);
    }
    for (const EmoticonKey &key : m_usage.favourites()) {
        if (const int i = m_index.find(key); i >= 0)
            m_favourites.append(i);
    }
    m_waitingFor.clear();
    m_warning->hide();
    {
        const QSignalBlocker quiet(m_search);
        m_search->clear();
    }
    showResults();
    place(caret);
    show();
    raise();
    m_search->setFocus(Qt::ShortcutFocusReason);
}

void EmoticonPalette::place(const QRect &caret)
{
    const QWidget *window = parentWidget();
    const QRect room = window ? window->rect() : QRect(QPoint(), size());
    QPoint at(caret.left(), caret.bottom() + 4);
    // Above the line when there is no room below it.
    if (at.y() + height() > room.bottom() && caret.top() - 4 - height() >= room.top())
        at.setY(caret.top() - 4 - height());
    at.setX(std::clamp(at.x(), room.left(), std::max(room.left(), room.right() - width())));
    at.setY(std::clamp(at.y(), room.top(), std::max(room.top(), room.bottom() - height())));
    move(at);
}

void EmoticonPalette::showResults()
{
    m_waitingFor.clear();
    m_warning->hide();
    m_cells.clear();
    m_sectionOf.clear();
    m_current = nullptr;
    delete m_grid;
    m_grid = new QWidget;
    m_grid->setObjectName(QStringLiteral("grigliaEmo"));
    m_sections = new QVBoxLayout(m_grid);
    m_sections->setContentsMargins(0, 0, 0, 0);

    const QString query = m_search->text().trimmed();
    if (query.isEmpty()) {
        addSection(QStringLiteral("Preferite"), m_favourites);
        addSection(QStringLiteral("Recenti"), m_recent);
    }
    const QList<int> found = m_index.search(query);
    const int firstFound = int(m_cells.size());
    addSection(query.isEmpty() ? QStringLiteral("Tutte") : QStringLiteral("Risultati"), found.first(std::min<qsizetype>(found.size(), mostResults)));
    if (found.isEmpty()) {
        auto *none = new QLabel(QStringLiteral("Nessuna emoticon con questo nome"), m_grid);
        none->setObjectName(QStringLiteral("lblNessuna"));
        m_sections->addWidget(none);
    } else if (found.size() > mostResults) {
        auto *more = new QLabel(QStringLiteral("…e altre %1: scrivi qualche lettera in più").arg(found.size() - mostResults),
                                m_grid);
        more->setWordWrap(true);
        m_sections->addWidget(more);
    }
    m_sections->addStretch(1);
    m_scroll->setWidget(m_grid);
    QSet<QString> shown;
    for (const EmoticonCell *cell : std::as_const(m_cells))
        shown.insert(cell->emoticon().url);
    m_pictures->keepOnly(shown);
    // What was typed chooses its best match; with nothing typed, the first
    // favourite or recent one.
    setCurrent(m_cells.value(query.isEmpty() ? 0 : firstFound), false);
}

void EmoticonPalette::addSection(const QString &title, const QList<int> &items)
{
    if (items.isEmpty())
        return;
    auto *heading = new QLabel(title, m_grid);
    heading->setObjectName(QStringLiteral("lbl") + title);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    m_sections->addWidget(heading);
    auto *box = new QWidget(m_grid);
    box->setAccessibleName(title);
    auto *grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(4);
    const int first = int(m_cells.size());
    for (int n = 0; n < items.size(); ++n) {
        const Emoticon &emoticon = m_index.at(items.at(n));
        auto *cell = new EmoticonCell(emoticon, box);
        cell->setAccessibleName(spokenName(emoticon, n + 1, int(items.size())));
        cell->setAccessibleDescription(title);
        cell->installEventFilter(this);
        connect(cell, &EmoticonCell::clicked, this, [this, cell] { choose(cell); });
        grid->addWidget(cell, n / columns, n % columns, Qt::AlignLeft);
        m_cells.append(cell);
        m_sectionOf.append({first, int(items.size())});
        switch (m_pictures->state(emoticon.url)) {
        case EmoticonPictures::State::Ready:
            cell->setPicture(m_pictures->bytes(emoticon.url));
            break;
        case EmoticonPictures::State::Failed:
            cell->setBroken(m_pictures->reason(emoticon.url));
            break;
        default:
            m_pictures->request(emoticon.url);
            break;
        }
    }
    grid->setColumnStretch(columns, 1);
    m_sections->addWidget(box);
}

void EmoticonPalette::setCurrent(EmoticonCell *cell, bool focus)
{
    if (m_current)
        m_current->setCurrent(false);
    m_current = cell;
    if (cell) {
        cell->setCurrent(true);
        m_scroll->ensureWidgetVisible(cell);
        if (focus) {
            cell->setFocus(Qt::OtherFocusReason);
            // Qt tells a screen reader of a new focus; the same cell named
            // anew (after a search) is news too.
            QAccessibleEvent focused(cell, QAccessible::Focus);
            QAccessible::updateAccessibility(&focused);
        }
    }
    updateFavouriteButton();
}

void EmoticonPalette::moveCurrent(int key)
{
    const int at = int(m_cells.indexOf(m_current));
    if (at < 0)
        return;
    const auto [first, count] = m_sectionOf.at(at);
    const int inSection = at - first;
    const int column = inSection % columns;
    int to = at;
    switch (key) {
    case Qt::Key_Left:
        to = at - 1;
        break;
    case Qt::Key_Right:
        to = at + 1;
        break;
    case Qt::Key_Down:
        if (inSection + columns < count)
            to = at + columns;
        else if (inSection / columns < (count - 1) / columns)
            to = first + count - 1; // the last row is short
        else if (first + count < m_cells.size())
            to = first + count + std::min(column, m_sectionOf.at(first + count).second - 1);
        break;
    case Qt::Key_Up:
        if (inSection >= columns) {
            to = at - columns;
        } else if (first > 0) {
            const auto [above, aboveCount] = m_sectionOf.at(first - 1);
            const int lastRow = (aboveCount - 1) / columns;
            to = above + std::min(lastRow * columns + column, aboveCount - 1);
        } else {
            // Above the first row: back to typing.
            m_search->setFocus(Qt::OtherFocusReason);
            return;
        }
        break;
    default:
        break;
    }
    if (to >= 0 && to < m_cells.size())
        setCurrent(m_cells.at(to), true);
}

bool EmoticonPalette::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        // Esc is the window's key elsewhere; here it closes the palette.
        if (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
            event->accept();
            return true;
        }
        return false;
    }
    if (event->type() != QEvent::KeyPress)
        return QFrame::eventFilter(watched, event);
    auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() == Qt::Key_Escape) {
        dismiss(true);
        return true;
    }
    if (watched == m_search) {
        if (key->key() == Qt::Key_Down && m_current) {
            setCurrent(m_current, true);
            return true;
        }
        return false;
    }
    auto *cell = qobject_cast<EmoticonCell *>(watched);
    if (!cell)
        return false;
    switch (key->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
        moveCurrent(key->key());
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        choose(cell);
        return true;
    case Qt::Key_Tab:
        m_favourite->setFocus(Qt::TabFocusReason);
        return true;
    case Qt::Key_Backtab:
        m_search->setFocus(Qt::BacktabFocusReason);
        return true;
    default:
        // Letters go on into the search.
        if (!key->text().isEmpty() && (key->text().at(0).isPrint() || key->key() == Qt::Key_Backspace)) {
            m_search->setFocus(Qt::OtherFocusReason);
            QKeyEvent again(key->type(), key->key(), key->modifiers(), key->text());
            QCoreApplication::sendEvent(m_search, &again);
            return true;
        }
        return false;
    }
}

void EmoticonPalette::chooseCurrent()
{
    choose(m_current);
}

void EmoticonPalette::choose(EmoticonCell *cell)
{
    if (!cell || !isVisible())
        return;
    const Emoticon emoticon = cell->emoticon();
    if (emoticon.set == Catalogue::personalSet) {
        // The member's own address: typed only once it has shown a picture.
        switch (m_pictures->state(emoticon.url)) {
        case EmoticonPictures::State::Failed:
            warn(QStringLiteral("%1 non inserita: %2.").arg(emoticon.name, m_pictures->reason(emoticon.url)));
            return;
        case EmoticonPictures::State::Ready:
            break;
        default:
            m_waitingFor = emoticon.url;
            m_pictures->hurry(emoticon.url);
            warn(QStringLiteral("Verifica dell'immagine di %1…").arg(emoticon.name));
            return;
        }
    }
    hide();
    recordUse(emoticon.set, emoticon.name);
    emit chosen(Catalogue::imageTag(emoticon.url), emoticon.name);
}

void EmoticonPalette::pictureReady(const QString &url)
{
    for (EmoticonCell *cell : std::as_const(m_cells)) {
        if (cell->emoticon().url == url)
            cell->setPicture(m_pictures->bytes(url));
    }
    if (url == std::exchange(m_waitingFor, QString()) && m_current && m_current->emoticon().url == url) {
        m_warning->hide();
        choose(m_current);
    }
}

void EmoticonPalette::pictureFailed(const QString &url, const QString &reason)
{
    QString waited;
    for (EmoticonCell *cell : std::as_const(m_cells)) {
        if (cell->emoticon().url == url) {
            cell->setBroken(reason);
            waited = cell->emoticon().name;
        }
    }
    if (url == std::exchange(m_waitingFor, QString()))
        warn(QStringLiteral("%1 non inserita: %2.").arg(waited, reason));
}

void EmoticonPalette::warn(const QString &text)
{
    m_warning->setText(text);
    m_warning->show();
    m_notice->say(text);
}

void EmoticonPalette::dismiss(bool byKey)
{
    if (!isVisible())
        return;
    m_waitingFor.clear();
    hide();
    emit dismissed(byKey);
}

void EmoticonPalette::recordUse(int set, const QString &name)
{
    m_usage.recordUse({set, name}, nowMs());
    saveUsage();
}

void EmoticonPalette::toggleFavourite()
{
    if (!m_current)
        return;
    m_usage.toggleFavourite(m_current->emoticon().key());
    saveUsage();
    updateFavouriteButton();
}

void EmoticonPalette::updateFavouriteButton()
{
    m_favourite->setEnabled(m_current != nullptr);
    const bool pinned = m_current && m_usage.isFavourite(m_current->emoticon().key());
    m_favourite->setText(pinned ? removeText() : addText());
    m_favourite->setAccessibleDescription(m_current ? m_current->emoticon().name : QString());
}

void EmoticonPalette::saveUsage()
{
    // Not worth a message: the palette works on from memory.
    if (!m_context.emoticonUsagePath.isEmpty())
        m_usage.save(m_context.emoticonUsagePath);
}

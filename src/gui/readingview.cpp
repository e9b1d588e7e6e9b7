#include "gui/readingview.h"

#include "gui/controls.h"
#include "gui/spokennotice.h"

#include <QKeyEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

using namespace Qt::StringLiterals;

namespace {

constexpr double basePointSize = 11;

QString plain(const QVariantList &runs)
{
    QString words;
    for (const QVariant &run : runs)
        words += run.toMap().value(u"s"_s).toString();
    return words.simplified();
}

} // namespace

ReadingView::ReadingView(QWidget *parent)
    : QTextBrowser(parent)
{
    setObjectName(u"txtLettura"_s);
    setAccessibleName(u"Lettura della pagina"_s);
    // Its own links only: nothing is fetched or opened by the view itself.
    setOpenLinks(false);
    setOpenExternalLinks(false);
    // A caret to read by, and links reached by Tab.
    setTextInteractionFlags(Qt::TextBrowserInteraction | Qt::TextSelectableByKeyboard);
    Controls::setColours(this, Qt::black, Qt::white);
    m_notice = new SpokenNotice(this);
    connect(this, &QTextBrowser::anchorClicked, this, [this](const QUrl &anchor) { follow(anchor.toString()); });
    hide();
}

void ReadingView::setZoom(double factor)
{
    m_zoom = factor;
    QFont font = Controls::arial(basePointSize * m_zoom);
    document()->setDefaultFont(font);
}

void ReadingView::showPage(const QVariantMap &page)
{
    m_marks.clear();
    m_links.clear();
    QTextDocument *doc = document();
    doc->clear();
    setZoom(m_zoom);
    QTextCursor cursor(doc);
    QTextCharFormat plainFormat;
    QTextCharFormat bold = plainFormat;
    bold.setFontWeight(QFont::Bold);

    const QString title = page.value(u"title"_s).toString().simplified();
    setAccessibleDescription(title);
    bool first = true;
    const auto newBlock = [&](const QTextCharFormat &format) {
        if (!first)
            cursor.insertBlock(QTextBlockFormat(), format);
        else
            cursor.setCharFormat(format);
        first = false;
    };
    QTextCharFormat titleFormat = bold;
    titleFormat.setFontPointSize(basePointSize * m_zoom * 1.4);
    newBlock(titleFormat);
    cursor.insertText(title.isEmpty() ? u"Pagina senza titolo"_s : title, titleFormat);

    const QVariantList blocks = page.value(u"blocks"_s).toList();
    for (const QVariant &value : blocks) {
        const QVariantMap block = value.toMap();
        const QString type = block.value(u"type"_s).toString();
        if (type == u"h") {
            const int level = std::clamp(block.value(u"level"_s).toInt(), 1, 6);
            QTextCharFormat heading = bold;
            heading.setFontPointSize(basePointSize * m_zoom * (1.3 - 0.05 * level));
            newBlock(heading);
            const QVariantList runs = block.value(u"runs"_s).toList();
            m_marks.append({cursor.position(), Kind::Heading, level,
                            u"Intestazione livello %1: %2"_s.arg(level).arg(plain(runs))});
            addRuns(cursor, runs, heading);
        } else if (type == u"p") {
            newBlock(plainFormat);
            addRuns(cursor, block.value(u"runs"_s).toList(), plainFormat);
        } else if (type == u"list") {
            const QVariantList items = block.value(u"items"_s).toList();
            const bool ordered = block.value(u"ordered"_s).toBool();
            newBlock(plainFormat);
            const QString said = u"Elenco di %1 voci"_s.arg(items.size());
            m_marks.append({cursor.position(), Kind::List, 0, said});
            cursor.insertText(said, plainFormat);
            for (qsizetype i = 0; i < items.size(); ++i) {
                newBlock(plainFormat);
                cursor.insertText(ordered ? u"%1. "_s.arg(i + 1) : u"• "_s, plainFormat);
                addRuns(cursor, items.at(i).toList(), plainFormat);
            }
        } else if (type == u"table") {
            const QVariantList rows = block.value(u"rows"_s).toList();
            qsizetype columns = 0;
            for (const QVariant &row : rows)
                columns = std::max(columns, row.toList().size());
            newBlock(plainFormat);
            const QString said = u"Tabella con %1 righe e %2 colonne"_s.arg(rows.size()).arg(columns);
            m_marks.append({cursor.position(), Kind::Table, 0, said});
            cursor.insertText(said, plainFormat);
            // Each row a line, each cell with its column's header.
            QStringList headers;
            for (const QVariant &value : rows) {
                const QVariantList cells = value.toList();
                const bool headerRow = !cells.isEmpty() && std::all_of(cells.cbegin(), cells.cend(), [](const QVariant &c) {
                    return c.toMap().value(u"header"_s).toBool();
                });
                if (headerRow) {
                    headers.clear();
                    for (const QVariant &cell : cells)
                        headers.append(plain(cell.toMap().value(u"runs"_s).toList()));
                }
                newBlock(plainFormat);
                bool firstCell = true;
                for (qsizetype i = 0; i < cells.size(); ++i) {
                    const QVariantList runs = cells.at(i).toMap().value(u"runs"_s).toList();
                    if (plain(runs).isEmpty())
                        continue;
                    if (!firstCell)
                        cursor.insertText(u"; "_s, plainFormat);
                    firstCell = false;
                    if (!headerRow && !headers.value(i).isEmpty())
                        cursor.insertText(headers.value(i) + u": "_s, bold);
                    addRuns(cursor, runs, headerRow ? bold : plainFormat);
                }
            }
        }
    }
    setTextCursor(QTextCursor(doc));
    ensureCursorVisible();
}

void ReadingView::addRuns(QTextCursor &cursor, const QVariantList &runs, const QTextCharFormat &base)
{
    // White space as a page shows it: one blank between words, none at the
    // start of a line.
    const auto put = [&](const QString &text, const QTextCharFormat &format) {
        QString out;
        for (const QChar c : text) {
            const bool blank = c.isSpace() && c != u'\n';
            const QChar before = out.isEmpty() ? (cursor.atBlockStart() ? u'\n' : document()->characterAt(cursor.position() - 1))
                                               : out.back();
            if (blank && (before.isSpace() || before == QChar::ParagraphSeparator))
                continue;
            out += blank ? u' ' : c;
        }
        if (!out.isEmpty())
            cursor.insertText(out, format);
    };
    for (const QVariant &value : runs) {
        const QVariantMap run = value.toMap();
        const QString kind = run.value(u"t"_s).toString();
        const QString words = run.value(u"s"_s).toString();
        if (kind == u"link") {
            const QUrl url(run.value(u"href"_s).toString());
            if (!url.isValid() || (url.scheme() != u"http" && url.scheme() != u"https")) {
                put(words, base);
                continue;
            }
            QTextCharFormat link = base;
            link.setAnchor(true);
            link.setAnchorHref(u"#%1"_s.arg(m_links.size()));
            link.setForeground(QColor(0, 0, 192));
            link.setFontUnderline(true);
            m_marks.append({cursor.position(), Kind::Link, 0, u"Collegamento: %1"_s.arg(words.simplified())});
            m_links.append(url);
            put(words.simplified(), link);
        } else if (kind == u"img") {
            put(u" [Immagine: %1] "_s.arg(words.simplified()), base);
        } else {
            put(words, base);
        }
    }
}

void ReadingView::follow(const QString &href)
{
    bool ok = false;
    const int index = href.mid(1).toInt(&ok);
    if (href.startsWith(u'#') && ok && index >= 0 && index < m_links.size())
        emit linkFollowed(m_links.at(index));
}

bool ReadingView::moveTo(Kind kind, bool backwards, int level)
{
    const int at = textCursor().position();
    const Mark *found = nullptr;
    for (const Mark &mark : m_marks) {
        if (mark.kind != kind || (level && mark.level != level))
            continue;
        if (backwards ? mark.position < at : mark.position > at) {
            found = &mark;
            if (!backwards)
                break;
        }
    }
    if (!found) {
        static const QString none[] = {u"Nessun'altra intestazione"_s, u"Nessun'altra tabella"_s,
                                       u"Nessun altro elenco"_s, u"Nessun altro collegamento"_s};
        m_notice->say(none[int(kind)]);
        return false;
    }
    QTextCursor cursor(document());
    cursor.setPosition(found->position);
    setTextCursor(cursor);
    ensureCursorVisible();
    m_notice->say(found->said);
    return true;
}

void ReadingView::keyPressEvent(QKeyEvent *event)
{
    const bool back = event->modifiers() & Qt::ShiftModifier;
    const bool plainKey = !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (plainKey) {
        switch (event->key()) {
        case Qt::Key_H:
            moveTo(Kind::Heading, back);
            return;
        case Qt::Key_T:
            moveTo(Kind::Table, back);
            return;
        case Qt::Key_L:
            moveTo(Kind::List, back);
            return;
        case Qt::Key_K:
            moveTo(Kind::Link, back);
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter: {
            // The link at the caret, as a click on it.
            const QTextCharFormat format = textCursor().charFormat();
            if (format.isAnchor()) {
                follow(format.anchorHref());
                return;
            }
            break;
        }
        default:
            if (event->key() >= Qt::Key_1 && event->key() <= Qt::Key_6) {
                moveTo(Kind::Heading, back, event->key() - Qt::Key_0);
                return;
            }
            break;
        }
    }
    QTextBrowser::keyPressEvent(event);
}

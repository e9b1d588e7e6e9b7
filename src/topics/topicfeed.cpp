#include "topics/topicfeed.h"

#include <QHash>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// A feed bigger than this is no forum topic's.
constexpr qsizetype longestFeed = 4 * 1024 * 1024;

QString decodeEntities(QStringView text)
{
    static const QHash<QString, QString> named = {
        {u"amp"_s, u"&"_s},  {u"lt"_s, u"<"_s},       {u"gt"_s, u">"_s},       {u"quot"_s, u"\""_s},
        {u"apos"_s, u"'"_s}, {u"nbsp"_s, u"\u00a0"_s}, {u"hellip"_s, u"…"_s},   {u"laquo"_s, u"«"_s},
        {u"raquo"_s, u"»"_s}, {u"egrave"_s, u"è"_s},   {u"eacute"_s, u"é"_s},   {u"agrave"_s, u"à"_s},
        {u"igrave"_s, u"ì"_s}, {u"ograve"_s, u"ò"_s},  {u"ugrave"_s, u"ù"_s}};
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype end = text.at(i) == u'&' ? text.indexOf(u';', i) : -1;
        if (end < 0 || end - i > 10) {
            out += text.at(i);
            continue;
        }
        const QStringView name = text.sliced(i + 1, end - i - 1);
        bool ok = false;
        char32_t code = 0;
        if (name.startsWith(u"#x") || name.startsWith(u"#X"))
            code = name.sliced(2).toUInt(&ok, 16);
        else if (name.startsWith(u'#'))
            code = name.sliced(1).toUInt(&ok, 10);
        if (ok && code > 0 && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF)) {
            out += QString::fromUcs4(&code, 1);
        } else if (const auto found = named.constFind(name.toString()); found != named.cend()) {
            out += *found;
        } else {
            out += text.sliced(i, end - i + 1);
        }
        i = end;
    }
    return out;
}

QString oneLine(const QString &text)
{
    return text.simplified();
}

// Elements that never close, and those whose text is never the post's.
bool isVoid(QStringView name)
{
    static const QStringList names = {u"br"_s, u"img"_s, u"hr"_s, u"input"_s, u"meta"_s, u"link"_s, u"wbr"_s};
    return names.contains(name);
}

bool isHidden(QStringView name)
{
    return name == u"script" || name == u"style";
}

QDateTime readDate(const QString &text)
{
    const QString trimmed = text.trimmed();
    QDateTime date = QDateTime::fromString(trimmed, Qt::ISODate);
    if (!date.isValid())
        date = QDateTime::fromString(trimmed, Qt::RFC2822Date);
    return date.isValid() ? date.toUTC() : QDateTime();
}

QString attribute(const QXmlStreamReader &xml, QLatin1StringView name)
{
    return xml.attributes().value(name).toString();
}

// The text of the element the reader is on, its child elements' too (an
// XHTML content) rebuilt as markup, so quotes are found the same way.
QString innerMarkup(QXmlStreamReader &xml)
{
    if (attribute(xml, "type"_L1) != u"xhtml")
        return xml.readElementText(QXmlStreamReader::IncludeChildElements);
    QString markup;
    int depth = 1;
    while (depth > 0 && !xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::StartElement:
            ++depth;
            markup += u'<' + xml.name().toString();
            for (const auto &a : xml.attributes())
                markup += u' ' + a.name().toString() + u"=\""_s + a.value().toString().toHtmlEscaped() + u'"';
            markup += u'>';
            break;
        case QXmlStreamReader::EndElement:
            if (--depth > 0)
                markup += u"</"_s + xml.name().toString() + u'>';
            break;
        case QXmlStreamReader::Characters:
            markup += xml.text().toString().toHtmlEscaped();
            break;
        default:
            break;
        }
    }
    return markup;
}

void finish(FeedEntry &entry, const QString &html)
{
    const PostText::Read read = PostText::fromHtml(html);
    entry.text = read.text;
    entry.quoted = read.quoted;
    if (entry.id.isEmpty())
        entry.id = entry.link.toString();
}

void readAtomEntry(QXmlStreamReader &xml, TopicFeed &feed)
{
    FeedEntry entry;
    QString html;
    QDateTime updated;
    while (xml.readNextStartElement()) {
        const QStringView name = xml.name();
        if (name == u"id") {
            entry.id = xml.readElementText().trimmed();
        } else if (name == u"link") {
            const QString rel = attribute(xml, "rel"_L1);
            if (rel.isEmpty() || rel == u"alternate")
                entry.link = QUrl(attribute(xml, "href"_L1).trimmed());
            xml.skipCurrentElement();
        } else if (name == u"author") {
            while (xml.readNextStartElement()) {
                if (xml.name() == u"name")
                    entry.author = oneLine(xml.readElementText());
                else
                    xml.skipCurrentElement();
            }
        } else if (name == u"published") {
            entry.date = readDate(xml.readElementText());
        } else if (name == u"updated") {
            updated = readDate(xml.readElementText());
        } else if (name == u"content" || (name == u"summary" && html.isEmpty())) {
            html = innerMarkup(xml);
        } else {
            xml.skipCurrentElement();
        }
    }
    if (!entry.date.isValid())
        entry.date = updated;
    finish(entry, html);
    feed.entries.append(entry);
}

void readAtom(QXmlStreamReader &xml, TopicFeed &feed)
{
    while (xml.readNextStartElement()) {
        const QStringView name = xml.name();
        if (name == u"title") {
            feed.title = oneLine(decodeEntities(innerMarkup(xml)).remove(QRegularExpression(u"<[^>]*>"_s)));
        } else if (name == u"link") {
            const QString rel = attribute(xml, "rel"_L1);
            if (rel.isEmpty() || rel == u"alternate")
                feed.page = QUrl(attribute(xml, "href"_L1).trimmed());
            xml.skipCurrentElement();
        } else if (name == u"entry") {
            readAtomEntry(xml, feed);
        } else {
            xml.skipCurrentElement();
        }
    }
}

void readRssItem(QXmlStreamReader &xml, TopicFeed &feed)
{
    FeedEntry entry;
    QString html;
    while (xml.readNextStartElement()) {
        const QStringView name = xml.name();
        if (name == u"guid") {
            entry.id = xml.readElementText().trimmed();
        } else if (name == u"link") {
            entry.link = QUrl(xml.readElementText().trimmed());
        } else if (name == u"author" || name == u"creator") {
            // RSS's author is an e-mail with the name in brackets;
            // dc:creator the name alone.
            QString author = oneLine(xml.readElementText());
            static const QRegularExpression bracketed(u"\\(([^)]*)\\)\\s*$"_s);
            if (const auto match = bracketed.match(author); match.hasMatch())
                author = match.captured(1).trimmed();
            if (entry.author.isEmpty() || name == u"creator")
                entry.author = author;
        } else if (name == u"pubDate") {
            entry.date = readDate(xml.readElementText());
        } else if (name == u"description" || name == u"encoded") {
            html = xml.readElementText();
        } else {
            xml.skipCurrentElement();
        }
    }
    finish(entry, html);
    feed.entries.append(entry);
}

void readRss(QXmlStreamReader &xml, TopicFeed &feed)
{
    while (xml.readNextStartElement()) {
        if (xml.name() != u"channel") {
            xml.skipCurrentElement();
            continue;
        }
        while (xml.readNextStartElement()) {
            const QStringView name = xml.name();
            if (name == u"title")
                feed.title = oneLine(xml.readElementText());
            else if (name == u"link" && xml.namespaceUri().isEmpty())
                feed.page = QUrl(xml.readElementText().trimmed());
            else if (name == u"item")
                readRssItem(xml, feed);
            else
                xml.skipCurrentElement();
        }
    }
}

} // namespace

std::optional<TopicFeed> TopicFeed::read(const QByteArray &bytes, QString *reason)
{
    const auto fail = [reason](const QString &why) -> std::optional<TopicFeed> {
        if (reason)
            *reason = why;
        return std::nullopt;
    };
    if (bytes.size() > longestFeed)
        return fail(u"troppo grande"_s);
    QXmlStreamReader xml(bytes);
    xml.setNamespaceProcessing(true);
    while (!xml.atEnd() && xml.readNext() != QXmlStreamReader::StartElement) {
        // No feed defines entities of its own: a document that does may
        // be built to swell as it is read.
        if (xml.tokenType() == QXmlStreamReader::DTD && !xml.entityDeclarations().isEmpty())
            return fail(u"definisce entità"_s);
    }
    if (xml.tokenType() != QXmlStreamReader::StartElement)
        return fail(xml.hasError() ? xml.errorString() : u"vuoto"_s);
    TopicFeed feed;
    if (xml.name() == u"feed")
        readAtom(xml, feed);
    else if (xml.name() == u"rss")
        readRss(xml, feed);
    else
        return fail(u"non è un feed"_s);
    if (xml.hasError())
        return fail(xml.errorString());
    // Newest last, whatever the order the forum lists them in.
    std::stable_sort(feed.entries.begin(), feed.entries.end(),
                     [](const FeedEntry &a, const FeedEntry &b) { return a.date < b.date; });
    return feed;
}

namespace PostText {

Read fromHtml(const QString &html)
{
    struct Open
    {
        QString name;
        bool quote;
    };
    Read read;
    QList<Open> open;
    QString own;
    QString heading;
    // 0: outside any attribution; 1: in a <cite>, or a quote's first heading.
    int inHeading = 0;
    bool quoteHeadingTaken = false;
    const auto inQuote = [&open] {
        return std::any_of(open.cbegin(), open.cend(), [](const Open &o) { return o.quote; });
    };
    const auto hidden = [&open] {
        return std::any_of(open.cbegin(), open.cend(), [](const Open &o) { return isHidden(o.name); });
    };
    static const QRegularExpression tagName(u"^</?\\s*([a-zA-Z0-9]+)"_s);
    static const QRegularExpression quoteClass(u"class\\s*=\\s*[\"']?[^\"'>]*quote"_s,
                                               QRegularExpression::CaseInsensitiveOption);
    qsizetype i = 0;
    while (i < html.size()) {
        const qsizetype lt = html.indexOf(u'<', i);
        const QStringView text = QStringView(html).sliced(i, (lt < 0 ? html.size() : lt) - i);
        if (!hidden()) {
            if (inHeading)
                heading += text;
            else if (!inQuote())
                own += text.toString() + u' ';
        }
        if (lt < 0)
            break;
        const qsizetype gt = html.indexOf(u'>', lt);
        if (gt < 0)
            break;
        const QString tag = html.sliced(lt, gt - lt + 1);
        i = gt + 1;
        const auto match = tagName.match(tag);
        if (!match.hasMatch())
            continue;
        const QString name = match.captured(1).toLower();
        const bool closing = tag.startsWith(u"</");
        const bool heads = name == u"cite" || (name.size() == 2 && name.front() == u'h' && name.back().isDigit());
        if (closing) {
            if (inHeading && heads) {
                inHeading = 0;
                const QString who = oneLine(decodeEntities(heading));
                if (!who.isEmpty())
                    read.quoted.append(who);
                heading.clear();
            }
            for (qsizetype k = open.size() - 1; k >= 0; --k) {
                if (open.at(k).name == name) {
                    open.resize(k);
                    break;
                }
            }
            continue;
        }
        if (isVoid(name) || tag.endsWith(u"/>")) {
            if (name == u"br" && !inQuote())
                own += u' ';
            continue;
        }
        const bool quote = name == u"blockquote" || quoteClass.match(tag).hasMatch();
        if (quote && !inQuote())
            quoteHeadingTaken = false;
        if (name == u"cite" || (heads && inQuote() && !quoteHeadingTaken)) {
            inHeading = 1;
            quoteHeadingTaken = true;
        }
        open.append({name, quote});
    }
    QString words = oneLine(decodeEntities(own));
    // BBCode, where a feed gives the post as written.
    static const QRegularExpression bbQuote(u"\\[quote=\"?([^\\]\";]+)\"?[^\\]]*\\]"_s,
                                            QRegularExpression::CaseInsensitiveOption);
    for (auto it = bbQuote.globalMatch(words); it.hasNext();)
        read.quoted.append(it.next().captured(1).trimmed());
    static const QRegularExpression bbQuoteBlock(u"\\[quote[^\\]]*\\].*?\\[/quote\\]"_s,
                                                 QRegularExpression::CaseInsensitiveOption
                                                     | QRegularExpression::DotMatchesEverythingOption);
    words.remove(bbQuoteBlock);
    read.text = oneLine(words);
    return read;
}

} // namespace PostText

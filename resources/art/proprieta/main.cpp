// Draws the help picture of a browser's "Proprietà" dialog for an image (359 x 447 px),
// the way a classic grey Windows dialog looked, with the image's address selected.
//
// Usage: proprieta <output.png>      (run it with QT_QPA_PLATFORM=offscreen)
//
// Everything is laid out by hand at fixed pixel positions, as in a dialog template.

#include <QApplication>
#include <QFont>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QPushButton>
#include <QStyle>
#include <QStyleFactory>
#include <QTabWidget>
#include <QWidget>

#include <cstdio>

namespace {

constexpr int kWidth = 359;
constexpr int kHeight = 447;
constexpr int kBorder = 4;       // window frame
constexpr int kTitle = 18;       // title bar height

const QColor kFace(0xD4, 0xD0, 0xC8);
const QColor kShadow(0x80, 0x80, 0x80);
const QColor kDark(0x40, 0x40, 0x40);
const QColor kSelection(0x0A, 0x24, 0x6A);

QFont dialogFont(bool bold = false)
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(11);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

// The 18 x 18 emoticon whose properties the dialog shows.
QImage emoticon()
{
    QImage image(18, 18, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient face(QPointF(7, 6), 10);
    face.setColorAt(0, QColor(0xFF, 0xFF, 0xA0));
    face.setColorAt(0.6, QColor(0xFF, 0xE0, 0x20));
    face.setColorAt(1, QColor(0xF0, 0xA0, 0x00));
    p.setPen(QPen(QColor(0x60, 0x30, 0x00), 1));
    p.setBrush(face);
    p.drawEllipse(QRectF(0.5, 0.5, 17, 17));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x20, 0x10, 0x00));
    p.drawEllipse(QRectF(5, 5, 2.2, 3.4));
    p.drawEllipse(QRectF(10.8, 5, 2.2, 3.4));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0x20, 0x10, 0x00), 1.4, Qt::SolidLine, Qt::RoundCap));
    QPainterPath smile;
    smile.moveTo(4.5, 10.5);
    smile.quadTo(9, 16, 13.5, 10.5);
    p.drawPath(smile);
    return image;
}

// A horizontal etched line, as between groups of fields.
QFrame *etchedLine(QWidget *parent, int x, int y, int width)
{
    auto *line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(x, y, width, 2);
    return line;
}

QLabel *label(QWidget *parent, const QString &text, int x, int y, int width, int height = 14)
{
    auto *l = new QLabel(text, parent);
    l->setFont(dialogFont());
    l->setGeometry(x, y, width, height);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return l;
}

// A title bar button of the classic kind: raised 3D box with a glyph.
void drawCaptionButton(QPainter &p, const QRect &r, bool close)
{
    p.fillRect(r, kFace);
    p.setPen(Qt::white);
    p.drawLine(r.topLeft(), r.topRight() - QPoint(1, 0));
    p.drawLine(r.topLeft(), r.bottomLeft() - QPoint(0, 1));
    p.setPen(kDark);
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
    p.setPen(kShadow);
    p.drawLine(r.bottomLeft() + QPoint(1, -1), r.bottomRight() + QPoint(-1, -1));
    p.drawLine(r.topRight() + QPoint(-1, 1), r.bottomRight() + QPoint(-1, -1));
    p.setPen(Qt::black);
    if (close) {
        // an x of two-pixel strokes, 8 x 7
        const int x = r.left() + 4, y = r.top() + 3;
        for (int i = 0; i < 7; ++i) {
            p.drawLine(x + i, y + i, x + i + 1, y + i);
            p.drawLine(x + 7 - i, y + i, x + 6 - i, y + i);
        }
    } else {
        QFont f = dialogFont(true);
        f.setPixelSize(11);
        p.setFont(f);
        p.drawText(r.adjusted(1, 0, 0, -1), Qt::AlignCenter, QStringLiteral("?"));
    }
}

// The whole window: frame and title bar painted here, the dialog's controls are children.
class DialogPicture : public QWidget
{
public:
    DialogPicture()
    {
        setFixedSize(kWidth, kHeight);
        buildContents();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        const QRect all = rect();
        p.fillRect(all, kFace);
        // raised window frame: face/white outside, grey/dark-grey inside
        p.setPen(kFace);
        p.drawLine(0, 0, all.right() - 1, 0);
        p.drawLine(0, 0, 0, all.bottom() - 1);
        p.setPen(Qt::white);
        p.drawLine(1, 1, all.right() - 2, 1);
        p.drawLine(1, 1, 1, all.bottom() - 2);
        p.setPen(kDark);
        p.drawLine(0, all.bottom(), all.right(), all.bottom());
        p.drawLine(all.right(), 0, all.right(), all.bottom());
        p.setPen(kShadow);
        p.drawLine(1, all.bottom() - 1, all.right() - 1, all.bottom() - 1);
        p.drawLine(all.right() - 1, 1, all.right() - 1, all.bottom() - 1);

        // active title bar
        const QRect title(kBorder, kBorder, kWidth - 2 * kBorder, kTitle);
        QLinearGradient g(title.topLeft(), title.topRight());
        g.setColorAt(0, kSelection);
        g.setColorAt(1, QColor(0xA6, 0xCA, 0xF0));
        p.fillRect(title, g);
        p.setFont(dialogFont(true));
        p.setPen(Qt::white);
        p.drawText(title.adjusted(5, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Propriet\u00E0"));

        const QRect closeBox(title.right() - 2 - 15, title.top() + 2, 16, 14);
        drawCaptionButton(p, closeBox, true);
        drawCaptionButton(p, closeBox.translated(-18, 0), false);
    }

private:
    void buildContents()
    {
        const int clientTop = kBorder + kTitle + 1;
        const int clientLeft = kBorder;
        const int clientWidth = kWidth - 2 * kBorder;

        auto *tabs = new QTabWidget(this);
        tabs->setFont(dialogFont());
        tabs->setGeometry(clientLeft + 6, clientTop + 6, clientWidth - 12, 378);
        auto *page = new QWidget;
        tabs->addTab(page, QStringLiteral("Generale"));

        const int pageWidth = clientWidth - 12 - 6;
        const int left = 12;
        const int valueX = 128;
        const int valueWidth = pageWidth - valueX - 10;

        // preview of the picture, then its name
        auto *preview = new QLabel(page);
        preview->setPixmap(QPixmap::fromImage(emoticon()));
        preview->setGeometry(left + 7, 14, 18, 18);
        label(page, QStringLiteral("21.gif"), valueX, 16, valueWidth);

        etchedLine(page, left, 46, pageWidth - 2 * left);

        int y = 60;
        const int step = 28;
        label(page, QStringLiteral("Protocollo:"), left, y, valueX - left);
        label(page, QStringLiteral("HyperText Transfer Protocol"), valueX, y, valueWidth);
        y += step;
        label(page, QStringLiteral("Tipo:"), left, y, valueX - left);
        label(page, QStringLiteral("Immagine GIF"), valueX, y, valueWidth);
        y += step;
        label(page, QStringLiteral("Indirizzo (URL):"), left, y, valueX - left);
        // the address, selected: each line highlighted as in an edit control with all of its text selected
        auto *address = new QLabel(page);
        address->setFont(dialogFont());
        address->setTextFormat(Qt::RichText);
        const QString sel = QStringLiteral("<span style=\"background-color:#0A246A; color:#FFFFFF;\">%1</span>");
        address->setText(sel.arg(QStringLiteral("http://www.velmora.it/iconario/"))
                         + QStringLiteral("<br>")
                         + sel.arg(QStringLiteral("Yahoo/21.gif")));
        address->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        address->setGeometry(valueX, y, valueWidth, 32);
        y += step + 14;
        label(page, QStringLiteral("Dimensioni:"), left, y, valueX - left);
        label(page, QStringLiteral("1.024 byte"), valueX, y, valueWidth);
        y += step;
        label(page, QStringLiteral("Data creazione:"), left, y, valueX - left);
        label(page, QStringLiteral("Non disponibile"), valueX, y, valueWidth);
        y += step;
        label(page, QStringLiteral("Data modifica:"), left, y, valueX - left);
        label(page, QStringLiteral("Non disponibile"), valueX, y, valueWidth);
        y += step - 6;

        etchedLine(page, left, y, pageWidth - 2 * left);
        y += 14;
        label(page, QStringLiteral("Dimensioni immagine:"), left, y, valueX - left);
        label(page, QStringLiteral("18 x 18 pixel"), valueX, y, valueWidth);

        // the buttons under the tab
        const int buttonY = kHeight - kBorder - 8 - 23;
        auto *cancel = new QPushButton(QStringLiteral("Annulla"), this);
        cancel->setFont(dialogFont());
        cancel->setGeometry(kWidth - kBorder - 7 - 75, buttonY, 75, 23);
        auto *ok = new QPushButton(QStringLiteral("OK"), this);
        ok->setFont(dialogFont());
        ok->setGeometry(cancel->x() - 6 - 75, buttonY, 75, 23);
        ok->setDefault(true);
    }
};

QPalette classicPalette()
{
    QPalette pal;
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        pal.setColor(group, QPalette::Window, kFace);
        pal.setColor(group, QPalette::Button, kFace);
        pal.setColor(group, QPalette::Base, Qt::white);
        pal.setColor(group, QPalette::Light, Qt::white);
        pal.setColor(group, QPalette::Midlight, kFace);
        pal.setColor(group, QPalette::Mid, kShadow);
        pal.setColor(group, QPalette::Dark, kShadow);
        pal.setColor(group, QPalette::Shadow, kDark);
        pal.setColor(group, QPalette::WindowText, Qt::black);
        pal.setColor(group, QPalette::ButtonText, Qt::black);
        pal.setColor(group, QPalette::Text, Qt::black);
        pal.setColor(group, QPalette::Highlight, kSelection);
        pal.setColor(group, QPalette::HighlightedText, Qt::white);
    }
    return pal;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output.png>\n", argv[0]);
        return 2;
    }
    QApplication app(argc, argv);
    if (QStyle *style = QStyleFactory::create(QStringLiteral("Windows")))
        QApplication::setStyle(style);
    QApplication::setPalette(classicPalette());
    QApplication::setFont(dialogFont());

    DialogPicture dialog;
    dialog.ensurePolished();
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    image.fill(kFace);
    dialog.render(&image);
    if (!image.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}

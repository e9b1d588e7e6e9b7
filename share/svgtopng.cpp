// Draws an SVG into a square PNG of the given size, for the icon sizes
// desktops look for. Run at build time: svgtopng <in.svg> <pixels> <out.png>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char *argv[])
{
    // The icon is paths only: no fonts, so no application object is needed.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    bool sized = false;
    const int pixels = arguments.size() == 4 ? arguments.at(2).toInt(&sized) : 0;
    if (!sized || pixels <= 0) {
        std::fputs("usage: svgtopng <in.svg> <pixels> <out.png>\n", stderr);
        return 2;
    }
    QSvgRenderer renderer(arguments.at(1));
    if (!renderer.isValid()) {
        std::fprintf(stderr, "svgtopng: cannot read %s\n", qPrintable(arguments.at(1)));
        return 1;
    }
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    const QString out = arguments.at(3);
    if (!QDir().mkpath(QFileInfo(out).path()) || !image.save(out, "PNG")) {
        std::fprintf(stderr, "svgtopng: cannot write %s\n", qPrintable(out));
        return 1;
    }
    return 0;
}

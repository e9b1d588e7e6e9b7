#include "app/navigationbar.h"

#include "gui/picturebutton.h"
#include "gui/controls.h"
#include "gui/twips.h"

#include <QIcon>
#include <QPainter>
#include <QSvgRenderer>

namespace {

constexpr double buttonLefts[NavigationBar::buttonCount] = {135, 1140, 2145, 3150, 4155, 5400};
constexpr double buttonTop = 120;
constexpr double buttonSize = 975;

QString tooltip(int index)
{
    static const QString tips[NavigationBar::buttonCount] = {
        QStringLiteral("Indietro"), QStringLiteral("Avanti"),          QStringLiteral("Aggiorna"),
        QStringLiteral("Termina"),  QStringLiteral("Home Page Forum"), QStringLiteral("Attiva Iconario"),
    };
    return tips[index];
}

// What a screen reader says for each button: what it does, in words a
// member would use, where the tooltips keep their old wording.
QString spokenName(int index)
{
    static const QString names[NavigationBar::buttonCount] = {
        QStringLiteral("Indietro"),
        QStringLiteral("Avanti"),
        QStringLiteral("Ricarica"),
        QStringLiteral("Interrompi"),
        QStringLiteral("Pagina iniziale del forum"),
        QStringLiteral("Iconario"),
    };
    return names[index];
}

// The pictures are drawn at 60 x 60 and shown stretched to the button, so
// they are rendered once at the size they are shown.
QPixmap picture(const QString &resource, const QWidget *on)
{
    const qreal ratio = on->devicePixelRatioF();
    const int side = Twips::toPixels(buttonSize);
    QPixmap pixmap(QSize(side, side) * ratio);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(resource);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    painter.end();
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

} // namespace

NavigationBar::NavigationBar(QWidget *window)
    : QObject(window)
{
    for (int i = 0; i < buttonCount; ++i) {
        QIcon pictures;
        pictures.addPixmap(picture(QStringLiteral(":/nav/%1_off.svg").arg(i), window), QIcon::Normal);
        pictures.addPixmap(picture(QStringLiteral(":/nav/%1_on.svg").arg(i), window), QIcon::Active);

        auto *button = new PictureButton(window);
        button->setObjectName(QStringLiteral("imgNavy%1").arg(i));
        button->setToolTip(tooltip(i));
        button->setAccessibleName(spokenName(i));
        button->setIcon(pictures);
        Controls::place(button, buttonLefts[i], buttonTop, buttonSize, buttonSize);
        connect(button, &PictureButton::clicked, this, [this, i] { emit buttonClicked(i); });
        m_imgNavy.append(button);
    }
}

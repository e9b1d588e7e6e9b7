#include "browser/navigationbar.h"

#include "browser/picturebutton.h"
#include "gui/controls.h"
#include "gui/twips.h"

#include <QLabel>
#include <QPainter>
#include <QSvgRenderer>

namespace {

constexpr double buttonLefts[NavigationBar::buttonCount] = {135, 1140, 2145, 3150, 4155, 5400};
constexpr double buttonTop = 120;
constexpr double buttonSize = 975;

QString tooltip(int index)
{
    static const QString tips[NavigationBar::buttonCount] = {
        QStringLiteral("Indietro"), QStringLiteral("Avanti"), QStringLiteral("Aggiorna"),
        QStringLiteral("Termina"), QStringLiteral("Home Page Forum"), QStringLiteral("Attiva Iconario"),
    };
    return tips[index];
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

QLabel *hiddenPicture(QWidget *window, const QString &name, const QPixmap &pixmap)
{
    auto *label = new QLabel(window);
    label->setObjectName(name);
    label->setPixmap(pixmap);
    label->hide();
    return label;
}

} // namespace

NavigationBar::NavigationBar(QWidget *window)
    : QObject(window)
{
    for (int i = 0; i < buttonCount; ++i) {
        const QString number = QString::number(i);
        m_imgOn.append(hiddenPicture(window, QStringLiteral("imgOn") + number,
                                     picture(QStringLiteral(":/nav/%1_on.svg").arg(i), window)));
        m_imgOff.append(hiddenPicture(window, QStringLiteral("imgOff") + number,
                                      picture(QStringLiteral(":/nav/%1_off.svg").arg(i), window)));

        auto *button = new PictureButton(window);
        button->setObjectName(QStringLiteral("imgNavy") + number);
        button->setToolTip(tooltip(i));
        Controls::place(button, buttonLefts[i], buttonTop, buttonSize, buttonSize);
        button->setPixmap(m_imgOff.at(i)->pixmap());
        connect(button, &PictureButton::clicked, this, [this, i] { emit buttonClicked(i); });
        connect(button, &PictureButton::pointerMoved, this, [this, i] { imgNavy_MouseMove(i); });
        connect(button, &PictureButton::pointerLeft, this, [this, i] {
            m_imgNavy.at(i)->setPixmap(m_imgOff.at(i)->pixmap());
        });
        m_imgNavy.append(button);
    }
}

void NavigationBar::imgNavy_MouseMove(int Index)
{
    for (int i = 0; i < buttonCount; ++i)
        m_imgNavy.at(i)->setPixmap((i == Index ? m_imgOn : m_imgOff).at(i)->pixmap());
}

void NavigationBar::restAll()
{
    for (int i = 0; i < buttonCount; ++i)
        m_imgNavy.at(i)->setPixmap(m_imgOff.at(i)->pixmap());
}

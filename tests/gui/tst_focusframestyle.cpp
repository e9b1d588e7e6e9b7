#include "gui/controls.h"
#include "gui/focusframestyle.h"
#include "gui/listbox.h"

#include <QApplication>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QScrollArea>
#include <QTest>

#include <cmath>

namespace {

// WCAG's contrast ratio of two colours, from 1 to 21.
double contrast(const QColor &a, const QColor &b)
{
    const auto luminance = [](const QColor &c) {
        const auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

} // namespace

// The keyboard's focus wears the program's frame: on push buttons, and just
// outside lists and scrolling areas.
class tst_FocusFrameStyle : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setStyle(new FocusFrameStyle); }

    void frameStandsOut_data();
    void frameStandsOut();
    void framedOnlyByKeyboard_data();
    void framedOnlyByKeyboard();
    void listsFramedWhileFocused_data();
    void listsFramedWhileFocused();
};

void tst_FocusFrameStyle::frameStandsOut_data()
{
    QTest::addColumn<QColor>("ground");
    QTest::addColumn<double>("least");
    // Seen on the windows' orange, and not to be taken for the bar's blue lines.
    QTest::newRow("orange") << Controls::orange() << 3.0;
    QTest::newRow("blue lines") << Controls::blue() << 2.0;
}

void tst_FocusFrameStyle::frameStandsOut()
{
    QFETCH(QColor, ground);
    QFETCH(double, least);
    QVERIFY2(contrast(FocusFrameStyle::frameColour(), ground) >= least,
             qPrintable(QString::number(contrast(FocusFrameStyle::frameColour(), ground))));
}

void tst_FocusFrameStyle::framedOnlyByKeyboard_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("framed");
    QTest::newRow("Tab") << int(Qt::Key_Tab) << true;
    QTest::newRow("Shift+Tab") << int(Qt::Key_Backtab) << true;
    QTest::newRow("a click") << 0 << false;
}

void tst_FocusFrameStyle::framedOnlyByKeyboard()
{
    QFETCH(int, key);
    QFETCH(bool, framed);
    QWidget window;
    auto *other = new QPushButton(QStringLiteral("Altro"), &window);
    auto *button = new QPushButton(QStringLiteral("Iconario"), &window);
    button->setGeometry(0, 40, 100, 24);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    other->setFocus();
    if (key)
        QTest::keyClick(other, Qt::Key(key));
    else
        QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(button->hasFocus());
    const QImage picture = button->grab().toImage();
    int edge = 0;
    for (int x = 0; x < picture.width(); ++x)
        edge += QColor(picture.pixel(x, 0)) == FocusFrameStyle::frameColour();
    QCOMPARE(edge > picture.width() / 2, framed);
}

void tst_FocusFrameStyle::listsFramedWhileFocused_data()
{
    QTest::addColumn<bool>("scrollingArea");
    QTest::addColumn<bool>("byKeyboard");
    QTest::newRow("list, Tab") << false << true;
    QTest::newRow("list, a click") << false << false;
    QTest::newRow("scrolling area, Tab") << true << true;
}

void tst_FocusFrameStyle::listsFramedWhileFocused()
{
    QFETCH(bool, scrollingArea);
    QFETCH(bool, byKeyboard);
    QProxyStyle otherStyle;
    QWidget window;
    Controls::setColours(&window, Qt::black, Controls::orange());
    window.resize(200, 200);
    auto *edit = new QLineEdit(&window);
    edit->setGeometry(10, 10, 100, 20);
    QWidget *list = nullptr;
    if (scrollingArea) {
        auto *area = new QScrollArea(&window);
        area->setFrameShape(QFrame::NoFrame);
        FocusFrameStyle::frameWhileFocused(area);
        list = area;
    } else {
        auto *names = new ListBox(&window);
        names->setItems({QStringLiteral("gatto"), QStringLiteral("cane")});
        list = names;
    }
    list->setGeometry(20, 60, 120, 100);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    edit->setFocus();

    const QPoint outside = list->geometry().topLeft() + QPoint(-1, list->height() / 2);
    const auto framed = [&] { return window.grab().toImage().pixelColor(outside) == FocusFrameStyle::frameColour(); };
    QVERIFY(!framed());
    if (byKeyboard)
        QTest::keyClick(edit, Qt::Key_Tab);
    else
        QTest::mouseClick(list, Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(list->hasFocus());
    QCOMPARE(framed(), byKeyboard);
    list->setStyle(&otherStyle);
    QCOMPARE(framed(), byKeyboard);
    edit->setFocus(Qt::BacktabFocusReason);
    QVERIFY(!framed());
}

QTEST_MAIN(tst_FocusFrameStyle)
#include "tst_focusframestyle.moc"

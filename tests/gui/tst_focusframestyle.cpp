#include "gui/controls.h"
#include "gui/focusframestyle.h"
#include "gui/listbox.h"

#include <QApplication>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QScrollArea>
#include <QTest>

// The keyboard's focus wears the program's frame: on push buttons, and just
// outside lists and scrolling areas.
class tst_FocusFrameStyle : public QObject
{
    Q_OBJECT

private slots:
    void frameStandsOut();
    void framedOnlyByKeyboard_data();
    void framedOnlyByKeyboard();
    void listsFramedWhileFocused_data();
    void listsFramedWhileFocused();
};

// Very dark, plain on the windows' orange, and not the bar's blue lines.
void tst_FocusFrameStyle::frameStandsOut()
{
    QVERIFY(FocusFrameStyle::frameColour().lightnessF() < 0.2);
    QVERIFY(FocusFrameStyle::frameColour() != Controls::blue());
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
    QApplication::setStyle(new FocusFrameStyle);
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
    auto *edit = new QLineEdit(&window);
    QWidget *list = scrollingArea ? static_cast<QWidget *>(new QScrollArea(&window)) : new ListBox(&window);
    if (scrollingArea)
        FocusFrameStyle::frameWhileFocused(list);
    list->setGeometry(20, 60, 120, 100);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    edit->setFocus();
    const QPoint outside = list->geometry().topLeft() + QPoint(-1, 50);
    const auto framed = [&] { return window.grab().toImage().pixelColor(outside) == FocusFrameStyle::frameColour(); };
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

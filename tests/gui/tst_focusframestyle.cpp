#include "gui/controls.h"
#include "gui/focusframestyle.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>

// A push button with the keyboard's focus wears the program's blue frame.
class tst_FocusFrameStyle : public QObject
{
    Q_OBJECT

private slots:
    void framedOnlyByKeyboard_data();
    void framedOnlyByKeyboard();
};

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
    int blue = 0;
    for (int x = 0; x < picture.width(); ++x)
        blue += QColor(picture.pixel(x, 0)) == Controls::blue();
    QCOMPARE(blue > picture.width() / 2, framed);
}

QTEST_MAIN(tst_FocusFrameStyle)
#include "tst_focusframestyle.moc"

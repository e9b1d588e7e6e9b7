#include "gui/picturebutton.h"
#include "gui/focusframestyle.h"

#include <QAccessible>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTestEventList>

class tst_PictureButton : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void clicksOnce_data();
    void clicksOnce();
    void tabFocusIsFramed();

private:
    std::unique_ptr<QWidget> m_window;
    QLineEdit *m_edit = nullptr;
    PictureButton *m_button = nullptr;
};

void tst_PictureButton::init()
{
    m_window = std::make_unique<QWidget>();
    m_window->resize(200, 100);
    m_edit = new QLineEdit(m_window.get());
    m_edit->setGeometry(0, 0, 100, 20);
    m_button = new PictureButton(m_window.get());
    m_button->setText(QStringLiteral("CHIUDI"));
    m_button->setGeometry(0, 40, 100, 30);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    m_edit->setFocus();
}

void tst_PictureButton::cleanup()
{
    m_window.reset();
}

void tst_PictureButton::clicksOnce_data()
{
    QTest::addColumn<QTestEventList>("events");
    const QPoint centre(50, 15);
    QTestEventList click;
    click.addMouseClick(Qt::LeftButton, {}, centre);
    // As the window system gives a double-click: its second press comes
    // with a double-click event.
    QTestEventList doubleClick;
    doubleClick.addMouseClick(Qt::LeftButton, {}, centre);
    doubleClick.addMousePress(Qt::LeftButton, {}, centre);
    doubleClick.addMouseDClick(Qt::LeftButton, {}, centre);
    doubleClick.addMouseRelease(Qt::LeftButton, {}, centre);
    QTestEventList space;
    space.addKeyClick(Qt::Key_Space);
    QTestEventList enter;
    enter.addKeyClick(Qt::Key_Enter, Qt::KeypadModifier);
    QTestEventList ret;
    ret.addKeyClick(Qt::Key_Return);
    QTest::newRow("click") << click;
    QTest::newRow("double-click") << doubleClick;
    QTest::newRow("Space") << space;
    QTest::newRow("Enter") << enter;
    QTest::newRow("Return") << ret;
}

void tst_PictureButton::clicksOnce()
{
    QFETCH(QTestEventList, events);
    QSignalSpy clicked(m_button, &PictureButton::clicked);
    events.simulate(m_button);
    QCOMPARE(clicked.size(), 1);
    // A click leaves the focus where the member was writing.
    QVERIFY(m_edit->hasFocus());
}

void tst_PictureButton::tabFocusIsFramed()
{
    auto frameShown = [this] { return m_button->grab().toImage().pixelColor(0, 0) == FocusFrameStyle::frameColour(); };
    QVERIFY(!frameShown());
    QTest::keyClick(m_edit, Qt::Key_Tab);
    QVERIFY(m_button->hasFocus());
    QVERIFY(frameShown());
    QTest::keyClick(m_button, Qt::Key_Tab);
    QVERIFY(m_edit->hasFocus());
    QVERIFY(!frameShown());

    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(m_button);
    QVERIFY(accessible);
    QCOMPARE(accessible->role(), QAccessible::Button);
}

QTEST_MAIN(tst_PictureButton)
#include "tst_picturebutton.moc"

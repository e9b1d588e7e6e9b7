#include "gui/twips.h"
#include "help/frmichelp.h"
#include "modalwatch.h"
#include "testcontext.h"

#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

QPoint centreOf(QWidget *w)
{
    return w->mapTo(w->window(), w->rect().center());
}

} // namespace

class tst_frmICHelp : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void window();
    void buttonOpensItsWindowModally_data();
    void buttonOpensItsWindowModally();
    void showModalReturnsWhenClosed();
    void escCloses_data();
    void escCloses();

private:
    TestContext m_test;
};

void tst_frmICHelp::init() { }

void tst_frmICHelp::cleanup()
{
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
}

void tst_frmICHelp::window()
{
    frmICHelp menu(m_test.context);
    QCOMPARE(menu.windowTitle(), u"Set Emoticons Personali"_s);
    QCOMPARE(menu.size(), QSize(Twips::toPixels(6795), Twips::toPixels(3765)));
    QCOMPARE(menu.minimumSize(), menu.maximumSize());
    QVERIFY(menu.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!menu.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!menu.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    QCOMPARE(menu.palette().color(QPalette::Window), QColor(255, 128, 0));
    QCOMPARE(menu.font().pointSizeF(), 8.25);
}

void tst_frmICHelp::buttonOpensItsWindowModally_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("closer");
    QTest::newRow("Command1") << u"Command1"_s << u"frmHowDoesItWork"_s << u"Command1"_s;
    QTest::newRow("Command2") << u"Command2"_s << u"frmHowToGetImgInfo"_s << u"Command1"_s;
    QTest::newRow("Command3") << u"Command3"_s << u"frmErrorsInPersonalSet"_s << u"Command1"_s;
    QTest::newRow("Command4") << u"Command4"_s << u"frmGestionePersonali"_s << u"cmdEsci"_s;
}

void tst_frmICHelp::buttonOpensItsWindowModally()
{
    QFETCH(QString, button);
    QFETCH(QString, window);
    QFETCH(QString, closer);

    frmICHelp menu(m_test.context);
    menu.show();
    QVERIFY(QTest::qWaitForWindowActive(&menu));
    auto *close = menu.findChild<QPushButton *>(u"Command5"_s);

    bool checked = false;
    QPointer<QDialog> opened;
    whenModal(window, [&](QDialog *dialog) {
        opened = dialog;
        QVERIFY(dialog->isWindow());
        QCOMPARE(dialog->parentWidget(), &menu); // stacked over the menu
        QCOMPARE(dialog->windowModality(), Qt::ApplicationModal);
        // The menu ignores the pointer meanwhile: its close button does nothing.
        QTest::mouseClick(menu.windowHandle(), Qt::LeftButton, {}, centreOf(close));
        QVERIFY(menu.isVisible());
        auto *done = dialog->findChild<QPushButton *>(closer);
        QVERIFY(done);
        QTest::mouseClick(done, Qt::LeftButton);
        QVERIFY(!dialog->isVisible());
        checked = true;
    });
    QTest::mouseClick(menu.findChild<QPushButton *>(button), Qt::LeftButton);
    QVERIFY(checked);
    // Built for one showing only: gone once closed.
    QVERIFY(opened.isNull());
    QVERIFY(menu.isVisible());

    // Input is back with the menu.
    QTest::mouseClick(menu.windowHandle(), Qt::LeftButton, {}, centreOf(close));
    QTRY_VERIFY(!menu.isVisible());
}

void tst_frmICHelp::showModalReturnsWhenClosed()
{
    bool seen = false;
    whenModal(u"frmICHelp"_s, [&](QDialog *menu) {
        seen = true;
        QCOMPARE(menu->parentWidget(), nullptr);
        QTest::mouseClick(menu->findChild<QPushButton *>(u"Command5"_s), Qt::LeftButton);
        QVERIFY(!menu->isVisible());
    });
    frmICHelp::showModal(m_test.context);
    QVERIFY(seen);
}

void tst_frmICHelp::escCloses_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("window");
    QTest::newRow("menu") << QString() << u"frmICHelp"_s;
    QTest::newRow("Command1") << u"Command1"_s << u"frmHowDoesItWork"_s;
    QTest::newRow("Command2") << u"Command2"_s << u"frmHowToGetImgInfo"_s;
    QTest::newRow("Command3") << u"Command3"_s << u"frmErrorsInPersonalSet"_s;
}

// Opened as the program opens them, each help window closes on Esc; a
// window opened from the menu leaves the menu open.
void tst_frmICHelp::escCloses()
{
    QFETCH(QString, button);
    QFETCH(QString, window);
    bool closed = false;
    whenModal(window, [&](QDialog *dialog) {
        QTest::keyClick(dialog->focusWidget() ? dialog->focusWidget() : dialog, Qt::Key_Escape);
        closed = !dialog->isVisible();
    });
    if (button.isEmpty()) {
        frmICHelp::showModal(m_test.context);
    } else {
        frmICHelp menu(m_test.context);
        menu.show();
        QVERIFY(QTest::qWaitForWindowActive(&menu));
        QTest::mouseClick(menu.findChild<QPushButton *>(button), Qt::LeftButton);
        QVERIFY(menu.isVisible());
    }
    QVERIFY(closed);
}

QTEST_MAIN(tst_frmICHelp)
#include "tst_frmichelp.moc"

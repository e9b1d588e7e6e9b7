#include "fakewebview.h"
#include "gui/twips.h"
#include "help/frmichelp.h"
#include "scriptedprompter.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

// Once a modal window of the given class is open, runs check on it, then
// makes sure it is closed so the opener's exec() returns. Fails after five
// seconds if none opened modally, closing any such window left open.
void whenModal(const QString &className, std::function<void(QDialog *)> check)
{
    auto *poll = new QTimer;
    poll->setInterval(10);
    auto deadline = std::make_shared<QDeadlineTimer>(5000);
    QObject::connect(poll, &QTimer::timeout, poll, [=] {
        auto isWanted = [&className](QWidget *w) {
            return w && w->isVisible()
                && QString::fromLatin1(w->metaObject()->className()) == className;
        };
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        const bool found = isWanted(dialog);
        if (!found && !deadline->hasExpired())
            return;
        poll->deleteLater();
        poll->stop();
        if (found)
            check(dialog);
        else
            QTest::qFail("no modal window of that class opened", __FILE__, __LINE__);
        for (QWidget *w : QApplication::topLevelWidgets())
            if (isWanted(w))
                w->close();
    });
    poll->start();
}

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

private:
    QTemporaryDir m_dir;
    ScriptedPrompter m_prompter;
    AppContext m_context;
};

void tst_frmICHelp::init()
{
    m_context.personalSetPath = m_dir.filePath(u"Personali.ic2"_s);
    m_context.makeWebView = [](WebView::Role role, QWidget *parent) {
        return new FakeWebView(role, parent);
    };
    m_context.prompter = &m_prompter;
}

void tst_frmICHelp::cleanup()
{
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
}

void tst_frmICHelp::window()
{
    frmICHelp menu(m_context);
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

    frmICHelp menu(m_context);
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
    frmICHelp::showModal(m_context);
    QVERIFY(seen);
}

QTEST_MAIN(tst_frmICHelp)
#include "tst_frmichelp.moc"

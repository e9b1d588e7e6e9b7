#include "app/frmvelmora.h"
#include "gui/controls.h"
#include "gui/picturebutton.h"
#include "gui/twips.h"
#include "picker/pickerpanel.h"
#include "testcontext.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QSignalSpy>
#include <QElapsedTimer>
#include <QTest>

#include <cmath>
#include <QTimer>

#include <functional>

class tst_frmVelmora : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startsAcrossTheScreenTop();
    void exitQuestion_data();
    void exitQuestion();
    void sessionEndAnswerHoldsOnce();
    void navigationButtons_data();
    void navigationButtons();
    void browserKeys_data();
    void browserKeys();
    void pickerButtonOpensOnce();
    void iconarioByKeyboard();
    void hoverLightsOneButton();
    void statusTickFollowsTheView();
    void statusTextShownUnchanged();
    void eachChangeRunsItsRuleOnce();
    void layoutFollowsTheWindow();
    void tooSmallRestoresStartUpPlacement_data();
    void tooSmallRestoresStartUpPlacement();
    void minimizedLaysNothingOut();

private:
    FakeWebView *view() const { return static_cast<FakeWebView *>(m_window->WB()); }
    QLabel *label(const char *name) const { return m_window->findChild<QLabel *>(QLatin1String(name)); }
    QTimer *timer(const char *name) const { return m_window->findChild<QTimer *>(QLatin1String(name)); }

    std::unique_ptr<TestContext> m_test;
    std::unique_ptr<frmVelmora> m_window;
};

// WCAG's contrast ratio of two colours.
static double contrast(const QColor &a, const QColor &b)
{
    const auto luminance = [](const QColor &c) {
        const auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

void tst_frmVelmora::init()
{
    m_test = std::make_unique<TestContext>();
    m_window = std::make_unique<frmVelmora>(m_test->context);
}

void tst_frmVelmora::cleanup()
{
    m_test->prompter.answers = {QMessageBox::Yes};
    m_window.reset();
    m_test.reset();
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
}

void tst_frmVelmora::startsAcrossTheScreenTop()
{
    QCOMPARE(m_window->windowTitle(), QStringLiteral("NORVALE system - VELMORA FORUM "));
    QCOMPARE(view()->navigations, QStringList{m_test->context.forumHomeUrl});
    QCOMPARE(m_window->state().WBLeft, 50);
    QVERIFY(!m_window->state().IconarioAperto);
    QCOMPARE(m_window->outerGeometryTwips(), QRectF(0, 0, 15360, 11120));
    QCOMPARE(label("lblURL")->text(), QStringLiteral("Label1"));
    QCOMPARE(label("lblStatus")->text(), QStringLiteral("Label1"));

    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QCOMPARE(m_window->outerGeometryTwips(), QRectF(0, 0, 15360, 11120));
    // The page takes the keys, not the bar's first button.
    QCOMPARE(QApplication::focusWidget(), view());
}

void tst_frmVelmora::exitQuestion_data()
{
    QTest::addColumn<QMessageBox::StandardButton>("answer");
    QTest::addColumn<bool>("closes");
    QTest::newRow("No keeps the window") << QMessageBox::No << false;
    QTest::newRow("Yes closes it") << QMessageBox::Yes << true;
}

void tst_frmVelmora::exitQuestion()
{
    QFETCH(QMessageBox::StandardButton, answer);
    QFETCH(bool, closes);

    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    m_window->imgNavy_Click(5);
    m_test->prompter.answers = {answer};

    QCOMPARE(m_window->close(), closes);
    QCOMPARE(m_test->prompter.shown.size(), 1);
    const ScriptedPrompter::Box box = m_test->prompter.shown.first();
    QCOMPARE(box.text, QStringLiteral("Uscire da Velmora Forum ?"));
    QCOMPARE(box.title, QStringLiteral("Norvale - Fine Sessione"));
    QCOMPARE(box.icon, QMessageBox::Question);
    QCOMPARE(box.buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(m_window->isVisible(), !closes);
    if (!closes) {
        // Nothing else changed: page, history and picker as they were.
        QCOMPARE(view()->calls, QStringList{QStringLiteral("Navigate")});
        QVERIFY(m_window->state().IconarioAperto);
    }
}

void tst_frmVelmora::sessionEndAnswerHoldsOnce()
{
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    m_test->prompter.answers = {QMessageBox::Yes, QMessageBox::No};
    QVERIFY(m_window->sessionEnding());
    // Another program cancelled the session end; the user goes on working.
    QTest::mouseClick(m_window.get(), Qt::LeftButton);
    QVERIFY(!m_window->close());
    QCOMPARE(m_test->prompter.shown.size(), 2);
}

void tst_frmVelmora::navigationButtons_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("call");
    QTest::newRow("Indietro") << 0 << QStringLiteral("GoBack");
    QTest::newRow("Avanti") << 1 << QStringLiteral("GoForward");
    QTest::newRow("Aggiorna") << 2 << QStringLiteral("Refresh");
    QTest::newRow("Termina") << 3 << QStringLiteral("Stop");
    QTest::newRow("Home Page Forum") << 4 << QStringLiteral("Navigate");
}

void tst_frmVelmora::navigationButtons()
{
    QFETCH(int, index);
    QFETCH(QString, call);

    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    view()->calls.clear();
    view()->navigations.clear();
    auto *button = m_window->findChild<PictureButton *>(QStringLiteral("imgNavy%1").arg(index));
    QVERIFY(button);
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(view()->calls, QStringList{call});
    if (index == 4)
        QCOMPARE(view()->navigations, QStringList{m_test->context.forumHomeUrl});
    QVERIFY(m_test->prompter.shown.isEmpty());

    // Through the window system, a double-click is one click.
    view()->calls.clear();
    QTest::mouseDClick(m_window->windowHandle(), Qt::LeftButton, {},
                       button->mapTo(m_window.get(), button->rect().center()));
    QTRY_COMPARE(view()->calls, QStringList{call});
}

void tst_frmVelmora::browserKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<QString>("call");
    QTest::newRow("Alt+Left") << int(Qt::Key_Left) << Qt::KeyboardModifiers(Qt::AltModifier)
                              << QStringLiteral("GoBack");
    QTest::newRow("Alt+Right") << int(Qt::Key_Right) << Qt::KeyboardModifiers(Qt::AltModifier)
                               << QStringLiteral("GoForward");
    QTest::newRow("F5") << int(Qt::Key_F5) << Qt::KeyboardModifiers() << QStringLiteral("Refresh");
    QTest::newRow("Ctrl+R") << int(Qt::Key_R) << Qt::KeyboardModifiers(Qt::ControlModifier)
                            << QStringLiteral("Refresh");
    QTest::newRow("Esc") << int(Qt::Key_Escape) << Qt::KeyboardModifiers() << QStringLiteral("Stop");
    QTest::newRow("Alt+Home") << int(Qt::Key_Home) << Qt::KeyboardModifiers(Qt::AltModifier)
                              << QStringLiteral("Navigate");
}

void tst_frmVelmora::browserKeys()
{
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(QString, call);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    view()->calls.clear();
    QTest::keyClick(m_window.get(), Qt::Key(key), modifiers);
    QCOMPARE(view()->calls, QStringList{call});
}

void tst_frmVelmora::pickerButtonOpensOnce()
{
    m_window->imgNavy_Click(5);
    QVERIFY(m_window->state().IconarioAperto);
    QCOMPARE(m_window->state().WBLeft, 3150);
    view()->calls.clear();
    m_window->imgNavy_Click(5);
    QVERIFY(m_window->state().IconarioAperto);
    QVERIFY(view()->calls.isEmpty());
}

void tst_frmVelmora::iconarioByKeyboard()
{
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    // Ctrl+E opens it with the keyboard on its sets; Esc there closes it and
    // gives the keyboard back to the page, with no Stop sent to it.
    QTest::keyClick(m_window.get(), Qt::Key_E, Qt::ControlModifier);
    QVERIFY(m_window->state().IconarioAperto);
    QCOMPARE(QApplication::focusWidget(), m_window->picker()->findChild<QWidget *>(QStringLiteral("optEmo0")));
    view()->calls.clear();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QVERIFY(!m_window->state().IconarioAperto);
    QVERIFY(view()->calls.isEmpty());
    QVERIFY(m_window->WB()->isAncestorOf(QApplication::focusWidget()) || QApplication::focusWidget() == m_window->WB());
    const auto inPage = [this] {
        return m_window->WB()->isAncestorOf(QApplication::focusWidget()) || QApplication::focusWidget() == m_window->WB();
    };
    // Opened, then from the page once more: into the panel, still open,
    // for a second emoticon; from the panel, closed.
    QTest::keyClick(m_window.get(), Qt::Key_E, Qt::ControlModifier);
    m_window->WB()->setFocus();
    QTest::keyClick(m_window.get(), Qt::Key_E, Qt::ControlModifier);
    QVERIFY(m_window->state().IconarioAperto);
    QVERIFY(m_window->picker()->isAncestorOf(QApplication::focusWidget()));
    QTest::keyClick(m_window.get(), Qt::Key_E, Qt::ControlModifier);
    QVERIFY(!m_window->state().IconarioAperto);
    QVERIFY(inPage());
    // "CHIUDI L'ICONARIO" pressed by keys is Esc.
    QTest::keyClick(m_window.get(), Qt::Key_E, Qt::ControlModifier);
    QWidget *close = m_window->picker()->findChild<QWidget *>(QStringLiteral("lblChiudiIC"));
    close->setFocus(Qt::TabFocusReason);
    QTest::keyClick(close, Qt::Key_Space);
    QVERIFY(!m_window->state().IconarioAperto);
    QVERIFY(inPage());
}

void tst_frmVelmora::hoverLightsOneButton()
{
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    auto button = [this](int i) { return m_window->findChild<PictureButton *>(QStringLiteral("imgNavy%1").arg(i)); };
    // Each button in its state, and the screen showing it: the bar as
    // drawn equals the bar drawn afresh.
    auto expectLit = [&](int lit) {
        for (int i = 0; i < 6; ++i) {
            if (button(i)->pictureMode() != (i == lit ? QIcon::Active : QIcon::Normal))
                return false;
        }
        const QRect bar = Twips::rect(0, 0, 6495, 1110);
        const QImage shown =
            m_window->screen()->grabWindow(m_window->winId(), bar.x(), bar.y(), bar.width(), bar.height()).toImage();
        return shown.convertToFormat(QImage::Format_RGB32)
            == m_window->grab(bar).toImage().convertToFormat(QImage::Format_RGB32);
    };
    const QSize side = button(2)->size();
    QVERIFY(button(2)->icon().pixmap(side, QIcon::Active).toImage()
            != button(2)->icon().pixmap(side, QIcon::Normal).toImage());

    // Through the window system, so the pointer lands where a user's would.
    auto moveOnto = [this](const QString &name) {
        auto *w = m_window->findChild<QWidget *>(name);
        QTest::mouseMove(m_window->windowHandle(), w->mapTo(m_window.get(), w->rect().center()));
    };
    // The blue line at the end of the bar is bare window.
    const QPoint bareWindow(6495 / 15, 500 / 15);
    QTest::mouseMove(m_window->windowHandle(), bareWindow);
    QTRY_VERIFY(expectLit(-1));
    moveOnto(QStringLiteral("imgNavy2"));
    QTRY_VERIFY(expectLit(2));
    moveOnto(QStringLiteral("imgNavy3"));
    QTRY_VERIFY(expectLit(3));
    // Straight onto the forum view, with no move over bare window between:
    // it goes out all the same.
    moveOnto(QStringLiteral("WB"));
    QTRY_VERIFY(expectLit(-1));
    moveOnto(QStringLiteral("imgNavy3"));
    QTRY_VERIFY(expectLit(3));
    QTest::mouseMove(m_window->windowHandle(), bareWindow);
    QTRY_VERIFY(expectLit(-1));
}

void tst_frmVelmora::statusTickFollowsTheView()
{
    QLabel *lblURL = label("lblURL");
    view()->setName(QStringLiteral("Indice del forum"));
    view()->setUrl(QStringLiteral("http://forum.test/forum/index.php"));
    view()->setBusy(true);
    QTRY_COMPARE(m_window->windowTitle(), QStringLiteral("NORVALE system - Indice del forum"));
    QCOMPARE(lblURL->text(), view()->LocationURL());
    QTRY_VERIFY(lblURL->autoFillBackground());
    QCOMPARE(lblURL->palette().color(QPalette::Window), QColor(192, 0, 0));
    // Readable on the red (WCAG's 4.5 to 1 at least), and, once loaded, on
    // the window's orange; so is the status line.
    QVERIFY(contrast(lblURL->palette().color(QPalette::WindowText), QColor(192, 0, 0)) >= 4.5);
    QLabel *lblStatus = label("lblStatus");
    QVERIFY(contrast(lblStatus->palette().color(QPalette::WindowText), lblStatus->palette().color(QPalette::Window))
            >= 4.5);

    // Shown as the page gives it, "[*]" included.
    m_window->winId();
    view()->setName(QStringLiteral("Bozza [*] salvata"));
    QTRY_COMPARE(m_window->windowHandle()->title(), QStringLiteral("NORVALE system - Bozza [*] salvata"));

    view()->setBusy(false);
    view()->setName(QString());
    QTRY_VERIFY(!lblURL->autoFillBackground());
    QVERIFY(contrast(lblURL->palette().color(QPalette::WindowText), Controls::orange()) >= 4.5);
    QTRY_COMPARE(m_window->windowTitle(), QStringLiteral("NORVALE system - "));
}

void tst_frmVelmora::statusTextShownUnchanged()
{
    QLabel *lblStatus = label("lblStatus");
    view()->reportStatus(QStringLiteral("  http://forum.test/forum/topic?id=1&x=è  "));
    QCOMPARE(lblStatus->text(), QStringLiteral("  http://forum.test/forum/topic?id=1&x=è  "));
    view()->reportStatus(QString());
    QCOMPARE(lblStatus->text(), QString());
}

void tst_frmVelmora::eachChangeRunsItsRuleOnce()
{
    m_window->setFrameWaitInterval(std::chrono::milliseconds(100));
    QElapsedTimer shown;
    shown.start();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    m_window->imgNavy_Click(5);
    QTimer *busy = timer("tmrBusy");
    QTimer *sizer = timer("tmrWBSizer");
    const auto quiet = [&] { return !busy->isActive() && !sizer->isActive(); };
    // The window looks for a frame for a moment; none comes here.
    QTRY_VERIFY(shown.elapsed() > 500 && quiet());

    struct Change
    {
        const char *what;
        std::function<void()> make;
        int busyRuns;
        int sizerRuns;
    };
    const Change changes[] = {
        {"title", [this] { view()->setName(QStringLiteral("Indice")); }, 1, 0},
        {"address", [this] { view()->setUrl(QStringLiteral("http://forum.test/forum/")); }, 1, 0},
        {"loading", [this] { view()->setBusy(true); }, 1, 0},
        {"all three at once",
         [this] {
             view()->setName(QStringLiteral("Discussione"));
             view()->setUrl(QStringLiteral("http://forum.test/forum/viewtopic.php?id=1"));
             view()->setBusy(false);
         },
         1, 0},
        {"window resized", [this] { m_window->resize(900, 600); }, 0, 1},
        {"picker closed", [this] { m_window->picker()->lblChiudiIC_Click(); }, 0, 1},
    };
    for (const Change &change : changes) {
        QSignalSpy busyRuns(busy, &QTimer::timeout);
        QSignalSpy sizerRuns(sizer, &QTimer::timeout);
        change.make();
        QTRY_VERIFY2(quiet(), change.what);
        QVERIFY2(busyRuns.size() == change.busyRuns && sizerRuns.size() == change.sizerRuns, change.what);
    }
    QCOMPARE(m_window->windowTitle(), QStringLiteral("NORVALE system - Discussione"));
    QCOMPARE(label("lblURL")->text(), QStringLiteral("http://forum.test/forum/viewtopic.php?id=1"));
    QCOMPARE(view()->leftTwips(), 50.0);
    // 900 px are 13500 twips; the view keeps 230 of them for its margins.
    QCOMPARE(view()->widthTwips(), 13270.0);
}

void tst_frmVelmora::layoutFollowsTheWindow()
{
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    FakeWebView *wb = view();
    QLabel *lblStatus = label("lblStatus");

    QTRY_COMPARE(wb->leftTwips(), 50.0);
    QCOMPARE(wb->topTwips(), 1575.0);
    QCOMPARE(wb->widthTwips(), 15130.0);
    QCOMPARE(wb->heightTwips(), 8645.0);
    QCOMPARE(lblStatus->geometry(), QRect(3, 685, 1009, 17)); // 50, 10270, 15130, 255 twips

    m_window->imgNavy_Click(5);
    QTRY_COMPARE(wb->leftTwips(), 3150.0);
    QCOMPARE(wb->widthTwips(), 12030.0);
    QCOMPARE(lblStatus->x(), 3150 / 15);

    m_window->showMaximized();
    QTRY_COMPARE(wb->heightTwips(), m_window->outerGeometryTwips().height() - 2475);
    QVERIFY(m_test->prompter.shown.isEmpty());
}

void tst_frmVelmora::tooSmallRestoresStartUpPlacement_data()
{
    QTest::addColumn<bool>("pickerOpen");
    QTest::addColumn<QSize>("pixels");
    QTest::addColumn<bool>("warns");
    // 165 px are 2475 twips: a view of height 0, which is allowed.
    QTest::newRow("exactly the bars' height") << false << QSize(800, 165) << false;
    QTest::newRow("lower than the bars") << false << QSize(800, 164) << true;
    // 222 px are 3330 twips: with the picker open the view is 0 wide.
    QTest::newRow("narrowest with picker open") << true << QSize(222, 400) << false;
    QTest::newRow("too narrow with picker open") << true << QSize(221, 400) << true;
    QTest::newRow("same width with picker closed") << false << QSize(221, 400) << false;
}

void tst_frmVelmora::tooSmallRestoresStartUpPlacement()
{
    QFETCH(bool, pickerOpen);
    QFETCH(QSize, pixels);
    QFETCH(bool, warns);

    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    if (pickerOpen)
        m_window->imgNavy_Click(5);
    auto *sizer = m_window->findChild<QTimer *>(QStringLiteral("tmrWBSizer"));
    bool tickingWhileOpen = true;
    m_test->prompter.whileOpen = [&] { tickingWhileOpen = sizer->isActive(); };

    m_window->setGeometry(QRect(QPoint(40, 30), pixels));
    m_window->tmrWBSizer_Timer();

    QCOMPARE(m_test->prompter.shown.size(), warns ? 1 : 0);
    if (warns) {
        const ScriptedPrompter::Box box = m_test->prompter.shown.first();
        QCOMPARE(box.title, QStringLiteral("Norvale Browser Error - Resuming..."));
        QCOMPARE(box.text,
                 QStringLiteral("Il Browser è stato ridotto eccessivamente e non può essere "
                                "visualizzato. Verrà ora ripristinato alle dimensioni iniziali."));
        QCOMPARE(box.icon, QMessageBox::Warning);
        QCOMPARE(box.buttons, QMessageBox::Ok);
        QVERIFY(!tickingWhileOpen);
        QVERIFY(sizer->isActive());
        QCOMPARE(m_window->outerGeometryTwips(), QRectF(0, 0, 15360, 11120));
        QCOMPARE(m_window->state().IconarioAperto, pickerOpen);
    } else {
        QCOMPARE(m_window->frameGeometry().size(), pixels);
    }
}

void tst_frmVelmora::minimizedLaysNothingOut()
{
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    m_window->setGeometry(0, 0, 100, 100);
    m_window->showMinimized();
    QVERIFY(m_window->isMinimized());
    const double left = view()->leftTwips();
    m_window->tmrWBSizer_Timer();
    QVERIFY(m_test->prompter.shown.isEmpty());
    QCOMPARE(view()->leftTwips(), left);
}

QTEST_MAIN(tst_frmVelmora)
#include "tst_frmvelmora.moc"

#include "app/frmvelmora.h"
#include "core/catalogue.h"
#include "gui/listbox.h"
#include "modalwatch.h"
#include "picker/animatedbutton.h"
#include "picker/pickerpanel.h"
#include "testcontext.h"

#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QMimeData>
#include <QMovie>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QUrl>

// Whether input to w is held back by an application-modal window.
static bool blockedByModal(QWidget *w)
{
    QWidget *modal = QApplication::activeModalWidget();
    return modal && modal != w->window() && modal->windowModality() == Qt::ApplicationModal;
}

class tst_PickerPanel : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void opensWithASlide();
    void slideCatchesUpLateTicks();
    void secondPressDoesNothing();
    void closeAndReopen();
    void closeDuringTheSlide();
    void builtInSets_data();
    void builtInSets();
    void personalSetMissingFile_data();
    void personalSetMissingFile();
    void personalSetFiles_data();
    void personalSetFiles();
    void personalSetIsReadAtEveryChoice();
    void copiesTheTag_data();
    void copiesTheTag();
    void nameWithoutAddress_data();
    void nameWithoutAddress();
    void focusIsNoChoice();
    void doubleClickOrEnterIsOK();
    void dragCarriesTheTag();
    void reopeningKeepsTheWork();
    void helpButtonOpensTheMenu();
    void okPictureMovesOnlyUnderThePointer();

private:
    fraIconario *panel() const { return m_window->picker(); }
    FakeWebView *preview() const { return static_cast<FakeWebView *>(panel()->WBIC()); }
    ListBox *list(const char *name) const { return panel()->findChild<ListBox *>(QLatin1String(name)); }
    QPushButton *option(int i) const { return panel()->findChild<QPushButton *>(QStringLiteral("optEmo%1").arg(i)); }
    QPushButton *ok() const { return panel()->findChild<QPushButton *>(QStringLiteral("cmdEmoOK")); }
    QTimer *slide() const { return panel()->findChild<QTimer *>(QStringLiteral("tmrMoveFrame")); }
    void writeFile(const QByteArray &bytes);
    void choose(int set);
    void select(int row) { list("lstEmo")->setCurrentRow(row); }
    QString logo() const { return m_test->context.forumHomeUrl + QStringLiteral("images/logo_velmora.gif"); }

    std::unique_ptr<TestContext> m_test;
    std::unique_ptr<frmVelmora> m_window;
};

void tst_PickerPanel::init()
{
    m_test = std::make_unique<TestContext>();
    m_window = std::make_unique<frmVelmora>(m_test->context);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void tst_PickerPanel::cleanup()
{
    m_window.reset();
    m_test.reset();
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
}

void tst_PickerPanel::writeFile(const QByteArray &bytes)
{
    QFile file(m_test->context.personalSetPath);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

void tst_PickerPanel::choose(int set)
{
    QTest::mouseClick(option(set), Qt::LeftButton);
}

void tst_PickerPanel::opensWithASlide()
{
    QVERIFY(!panel()->isVisible());
    m_window->imgNavy_Click(5);
    QVERIFY(m_window->state().IconarioAperto);
    QCOMPARE(m_window->state().WBLeft, 3150);
    QCOMPARE(preview()->navigations, QStringList{logo()});
    QVERIFY(panel()->isVisible());
    QCOMPARE(panel()->heightTwips(), 90);
    QVERIFY(slide()->isActive());
    QCOMPARE(slide()->interval(), 2);

    // Driven tick by tick: the 63rd reaches the full height and ends it.
    slide()->stop();
    for (int tick = 1; tick <= 62; ++tick)
        panel()->tmrMoveFrame_Timer();
    QCOMPARE(panel()->heightTwips(), 6290);
    slide()->start();
    panel()->tmrMoveFrame_Timer();
    QCOMPARE(panel()->heightTwips(), 6390);
    QVERIFY(!slide()->isActive());
    QCOMPARE(panel()->height(), 426);
    QCOMPARE(m_window->state().WBLeft, 3150);
    QTRY_COMPARE(m_window->WB()->leftTwips(), 3150.0);
}

void tst_PickerPanel::slideCatchesUpLateTicks()
{
    m_window->imgNavy_Click(5);
    // The program is held up for 50 ms, as a slow screen would hold it.
    QElapsedTimer held;
    held.start();
    while (held.elapsed() < 50)
        ;
    // One late tick makes up for the 25 missed.
    QCoreApplication::processEvents();
    QVERIFY2(panel()->heightTwips() >= 90 + 25 * 100, qPrintable(QString::number(panel()->heightTwips())));
    QTRY_VERIFY(!slide()->isActive());
    QCOMPARE(panel()->heightTwips(), 6390);
}

void tst_PickerPanel::secondPressDoesNothing()
{
    m_window->imgNavy_Click(5);
    panel()->tmrMoveFrame_Timer();
    const qint32 sliding = panel()->heightTwips();
    m_window->imgNavy_Click(5);
    QCOMPARE(preview()->navigations.size(), 1);
    QVERIFY(panel()->heightTwips() >= sliding);

    QTRY_VERIFY(!slide()->isActive());
    QCOMPARE(panel()->heightTwips(), 6390);
    m_window->imgNavy_Click(5);
    QCOMPARE(preview()->navigations.size(), 1);
    QVERIFY(!slide()->isActive());
}

void tst_PickerPanel::closeAndReopen()
{
    m_window->imgNavy_Click(5);
    QTRY_VERIFY(!slide()->isActive());
    QTest::mouseClick(panel()->findChild<QWidget *>(QStringLiteral("lblChiudiIC")), Qt::LeftButton);
    QVERIFY(!m_window->state().IconarioAperto);
    QCOMPARE(m_window->state().WBLeft, 50);
    QVERIFY(!panel()->isVisible());
    QVERIFY(!preview()->isVisible());
    QTRY_COMPARE(m_window->WB()->leftTwips(), 50.0);

    m_window->imgNavy_Click(5);
    QCOMPARE(panel()->heightTwips(), 90);
    QVERIFY(slide()->isActive());
    QCOMPARE(preview()->navigations.size(), 2);
    QTRY_COMPARE(panel()->heightTwips(), 6390);
}

void tst_PickerPanel::closeDuringTheSlide()
{
    m_window->imgNavy_Click(5);
    panel()->tmrMoveFrame_Timer();
    panel()->lblChiudiIC_Click();
    QVERIFY(!slide()->isActive());
    QCOMPARE(m_window->state().WBLeft, 50);
    QTRY_COMPARE(m_window->WB()->leftTwips(), 50.0);
}

void tst_PickerPanel::builtInSets_data()
{
    QTest::addColumn<int>("set");
    for (int set = 0; set < Catalogue::personalSet; ++set)
        QTest::newRow(qPrintable(Catalogue::set(set).caption)) << set;
}

void tst_PickerPanel::builtInSets()
{
    QFETCH(int, set);
    const QStringList &shown = Catalogue::names(set);
    const int count = int(shown.size());
    const QString folder = Catalogue::set(set).folder;

    m_window->imgNavy_Click(5);
    QTRY_VERIFY(!slide()->isActive());
    choose(3);
    select(4);
    QVERIFY(ok()->isEnabled());
    QVERIFY(preview()->isVisible());
    ListBox *names = list("lstEmo");
    names->scrollToBottom();
    QVERIFY(names->verticalScrollBar()->value() > 0);

    choose(set);
    // Each set is read from its top, wherever the last one was left.
    QCOMPARE(names->verticalScrollBar()->value(), 0);
    QVERIFY(option(set)->isChecked());
    QVERIFY(!ok()->isEnabled());
    QVERIFY(!preview()->isVisible());
    QCOMPARE(preview()->navigations.last(), logo());
    QCOMPARE(panel()->SetScelto(), set);
    QCOMPARE(panel()->CartellaSet(), folder);
    QCOMPARE(names->count(), count);
    for (int row = 0; row < count; ++row)
        QCOMPARE(names->text(row), shown.at(row));

    select(count - 1);
    const QString url = m_test->context.emoticonBaseUrl + folder + QString::number(count) + QStringLiteral(".gif");
    QCOMPARE(preview()->navigations.last(), url);
    QCOMPARE(panel()->TagsEmo(), Catalogue::imageTag(url));
    QVERIFY(ok()->isEnabled());
    QVERIFY(preview()->isVisible());

    // Choosing the personal set keeps the folder of the last built-in one.
    writeFile(QByteArray());
    choose(4);
    QCOMPARE(panel()->CartellaSet(), folder);
    QCOMPARE(panel()->SetScelto(), 4);
}

void tst_PickerPanel::personalSetMissingFile_data()
{
    QTest::addColumn<bool>("folderInItsPlace");
    QTest::newRow("no file") << false;
    QTest::newRow("a folder in its place") << true;
}

void tst_PickerPanel::personalSetMissingFile()
{
    QFETCH(bool, folderInItsPlace);
    if (folderInItsPlace)
        QVERIFY(QDir().mkpath(m_test->context.personalSetPath));
    m_window->imgNavy_Click(5);
    choose(0);
    choose(4);
    QCOMPARE(m_test->prompter.shown.size(), 1);
    const ScriptedPrompter::Box box = m_test->prompter.shown.first();
    const QString text = QStringLiteral("Il File PERSONALI.IC2 non si trova nella stessa cartella dell'Applicazione "
                                        "o non è stato creato o è stato corrotto");
    // A file that is there but unreadable says why; a missing one needs not.
    const QString why = QStringLiteral("\n\nMotivo: ");
    if (folderInItsPlace)
        QVERIFY2(box.text.startsWith(text + why) && box.text.size() > text.size() + why.size(), qPrintable(box.text));
    else
        QCOMPARE(box.text, text);
    QCOMPARE(box.title, QStringLiteral("IMPOSSIBILE ACCEDERE AL FILE PERSONALI"));
    QCOMPARE(box.icon, QMessageBox::Critical);
    QCOMPARE(box.buttons, QMessageBox::Ok);
    QCOMPARE(list("lstEmo")->count(), 0);
    for (int i = 0; i < Catalogue::setCount; ++i)
        QVERIFY(!option(i)->isChecked());
    QCOMPARE(panel()->SetScelto(), 4);
}

void tst_PickerPanel::personalSetFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<int>("urls");
    QTest::addColumn<bool>("fails");
    QTest::newRow("empty file") << QByteArray() << QStringList() << 0 << false;
    QTest::newRow("two entries") << QByteArray("\"gatto\"\r\n\"http://a/g.gif\"\r\n\"cane\"\r\n\"http://a/c.gif\"\r\n")
                                 << QStringList{QStringLiteral("gatto"), QStringLiteral("cane")} << 2 << false;
    QTest::newRow("ends after a name") << QByteArray("\"gatto\"\r\n\"http://a/g.gif\"\r\n\"cane\"\r\n")
                                       << QStringList{QStringLiteral("gatto"), QStringLiteral("cane")} << 1 << true;
}

void tst_PickerPanel::personalSetFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, names);
    QFETCH(int, urls);
    QFETCH(bool, fails);

    writeFile(bytes);
    m_window->imgNavy_Click(5);
    choose(4);
    QCOMPARE(m_test->prompter.shown.size(), fails ? 1 : 0);
    QCOMPARE(option(4)->isChecked(), !fails);
    QStringList listed;
    for (int i = 0; i < list("lstEmo")->count(); ++i)
        listed.append(list("lstEmo")->text(i));
    QCOMPARE(listed, names);
    const QStringList addresses = panel()->personalSet().urls();
    QCOMPARE(addresses.size() - addresses.count(QString()), urls);
}

void tst_PickerPanel::personalSetIsReadAtEveryChoice()
{
    writeFile("\"uno\"\r\n\"http://a/1.gif\"\r\n");
    m_window->imgNavy_Click(5);
    choose(4);
    QCOMPARE(list("lstEmo")->count(), 1);
    writeFile("\"uno\"\r\n\"http://a/1.gif\"\r\n\"due\"\r\n\"http://a/2.gif\"\r\n");
    choose(4);
    QCOMPARE(list("lstEmo")->count(), 2);
    QCOMPARE(list("lstEmo")->text(1), QStringLiteral("due"));
}

void tst_PickerPanel::copiesTheTag_data()
{
    QTest::addColumn<int>("set");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("tag");
    QTest::newRow("Yahoo 21 risata") << 3 << 20 << QStringLiteral("[img]http://forum.test/iconario/Yahoo/21.gif[/img]");
    QTest::newRow("Quizzy 2 risata") << 2 << 1 << QStringLiteral("[img]http://forum.test/iconario/Quizzy/2.gif[/img]");
    // The file keeps the blanks; the tag carries them percent-encoded.
    QTest::newRow("personal URL with blanks") << 4 << 0 << QStringLiteral("[img]http://a/una%20foto.jpg?x=1%20[/img]");
}

void tst_PickerPanel::copiesTheTag()
{
    QFETCH(int, set);
    QFETCH(int, row);
    QFETCH(QString, tag);

    writeFile("\"foto\"\r\n\"http://a/una foto.jpg?x=1 \"\r\n");
    m_window->imgNavy_Click(5);
    choose(set);
    select(row);
    // The preview loads the address as stored; only the tag is encoded.
    QCOMPARE(preview()->navigations.last(), QUrl::fromPercentEncoding(tag.mid(5, tag.size() - 11).toUtf8()));
    QGuiApplication::clipboard()->setText(QStringLiteral("prima"));

    QLabel *done = panel()->findChild<QLabel *>(QStringLiteral("lblDone"));
    QTimer *doneTimer = panel()->findChild<QTimer *>(QStringLiteral("tmrDone"));
    // "FATTO" stays a second for the member; the test need not wait it out.
    QCOMPARE(doneTimer->interval(), 1000);
    panel()->setDoneInterval(std::chrono::milliseconds(10));
    QTest::mouseClick(ok(), Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(), tag);
    QCOMPARE(m_test->beeps, 1);
    QVERIFY(done->isVisible());
    QTRY_VERIFY(!done->isVisible());
    QCOMPARE(m_test->beeps, 2);
    QVERIFY(!doneTimer->isActive());
}

void tst_PickerPanel::nameWithoutAddress_data()
{
    QTest::addColumn<QByteArray>("second");
    QTest::newRow("cut off") << QByteArray("\"solo\"\r\n");
    QTest::newRow("empty address") << QByteArray("\"solo\"\r\n\"\"\r\n");
}

void tst_PickerPanel::nameWithoutAddress()
{
    QFETCH(QByteArray, second);
    writeFile("\"gatto\"\r\n\"http://a/g.gif\"\r\n" + second);
    m_window->imgNavy_Click(5);
    choose(4);
    select(0);
    QVERIFY(ok()->isEnabled());
    const int navigations = int(preview()->navigations.size());
    select(1);
    QVERIFY(!ok()->isEnabled());
    QCOMPARE(preview()->navigations.size(), navigations);
    QCOMPARE(panel()->TagsEmo(), QStringLiteral("[img]http://a/g.gif[/img]"));
}

void tst_PickerPanel::focusIsNoChoice()
{
    m_window->imgNavy_Click(5);
    choose(0);
    QApplication::setActiveWindow(m_window.get());
    ListBox *names = list("lstEmo");
    names->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(names->hasFocus());
    QVERIFY(!ok()->isEnabled());
    QCOMPARE(preview()->navigations.size(), 2);
    QTest::keyClick(names, Qt::Key_End);
    QVERIFY(ok()->isEnabled());
    QCOMPARE(preview()->navigations.size(), 3);
}

void tst_PickerPanel::doubleClickOrEnterIsOK()
{
    m_window->imgNavy_Click(5);
    choose(3);
    ListBox *names = list("lstEmo");
    QSignalSpy copied(panel(), &fraIconario::tagCopied);
    const QRect second = names->visualRect(names->model()->index(1, 0));
    QTest::mouseClick(names->viewport(), Qt::LeftButton, {}, second.center());
    QTest::mouseDClick(names->viewport(), Qt::LeftButton, {}, second.center());
    QCOMPARE(copied.size(), 1);
    QTest::keyClick(names, Qt::Key_Return);
    QCOMPARE(copied.size(), 2);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("[img]http://forum.test/iconario/Yahoo/2.gif[/img]"));
}

void tst_PickerPanel::dragCarriesTheTag()
{
    writeFile("\"vuoto\"\r\n\"\"\r\n\"gatto\"\r\n\"http://a/g.gif\"\r\n");
    m_window->imgNavy_Click(5);
    choose(3);
    std::unique_ptr<QMimeData> data(list("lstEmo")->dragData(1));
    QCOMPARE(data->text(), QStringLiteral("[img]http://forum.test/iconario/Yahoo/2.gif[/img]"));
    choose(4);
    QVERIFY(!std::unique_ptr<QMimeData>(list("lstEmo")->dragData(0)));
    data.reset(list("lstEmo")->dragData(1));
    QCOMPARE(data->text(), QStringLiteral("[img]http://a/g.gif[/img]"));
}

void tst_PickerPanel::reopeningKeepsTheWork()
{
    m_window->imgNavy_Click(5);
    choose(3);
    select(9);
    panel()->lblChiudiIC_Click();
    m_window->imgNavy_Click(5);
    QTRY_VERIFY(!slide()->isActive());
    QVERIFY(option(3)->isChecked());
    QCOMPARE(list("lstEmo")->currentRow(), 9);
    // The choice shows as it stands: its picture beside its OK.
    QVERIFY(ok()->isEnabled());
    QVERIFY(preview()->isVisible());
    QCOMPARE(preview()->navigations.last(), QStringLiteral("http://forum.test/iconario/Yahoo/10.gif"));
    QTest::mouseClick(ok(), Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(),
             QStringLiteral("[img]http://forum.test/iconario/Yahoo/10.gif[/img]"));
}

void tst_PickerPanel::helpButtonOpensTheMenu()
{
    m_window->imgNavy_Click(5);
    bool mainWindowBlocked = false;
    whenModal(QStringLiteral("frmICHelp"), [&](QDialog *) { mainWindowBlocked = blockedByModal(m_window.get()); });
    QTest::mouseClick(panel()->findChild<QPushButton *>(QStringLiteral("cmdHelpIC")), Qt::LeftButton);
    QVERIFY(mainWindowBlocked);
    QVERIFY(!QApplication::activeModalWidget());
}

void tst_PickerPanel::okPictureMovesOnlyUnderThePointer()
{
    m_window->imgNavy_Click(5);
    QTRY_VERIFY(!slide()->isActive());
    auto *button = static_cast<AnimatedButton *>(ok());
    auto moving = [button] { return button->movie()->state() == QMovie::Running; };
    auto pointAt = [this](QWidget *w) {
        QTest::mouseMove(m_window->windowHandle(), w->mapTo(m_window.get(), w->rect().center()));
    };

    pointAt(button);
    QVERIFY(!moving()); // disabled
    pointAt(list("lstEmo"));
    choose(3);
    select(0);
    QVERIFY(!moving()); // enabled, but the pointer is elsewhere
    pointAt(button);
    QTRY_VERIFY(moving());
    pointAt(list("lstEmo"));
    QTRY_VERIFY(!moving());
}

QTEST_MAIN(tst_PickerPanel)
#include "tst_pickerpanel.moc"

#include "gui/listbox.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

// The keys that choose a line, on a list the focus reached by Tab: its
// current line is shown but not chosen.
class tst_ListBox : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup() { m_window.reset(); }

    void keysChooseTheCurrentLine_data();
    void keysChooseTheCurrentLine();

private:
    std::unique_ptr<QWidget> m_window;
    ListBox *m_list = nullptr;
};

void tst_ListBox::init()
{
    m_window = std::make_unique<QWidget>();
    auto *edit = new QLineEdit(m_window.get());
    m_list = new ListBox(m_window.get());
    m_list->setGeometry(0, 30, 100, 100);
    m_list->setItems({u"uno"_s, u"due"_s, u"tre"_s});
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Tab);
    QVERIFY(m_list->hasFocus());
    QCOMPARE(m_list->currentRow(), 0);
    QCOMPARE(m_list->selectedRow(), -1);
}

void tst_ListBox::keysChooseTheCurrentLine_data()
{
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QStringList>("heard");
    QTest::newRow("Home on the first") << 0 << int(Qt::Key_Home) << 0 << QStringList{u"scelta 0"_s};
    QTest::newRow("End on the last") << 2 << int(Qt::Key_End) << 0 << QStringList{u"scelta 2"_s};
    QTest::newRow("Space") << 1 << int(Qt::Key_Space) << 0 << QStringList{u"scelta 1"_s};
    // Chosen, then acted on, as a double-click does.
    QTest::newRow("Return") << 0 << int(Qt::Key_Return) << 0 << QStringList{u"scelta 0"_s, u"azione 0"_s};
    QTest::newRow("keypad Enter") << 1 << int(Qt::Key_Enter) << int(Qt::KeypadModifier)
                                  << QStringList{u"scelta 1"_s, u"azione 1"_s};
    // The arrows move and choose as they did.
    QTest::newRow("Down") << 0 << int(Qt::Key_Down) << 0 << QStringList{u"scelta 1"_s};
}

void tst_ListBox::keysChooseTheCurrentLine()
{
    QFETCH(int, current);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QStringList, heard);
    m_list->selectionModel()->setCurrentIndex(m_list->model()->index(current, 0), QItemSelectionModel::NoUpdate);
    QStringList events;
    connect(m_list, &ListBox::rowSelected, this, [&](int row) { events << u"scelta %1"_s.arg(row); });
    connect(m_list, &ListBox::activated, this, [&](const QModelIndex &index) {
        events << u"azione %1"_s.arg(index.row());
    });
    QTest::keyClick(m_list, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(events, heard);
    QCOMPARE(m_list->selectedRow(), m_list->currentRow());
    // Pressed again on a line already chosen, a key chooses nothing new.
    QTest::keyClick(m_list, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(events.count(heard.first()), 1);
}

QTEST_MAIN(tst_ListBox)
#include "tst_listbox.moc"

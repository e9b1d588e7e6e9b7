#include "gui/listbox.h"

#include <QLineEdit>
#include <QTest>

using namespace Qt::StringLiterals;

// Keys on a list the focus reached by Tab: its current line is shown, not chosen.
class tst_ListBox : public QObject
{
    Q_OBJECT

private slots:
    void keysChooseTheCurrentLine_data();
    void keysChooseTheCurrentLine();
};

void tst_ListBox::keysChooseTheCurrentLine_data()
{
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("key");
    QTest::addColumn<QStringList>("heard");
    QTest::newRow("Home on the first") << 0 << int(Qt::Key_Home) << QStringList{u"scelta 0"_s};
    QTest::newRow("End on the last") << 2 << int(Qt::Key_End) << QStringList{u"scelta 2"_s};
    QTest::newRow("Space") << 1 << int(Qt::Key_Space) << QStringList{u"scelta 1"_s};
    // Chosen, then acted on, as a double-click does.
    QTest::newRow("Return") << 0 << int(Qt::Key_Return) << QStringList{u"scelta 0"_s, u"azione 0"_s};
    QTest::newRow("Enter") << 1 << int(Qt::Key_Enter) << QStringList{u"scelta 1"_s, u"azione 1"_s};
    QTest::newRow("Down, as before") << 0 << int(Qt::Key_Down) << QStringList{u"scelta 1"_s};
}

void tst_ListBox::keysChooseTheCurrentLine()
{
    QFETCH(int, current);
    QFETCH(int, key);
    QFETCH(QStringList, heard);
    QWidget window;
    auto *edit = new QLineEdit(&window);
    auto *list = new ListBox(&window);
    list->setGeometry(0, 30, 100, 100);
    list->setItems({u"uno"_s, u"due"_s, u"tre"_s});
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(edit, Qt::Key_Tab);
    QCOMPARE(list->selectedRow(), -1);
    list->selectionModel()->setCurrentIndex(list->model()->index(current, 0), QItemSelectionModel::NoUpdate);
    QStringList events;
    connect(list, &ListBox::rowSelected, this, [&](int row) { events << u"scelta %1"_s.arg(row); });
    connect(list, &ListBox::activated, this, [&](const QModelIndex &i) { events << u"azione %1"_s.arg(i.row()); });
    QTest::keyClick(list, Qt::Key(key));
    QCOMPARE(events, heard);
}

QTEST_MAIN(tst_ListBox)
#include "tst_listbox.moc"

#include "gui/listbox.h"

#include <QItemSelectionModel>
#include <QStringListModel>
#include <QTimer>

ListBox::ListBox(QWidget *parent)
    : QListView(parent)
    , m_model(new QStringListModel(this))
{
    setModel(m_model);
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        const QModelIndexList rows = selectionModel()->selectedRows();
        if (!rows.isEmpty())
            emit rowSelected(rows.first().row());
    });
}

void ListBox::setItems(const QStringList &items)
{
    // Freeing the lines of a large set takes milliseconds; that is done a
    // moment later, once the new lines are on screen, not before.
    if (m_items.size() > 1000) {
        if (m_retired.isEmpty())
            QTimer::singleShot(250, this, [this] { m_retired.clear(); });
        m_retired.append(m_items);
    }
    m_items = items;
    m_model->setStringList(m_items);
}

int ListBox::currentRow() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

void ListBox::setCurrentRow(int row)
{
    setCurrentIndex(m_model->index(row, 0));
}

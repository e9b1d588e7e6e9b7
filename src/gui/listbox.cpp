#include "gui/listbox.h"

#include "gui/focusframestyle.h"

#include <QDrag>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMimeData>
#include <QStringListModel>
#include <QTimer>

#include <utility>

class ListBox::Lines final : public QStringListModel
{
public:
    using QStringListModel::QStringListModel;

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role == Qt::AccessibleDescriptionRole)
            return description && index.isValid() ? description(index.row()) : QString();
        return QStringListModel::data(index, role);
    }

    std::function<QString(int row)> description;
};

ListBox::ListBox(QWidget *parent)
    : QListView(parent)
    , m_model(new Lines(this))
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
    // New lines are read from their first, not from where the old ones were.
    scrollToTop();
}

void ListBox::appendItem(const QString &text)
{
    m_items.append(text);
    const int row = m_model->rowCount();
    m_model->insertRows(row, 1);
    m_model->setData(m_model->index(row, 0), text);
}

void ListBox::removeItem(int row)
{
    if (row < 0 || row >= m_items.size())
        return;
    m_items.removeAt(row);
    m_model->removeRows(row, 1);
}

int ListBox::selectedRow() const
{
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
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

void ListBox::setDescription(std::function<QString(int row)> description)
{
    m_model->description = std::move(description);
}

void ListBox::keyPressEvent(QKeyEvent *event)
{
    // The focus coming by Tab makes a line current without choosing it, and
    // on that line Home, End, Enter and Space would do nothing: they choose
    // it, as a click does. Enter still goes on to the view, which takes it as
    // acting on the line, so it chooses and acts at once, as a double-click.
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    const auto chooseCurrent = [this] {
        const QModelIndex current = currentIndex();
        if (current.isValid() && !selectionModel()->isSelected(current))
            selectionModel()->select(current, QItemSelectionModel::ClearAndSelect);
    };
    switch (plain ? event->key() : 0) {
    case Qt::Key_Enter:
    case Qt::Key_Return:
    case Qt::Key_Space:
        chooseCurrent();
        QListView::keyPressEvent(event);
        return;
    case Qt::Key_Home:
    case Qt::Key_End:
        QListView::keyPressEvent(event);
        chooseCurrent();
        return;
    default:
        QListView::keyPressEvent(event);
    }
}

void ListBox::focusInEvent(QFocusEvent *event)
{
    // Made at the first focus, when the list has its place in a window.
    if (!std::exchange(m_framed, true))
        FocusFrameStyle::frameWhileFocused(this);
    QListView::focusInEvent(event);
}

void ListBox::setDragText(std::function<QString(int row)> text)
{
    m_dragText = std::move(text);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
}

QMimeData *ListBox::dragData(int row) const
{
    const QString text = m_dragText ? m_dragText(row) : QString();
    if (text.isEmpty())
        return nullptr;
    auto *data = new QMimeData;
    data->setText(text);
    return data;
}

void ListBox::startDrag(Qt::DropActions)
{
    QMimeData *data = dragData(currentRow());
    if (!data)
        return;
    const int row = currentRow();
    auto *drag = new QDrag(this);
    drag->setMimeData(data);
    if (drag->exec(Qt::CopyAction) != Qt::IgnoreAction)
        emit rowDropped(row);
}

#include "gui/rowsview.h"

#include "gui/controls.h"

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

ModelRow::ModelRow(const QPersistentModelIndex &index, QWidget *parent)
    : QWidget(parent)
    , m_index(index)
{
}

void ModelRow::refresh()
{
    if (m_refresh && m_index.isValid())
        m_refresh(m_index);
}

void ModelRow::onClick(QAbstractButton *button, Action action)
{
    connect(button, &QAbstractButton::clicked, this, [this, action = std::move(action)] {
        if (m_index.isValid())
            action(m_index);
    });
}

ModelRow::TwoLines ModelRow::twoLines(const QPersistentModelIndex &index, QWidget *parent, const QString &rowName,
                                      const QString &nameName, const QString &aboutName)
{
    auto *row = new ModelRow(index, parent);
    row->setObjectName(rowName);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *text = new QVBoxLayout;
    auto *name = new QLabel(row);
    name->setObjectName(nameName);
    name->setFont(Controls::arial(9.75, true));
    name->setTextFormat(Qt::PlainText);
    auto *about = new QLabel(row);
    about->setObjectName(aboutName);
    about->setFont(Controls::arial(8.25));
    about->setTextFormat(Qt::PlainText);
    about->setWordWrap(true);
    text->addWidget(name);
    text->addWidget(about);
    layout->addLayout(text, 1);
    return {row, name, about, layout};
}

QPushButton *ModelRow::addButton(QHBoxLayout *layout, const QString &objectName, const QString &caption)
{
    auto *button = new QPushButton(caption, this);
    button->setObjectName(objectName);
    button->setFont(Controls::arial(8.25));
    layout->addWidget(button);
    return button;
}

RowsView::RowsView(QAbstractItemModel *model, MakeRow makeRow, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_makeRow(std::move(makeRow))
    , m_layout(new QVBoxLayout(this))
{
    m_layout->setContentsMargins(0, 0, 0, 0);
    connect(model, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex &parent, int first, int last) {
        if (!parent.isValid())
            insert(first, last);
    });
    connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex &parent, int first, int last) {
                if (!parent.isValid())
                    remove(first, last);
            });
    connect(model, &QAbstractItemModel::dataChanged, this, [this](const QModelIndex &from, const QModelIndex &to) {
        if (from.parent().isValid())
            return;
        for (int row = from.row(); row <= to.row() && row < m_rows.size(); ++row)
            m_rows.at(row)->refresh();
    });
    // Rows moved or sorted are built again: the lists here only add and remove.
    connect(model, &QAbstractItemModel::modelReset, this, &RowsView::rebuild);
    connect(model, &QAbstractItemModel::rowsMoved, this, &RowsView::rebuild);
    connect(model, &QAbstractItemModel::layoutChanged, this, &RowsView::rebuild);
    rebuild();
}

void RowsView::insert(int first, int last)
{
    for (int row = first; row <= last; ++row) {
        ModelRow *widget = m_makeRow(QPersistentModelIndex(m_model->index(row, 0)), this);
        widget->refresh();
        m_rows.insert(row, widget);
        m_layout->insertWidget(row, widget);
        widget->show();
    }
    setVisible(!m_rows.isEmpty());
    emit rowsAdded();
}

void RowsView::remove(int first, int last)
{
    for (int row = last; row >= first && row < m_rows.size(); --row) {
        ModelRow *widget = m_rows.takeAt(row);
        m_layout->removeWidget(widget);
        // Hidden now, deleted later: the row's own button may be the one
        // whose click took its item away.
        widget->hide();
        widget->deleteLater();
    }
    setVisible(!m_rows.isEmpty());
}

void RowsView::rebuild()
{
    remove(0, int(m_rows.size()) - 1);
    if (const int count = m_model->rowCount(); count > 0)
        insert(0, count - 1);
}

QList<QWidget *> RowsView::tabStops() const
{
    QList<QWidget *> stops;
    for (ModelRow *row : m_rows) {
        const QList<QWidget *> children = row->findChildren<QWidget *>();
        for (QWidget *child : children) {
            if (child->focusPolicy() & Qt::TabFocus)
                stops.append(child);
        }
    }
    return stops;
}

void RowsView::chainTabStops(const QList<QWidget *> &stops)
{
    for (qsizetype i = 1; i < stops.size(); ++i)
        QWidget::setTabOrder(stops.at(i - 1), stops.at(i));
}

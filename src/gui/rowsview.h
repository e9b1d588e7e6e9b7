#pragma once

#include <QList>
#include <QPersistentModelIndex>
#include <QWidget>

#include <functional>

class QAbstractButton;
class QAbstractItemModel;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QVBoxLayout;

// The widgets that show one item of a model, and act on it: the index is
// kept as the model moves the item, so a button acts on the item the row
// shows when it is pressed, wherever that item is by then.
class ModelRow final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ModelRow)

public:
    using Refresh = std::function<void(const QModelIndex &index)>;
    using Action = std::function<void(const QModelIndex &index)>;

    ModelRow(const QPersistentModelIndex &index, QWidget *parent);

    // Invalid once the item has gone.
    const QPersistentModelIndex &index() const { return m_index; }

    // How the row shows its item, as the model has it now.
    void setRefresh(Refresh refresh) { m_refresh = std::move(refresh); }
    void refresh();

    // A click runs action on the row's item, if it is still there.
    void onClick(QAbstractButton *button, Action action);

    // A row of a window's list: its name in bold over a wrapped line about
    // it, and room at the right for its buttons.
    struct TwoLines
    {
        ModelRow *row;
        QLabel *name;
        QLabel *about;
        QHBoxLayout *layout;
    };
    static TwoLines twoLines(const QPersistentModelIndex &index, QWidget *parent, const QString &rowName,
                             const QString &nameName, const QString &aboutName);
    // A button at the row's right, in the windows' font.
    QPushButton *addButton(QHBoxLayout *layout, const QString &objectName, const QString &caption);

private:
    QPersistentModelIndex m_index;
    Refresh m_refresh;
};

// A model's rows as real widgets, one under the other, for the scrolling
// lists of rows: unlike an item view's painted items, their buttons are in
// the Tab chain and in what a screen reader is shown, and the scroll area
// brings into sight the one Tab reaches. Hidden while the model is empty.
class RowsView final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RowsView)

public:
    using MakeRow = std::function<ModelRow *(const QPersistentModelIndex &index, QWidget *parent)>;

    RowsView(QAbstractItemModel *model, MakeRow makeRow, QWidget *parent);

    // The rows' Tab stops, top to bottom.
    QList<QWidget *> tabStops() const;

    // Puts stops one after another in the Tab chain, in the order given.
    static void chainTabStops(const QList<QWidget *> &stops);

signals:
    // New rows joined the end of the Tab chain: the window puts them in their place.
    void rowsAdded();

private:
    void insert(int first, int last);
    void remove(int first, int last);
    void rebuild();

    QAbstractItemModel *m_model;
    MakeRow m_makeRow;
    QVBoxLayout *m_layout;
    QList<ModelRow *> m_rows;
};

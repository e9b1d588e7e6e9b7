#pragma once

#include <QListView>
#include <QStringList>

class QStringListModel;

// A list of texts backed by one string list: filling or emptying it is a
// single swap, where a list of item objects would make and free one object
// per line (tens of milliseconds for a personal set of 32,767 entries).
class ListBox final : public QListView
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ListBox)

public:
    explicit ListBox(QWidget *parent = nullptr);

    void setItems(const QStringList &items);
    void clear() { setItems({}); }
    const QStringList &items() const { return m_items; }
    int count() const { return int(m_items.size()); }
    QString text(int row) const { return m_items.value(row); }

    int currentRow() const;
    void setCurrentRow(int row);

signals:
    // The user selected a line, by mouse or keyboard. A line made current
    // without being selected (the list taking the focus) is no choice.
    void rowSelected(int row);

private:
    QStringListModel *m_model = nullptr;
    QStringList m_items;
    // Lines replaced, freed once the new ones are on screen.
    QList<QStringList> m_retired;
};

#pragma once

#include <QListView>
#include <QStringList>

#include <functional>

class QMimeData;

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
    // One line more at the end, or one less; the selection stays on its line.
    void appendItem(const QString &text);
    void removeItem(int row);
    const QStringList &items() const { return m_items; }
    int count() const { return int(m_items.size()); }
    QString text(int row) const { return m_items.value(row); }

    // The line the user chose, or -1.
    int selectedRow() const;
    int currentRow() const;
    void setCurrentRow(int row);

    // What a screen reader tells of each line after its text: an address
    // behind a name, say.
    void setDescription(std::function<QString(int row)> description);

    // Lines dragged out of the list carry the text this gives for their row;
    // an empty text starts no drag.
    void setDragText(std::function<QString(int row)> text);
    QMimeData *dragData(int row) const;

signals:
    // The user selected a line, by mouse or keyboard. A line made current
    // without being selected (the list taking the focus) is no choice.
    void rowSelected(int row);
    // A line dragged out of the list was dropped somewhere that took it.
    void rowDropped(int row);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void startDrag(Qt::DropActions supportedActions) override;

private:
    class Lines;

    Lines *m_model = nullptr;
    bool m_framed = false;
    std::function<QString(int row)> m_dragText;
    QStringList m_items;
    // Lines replaced, freed once the new ones are on screen.
    QList<QStringList> m_retired;
};

#pragma once

#include "platform/text.h"

#include <QListWidget>

namespace quorvel {

// A list box of library names. Each item keeps the name's bytes exactly as read, and shows them
// decoded; sorting, when on, orders the names by their GBK bytes (pinyin order for the common
// characters).
//
// itemSelected() is raised only when the user selects an item (by mouse or keyboard, also by
// clicking the item already selected), never by the program's own changes to the list.
class NameList : public QListWidget
{
    Q_OBJECT

public:
    explicit NameList(QWidget *parent = nullptr);

    int count() const { return QListWidget::count(); }
    // The name at row; the empty text outside the list (row -1 included).
    Text nameAt(int row) const;
    Text currentName() const { return nameAt(currentRow()); }
    TextList names() const;

    // Appends the name, or puts it at its sorted place while sorting is on.
    void addName(const Text &name);
    void addNames(const TextList &names);
    // Changes the name at row in place; nothing outside the list.
    void setNameAt(int row, const Text &name);
    // Removes the item at row; nothing outside the list. Removing the selected item leaves
    // nothing selected.
    void removeAt(int row);
    void clearNames();
    // Makes the list show these names, changing as little as it must: one name added, removed or
    // renamed changes that item only; anything else lists the names afresh, with the name that
    // was selected selected again where it is still there. Scroll position and selection stay.
    void showNames(const TextList &names);
    // Turns sorting on for good: the items are sorted now and added at their sorted place.
    void setSorted();
    bool isSorted() const { return isSortingEnabled(); }

signals:
    void itemSelected(int row);
    // Return or Enter on the current item: for the keyboard what a double-click is for the mouse.
    void returnPressed();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;

private:
    // Changes made by the program itself run inside this guard and raise no itemSelected().
    class ProgramChange;
    void onCurrentRowChanged(int row);
    bool showRenamedAndMoved(const TextList &shown, const TextList &names, qsizetype first);

    int m_programChanges = 0;
    bool m_selectedThisPress = false;
};

} // namespace quorvel

#pragma once

#include <QListWidget>
#include <QTest>

namespace quorvel::test {

// Clicks a row of a list box as the user would, on its visible rectangle.
inline void clickRow(QListWidget *list, int row, Qt::MouseButton button = Qt::LeftButton)
{
    list->scrollToItem(list->item(row));
    QTest::mouseClick(list->viewport(), button, {}, list->visualItemRect(list->item(row)).center());
}

inline void doubleClickRow(QListWidget *list, int row)
{
    list->scrollToItem(list->item(row));
    const QPoint at = list->visualItemRect(list->item(row)).center();
    // A real double-click: the first click selects, the second arrives as a double-click.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

inline QStringList rows(const QListWidget *list)
{
    QStringList texts;
    for (int row = 0; row < list->count(); ++row)
        texts.append(list->item(row)->text());
    return texts;
}

} // namespace quorvel::test

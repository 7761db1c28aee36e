#pragma once

#include "engine/generator.h"
#include "library/library.h"

#include <QHash>
#include <QWidget>

class QTreeWidget;
class QTreeWidgetItem;

namespace quorvel {

// "查看来源": where one story line came from, as a tree: the template's pattern line, and under it
// the draws, nested as they were made. Double-clicking an entry asks to open that template or
// element at that line; showDraw() marks the draw that produced a part of the line.
class SourceWindow : public QWidget
{
    Q_OBJECT

public:
    explicit SourceWindow(QWidget *parent = nullptr);

    void showLine(const StoryLine &line);
    const StoryLine &line() const { return m_line; }
    // Selects the entry of the innermost draw that holds bytes [start, end) of the line.
    void showDraw(qsizetype start, qsizetype end);

signals:
    void openRequested(Folder folder, const Text &fileName, int line);

private:
    void addDraws(QTreeWidgetItem *parent, const QList<DrawTrace> &draws);
    void openItem(QTreeWidgetItem *item);

    QTreeWidget *m_tree = nullptr;
    StoryLine m_line;
    // The entry of each draw of m_line.
    QHash<const DrawTrace *, QTreeWidgetItem *> m_items;
};

} // namespace quorvel

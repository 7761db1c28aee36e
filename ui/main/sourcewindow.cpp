#include "ui/main/sourcewindow.h"

#include "ui/widgets/geometry.h"
#include "ui/widgets/tracetext.h"

#include <QHeaderView>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace quorvel {

namespace {

// What an entry stands for: the folder, the name and the line to open.
constexpr int FolderRole = Qt::UserRole + 1;
constexpr int NameRole = Qt::UserRole + 2;
constexpr int LineRole = Qt::UserRole + 3;
constexpr int StartRole = Qt::UserRole + 4;
constexpr int EndRole = Qt::UserRole + 5;

void addDraws(QTreeWidgetItem *parent, const Text &storyLine, const QList<DrawTrace> &draws)
{
    for (const DrawTrace &draw : draws) {
        auto *item = new QTreeWidgetItem(parent, {drawText(storyLine, draw)});
        item->setData(0, FolderRole, int(Folder::Elements));
        item->setData(0, NameRole, draw.element.toGbk());
        item->setData(0, LineRole, draw.line);
        item->setData(0, StartRole, qint64(draw.start));
        item->setData(0, EndRole, qint64(draw.end));
        addDraws(item, storyLine, draw.inner);
    }
}

QTreeWidgetItem *itemHolding(QTreeWidgetItem *item, qsizetype start, qsizetype end)
{
    for (int i = 0; i < item->childCount(); ++i) {
        QTreeWidgetItem *child = item->child(i);
        if (child->data(0, StartRole).toLongLong() <= start &&
            end <= child->data(0, EndRole).toLongLong() &&
            start < child->data(0, EndRole).toLongLong()) {
            QTreeWidgetItem *inner = itemHolding(child, start, end);
            return inner ? inner : child;
        }
    }
    return nullptr;
}

} // namespace

SourceWindow::SourceWindow(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(QStringLiteral("查看来源"));
    useWindowFont(this);
    m_tree = new QTreeWidget(this);
    m_tree->setObjectName(QStringLiteral("来源树"));
    m_tree->setHeaderHidden(true);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tree);
    resize(420, 260);
    connect(m_tree, &QTreeWidget::itemDoubleClicked, this, &SourceWindow::openItem);
    connect(m_tree, &QTreeWidget::itemActivated, this, &SourceWindow::openItem);
}

void SourceWindow::showLine(const StoryLine &line)
{
    m_line = line;
    m_tree->clear();
    auto *root = new QTreeWidgetItem(m_tree, {patternLineText(line.trace)});
    root->setData(0, FolderRole, int(Folder::Templates));
    root->setData(0, NameRole, line.trace.templateName.toGbk());
    root->setData(0, LineRole, line.trace.patternLine);
    addDraws(root, line.text, line.trace.draws);
    m_tree->expandAll();
    m_tree->setCurrentItem(root);
}

void SourceWindow::showDraw(qsizetype start, qsizetype end)
{
    QTreeWidgetItem *root = m_tree->topLevelItem(0);
    if (!root)
        return;
    QTreeWidgetItem *holding = itemHolding(root, start, end);
    m_tree->setCurrentItem(holding ? holding : root);
}

void SourceWindow::openItem(QTreeWidgetItem *item)
{
    if (!item || item->data(0, LineRole).toInt() <= 0)
        return;
    emit openRequested(Folder(item->data(0, FolderRole).toInt()),
                       Text::fromGbk(item->data(0, NameRole).toByteArray()),
                       item->data(0, LineRole).toInt());
}

} // namespace quorvel

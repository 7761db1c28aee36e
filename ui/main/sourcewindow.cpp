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
    // A double-click, or Return on the current entry.
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
    m_items.clear();
    addDraws(root, m_line.trace.draws);
    m_tree->expandAll();
    m_tree->setCurrentItem(root);
}

void SourceWindow::showDraw(qsizetype start, qsizetype end)
{
    QTreeWidgetItem *root = m_tree->topLevelItem(0);
    if (!root)
        return;
    const DrawTrace *draw = drawHolding(m_line.trace.draws, start, end);
    m_tree->setCurrentItem(draw ? m_items.value(draw) : root);
}

void SourceWindow::addDraws(QTreeWidgetItem *parent, const QList<DrawTrace> &draws)
{
    // The item last added at each depth: the parent of the draws one level deeper.
    QList<QTreeWidgetItem *> holders{parent};
    forEachDraw(draws, [&](const DrawTrace &draw, int depth) {
        const QString text = drawText(m_line.text, draw);
        auto *item = new QTreeWidgetItem(holders.at(depth), {text});
        item->setToolTip(0, text); // the whole of a long line the column cuts
        item->setData(0, FolderRole, int(Folder::Elements));
        item->setData(0, NameRole, draw.element.toGbk());
        item->setData(0, LineRole, draw.line);
        m_items.insert(&draw, item);
        holders.resize(depth + 1);
        holders.append(item);
    });
}

void SourceWindow::openItem(QTreeWidgetItem *item)
{
    if (!item || item->data(0, LineRole).toInt() <= 0)
        return;
    const auto folder = Folder(item->data(0, FolderRole).toInt());
    const Text name = Text::fromGbk(item->data(0, NameRole).toByteArray());
    emit openRequested(folder, LibraryName::content(folder, name).fileName(),
                       item->data(0, LineRole).toInt());
}

} // namespace quorvel

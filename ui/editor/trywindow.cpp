#include "ui/editor/trywindow.h"

#include "ui/widgets/geometry.h"
#include "ui/widgets/tracetext.h"

#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

namespace quorvel {

TryWindow::TryWindow(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(QStringLiteral("试写"));
    useWindowFont(this);
    m_results = new QListWidget(this);
    m_results->setObjectName(QStringLiteral("试写结果"));
    m_results->setWordWrap(true);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_results);
    resize(460, 240);
}

void TryWindow::showResults(const QString &source, const QList<StoryLine> &results,
                            const QStringList &messages)
{
    m_results->clear();
    setWindowTitle(QStringLiteral("试写：") + source);
    for (const StoryLine &result : results) {
        auto *item = new QListWidgetItem(result.text.toUnicode(), m_results);
        const QString draws = drawsText(result.text, result.trace.draws);
        item->setToolTip(source + (draws.isEmpty() ? QString() : u'\n' + draws));
    }
    for (const QString &message : messages) {
        auto *item = new QListWidgetItem(QStringLiteral("提示：") + message, m_results);
        item->setForeground(palette().color(QPalette::PlaceholderText));
    }
}

} // namespace quorvel

// 检查素材: the library check's window, and going from one of its findings to the place in the
// library it names.
#include "ui/main/mainwindow.h"

#include "ui/main/checkwindow.h"
#include "ui/widgets/filebox.h"
#include "ui/widgets/namelist.h"

#include <QSignalBlocker>

namespace quorvel {

void MainWindow::checkMaterial()
{
    // One window, checked afresh at every click; it goes with the main window.
    if (!m_checkWindow) {
        m_checkWindow = new CheckWindow(
            m_document.library(), m_services.dialogs,
            [this] { return m_projectFiles->selectedFileName(); }, this);
        m_checkWindow->setWindowFlag(Qt::Window);
        connect(m_checkWindow, &CheckWindow::findingChosen, this, &MainWindow::showFinding);
    }
    m_checkWindow->show();
    m_checkWindow->raise();
    m_checkWindow->activateWindow();
    m_checkWindow->recheck();
}

void MainWindow::showFinding(const Finding &finding)
{
    if (finding.folder == Folder::Projects) {
        showProjectEntry(finding.fileName, finding.line);
        return;
    }
    if (!openEditorAt(finding.folder, finding.fileName, finding.line))
        m_checkWindow->showNote(
            QStringLiteral("没有分类列出“%1”，编辑器无法打开它：请先把它加入一个分类")
                .arg(finding.fileName.toUnicode()));
}

void MainWindow::showProjectEntry(const Text &projectFile, int line)
{
    // The project list is loaded only when another project was selected: the one shown may hold
    // changes not saved yet.
    const int row = int(m_projectFiles->names().indexOf(projectFile));
    if (row < 0)
        return;
    if (row != m_projectFiles->currentRow()) {
        const QSignalBlocker blocker(m_projectFiles);
        m_projectFiles->setCurrentRow(row);
        loadProject();
    }
    if (line > 0 && line <= m_projectList->count()) {
        const QSignalBlocker blocker(m_projectList);
        m_projectList->setCurrentRow(line - 1);
    }
    raise();
    activateWindow();
}

} // namespace quorvel

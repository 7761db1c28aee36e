// Project files: a project is a list file in the projects folder. The project list shows the
// library document's current project, which reaches the disk only through "保存".
#include "ui/main/mainwindow.h"

#include "library/librarycommand.h"
#include "ui/widgets/filebox.h"
#include "ui/widgets/librarymessages.h"
#include "ui/widgets/namelist.h"

#include <QLineEdit>

#include <cerrno>

namespace quorvel {

namespace {

const QString NoProjectToSave = QStringLiteral("请先选择要保存的项目！");
const QString ProjectNotSaved = QStringLiteral("项目保存失败！请检查文件是否可写！");

} // namespace

LibraryName MainWindow::typedProject() const
{
    return LibraryName::project(Text::fromUnicode(m_projectName->text()));
}

void MainWindow::newProject()
{
    // An existing project is never emptied by creating it again, even one that another program
    // made a moment ago: the file is created only while the name is free.
    const FileResult created = m_document.create(typedProject());
    if (created.isSystemError(EEXIST))
        m_services.dialogs.message(QString::fromUtf16(messages::NameTaken));
    else if (!created)
        reportFailure(QString::fromUtf16(messages::CreateFailed), created);
    relistProjects();
}

void MainWindow::renameProject()
{
    // The document's rename never replaces a project that already has the new name: the
    // re-listed box shows the user that both are still there. With nothing selected there is
    // nothing to rename, and nothing to tell.
    if (const FileResult renamed =
            m_document.rename(m_projectFiles->selectedName(), typedProject().name());
        !renamed && !renamed.isSystemError(EEXIST) && m_projectFiles->currentRow() >= 0)
        reportFailure(QString::fromUtf16(messages::RenameFailed), renamed);
    relistProjects();
}

void MainWindow::saveProject()
{
    // A save that did not happen must not look like one that did.
    if (m_projectFiles->currentRow() < 0)
        m_services.dialogs.message(NoProjectToSave);
    else if (const FileResult saved = m_document.saveProject(m_projectFiles->selectedName());
             !saved)
        reportFailure(ProjectNotSaved, saved);
}

void MainWindow::deleteProject()
{
    // Asked first, naming the project; the file goes to the trash, and 撤销 brings it back.
    const LibraryName project = m_projectFiles->selectedName();
    if (m_projectFiles->currentRow() >= 0) {
        if (!m_services.dialogs.question(deleteQuestion(project)))
            return;
        if (const FileResult removed = m_document.remove(project); !removed)
            reportFailure(QString::fromUtf16(messages::DeleteFailed), removed);
    }
    relistProjects();
}

void MainWindow::removeEntry()
{
    m_document.removeFromProject(m_projectList->currentRow());
}

void MainWindow::loadProject()
{
    // Another project's list starts with nothing selected in it.
    m_projectList->clearNames();
    const LibraryName project = m_projectFiles->selectedName();
    reportUnreadable(m_document.openProject(project), project.fileName());
}

void MainWindow::showProject()
{
    m_projectList->showNames(m_document.project().templates);
}

} // namespace quorvel

// Project files: a project is a list file in the projects folder; the project list shows the
// selected project in memory and reaches the disk only through "保存".
#include "ui/main/mainwindow.h"

#include "ui/widgets/filebox.h"
#include "ui/widgets/namelist.h"

#include <QLineEdit>

#include <cerrno>

namespace quorvel {

namespace {

const QString ProjectExists = QStringLiteral("该文件已经存在，请重新命名！");
const QString NoProjectToSave = QStringLiteral("请先选择要保存的项目！");
const QString ProjectNotSaved = QStringLiteral("项目保存失败！请检查文件是否可写！");
const QString ProjectNotCreated = QStringLiteral("创建失败！请检查名称是否可用！");

} // namespace

Text MainWindow::typedProjectFile() const
{
    return Text::fromUnicode(m_projectName->text()) + ".l";
}

void MainWindow::newProject()
{
    // An existing project is never emptied by creating it again, even one that another program
    // made a moment ago: the file is created only while the name is free.
    const FileResult created = m_library.createNew(Folder::Projects, typedProjectFile());
    if (created.isSystemError(EEXIST))
        m_services.dialogs.message(ProjectExists);
    else if (!created)
        reportFailure(ProjectNotCreated, created);
    relistProjects();
}

void MainWindow::renameProject()
{
    // The library's rename never replaces a project that already has the new name.
    m_library.rename(Folder::Projects, m_projectFiles->selectedFileName(), typedProjectFile());
    relistProjects();
}

void MainWindow::saveProject()
{
    // A save that did not happen must not look like one that did.
    const Text fileName = m_projectFiles->selectedFileName();
    if (fileName.isEmpty())
        m_services.dialogs.message(NoProjectToSave);
    else if (const FileResult saved =
                 m_library.writeList(Folder::Projects, fileName, m_projectList->names());
             !saved)
        reportFailure(ProjectNotSaved, saved);
}

void MainWindow::deleteProject()
{
    m_library.remove(Folder::Projects, m_projectFiles->selectedFileName());
    relistProjects();
}

void MainWindow::removeEntry()
{
    m_projectList->removeAt(m_projectList->currentRow());
}

void MainWindow::loadProject()
{
    m_projectList->clearNames();
    const Text fileName = m_projectFiles->selectedFileName();
    const Loaded<TextList> project = m_library.loadList(Folder::Projects, fileName);
    reportUnreadable(project.result, fileName);
    m_projectList->addNames(project.value);
}

} // namespace quorvel

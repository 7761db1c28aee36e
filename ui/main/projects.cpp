// Project files: a project is a list file in the projects folder. The project list shows the
// library document's current project, which reaches the disk only through "保存".
#include "ui/main/mainwindow.h"

#include "library/librarycommand.h"
#include "ui/widgets/filebox.h"
#include "ui/widgets/librarymessages.h"
#include "ui/widgets/namelist.h"

#include <QLineEdit>
#include <QSignalBlocker>

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
    const LibraryName made = typedProject();
    const FileResult created = m_document.create(made);
    if (created.isSystemError(EEXIST))
        m_services.dialogs.message(QString::fromUtf16(messages::NameTaken));
    else if (!created)
        reportFailure(QString::fromUtf16(messages::CreateFailed), created);
    relistProjects();
    if (!created)
        return;
    // The new project is the one worked on now, with the list the user built so far as its
    // unsaved list: 保存 puts that list into it.
    const TextList templates = m_document.project().templates;
    m_document.setProject({made, templates, !templates.isEmpty(), m_document.keyOf(made), {}});
    showProjectFile(made);
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
    else
        (void)saveProjectInto(m_projectFiles->selectedName());
}

bool MainWindow::saveProjectInto(const LibraryName &file)
{
    // What another program wrote into the file since it was read is overwritten only when the
    // user says so; what it merely added is kept by the document without asking.
    FileResult saved = m_document.saveProject(file);
    if (saved.cause() == FileResult::Cause::ChangedOnDisk) {
        if (!m_services.dialogs.question(QString::fromUtf16(messages::ChangedOnDisk)))
            return false;
        saved = m_document.saveProject(file, true);
    }
    if (!saved)
        reportFailure(ProjectNotSaved, saved);
    return bool(saved);
}

bool MainWindow::projectMayBeLeft()
{
    // 是 saves the list into the project it came from, 否 lets the changes go, 取消 stays.
    const CurrentProject &project = m_document.project();
    if (!project.modified)
        return true;
    switch (m_services.dialogs.questionWithCancel(QString::fromUtf16(messages::UnsavedChanges))) {
    case Dialogs::Choice::Yes:
        if (project.file.folder() != Folder::Projects) {
            m_services.dialogs.message(NoProjectToSave);
            return false;
        }
        return saveProjectInto(project.file);
    case Dialogs::Choice::No:
        return true;
    case Dialogs::Choice::Cancel:
        break;
    }
    return false;
}

void MainWindow::showProjectFile(const LibraryName &file)
{
    // The program's own choice, not the user's: nothing is loaded.
    const QSignalBlocker quiet(m_projectFiles);
    const auto found = m_projectFiles->names().indexOf(file.fileName());
    m_projectFiles->setCurrentRow(file.folder() == Folder::Projects ? int(found) : -1);
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
    // The list not saved is not dropped without a word; kept, it keeps its project selected.
    if (!projectMayBeLeft()) {
        showProjectFile(m_document.project().file);
        return;
    }
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

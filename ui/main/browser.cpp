// Template browser: choose a category, preview a template from either list, and add templates
// to the project list by double-click.
#include "ui/main/mainwindow.h"

#include "ui/widgets/contentbox.h"
#include "ui/widgets/namelist.h"

#include <QApplication>
#include <QComboBox>

#include <cerrno>

namespace quorvel {

namespace {

const QString EmptyTemplate = QStringLiteral("内容为空，请添加！");
const QString TemplateNotCreated = QStringLiteral("创建失败！请检查名称是否可用！");
// The two lists ask the same question, indented by seven and by eight spaces.
const QString MissingFromCatalogue =
    QStringLiteral("该模板不存在，是否需要创建该模板文件？\r\n       是，创建    否，取消！");
const QString MissingFromProject =
    QStringLiteral("该模板不存在，是否需要创建该模板文件？\r\n        是，创建    否，取消！");

} // namespace

void MainWindow::showCategory()
{
    m_catalogue->clearNames();
    const Text category = Text::fromGbk(m_categories->currentData().toByteArray());
    const Loaded<TextList> list = m_library.loadList(Folder::Templates, category);
    reportUnreadable(list.result, category);
    m_catalogue->addNames(list.value);
}

void MainWindow::previewCatalogueTemplate()
{
    // A selection here is often the first click of a double-click that adds the template to the
    // project. A question box opened now would swallow the second click, so the question for a
    // missing template waits until a double-click could no longer follow.
    const Text name = m_catalogue->currentName();
    if (previewTemplate(name))
        return;
    m_pendingTemplate = name;
    m_pendingQuestion.start(QApplication::doubleClickInterval());
}

void MainWindow::askPendingQuestion()
{
    offerToCreateTemplate(m_pendingTemplate, MissingFromCatalogue);
}

void MainWindow::previewProjectTemplate()
{
    const Text name = m_projectList->currentName();
    if (!previewTemplate(name))
        offerToCreateTemplate(name, MissingFromProject);
}

void MainWindow::appendTemplate()
{
    m_projectList->addName(m_catalogue->currentName());
}

bool MainWindow::previewTemplate(const Text &name)
{
    m_pendingQuestion.stop();
    m_preview->setContent(Text());
    const Text fileName = name + ".txt";
    if (!m_library.exists(Folder::Templates, fileName))
        return false;
    const Loaded<Text> read = m_library.loadContent(Folder::Templates, fileName);
    if (!reportUnreadable(read.result, fileName))
        m_preview->setContent(read.value.isEmpty() ? Text::fromUnicode(EmptyTemplate) : read.value);
    return true;
}

void MainWindow::offerToCreateTemplate(const Text &name, const QString &question)
{
    // Yes gives the template an empty content file; it shows as empty at its next selection. A
    // file that another program wrote while the question was open is kept and shown instead.
    if (!m_services.dialogs.question(question))
        return;
    const FileResult created = m_library.createNew(Folder::Templates, name + ".txt");
    if (created.isSystemError(EEXIST))
        previewTemplate(name);
    else if (!created)
        reportFailure(TemplateNotCreated, created);
}

} // namespace quorvel

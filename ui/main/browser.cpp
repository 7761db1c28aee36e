// Template browser: choose a category, preview a template from either list, and add templates
// to the project list by double-click.
#include "ui/main/mainwindow.h"

#include "ui/widgets/contentbox.h"
#include "ui/widgets/librarymessages.h"
#include "ui/widgets/namelist.h"

#include <QApplication>
#include <QComboBox>

#include <cerrno>

namespace quorvel {

namespace {

const QString EmptyTemplate = QStringLiteral("内容为空，请添加！");
// The two lists ask the same question, indented by seven and by eight spaces.
const QString MissingFromCatalogue =
    QStringLiteral("该模板不存在，是否需要创建该模板文件？\r\n       是，创建    否，取消！");
const QString MissingFromProject =
    QStringLiteral("该模板不存在，是否需要创建该模板文件？\r\n        是，创建    否，取消！");

} // namespace

LibraryName MainWindow::shownCategory() const
{
    const Text fileName = Text::fromGbk(m_categories->currentData().toByteArray());
    return LibraryName::fromFileName(Folder::Templates, fileName)
        .value_or(LibraryName::list(Folder::Templates, Text()));
}

void MainWindow::showCategory()
{
    m_catalogue->clearNames();
    const LibraryName category = shownCategory();
    const Shown<TextList> list = m_document.readList(category);
    reportUnreadable(list.result, category.fileName());
    m_catalogue->addNames(list.value);
}

void MainWindow::followLibrary(const LibraryChange &change)
{
    if (change.name.folder() != Folder::Templates)
        return;
    if (change.name.isList() && change.kind != LibraryChange::Kind::Written) {
        relistTemplateCategories(change);
    } else if (change.name.isList() && change.name == shownCategory()) {
        m_catalogue->showNames(m_document.readList(change.name).value);
    } else if (m_previewed && (change.name == *m_previewed || change.from == *m_previewed)) {
        previewTemplate(change.name.name());
    }
}

void MainWindow::relistTemplateCategories(const LibraryChange &change)
{
    // The category shown stays shown, under its new name when it was renamed; when it is gone,
    // or none was shown, the last one is, as at start-up.
    LibraryName shown = shownCategory();
    if (change.kind == LibraryChange::Kind::Renamed && change.from == shown)
        shown = change.name;
    m_categories->clear();
    const QList<LibraryName> names = m_document.lists(Folder::Templates);
    for (const LibraryName &name : names) {
        const Text fileName = name.fileName();
        m_categories->addItem(fileName.toUnicode(), fileName.toGbk());
    }
    const int kept = m_categories->findData(shown.fileName().toGbk());
    m_categories->setCurrentIndex(kept >= 0 ? kept : m_categories->count() - 1);
    if (m_categories->count() == 0)
        m_catalogue->clearNames();
    else if (kept < 0)
        showCategory();
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
    m_document.appendToProject(m_catalogue->currentName());
}

bool MainWindow::previewTemplate(const Text &name)
{
    m_pendingQuestion.stop();
    m_preview->setContent(Text());
    const LibraryName file = LibraryName::content(Folder::Templates, name);
    m_previewed.reset();
    if (!m_document.exists(file))
        return false;
    m_previewed = file;
    const Shown<Text> read = m_document.readContent(file);
    if (!reportUnreadable(read.result, file.fileName()))
        m_preview->setContent(read.value.isEmpty() ? Text::fromUnicode(EmptyTemplate) : read.value);
    return true;
}

void MainWindow::offerToCreateTemplate(const Text &name, const QString &question)
{
    // Yes gives the template an empty content file; it shows as empty at its next selection. A
    // file that another program wrote while the question was open is kept and shown instead.
    if (!m_services.dialogs.question(question))
        return;
    const FileResult created = m_document.create(LibraryName::content(Folder::Templates, name));
    if (created.isSystemError(EEXIST))
        previewTemplate(name);
    else if (!created)
        reportFailure(QString::fromUtf16(messages::CreateFailed), created);
}

} // namespace quorvel

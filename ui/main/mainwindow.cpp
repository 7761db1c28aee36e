#include "ui/main/mainwindow.h"

#include "library/storyrecovery.h"
#include "ui/editor/editorwindow.h"
#include "ui/main/sourcewindow.h"
#include "ui/widgets/captionbox.h"
#include "ui/widgets/contentbox.h"
#include "ui/widgets/filebox.h"
#include "ui/widgets/geometry.h"
#include "ui/widgets/namelist.h"
#include "ui/widgets/storybox.h"
#include "ui/widgets/undoactions.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace quorvel {

namespace {

constexpr QSize OuterSize(669, 464);

QPushButton *button(QWidget *parent, const char16_t *caption)
{
    return new QPushButton(QString::fromUtf16(caption), parent);
}

QGroupBox *groupBox(QWidget *parent, const char16_t *caption = u"")
{
    return new CaptionBox(QString::fromUtf16(caption), parent);
}

} // namespace

MainWindow::MainWindow(LibraryDocument &document, Services services, QWidget *parent)
    : QWidget(parent), m_document(document), m_services(services)
{
    m_pendingQuestion.setSingleShot(true);
    setWindowTitle(QStringLiteral("Quorvel"));
    useWindowFont(this);
    buildUi();
    connectHandlers();
    startUp();
}

MainWindow::~MainWindow()
{
    // A window that goes without being closed (the program ends otherwise) leaves the story's
    // copy where it is.
    delete m_editor;
}

EditorWindow *MainWindow::editor() const
{
    return m_editor;
}

void MainWindow::buildUi()
{
    m_frame = place(groupBox(this), u"分组框1", -2, 0, 665, 431);
    m_storyArea = place(groupBox(m_frame), u"分组框2", 1, 0, 565, 238);
    m_story = place(new StoryBox(m_storyArea), u"编辑框小说", 3, 8, 559, 228);
    m_toolBox = place(groupBox(m_frame, u"工具箱"), u"分组框3", 565, 1, 100, 237);
    m_run = place(button(m_toolBox, u"运行"), u"按钮6", 3, 13, 93, 24);
    m_openEditor = place(button(m_toolBox, u"模板编辑器"), u"按钮1", 3, 41, 93, 24);
    m_saveStory = place(button(m_toolBox, u"保存故事"), u"按钮8", 3, 69, 93, 24);
    m_checkMaterial = place(button(m_toolBox, u"检查素材"), u"按钮9", 3, 97, 93, 24);
    m_newProject = place(button(m_frame, u"新建"), u"按钮2", 5, 238, 32, 24);
    m_renameProject = place(button(m_frame, u"修改"), u"按钮3", 38, 238, 32, 24);
    m_saveProject = place(button(m_frame, u"保存"), u"按钮5", 70, 238, 32, 24);
    m_deleteProject = place(button(m_frame, u"删项目"), u"按钮4", 6, 262, 47, 22);
    m_removeEntry = place(button(m_frame, u"删子项"), u"按钮7", 54, 262, 48, 22);
    m_projectName = place(new QLineEdit(m_frame), u"编辑框项目名", 4, 285, 98, 22);
    m_projectFiles =
        place(new FileBox(m_document, Folder::Projects, m_frame), u"文件框1", 4, 308, 98, 120);
    m_projectList = place(new NameList(m_frame), u"列表框项目", 106, 238, 144, 189);
    m_preview = place(new ContentBox(m_frame), u"编辑框预览", 250, 238, 273, 190);
    m_categoryLabel =
        place(new QLabel(QString::fromUtf16(u"模板分类："), m_frame), u"标签1", 529, 243, 56, 13);
    m_categories = place(new QComboBox(m_frame), u"组合框模板", 592, 238, 72, 20);
    m_catalogue = place(new NameList(m_frame), u"列表框总目录", 522, 259, 142, 168);

    // The label's caption is a little wider than its box; let it use the gap before the combo box
    // rather than cut off its last character.
    m_categoryLabel->resize(qMin(m_categoryLabel->sizeHint().width(), 592 - 529),
                            qMax(13, m_categoryLabel->sizeHint().height()));
    // Buttons keep their small drawn sizes: no minimum padding from the style. Return and Enter
    // press the button that has the focus.
    for (QPushButton *b : findChildren<QPushButton *>()) {
        b->setStyleSheet(QStringLiteral("QPushButton { padding: 0px; }"));
        b->setAutoDefault(true);
    }
    growWithTheWindow();
    setTabChain({m_story, m_run, m_openEditor, m_saveStory, m_checkMaterial, m_newProject,
                 m_renameProject, m_saveProject, m_deleteProject, m_removeEntry, m_projectName,
                 m_projectFiles, m_projectList, m_preview, m_categories, m_catalogue});
}

void MainWindow::growWithTheWindow()
{
    // The story box takes the extra width and the upper half of the extra height; the lower
    // row's lists and the preview the lower half, the preview also the extra width.
    auto *growth = new GrowingLayout(this, this, OuterSize);
    const unsigned belowStory = UpperHalf;
    growth->follow(m_frame, {0, Width, 0, Height});
    growth->follow(m_storyArea, {0, Width, 0, UpperHalf});
    growth->follow(m_story, {0, Width, 0, UpperHalf});
    growth->follow(m_toolBox, {Width, 0, 0, UpperHalf});
    for (QWidget *fixed :
         std::initializer_list<QWidget *>{m_newProject, m_renameProject, m_saveProject,
                                          m_deleteProject, m_removeEntry, m_projectName})
        growth->follow(fixed, {0, 0, belowStory, 0});
    growth->follow(m_projectFiles, {0, 0, belowStory, LowerHalf});
    growth->follow(m_projectList, {0, 0, belowStory, LowerHalf});
    growth->follow(m_preview, {0, Width, belowStory, LowerHalf});
    growth->follow(m_categoryLabel, {Width, 0, belowStory, 0});
    growth->follow(m_categories, {Width, 0, belowStory, 0});
    growth->follow(m_catalogue, {Width, 0, belowStory, LowerHalf});
}

void MainWindow::connectHandlers()
{
    connect(m_openEditor, &QPushButton::clicked, this, &MainWindow::openEditor);
    connect(m_run, &QPushButton::clicked, this, &MainWindow::runNovel);
    connect(m_saveStory, &QPushButton::clicked, this, &MainWindow::saveStory);
    connect(m_story, &StoryBox::sourceRequested, this, &MainWindow::showSource);
    connect(m_story, &StoryBox::selectionInStoryLine, this, &MainWindow::showSelectedDraw);
    connect(m_checkMaterial, &QPushButton::clicked, this, &MainWindow::checkMaterial);
    connect(m_newProject, &QPushButton::clicked, this, &MainWindow::newProject);
    connect(m_renameProject, &QPushButton::clicked, this, &MainWindow::renameProject);
    connect(m_saveProject, &QPushButton::clicked, this, &MainWindow::saveProject);
    connect(m_deleteProject, &QPushButton::clicked, this, &MainWindow::deleteProject);
    connect(m_removeEntry, &QPushButton::clicked, this, &MainWindow::removeEntry);
    connect(m_projectFiles, &NameList::itemSelected, this, &MainWindow::loadProject);
    connect(m_categories, &QComboBox::activated, this, &MainWindow::showCategory);
    connect(m_catalogue, &NameList::itemSelected, this, &MainWindow::previewCatalogueTemplate);
    connect(m_catalogue, &NameList::itemDoubleClicked, this, &MainWindow::appendTemplate);
    connect(m_catalogue, &NameList::returnPressed, this, &MainWindow::appendTemplate);
    connect(m_projectList, &NameList::itemSelected, this, &MainWindow::previewProjectTemplate);
    connect(&m_pendingQuestion, &QTimer::timeout, this, &MainWindow::askPendingQuestion);
    connect(&m_document, &LibraryDocument::changed, this, &MainWindow::followLibrary);
    connect(&m_document, &LibraryDocument::projectChanged, this, &MainWindow::showProject);
    // 撤销 and 重做 of the library's commands, from the keyboard.
    m_undoActions = new UndoActions(m_document, m_services.dialogs, this);
}

void MainWindow::startUp()
{
    // The library's folders were made when the document opened it.
    m_projectFiles->relist();
    fillTemplateCategories();
}

void MainWindow::fillTemplateCategories()
{
    // Each category is added as the last item and selected, so the last one ends up selected.
    const QList<LibraryName> names = m_document.lists(Folder::Templates);
    for (const LibraryName &name : names) {
        const Text fileName = name.fileName();
        m_categories->addItem(fileName.toUnicode(), fileName.toGbk());
        m_categories->setCurrentIndex(m_categories->count() - 1);
    }
    // Show the selected category's templates straight away, as if the user had chosen it.
    if (m_categories->currentIndex() >= 0)
        showCategory();
}

void MainWindow::showSource(const StoryLine &line)
{
    // One window, showing the line asked for last.
    if (!m_source) {
        m_source = new SourceWindow(this);
        m_source->setObjectName(QStringLiteral("来源窗口"));
        connect(m_source, &SourceWindow::openRequested, this, &MainWindow::openEditorAt);
    }
    m_source->showLine(line);
    m_source->show();
    m_source->raise();
}

void MainWindow::showSelectedDraw(const StoryLine &line, qsizetype start, qsizetype end)
{
    if (m_source && m_source->isVisible() && m_source->line().text == line.text)
        m_source->showDraw(start, end);
}

bool MainWindow::openEditorAt(Folder folder, const Text &fileName, int line)
{
    openEditor();
    return m_editor->showLibraryFile(folder, fileName, line);
}

void MainWindow::openEditor()
{
    // There is only ever one editor: two editors on the same files would overwrite each other's
    // lists. A second click brings the open one to the front.
    if (!m_editor)
        m_editor = new EditorWindow(m_document, m_services);
    m_editor->show();
    m_editor->raise();
    m_editor->activateWindow();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // The program ends with its main window, editor included; when the editor stays open (its
    // changed text not to be lost), so does the main window, and so it does for a project list
    // or a story the user does not want to lose.
    if ((m_editor && !m_editor->close()) || !projectMayBeLeft() || !storyMayClose()) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void MainWindow::relistProjects()
{
    m_projectFiles->relist();
}

void MainWindow::reportFailure(const QString &message, const FileResult &result)
{
    m_services.dialogs.message(withCause(message, result));
}

bool MainWindow::reportUnreadable(const FileResult &read, const Text &fileName)
{
    const QString message = unreadableMessage(read, fileName.toUnicode());
    if (!message.isEmpty())
        m_services.dialogs.message(message);
    return !message.isEmpty();
}

} // namespace quorvel

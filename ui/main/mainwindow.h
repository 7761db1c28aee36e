#pragma once

#include "engine/check.h"
#include "library/librarydocument.h"
#include "platform/services.h"
#include "platform/text.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <memory>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace quorvel {

class CheckWindow;
class ContentBox;
class EditorWindow;
class FileBox;
class NameList;
class SourceWindow;
class StoryBox;
class StoryRecovery;
class UndoActions;
struct StoryLine;

// The project workspace: choose, create, rename, save and delete projects, browse and preview
// templates, build the current project and run it into the story box.
class MainWindow : public QWidget
{
    Q_OBJECT

public:
    MainWindow(LibraryDocument &document, Services services, QWidget *parent = nullptr);
    ~MainWindow() override;

    LibraryDocument &document() { return m_document; }
    EditorWindow *editor() const;

    // Keeps the story box's text in the state folder while it is not saved, so that a crash or
    // a kill does not take it (see library/storyrecovery.h); first offers back a story that a
    // program which ended without a word left there. Without it the story is kept nowhere.
    void keepStoryIn(const QString &stateFolder);

protected:
    void closeEvent(QCloseEvent *event) override;

private slots:
    // Start-up and the editor.
    void startUp();
    void fillTemplateCategories();
    // Follows a change the library document made, from either window or an undo: the template
    // categories, the templates of the category shown, and the template in the preview.
    void followLibrary(const quorvel::LibraryChange &change);
    void showProject();
    void relistTemplateCategories(const quorvel::LibraryChange &change);
    // The template category the combo box shows; an empty name when it shows none.
    LibraryName shownCategory() const;
    void openEditor();

    // The run, and the story it made.
    void runNovel();
    void saveStory();
    // Writes the story's copy for recovery, or removes it when there is nothing to keep.
    void keepStory();
    void showSource(const StoryLine &line);
    void showSelectedDraw(const StoryLine &line, qsizetype start, qsizetype end);
    // The editor on that template or element file, at that line; false when no category lists
    // it, so that the editor cannot show it.
    bool openEditorAt(Folder folder, const Text &fileName, int line);

    // Project files.
    void newProject();
    void renameProject();
    void saveProject();
    void deleteProject();
    void removeEntry();
    void loadProject();

    // Template browser and preview.
    void showCategory();
    void previewCatalogueTemplate();
    void previewProjectTemplate();
    void appendTemplate();

    // The library check (checking.cpp).
    void checkMaterial();
    void showFinding(const quorvel::Finding &finding);

private:
    // Asks where to save the story and saves it there; true once it is saved.
    bool writeStory();
    // Whether the window may close as far as the story goes: a story not saved is saved, let go
    // or kept open as the user answers.
    bool storyMayClose();
    void offerRecoveredStory();
    // The story is saved or given up: its copy for recovery goes.
    void storySettled();

    void buildUi();
    void growWithTheWindow();
    void connectHandlers();

    // Re-lists the project file box, keeping its selection where the file is still there.
    void relistProjects();
    // Shows message, with the cause of the failure on a second line.
    void reportFailure(const QString &message, const FileResult &result);
    // Tells the user of a file that was there but not read (too large, or a link out of the
    // folder); true when there was one.
    bool reportUnreadable(const FileResult &read, const Text &fileName);
    // The project the typed name names.
    LibraryName typedProject() const;
    // Saves the project list into the file, asking before it overwrites another program's
    // change; true once it is saved.
    bool saveProjectInto(const LibraryName &file);
    // Whether the project list may be replaced: a list not saved is saved, let go or kept as
    // the user answers.
    bool projectMayBeLeft();
    // Selects the project's file in the project file box, loading nothing.
    void showProjectFile(const LibraryName &file);
    // Shows the template in the preview box; false, with the box emptied, when it has no file.
    bool previewTemplate(const Text &name);
    void offerToCreateTemplate(const Text &name, const QString &question);
    void askPendingQuestion();
    // Selects the project in the project file box and its entry at line (from 1).
    void showProjectEntry(const Text &projectFile, int line);

    LibraryDocument &m_document;
    Services m_services;
    UndoActions *m_undoActions = nullptr;
    // The template the preview shows, to show it again when it changes; none while it shows none.
    std::optional<LibraryName> m_previewed;
    QPointer<EditorWindow> m_editor;
    QPointer<SourceWindow> m_source;
    QPointer<CheckWindow> m_checkWindow;
    // A missing template chosen in the catalogue, whose question waits out a double-click.
    QTimer m_pendingQuestion;
    // The story's copy for recovery, written a few seconds after the story changed.
    std::unique_ptr<StoryRecovery> m_recovery;
    QTimer m_storyKeeping;
    bool m_running = false; // a run is under way
    Text m_pendingTemplate;

    QGroupBox *m_frame = nullptr;           // 分组框1
    QGroupBox *m_storyArea = nullptr;       // 分组框2
    StoryBox *m_story = nullptr;            // 编辑框小说
    QGroupBox *m_toolBox = nullptr;         // 分组框3
    QPushButton *m_run = nullptr;           // 按钮6
    QPushButton *m_openEditor = nullptr;    // 按钮1
    QPushButton *m_saveStory = nullptr;     // 按钮8
    QPushButton *m_checkMaterial = nullptr; // 按钮9
    QPushButton *m_newProject = nullptr;    // 按钮2
    QPushButton *m_renameProject = nullptr; // 按钮3
    QPushButton *m_saveProject = nullptr;   // 按钮5
    QPushButton *m_deleteProject = nullptr; // 按钮4
    QPushButton *m_removeEntry = nullptr;   // 按钮7
    QLineEdit *m_projectName = nullptr;     // 编辑框项目名
    FileBox *m_projectFiles = nullptr;      // 文件框1
    NameList *m_projectList = nullptr;      // 列表框项目
    ContentBox *m_preview = nullptr;        // 编辑框预览
    QLabel *m_categoryLabel = nullptr;      // 标签1
    QComboBox *m_categories = nullptr;      // 组合框模板
    NameList *m_catalogue = nullptr;        // 列表框总目录
};

} // namespace quorvel

#pragma once

#include "library/library.h"
#include "library/listedit.h"
#include "platform/services.h"
#include "platform/text.h"

#include <QPointer>
#include <QWidget>

class QAction;
class QMenuBar;
class QGroupBox;
class QMenu;
class QPushButton;

namespace quorvel {

class ContentBox;
class FileBox;
class NameList;
class TryWindow;

// The material editor: categories, entries and texts of elements (left area) and templates (right
// area). The two areas are built alike and every command is written once over an Area.
//
// The pop-up menus and the object names of their entries, in the order they are shown:
//   类别菜单 (over 文件框):        elementAddCategory, elementRenameCategory, elementDeleteCategory
//   列表菜单 (over 列表框):        elementAddEntry, elementRenameEntry, elementDeleteEntry,
//                                  elementCreateContentFile, elementSortEntries
//   模板类别菜单 (over 文件框m):   templateAddCategory, templateRenameCategory,
//                                  templateDeleteCategory
//   模板菜单 (over 列表框m):       templateAddEntry, templateRenameEntry, templateDeleteEntry,
//                                  templateCreateContentFile, templateSortEntries
// elementSortEntries is checkable and keeps its check once chosen, since sorting cannot be turned
// off again; templateSortEntries is shown but does nothing.
class EditorWindow : public QWidget
{
    Q_OBJECT

public:
    EditorWindow(Library &library, Services services, QWidget *parent = nullptr);

    // Shows a file of the templates or elements folder as the user would reach it
    // (navigation.cpp): a content file in the first category that lists it, its entry selected,
    // its text in the content box and the cursor on the line (from 1); a category file
    // selected, with the entry at the line. False, with nothing changed, when no category lists
    // the file.
    bool showLibraryFile(Folder folder, const Text &fileName, int line);

protected:
    // Opens the pop-up menus: see popUpMenu().
    bool eventFilter(QObject *watched, QEvent *event) override;
    // Asks before a changed content box would be lost with the window.
    void closeEvent(QCloseEvent *event) override;

private:
    // One side of the window. The category box's selection names the category the area works on;
    // the entry list is the copy of the category loaded last; the content box holds the text of
    // the entry selected last.
    struct Area
    {
        explicit Area(Folder inFolder) : folder(inFolder) {}

        Folder folder;
        QGroupBox *group = nullptr;
        FileBox *categories = nullptr;
        NameList *entries = nullptr;
        ContentBox *content = nullptr;
        QPushButton *save = nullptr;
        QMenu *categoryMenu = nullptr;
        QMenu *entryMenu = nullptr;
        // The entries of the two menus.
        QAction *addCategoryAction = nullptr;
        QAction *renameCategoryAction = nullptr;
        QAction *deleteCategoryAction = nullptr;
        QAction *addEntryAction = nullptr;
        QAction *renameEntryAction = nullptr;
        QAction *deleteEntryAction = nullptr;
        QAction *createContentFileAction = nullptr;
        QAction *sortEntriesAction = nullptr;
        QAction *tryLineAction = nullptr; // 试写当前行, in the content box
        // What the entry list and the content box were loaded from, and the key each file had
        // then, to tell a change made by another program since (no key: missing, or not read).
        Text loadedCategory;
        std::optional<FileKey> categoryKey;
        Text loadedEntry;
        std::optional<FileKey> entryKey;
        bool entryUnread = false; // the file was there but not read (too large, say)
    };
    // Where an area's controls stand and what they say (editorwindow.cpp).
    struct AreaLayout;

private slots:
    // Categories: the category files (".l") listed in the category box.
    void loadCategory(Area &area);
    void addCategory(Area &area);
    void renameCategory(Area &area);
    void deleteCategory(Area &area);

    // Entries: the names in the entry list and their content files (".txt").
    void addEntry(Area &area);
    void renameEntry(Area &area);
    void deleteEntry(Area &area);
    void createContentFile(Area &area);
    void sortEntries(Area &area);

    // Content: the text of the selected entry.
    void showEntry(Area &area);
    // True when the text went into the file.
    bool saveEntry(Area &area);
    void insertElementReference();
    void tryCurrentLine(Area &area);

private:
    void buildUi();
    void buildArea(Area &area, const AreaLayout &layout);
    void buildMenus(Area &area, const AreaLayout &layout);
    void buildMenuBar();
    void growWithTheWindow();
    void connectHandlers();
    bool popUpMenu(QObject *watched, QEvent *event);

    // Asks for a name with the input box; Cancel gives the empty name.
    Text askName();
    // Lists the area's folder afresh in its category box.
    void relistCategories(Area &area);
    // Makes one change to the entry list and writes it into the selected category file (see
    // entries.cpp); the list on screen changes only when the file does.
    FileResult commitListEdit(Area &area, const ListEdit &edit);
    void showListEdit(Area &area, const ListEdit &edit);
    // The content file of the entry selected in the area's entry list.
    static Text contentFileName(const Area &area);
    void showMessage(const char16_t *text);
    // The message, with the cause of the failure on a second line, and what was undone after it.
    void reportFailure(const char16_t *text, const FileResult &result,
                       const char16_t *undone = nullptr);
    // Tells the user of a file that was there but not read (too large, or a link out of the
    // folder); true when there was one.
    bool reportUnreadable(const FileResult &read, const Text &fileName);

    // Shown when the file system refuses a change that the window would otherwise show as done.
    static constexpr char16_t CreateFailed[] = u"创建失败！请检查名称是否可用！";
    static constexpr char16_t RenameFailed[] = u"修改失败！请检查名称是否可用！";
    static constexpr char16_t SaveFailed[] = u"保存失败！请检查文件是否可写！";
    static constexpr char16_t ChangedOnDisk[] = u"该文件已被其他程序修改，是否覆盖？";
    static constexpr char16_t UnreadOnDisk[] = u"该文件未能读取，是否覆盖？";
    static constexpr char16_t UnsavedText[] = u"内容已修改，是否保存？";

    Library &m_library;
    Services m_services;

    QPointer<TryWindow> m_tryWindow;
    QMenuBar *m_menuBar = nullptr;
    QWidget *m_client = nullptr;  // the client area below the menu bar
    QGroupBox *m_frame = nullptr; // 分组框1
    Area m_elements = Area(Folder::Elements);
    Area m_templates = Area(Folder::Templates);
};

} // namespace quorvel

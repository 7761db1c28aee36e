#pragma once

#include "library/librarydocument.h"
#include "platform/services.h"
#include "platform/text.h"

#include <QPersistentModelIndex>
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
class UndoActions;

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
    EditorWindow(LibraryDocument &document, Services services, QWidget *parent = nullptr);

    // Shows a file of the templates or elements folder as the user would reach it
    // (navigation.cpp): a content file in the first category that lists it, its entry selected,
    // its text in the content box and the cursor on the line (from 1); a category file
    // selected, with the entry at the line. False, with nothing changed, when no category lists
    // the file. A changed text in the area's content box is not replaced unasked: the user saves
    // it, drops it or keeps it, and then the window stays where it was (true all the same).
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
        LibraryName loadedCategory;
        std::optional<FileKey> categoryKey;
        LibraryName loadedEntry;
        std::optional<FileKey> entryKey;
        bool entryUnread = false; // the file was there but not read (too large, say)
        // The current item of the category box and of the entry list as it stood once the last
        // change of either was followed: while the user's new selection is handled, the item
        // selected before it, to be selected again when the user keeps a changed text.
        QPersistentModelIndex settledCategory;
        QPersistentModelIndex settledEntry;
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

    // The user's selection in the category box or the entry list (switching.cpp): a changed text
    // in the content box is saved, dropped or kept first, as the user says.
    void selectCategory(Area &area);
    void selectEntry(Area &area);

    // Content: the text of the selected entry.
    void showEntry(Area &area);
    // Into the entry selected now; true when the text went into the file.
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
    // The entry list as a command of the library document changes it: the selected category,
    // the entries shown, and the key the category file had when they were read.
    ShownList shownList(const Area &area) const;
    // Shows the entries an entry command left, and takes the category file's key now.
    void showEntries(Area &area, const EntryResult &result);
    struct EntryMessages;
    // Shows what an entry command left, and tells why when it did not happen.
    void reportEntryResult(Area &area, const EntryResult &result, const EntryMessages &said);
    // The content file of the entry selected in the area's entry list.
    static LibraryName contentName(const Area &area);
    // Follows a change the library document made, whoever asked for it: the entry list of the
    // category it shows, and the content box while its text is unchanged.
    void followLibrary(const LibraryChange &change);
    void reloadEntries(Area &area);
    void reloadEntry(Area &area);
    // Into that entry's content file; true when the text went into the file. With no entry
    // (nothing selected) nothing is written and the user is told to select one.
    bool saveContent(Area &area, const LibraryName &entry);
    // Shows a file's text in the area's content box, unchanged; an empty text as the notice
    // that the file has no content, which is no part of the text.
    static void showText(Area &area, const Text &text);
    // Before something replaces or leaves a changed text in the area's content box: asks whether
    // to save it (into the entry given) or to drop it (the box shows the file again). True when
    // the text is saved, dropped or unchanged; false when the user keeps it, or the save failed.
    bool settleChangedText(Area &area, const LibraryName &saveInto);
    // Asks about the area's changed text, if it has one: 是 saves it into saveInto. False when
    // the text stays as it is (取消, or a save that did not happen); dropped tells 否.
    bool askAboutChangedText(Area &area, const LibraryName &saveInto, bool &dropped);
    void dropChanges(Area &area);
    // Selects the item again, quietly, in place of the user's new selection.
    static void putBack(NameList *list, const QPersistentModelIndex &item);
    void showMessage(const char16_t *text);
    // The message, with the cause of the failure on a second line, and what was undone after it.
    void reportFailure(const char16_t *text, const FileResult &result,
                       const char16_t *undone = nullptr);
    // Tells the user of a file that was there but not read (too large, or a link out of the
    // folder); true when there was one.
    bool reportUnreadable(const FileResult &read, const Text &fileName);

    // Shown in a box whose file is empty or missing, greyed out where the text would be: it is
    // no part of the text, so an untouched box saves an empty file.
    static constexpr char16_t NoContent[] = u"该文件没有内容！";
    static constexpr char16_t UnreadOnDisk[] = u"该文件未能读取，是否覆盖？";

    LibraryDocument &m_document;
    Services m_services;
    UndoActions *m_undoActions = nullptr;

    QPointer<TryWindow> m_tryWindow;
    QMenuBar *m_menuBar = nullptr;
    QWidget *m_client = nullptr;  // the client area below the menu bar
    QGroupBox *m_frame = nullptr; // 分组框1
    Area m_elements = Area(Folder::Elements);
    Area m_templates = Area(Folder::Templates);
};

} // namespace quorvel

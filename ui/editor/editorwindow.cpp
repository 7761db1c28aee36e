#include "ui/editor/editorwindow.h"

#include "ui/editor/editoricon.h"
#include "ui/editor/trywindow.h"
#include "ui/widgets/captionbox.h"
#include "ui/widgets/contentbox.h"
#include "ui/widgets/filebox.h"
#include "ui/widgets/geometry.h"
#include "ui/widgets/namelist.h"
#include "ui/widgets/undoactions.h"

#include <QAction>
#include <QCloseEvent>
#include <QColor>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

#include <array>

namespace quorvel {

// Where an area's controls stand and what they say.
struct EditorWindow::AreaLayout
{
    const char16_t *groupName;
    const char16_t *groupCaption;
    QRect group;
    const char16_t *categoriesName;
    QRect categories;
    const char16_t *entriesName;
    QRect entries;
    const char16_t *saveName;
    const char16_t *saveCaption;
    QRect save;
    const char16_t *contentName;
    QRect content;
    // Of the category box, the entry list and the content box.
    QColor background;

    const char16_t *categoryMenuName;
    const char16_t *entryMenuName;
    // Begins the object name of every menu entry of the area.
    const char16_t *actionPrefix;
    std::array<const char16_t *, 3> categoryCommands; // add, rename, delete
    std::array<const char16_t *, 5> entryCommands;    // add, rename, delete, create, sort
};

namespace {

constexpr QPoint Position(50, 50);
constexpr QSize OuterSize(641, 497);

template <typename W> W *placeAt(W *widget, const char16_t *name, QRect rect)
{
    return place(widget, name, rect.x(), rect.y(), rect.width(), rect.height());
}

} // namespace

EditorWindow::EditorWindow(LibraryDocument &document, Services services, QWidget *parent)
    : QWidget(parent), m_document(document), m_services(services)
{
    setWindowTitle(QString::fromUtf16(u"模板元素编辑器v.1.0.0"));
    setWindowIcon(editorIcon());
    // Closing the window ends it: the next 模板编辑器 click creates it afresh, with both areas
    // empty and the category boxes listing what is on disk then.
    setAttribute(Qt::WA_DeleteOnClose);
    useWindowFont(this);
    buildUi();
    connectHandlers();

    // Created: both category boxes list their folders, nothing is selected.
    relistCategories(m_elements);
    relistCategories(m_templates);
}

void EditorWindow::buildUi()
{
    // The menu bar stands above the client area, which holds the controls at their places.
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_menuBar = new QMenuBar(this);
    m_client = new QWidget(this);
    layout->setMenuBar(m_menuBar);
    layout->addWidget(m_client);
    move(Position);

    m_frame = place(new CaptionBox(QString(), m_client), u"分组框1", 8, -6, 622, 447);

    // clang-format off
    static const AreaLayout elementLayout{
        u"分组框2", u"元素区", {8, 8, 256, 436},
        u"文件框", {8, 14, 77, 187},
        u"列表框", {86, 14, 160, 208},
        u"按钮1", u"保存元素", {8, 200, 77, 25},
        u"编辑框内容", {8, 226, 239, 208},
        QColor(255, 255, 255),
        u"类别菜单", u"列表菜单", u"element",
        {u"添加类", u"修改类", u"删除类"},
        {u"添加项", u"修改项", u"删除项", u"创建该项目", u"自动排序项"},
    };
    static const AreaLayout templateLayout{
        u"分组框3", u"模板区", {264, 8, 256, 436},
        u"文件框m", {8, 15, 78, 186},
        u"列表框m", {88, 15, 161, 208},
        u"按钮2", u"保存模板", {9, 202, 78, 23},
        u"编辑框mx", {8, 227, 243, 204},
        QColor(236, 236, 236),
        u"模板类别菜单", u"模板菜单", u"template",
        {u"添加模板类", u"修改模板类", u"删模板类"},
        {u"添加模板", u"修改模板", u"删除模板", u"创建该模板", u"自动排序模板"},
    };
    // clang-format on
    // The menus are made in the window's order: 类别菜单, 列表菜单, 模板类别菜单, 模板菜单.
    buildArea(m_elements, elementLayout);
    buildMenus(m_elements, elementLayout);
    buildArea(m_templates, templateLayout);
    buildMenus(m_templates, templateLayout);
    buildMenuBar();

    // Buttons keep their small drawn sizes: no minimum padding from the style. Return and Enter
    // press the button that has the focus.
    for (QPushButton *button : findChildren<QPushButton *>()) {
        button->setStyleSheet(QStringLiteral("QPushButton { padding: 0px; }"));
        button->setAutoDefault(true);
    }
    growWithTheWindow();
    setTabChain({m_elements.categories, m_elements.entries, m_templates.categories,
                 m_templates.entries, m_elements.save, m_templates.save, m_elements.content,
                 m_templates.content});
}

void EditorWindow::buildMenuBar()
{
    // The four menus again, in the menu bar, so that their commands can be found without the
    // right button and reached from the keyboard (Alt and the letter). The entries are the very
    // actions of the pop-ups.
    const struct
    {
        QMenu *menu;
        const char16_t *title;
    } bar[] = {{m_elements.categoryMenu, u"类别菜单(&C)"},
               {m_elements.entryMenu, u"列表菜单(&L)"},
               {m_templates.categoryMenu, u"模板类别菜单(&M)"},
               {m_templates.entryMenu, u"模板菜单(&T)"}};
    for (const auto &[popUp, title] : bar) {
        QMenu *shown = m_menuBar->addMenu(QString::fromUtf16(title));
        shown->setObjectName(popUp->objectName() + QStringLiteral("栏"));
        shown->addActions(popUp->actions());
    }
    // Trying a line belongs to the content box; the bar names it under each area's entries.
    for (Area *area : {&m_elements, &m_templates}) {
        QMenu *entries =
            m_menuBar->findChild<QMenu *>(area->entryMenu->objectName() + QStringLiteral("栏"));
        entries->addSeparator();
        entries->addAction(area->tryLineAction);
    }
    // 撤销 and 重做 of the library's commands, in a menu of their own.
    m_undoActions = new UndoActions(m_document, m_services.dialogs, this);
    QMenu *edit = m_menuBar->addMenu(QStringLiteral("编辑(&E)"));
    edit->setObjectName(QStringLiteral("编辑菜单"));
    edit->addActions({m_undoActions->undo(), m_undoActions->redo()});
}

void EditorWindow::growWithTheWindow()
{
    // The two areas share the extra width; in each the entry list and the content box take it,
    // and the content box the extra height.
    auto *growth = new GrowingLayout(this, m_client, OuterSize, m_menuBar->sizeHint().height());
    growth->follow(m_frame, {0, Width, 0, Height});
    const struct
    {
        Area &area;
        unsigned left, share;
    } areas[] = {{m_elements, 0, LeftHalf}, {m_templates, LeftHalf, RightHalf}};
    for (const auto &[area, left, share] : areas) {
        growth->follow(area.group, {left, share, 0, Height});
        growth->follow(area.entries, {0, share, 0, 0});
        growth->follow(area.content, {0, share, 0, Height});
    }
}

void EditorWindow::buildArea(Area &area, const AreaLayout &layout)
{
    area.group = placeAt(new CaptionBox(QString::fromUtf16(layout.groupCaption), m_frame),
                         layout.groupName, layout.group);
    area.categories = placeAt(new FileBox(m_document, area.folder, area.group),
                              layout.categoriesName, layout.categories);
    area.entries = placeAt(new NameList(area.group), layout.entriesName, layout.entries);
    area.save = placeAt(new QPushButton(QString::fromUtf16(layout.saveCaption), area.group),
                        layout.saveName, layout.save);
    area.content = placeAt(new ContentBox(area.group), layout.contentName, layout.content);
    // In the content box's own menu and as Ctrl+T while it has the focus.
    area.tryLineAction = new QAction(QStringLiteral("试写当前行"), area.content);
    area.tryLineAction->setObjectName(QString::fromUtf16(layout.actionPrefix) +
                                      QStringLiteral("TryLine"));
    area.tryLineAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    area.tryLineAction->setShortcutContext(Qt::WidgetShortcut);
    area.content->addAction(area.tryLineAction);

    for (QWidget *box :
         {static_cast<QWidget *>(area.categories), static_cast<QWidget *>(area.entries),
          static_cast<QWidget *>(area.content)}) {
        QPalette palette = box->palette();
        palette.setColor(QPalette::Base, layout.background);
        box->setPalette(palette);
    }
    // The right button, the Menu key and Shift+F10 open the pop-up menus (see popUpMenu).
    for (QAbstractItemView *box : {static_cast<QAbstractItemView *>(area.categories),
                                   static_cast<QAbstractItemView *>(area.entries)}) {
        box->installEventFilter(this);
        box->viewport()->installEventFilter(this);
    }
}

void EditorWindow::buildMenus(Area &area, const AreaLayout &layout)
{
    // The menus belong to the window and are only ever shown as pop-ups; their titles are the
    // menus' names.
    const auto menu = [this](const char16_t *name) {
        auto *created = new QMenu(QString::fromUtf16(name), this);
        created->setObjectName(QString::fromUtf16(name));
        return created;
    };
    const auto command = [&layout](QMenu *into, const char16_t *caption, const char16_t *name) {
        QAction *action = into->addAction(QString::fromUtf16(caption));
        action->setObjectName(QString::fromUtf16(layout.actionPrefix) + QString::fromUtf16(name));
        return action;
    };

    const auto &categoryCaptions = layout.categoryCommands;
    area.categoryMenu = menu(layout.categoryMenuName);
    area.addCategoryAction = command(area.categoryMenu, categoryCaptions[0], u"AddCategory");
    area.renameCategoryAction = command(area.categoryMenu, categoryCaptions[1], u"RenameCategory");
    area.deleteCategoryAction = command(area.categoryMenu, categoryCaptions[2], u"DeleteCategory");

    const auto &entryCaptions = layout.entryCommands;
    area.entryMenu = menu(layout.entryMenuName);
    area.addEntryAction = command(area.entryMenu, entryCaptions[0], u"AddEntry");
    area.renameEntryAction = command(area.entryMenu, entryCaptions[1], u"RenameEntry");
    area.deleteEntryAction = command(area.entryMenu, entryCaptions[2], u"DeleteEntry");
    area.createContentFileAction = command(area.entryMenu, entryCaptions[3], u"CreateContentFile");
    area.sortEntriesAction = command(area.entryMenu, entryCaptions[4], u"SortEntries");
    // Only the element list can be sorted; its entry shows a check once sorting is on.
    area.sortEntriesAction->setCheckable(area.folder == Folder::Elements);
}

void EditorWindow::connectHandlers()
{
    const auto onChosen = [this](QAction *action, Area &area,
                                 void (EditorWindow::*handler)(Area &)) {
        connect(action, &QAction::triggered, this,
                [this, &area, handler] { (this->*handler)(area); });
    };

    for (Area *area : {&m_elements, &m_templates}) {
        onChosen(area->addCategoryAction, *area, &EditorWindow::addCategory);
        onChosen(area->renameCategoryAction, *area, &EditorWindow::renameCategory);
        onChosen(area->deleteCategoryAction, *area, &EditorWindow::deleteCategory);
        onChosen(area->addEntryAction, *area, &EditorWindow::addEntry);
        onChosen(area->renameEntryAction, *area, &EditorWindow::renameEntry);
        onChosen(area->deleteEntryAction, *area, &EditorWindow::deleteEntry);
        onChosen(area->createContentFileAction, *area, &EditorWindow::createContentFile);
        onChosen(area->tryLineAction, *area, &EditorWindow::tryCurrentLine);

        connect(area->categories, &NameList::itemSelected, this,
                [this, area] { selectCategory(*area); });
        connect(area->entries, &NameList::itemSelected, this, [this, area] { selectEntry(*area); });
        // Connected after the lists' own handlers, which raise itemSelected: while a new
        // selection is handled, the item kept here is still the one selected before it.
        for (auto [list, settled] :
             {std::pair{static_cast<NameList *>(area->categories), &area->settledCategory},
              std::pair{area->entries, &area->settledEntry}}) {
            connect(list->selectionModel(), &QItemSelectionModel::currentChanged, this,
                    [list, settled] { *settled = list->currentIndex(); });
        }
        connect(area->save, &QPushButton::clicked, this, [this, area] { saveEntry(*area); });
    }
    // Sorting and the reference insertion exist in the element area only; the template area's
    // "自动排序模板" does nothing.
    onChosen(m_elements.sortEntriesAction, m_elements, &EditorWindow::sortEntries);
    // Not when the user kept a changed element text rather than select the element clicked.
    connect(m_elements.entries, &QListWidget::itemDoubleClicked, this,
            [this](const QListWidgetItem *item) {
                if (item == m_elements.entries->currentItem())
                    insertElementReference();
            });
    connect(m_elements.entries, &NameList::returnPressed, this,
            &EditorWindow::insertElementReference);
    connect(&m_document, &LibraryDocument::changed, this, &EditorWindow::followLibrary);
}

bool EditorWindow::eventFilter(QObject *watched, QEvent *event)
{
    return popUpMenu(watched, event) || QWidget::eventFilter(watched, event);
}

// Releasing the right button over a category box or an entry list opens that control's menu at
// the pointer. The menu's commands act on the selection the user made before, so the right button
// must not move it: a list would select the row under the pointer on the press, hence the press,
// the double-click and the context-menu event of the right button are swallowed. From the
// keyboard (the Menu key, Shift+F10) the menu opens at the list's current item.
bool EditorWindow::popUpMenu(QObject *watched, QEvent *event)
{
    QMenu *menu = nullptr;
    QAbstractItemView *box = nullptr;
    for (const Area *area : {&m_elements, &m_templates}) {
        for (const auto &[view, viewMenu] :
             {std::pair<QAbstractItemView *, QMenu *>{area->categories, area->categoryMenu},
              std::pair<QAbstractItemView *, QMenu *>{area->entries, area->entryMenu}}) {
            if (watched == view || watched == view->viewport()) {
                menu = viewMenu;
                box = view;
            }
        }
    }
    if (!menu)
        return false;
    const auto *key = event->type() == QEvent::KeyPress ? static_cast<QKeyEvent *>(event) : nullptr;
    const bool menuKey =
        key && (key->key() == Qt::Key_Menu ||
                (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier));
    if (menuKey ||
        (event->type() == QEvent::ContextMenu &&
         static_cast<QContextMenuEvent *>(event)->reason() == QContextMenuEvent::Keyboard)) {
        const QRect current = box->visualRect(box->currentIndex());
        const QPoint at = current.isValid() ? current.bottomLeft() : QPoint(0, 0);
        menu->popup(box->viewport()->mapToGlobal(at));
        return true;
    }
    if (watched != box->viewport())
        return false;

    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        return static_cast<QMouseEvent *>(event)->button() == Qt::RightButton;
    case QEvent::MouseButtonRelease: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::RightButton)
            return false;
        menu->popup(mouse->globalPosition().toPoint());
        return true;
    }
    case QEvent::ContextMenu:
        return true;
    default:
        return false;
    }
}

Text EditorWindow::askName()
{
    // The name starts empty and Cancel leaves it so: a cancelled box counts as an empty name.
    QString typed;
    m_services.dialogs.input(typed);
    return Text::fromUnicode(typed);
}

void EditorWindow::showMessage(const char16_t *text)
{
    m_services.dialogs.message(QString::fromUtf16(text));
}

void EditorWindow::reportFailure(const char16_t *text, const FileResult &result,
                                 const char16_t *undone)
{
    QString message = withCause(QString::fromUtf16(text), result);
    if (undone)
        message += QStringLiteral("\r\n") + QString::fromUtf16(undone);
    m_services.dialogs.message(message);
}

bool EditorWindow::reportUnreadable(const FileResult &read, const Text &fileName)
{
    const QString message = unreadableMessage(read, fileName.toUnicode());
    if (!message.isEmpty())
        m_services.dialogs.message(message);
    return !message.isEmpty();
}

} // namespace quorvel

#include "library/library.h"
#include "tests/support/fixedrandom.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/templibrary.h"
#include "ui/editor/editorwindow.h"
#include "ui/main/mainwindow.h"

#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void firstStartCreatesTheLibraryFolders()
    {
        TempLibrary lib(false);
        ScriptedDialogs dialogs;
        FixedRandom random;
        LibraryDocument document(lib.files, LibraryDocument::Opening::CreateFolders);
        MainWindow window(document, Services{lib.files, random, dialogs});
        for (const char16_t *name : {u"模板", u"元素", u"项目"})
            QVERIFY(QFileInfo(lib.path(QString::fromUtf16(name))).isDir());
        QCOMPARE(window.findChild<QListWidget *>(QStringLiteral("文件框1"))->count(), 0);
        QCOMPARE(window.findChild<QComboBox *>(QStringLiteral("组合框模板"))->count(), 0);
        QCOMPARE(window.findChild<QComboBox *>(QStringLiteral("组合框模板"))->currentIndex(), -1);
        QVERIFY(dialogs.shown.isEmpty());
    }

    void templateCategoriesAreListedAndTheLastSelected()
    {
        TempLibrary lib;
        lib.writeBytes(QStringLiteral("模板/开端.l"), gbk(QStringLiteral("开场白\r\n")));
        lib.writeBytes(QStringLiteral("模板/收尾.l"), gbk(QStringLiteral("结局\r\n尾声\r\n")));
        lib.writeBytes(QStringLiteral("项目/故事.l"), "");
        ScriptedDialogs dialogs;
        FixedRandom random;
        LibraryDocument document(lib.files, LibraryDocument::Opening::CreateFolders);
        MainWindow window(document, Services{lib.files, random, dialogs});
        auto *combo = window.findChild<QComboBox *>(QStringLiteral("组合框模板"));
        QCOMPARE(combo->count(), 2);
        const QStringList expected =
            lib.files.enumerate(lib.folders.templates, QStringLiteral("*.l"));
        QCOMPARE(combo->itemText(0), expected.at(0));
        QCOMPARE(combo->itemText(1), expected.at(1));
        QCOMPARE(combo->currentIndex(), 1);
        auto *files = window.findChild<QListWidget *>(QStringLiteral("文件框1"));
        QCOMPARE(files->count(), 1);
        QCOMPARE(files->item(0)->text(), QStringLiteral("故事.l"));
    }

    // Every control is where the layout puts it, with its caption, and every caption fits.
    void controlsHaveTheirNamesCaptionsAndGeometry()
    {
        TempLibrary lib;
        ScriptedDialogs dialogs;
        FixedRandom random;
        LibraryDocument document(lib.files, LibraryDocument::Opening::CreateFolders);
        MainWindow window(document, Services{lib.files, random, dialogs});
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.windowTitle(), QStringLiteral("Quorvel"));
        QCOMPARE(window.frameGeometry().size(), QSize(669, 464));

        struct Expect
        {
            const char16_t *name;
            const char16_t *parent;
            QRect rect;
            const char16_t *caption;
        };
        const Expect controls[] = {
            {u"分组框1", nullptr, {-2, 0, 665, 431}, nullptr},
            {u"分组框2", u"分组框1", {1, 0, 565, 238}, nullptr},
            {u"编辑框小说", u"分组框2", {3, 8, 559, 228}, nullptr},
            {u"分组框3", u"分组框1", {565, 1, 100, 237}, u"工具箱"},
            {u"按钮6", u"分组框3", {3, 13, 93, 24}, u"运行"},
            {u"按钮1", u"分组框3", {3, 41, 93, 24}, u"模板编辑器"},
            {u"按钮2", u"分组框1", {5, 238, 32, 24}, u"新建"},
            {u"按钮3", u"分组框1", {38, 238, 32, 24}, u"修改"},
            {u"按钮5", u"分组框1", {70, 238, 32, 24}, u"保存"},
            {u"按钮4", u"分组框1", {6, 262, 47, 22}, u"删项目"},
            {u"按钮7", u"分组框1", {54, 262, 48, 22}, u"删子项"},
            {u"编辑框项目名", u"分组框1", {4, 285, 98, 22}, nullptr},
            {u"文件框1", u"分组框1", {4, 308, 98, 120}, nullptr},
            {u"列表框项目", u"分组框1", {106, 238, 144, 189}, nullptr},
            {u"编辑框预览", u"分组框1", {250, 238, 273, 190}, nullptr},
            {u"组合框模板", u"分组框1", {592, 238, 72, 20}, nullptr},
            {u"列表框总目录", u"分组框1", {522, 259, 142, 168}, nullptr},
        };
        for (const Expect &e : controls) {
            const QString name = QString::fromUtf16(e.name);
            auto *w = window.findChild<QWidget *>(name);
            QVERIFY2(w, qPrintable(name));
            QCOMPARE(w->geometry(), e.rect);
            QCOMPARE(w->parentWidget()->objectName(),
                     e.parent ? QString::fromUtf16(e.parent) : QString());
            if (auto *b = qobject_cast<QPushButton *>(w)) {
                QCOMPARE(b->text(), QString::fromUtf16(e.caption));
                QVERIFY2(b->fontMetrics().horizontalAdvance(b->text()) <= b->width() - 4,
                         qPrintable(name));
            }
            if (auto *g = qobject_cast<QGroupBox *>(w))
                QCOMPARE(g->title(), e.caption ? QString::fromUtf16(e.caption) : QString());
        }
        auto *label = window.findChild<QLabel *>(QStringLiteral("标签1"));
        QCOMPARE(label->text(), QStringLiteral("模板分类："));
        QCOMPARE(label->pos(), QPoint(529, 243));
        QVERIFY(label->fontMetrics().horizontalAdvance(label->text()) <= label->width());
        QVERIFY(label->geometry().right() < 592);
    }

    void editorOpensOnceAndComesToTheFront()
    {
        TempLibrary lib;
        ScriptedDialogs dialogs;
        FixedRandom random;
        LibraryDocument document(lib.files, LibraryDocument::Opening::CreateFolders);
        MainWindow window(document, Services{lib.files, random, dialogs});
        window.show();
        auto *open = window.findChild<QPushButton *>(QStringLiteral("按钮1"));
        QTest::mouseClick(open, Qt::LeftButton);
        QWidget *editor = static_cast<QWidget *>(window.editor());
        QVERIFY(editor);
        QVERIFY(editor->isVisible());
        QCOMPARE(editor->windowTitle(), QStringLiteral("模板元素编辑器v.1.0.0"));
        QTest::mouseClick(open, Qt::LeftButton);
        QCOMPARE(static_cast<QWidget *>(window.editor()), editor);
        QVERIFY(window.isEnabled());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"

// What the user typed is never lost or spoilt unasked: another selection asks about a changed
// text, the no-content notice never reaches a file, and a save needs an entry to go to.
#include "tests/ui/editor/editordriver.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

namespace {

const QString Unsaved = s(u"内容已修改，是否保存？");

// The names of one area's controls and files.
struct AreaNames
{
    QString folder, categories, entries, content, save;
};

AreaNames areaNames(const QString &folder)
{
    if (folder == s(u"元素"))
        return {folder, s(u"文件框"), s(u"列表框"), s(u"编辑框内容"), s(u"按钮1")};
    return {folder, s(u"文件框m"), s(u"列表框m"), s(u"编辑框mx"), s(u"按钮2")};
}

int rowOf(const QListWidget *list, const QString &text)
{
    return list->row(list->findItems(text, Qt::MatchExactly).value(0));
}

QString currentText(const QListWidget *list)
{
    return list->currentItem() ? list->currentItem()->text() : QString();
}

} // namespace

class TestEditorUnsaved : public QObject
{
    Q_OBJECT

private slots:
    // A changed text meets another selection (an entry, a category, or a place the main window
    // shows): 是 saves it into the entry it was typed for and goes on, 否 drops it and goes on,
    // 取消 keeps the text and the selection; a save the disk refuses keeps them too.
    void anotherSelectionAsksAboutAChangedText_data()
    {
        QTest::addColumn<QString>("folder");
        // "entry", "key" (Down in the entry list), "category" or "go to"
        QTest::addColumn<QString>("selecting");
        QTest::addColumn<Dialogs::Choice>("answer");
        QTest::addColumn<bool>("refused");    // a.txt has become a folder
        QTest::addColumn<QByteArray>("file"); // a.txt afterwards
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("category");
        QTest::addColumn<QString>("entry");

        using C = Dialogs::Choice;
        const QString elements = s(u"元素"), templates = s(u"模板");
        const QString here = s(u"甲.l"), there = s(u"乙.l");
        // clang-format off
        QTest::newRow("element, 是") << elements << QStringLiteral("entry") << C::Yes << false
                                    << QByteArray("Ax") << QStringLiteral("B") << here << QStringLiteral("b");
        QTest::newRow("element, 否") << elements << QStringLiteral("entry") << C::No << false
                                    << QByteArray("A") << QStringLiteral("B") << here << QStringLiteral("b");
        QTest::newRow("element, 取消") << elements << QStringLiteral("entry") << C::Cancel << false
                                      << QByteArray("A") << QStringLiteral("Ax") << here << QStringLiteral("a");
        QTest::newRow("template, 是") << templates << QStringLiteral("entry") << C::Yes << false
                                     << QByteArray("Ax") << QStringLiteral("B") << here << QStringLiteral("b");
        QTest::newRow("template, 否") << templates << QStringLiteral("entry") << C::No << false
                                     << QByteArray("A") << QStringLiteral("B") << here << QStringLiteral("b");
        QTest::newRow("template, 取消") << templates << QStringLiteral("entry") << C::Cancel << false
                                       << QByteArray("A") << QStringLiteral("Ax") << here << QStringLiteral("a");
        QTest::newRow("element by key, 取消") << elements << QStringLiteral("key") << C::Cancel << false
                                            << QByteArray("A") << QStringLiteral("Ax") << here << QStringLiteral("a");
        QTest::newRow("template by key, 否") << templates << QStringLiteral("key") << C::No << false
                                            << QByteArray("A") << QStringLiteral("B") << here << QStringLiteral("b");
        QTest::newRow("template, 是, refused") << templates << QStringLiteral("entry") << C::Yes << true
                                              << QByteArray() << QStringLiteral("Ax") << here << QStringLiteral("a");
        QTest::newRow("category, 是") << elements << QStringLiteral("category") << C::Yes << false
                                     << QByteArray("Ax") << QStringLiteral("Ax") << there << QString();
        QTest::newRow("category, 否") << elements << QStringLiteral("category") << C::No << false
                                     << QByteArray("A") << QStringLiteral("A") << there << QString();
        QTest::newRow("category, 取消") << templates << QStringLiteral("category") << C::Cancel << false
                                       << QByteArray("A") << QStringLiteral("Ax") << here << QStringLiteral("a");
        QTest::newRow("category, 是, refused") << elements << QStringLiteral("category") << C::Yes << true
                                              << QByteArray() << QStringLiteral("Ax") << here << QStringLiteral("a");
        QTest::newRow("go to, 否") << elements << QStringLiteral("go to") << C::No << false
                                  << QByteArray("A") << QStringLiteral("C") << there << QStringLiteral("c");
        QTest::newRow("go to, 取消") << templates << QStringLiteral("go to") << C::Cancel << false
                                    << QByteArray("A") << QStringLiteral("Ax") << here << QStringLiteral("a");
        // clang-format on
    }
    void anotherSelectionAsksAboutAChangedText()
    {
        QFETCH(QString, folder);
        QFETCH(QString, selecting);
        QFETCH(Dialogs::Choice, answer);
        QFETCH(bool, refused);
        QFETCH(QByteArray, file);
        QFETCH(QString, box);
        QFETCH(QString, category);
        QFETCH(QString, entry);
        const AreaNames n = areaNames(folder);
        EditorDriver d;
        d.lib.writeBytes(folder + s(u"/甲.l"), "a\r\nb\r\n");
        d.lib.writeBytes(folder + s(u"/乙.l"), "c\r\n");
        for (const char16_t *name : {u"a", u"b", u"c"})
            d.lib.writeBytes(folder + u'/' + s(name) + s(u".txt"), s(name).toUpper().toLatin1());
        QVERIFY(d.open());
        QVERIFY(d.select(n.categories, s(u"甲.l")));
        QVERIFY(d.select(n.entries, QStringLiteral("a")));
        auto *content = d.child<QPlainTextEdit>(n.content);
        content->moveCursor(QTextCursor::End);
        QTest::keyClicks(content, QStringLiteral("x"));
        if (refused) {
            QVERIFY(QFile::remove(d.lib.path(folder + s(u"/a.txt"))));
            QVERIFY(QDir().mkdir(d.lib.path(folder + s(u"/a.txt"))));
        }

        d.dialogs.choices = {answer};
        d.dialogs.answers = {true}; // overwrite the folder that took the file's place
        QListWidget *categories = d.list(n.categories);
        QListWidget *entries = d.list(n.entries);
        if (selecting == u"entry")
            d.clickRow(entries, rowOf(entries, QStringLiteral("b")));
        else if (selecting == u"key")
            QTest::keyClick(entries, Qt::Key_Down);
        else if (selecting == u"category")
            d.clickRow(categories, rowOf(categories, s(u"乙.l")));
        else
            QVERIFY(d.window()->showLibraryFile(
                folder == s(u"元素") ? Folder::Elements : Folder::Templates, gbk(s(u"c.txt")), 1));
        // What the mouse press leaves is set right once it is over.
        QCoreApplication::processEvents();

        if (refused) {
            QVERIFY(QFileInfo(d.lib.path(folder + s(u"/a.txt"))).isDir());
            QCOMPARE(d.dialogs.shown.size(), 3);
            QVERIFY(d.dialogs.shown.at(2).startsWith(s(u"保存失败！请检查文件是否可写！")));
        } else {
            QCOMPARE(d.lib.readBytes(folder + s(u"/a.txt")), file);
            QCOMPARE(d.dialogs.shown, QStringList{Unsaved});
        }
        QCOMPARE(content->toPlainText(), box);
        QCOMPARE(content->document()->isModified(), answer == Dialogs::Choice::Cancel || refused);
        QCOMPARE(currentText(categories), category);
        QCOMPARE(currentText(entries), entry);
        // The selection drawn is the one the window works on.
        for (QListWidget *list : {categories, entries}) {
            const QList<QListWidgetItem *> drawn = list->selectedItems();
            QCOMPARE(drawn.value(0), list->currentItem());
            QVERIFY(drawn.size() <= 1);
        }
        // The selection put back is the program's: it asks nothing and loads nothing.
        QCOMPARE(d.dialogs.shown.size(), refused ? 3 : 1);
    }

    // The notice of an empty or missing file is shown, not held: typed text replaces it and an
    // untouched box saves an empty file.
    void theNoContentNoticeNeverReachesTheFile_data()
    {
        QTest::addColumn<bool>("missing");
        QTest::addColumn<QString>("typed");
        QTest::newRow("empty file, typed over") << false << s(u"渡口");
        QTest::newRow("empty file, untouched") << false << QString();
        QTest::newRow("missing file, typed over") << true << s(u"渡口");
        QTest::newRow("missing file, untouched") << true << QString();
    }
    void theNoContentNoticeNeverReachesTheFile()
    {
        QFETCH(bool, missing);
        QFETCH(QString, typed);
        EditorDriver d;
        d.lib.writeBytes(s(u"元素/地方.l"), g(u"人物\r\n"));
        if (!missing)
            d.lib.writeBytes(s(u"元素/人物.txt"), QByteArray());
        QVERIFY(d.open());
        QVERIFY(d.select(s(u"文件框"), s(u"地方.l")));
        QVERIFY(d.select(s(u"列表框"), s(u"人物")));
        auto *content = d.child<QPlainTextEdit>(s(u"编辑框内容"));
        QCOMPARE(content->toPlainText(), QString());
        QCOMPARE(content->placeholderText(), s(u"该文件没有内容！"));
        content->setFocus();
        // Typed key by key; QTest::keyClicks knows only the keys of an ASCII keyboard.
        for (const QChar key : typed)
            QTest::sendKeyEvent(QTest::Click, content, Qt::Key_unknown, QString(key), {});
        QCOMPARE(content->toPlainText(), typed);
        d.clickButton(s(u"按钮1"));
        QVERIFY(d.lib.exists(s(u"元素/人物.txt")));
        QCOMPARE(d.lib.readBytes(s(u"元素/人物.txt")), gbk(typed).toGbk());
        // A text shown from a file has no notice behind it.
        d.lib.writeBytes(s(u"元素/地方.l"), g(u"人物\r\n其他\r\n"));
        d.lib.writeBytes(s(u"元素/其他.txt"), "x");
        QVERIFY(d.select(s(u"文件框"), s(u"地方.l")));
        QVERIFY(d.select(s(u"列表框"), s(u"其他")));
        QCOMPARE(content->placeholderText(), QString());
    }

    // With no entry selected the save button and 创建该项目 / 创建该模板 have no file to write:
    // the save says so, and neither writes ".txt".
    void nothingIsWrittenForNoEntry_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("command"); // a menu entry's object name, or "save"
        QTest::addColumn<QStringList>("said");
        QTest::newRow("保存元素") << s(u"元素") << QStringLiteral("save")
                                  << QStringList{s(u"请先选择要保存的元素！")};
        QTest::newRow("保存模板") << s(u"模板") << QStringLiteral("save")
                                  << QStringList{s(u"请先选择要保存的模板！")};
        QTest::newRow("创建该项目")
            << s(u"元素") << QStringLiteral("elementCreateContentFile") << QStringList();
        QTest::newRow("创建该模板")
            << s(u"模板") << QStringLiteral("templateCreateContentFile") << QStringList();
    }
    void nothingIsWrittenForNoEntry()
    {
        QFETCH(QString, folder);
        QFETCH(QString, command);
        QFETCH(QStringList, said);
        const AreaNames n = areaNames(folder);
        EditorDriver d;
        d.lib.writeBytes(folder + s(u"/甲.l"), "a\r\n");
        QVERIFY(d.open());
        QVERIFY(d.select(n.categories, s(u"甲.l")));
        QTest::keyClicks(d.child<QPlainTextEdit>(n.content), QStringLiteral("typed"));
        if (command == u"save")
            d.clickButton(n.save);
        else
            QVERIFY(d.choose(folder == s(u"元素") ? s(u"列表菜单") : s(u"模板菜单"), command));
        QCOMPARE(d.dialogs.shown, said);
        QCOMPARE(QDir(d.lib.path(folder)).entryList(QDir::Files | QDir::Hidden),
                 QStringList{s(u"甲.l")});
    }
};

QTEST_MAIN(TestEditorUnsaved)
#include "tst_editorunsaved.moc"

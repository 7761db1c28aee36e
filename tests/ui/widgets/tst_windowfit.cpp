// The windows as a desktop user meets them: Chinese dialog buttons, captions that fit in every
// language and scale, every command from the keyboard, windows that grow, and no text lost on
// closing.
#include "tests/support/mainworkspace.h"
#include "tests/support/templibrary.h"
#include "tests/support/widgetdriver.h"
#include "tests/ui/editor/editordriver.h"
#include "ui/widgets/captionbox.h"
#include "ui/widgets/qtdialogs.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTimer>

using namespace quorvel;
using namespace quorvel::test;

namespace {

// The button texts of the modal dialog open now, which is then closed.
QStringList buttonsOfTheOpenDialog()
{
    QStringList texts;
    QWidget *dialog = QApplication::activeModalWidget();
    if (!dialog)
        return texts;
    for (const QAbstractButton *button : dialog->findChildren<QAbstractButton *>())
        texts.append(button->text());
    texts.sort();
    if (auto *box = qobject_cast<QDialog *>(dialog))
        box->reject();
    return texts;
}

// Everything wrong with the captions of a window: a group box whose caption is covered by one of
// its controls or does not fit its strip, a label or button whose text does not fit it.
QStringList clippedCaptions(QWidget *window)
{
    QStringList wrong;
    for (const CaptionBox *box : window->findChildren<CaptionBox *>()) {
        const QRect caption = box->captionRect();
        if (caption.isEmpty())
            continue;
        const QFontMetrics metrics(box->captionFont());
        if (metrics.tightBoundingRect(box->title()).height() > caption.height() ||
            metrics.horizontalAdvance(box->title()) > caption.width())
            wrong.append(box->objectName() + QStringLiteral(": caption does not fit"));
        for (const QObject *child : box->children()) {
            const auto *control = qobject_cast<const QWidget *>(child);
            if (control && control->geometry().intersects(caption))
                wrong.append(box->objectName() + QStringLiteral(": caption under ") +
                             control->objectName());
        }
    }
    for (const QLabel *label : window->findChildren<QLabel *>()) {
        const QFontMetrics metrics(label->font());
        if (metrics.horizontalAdvance(label->text()) > label->width() ||
            metrics.tightBoundingRect(label->text()).height() > label->height())
            wrong.append(label->objectName() + QStringLiteral(": text cut"));
    }
    for (const QPushButton *button : window->findChildren<QPushButton *>()) {
        const QFontMetrics metrics(button->font());
        if (metrics.horizontalAdvance(button->text()) > button->width() - 4 ||
            metrics.tightBoundingRect(button->text()).height() > button->height() - 4)
            wrong.append(button->objectName() + QStringLiteral(": text cut"));
    }
    return wrong;
}

// In a child process (the language and scale are fixed when the application starts): shows both
// windows offscreen and prints what is clipped, one line each.
int checkCaptionsHere()
{
    TempLibrary lib;
    ScriptedDialogs dialogs;
    FixedRandom random;
    LibraryDocument document(lib.files, LibraryDocument::Opening::CreateFolders);
    MainWindow main(document, Services{lib.files, random, dialogs});
    main.show();
    EditorWindow editor(document, Services{lib.files, random, dialogs});
    editor.show();
    if (!QTest::qWaitForWindowExposed(&main) || !QTest::qWaitForWindowExposed(&editor))
        return 2;
    const QStringList wrong = clippedCaptions(&main) + clippedCaptions(&editor);
    for (const QString &line : wrong)
        std::printf("%s\n", qPrintable(line));
    return wrong.isEmpty() ? 0 : 1;
}

} // namespace

class TestWindowFit : public QObject
{
    Q_OBJECT

private slots:
    // Message boxes, the question, the three-way question and the input box answer in Chinese,
    // with or without Qt's own translation loaded.
    void dialogButtonsSpeakChinese_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("buttons");
        QTest::newRow("message") << 0 << QStringList{QStringLiteral("确定")};
        QTest::newRow("question") << 1 << QStringList{QStringLiteral("否"), QStringLiteral("是")};
        QTest::newRow("question with cancel")
            << 2 << QStringList{QStringLiteral("取消"), QStringLiteral("否"), QStringLiteral("是")};
        QTest::newRow("input box")
            << 3 << QStringList{QStringLiteral("取消"), QStringLiteral("确定")};
    }
    void dialogButtonsSpeakChinese()
    {
        QFETCH(int, kind);
        QFETCH(QStringList, buttons);
        QtDialogs dialogs;
        QStringList seen;
        QTimer::singleShot(0, [&seen] { seen = buttonsOfTheOpenDialog(); });
        QString typed;
        switch (kind) {
        case 0:
            dialogs.message(QStringLiteral("消息"));
            break;
        case 1:
            dialogs.question(QStringLiteral("问题"));
            break;
        case 2:
            dialogs.questionWithCancel(QStringLiteral("问题"));
            break;
        default:
            dialogs.input(typed);
            break;
        }
        QCOMPARE(seen, buttons);
    }

    // Every caption shows whole, in both languages and at every scale factor.
    void captionsFitInEveryLanguageAndScale_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("scale");
        for (const char *language : {"C.UTF-8", "zh_CN.UTF-8"}) {
            for (const char *scale : {"1", "1.25", "1.5", "2"})
                QTest::addRow("%s at %s", language, scale)
                    << QString::fromLatin1(language) << QString::fromLatin1(scale);
        }
    }
    void captionsFitInEveryLanguageAndScale()
    {
        QFETCH(QString, language);
        QFETCH(QString, scale);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("LANG"), language);
        environment.insert(QStringLiteral("LC_ALL"), language);
        environment.insert(QStringLiteral("QT_SCALE_FACTOR"), scale);
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        QProcess child;
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--captions-here")});
        QVERIFY(child.waitForFinished(60000));
        const QByteArray wrong = child.readAllStandardOutput();
        QVERIFY2(child.exitCode() == 0, wrong.constData());
    }

    // The keyboard reaches what the mouse reaches: the Menu key and Shift+F10 open a list's
    // pop-up at its current item; Return adds a catalogue template to the project and an
    // element's reference to the template text; Return presses the focused button.
    void keyboardReachesEveryCommand()
    {
        EditorDriver d;
        d.lib.writeBytes(s(u"元素/人物.l"), "x\r\n");
        d.lib.writeBytes(s(u"元素/x.txt"), "X");
        QVERIFY(d.open());
        QVERIFY(d.select(s(u"文件框"), s(u"人物.l")));
        QListWidget *elements = d.list(s(u"列表框"));
        QVERIFY(d.select(s(u"列表框"), s(u"x")));
        auto *menu = d.child<QMenu>(s(u"列表菜单"));
        for (const auto &[key, modifiers] :
             {std::pair{Qt::Key_Menu, Qt::NoModifier}, std::pair{Qt::Key_F10, Qt::ShiftModifier}}) {
            elements->setFocus();
            QTest::keyClick(elements, key, modifiers);
            QTRY_VERIFY(menu->isVisible());
            const QRect item = elements->visualItemRect(elements->currentItem());
            QVERIFY((menu->pos() - elements->viewport()->mapToGlobal(item.bottomLeft()))
                        .manhattanLength() < 4);
            menu->hide();
        }
        QTest::keyClick(elements, Qt::Key_Return);
        QCOMPARE(d.child<ContentBox>(s(u"编辑框mx"))->toPlainText(), s(u"[x]"));
        // Tab leaves a multi-line box; Return presses the button reached.
        auto *text = d.child<ContentBox>(s(u"编辑框mx"));
        d.child<ContentBox>(s(u"编辑框内容"))->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), text);
        QTest::keyClick(text, Qt::Key_Tab);
        QVERIFY(QApplication::focusWidget() != text);
        QCOMPARE(text->toPlainText(), s(u"[x]"));
        auto *save = d.child<QPushButton>(s(u"按钮1"));
        save->setFocus();
        QTest::keyClick(save, Qt::Key_Return);
        QCOMPARE(d.lib.readBytes(s(u"元素/x.txt")), QByteArray("X"));
        QVERIFY(d.dialogs.shown.isEmpty());

        TempLibrary lib;
        lib.writeBytes(s(u"模板/类.l"), "t\r\n");
        lib.writeBytes(s(u"模板/t.txt"), "T");
        MainWorkspace ws(lib.files);
        ws.catalogue()->setFocus();
        QTest::keyClick(ws.catalogue(), Qt::Key_Down);
        QTest::keyClick(ws.catalogue(), Qt::Key_Return);
        QTest::keyClick(ws.catalogue(), Qt::Key_Enter);
        QCOMPARE(rows(ws.projectList()), (QStringList{s(u"t"), s(u"t")}));
    }

    // Enlarged to one and a half times their size, the windows keep their controls in order and
    // give the extra room to the story box, the lists, the preview and the content boxes; they
    // cannot be made smaller than they open.
    // Tab from the story box visits every control that takes the focus, each once, and comes
    // back: a control added to a window and forgotten in its tab order would be skipped.
    void tabVisitsEveryControlOfTheMainWindow()
    {
        TempLibrary lib;
        MainWorkspace ws(lib.files);
        QList<QWidget *> expected;
        for (QWidget *w : ws.window->findChildren<QWidget *>()) {
            if (w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus) &&
                !w->focusProxy() && !w->objectName().isEmpty())
                expected.append(w);
        }
        ws.story()->setFocus();
        QList<QWidget *> visited{QApplication::focusWidget()};
        for (int i = 0; i < 2 * expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            if (QApplication::focusWidget() == visited.first())
                break;
            visited.append(QApplication::focusWidget());
        }
        const auto names = [](QList<QWidget *> widgets) {
            QStringList n;
            for (QWidget *w : widgets)
                n.append(w->objectName());
            n.sort();
            return n;
        };
        QCOMPARE(names(visited), names(expected));
    }

    void windowsGrowButDoNotShrink()
    {
        TempLibrary lib;
        MainWorkspace ws(lib.files);
        QWidget *main = ws.window.get();
        const QSize start = main->size();
        const auto rectOf = [main](const char16_t *name) {
            auto *w = main->findChild<QWidget *>(s(name));
            return QRect(w->mapTo(main, QPoint(0, 0)), w->size());
        };
        const QRect story = rectOf(u"编辑框小说"), preview = rectOf(u"编辑框预览"),
                    catalogue = rectOf(u"列表框总目录"), run = rectOf(u"按钮6");
        main->resize(start * 1.5);
        QTRY_COMPARE(main->size(), start * 1.5);
        const int dx = main->width() - start.width(), dy = main->height() - start.height();
        QCOMPARE(rectOf(u"编辑框小说").size(), story.size() + QSize(dx, dy / 2));
        QCOMPARE(rectOf(u"编辑框预览").size(), preview.size() + QSize(dx, dy - dy / 2));
        QCOMPARE(rectOf(u"列表框总目录").size(), catalogue.size() + QSize(0, dy - dy / 2));
        QCOMPARE(rectOf(u"按钮6"), run.translated(dx, 0));
        QVERIFY(rectOf(u"编辑框小说").right() < rectOf(u"按钮6").left());
        QVERIFY(rectOf(u"编辑框小说").bottom() < rectOf(u"编辑框预览").top());
        main->resize(start / 2);
        QVERIFY(main->width() >= start.width() && main->height() >= start.height());

        EditorDriver d;
        QVERIFY(d.open());
        QWidget *editor = d.window();
        const QSize editorStart = editor->size();
        const QRect left = d.child(s(u"编辑框内容"))->geometry();
        const QRect right = d.child(s(u"编辑框mx"))->geometry();
        editor->resize(editorStart * 1.5);
        QTRY_COMPARE(editor->size(), editorStart * 1.5);
        const int ex = editor->width() - editorStart.width();
        const int ey = editor->height() - editorStart.height();
        QCOMPARE(d.child(s(u"编辑框内容"))->size(), left.size() + QSize(ex / 2, ey));
        QCOMPARE(d.child(s(u"编辑框mx"))->size(), right.size() + QSize(ex - ex / 2, ey));
        QCOMPARE(d.child(s(u"分组框3"))->x(), 264 + ex / 2);
    }

    // Closing the editor with a changed text asks; 是 saves into the selected entry, 否 lets it
    // go, 取消 keeps the window open with the text. Closing the main window asks through it.
    void closingAChangedTextAsks_data()
    {
        QTest::addColumn<int>("choice");
        QTest::addColumn<QByteArray>("onDisk");
        QTest::addColumn<bool>("stillOpen");
        QTest::newRow("是") << int(Dialogs::Choice::Yes) << QByteArray("changed") << false;
        QTest::newRow("否") << int(Dialogs::Choice::No) << QByteArray("X") << false;
        QTest::newRow("取消") << int(Dialogs::Choice::Cancel) << QByteArray("X") << true;
    }
    void closingAChangedTextAsks()
    {
        QFETCH(int, choice);
        QFETCH(QByteArray, onDisk);
        QFETCH(bool, stillOpen);
        EditorDriver d;
        d.lib.writeBytes(s(u"元素/人物.l"), "x\r\n");
        d.lib.writeBytes(s(u"元素/x.txt"), "X");
        QVERIFY(d.open());
        QVERIFY(d.select(s(u"文件框"), s(u"人物.l")));
        QVERIFY(d.select(s(u"列表框"), s(u"x")));
        QVERIFY(d.window()->close()); // unchanged: closes without a word
        QVERIFY(d.dialogs.shown.isEmpty());
        QVERIFY(d.open());
        QVERIFY(d.select(s(u"文件框"), s(u"人物.l")));
        QVERIFY(d.select(s(u"列表框"), s(u"x")));
        auto *box = d.child<ContentBox>(s(u"编辑框内容"));
        box->selectAll();
        QTest::keyClicks(box, QStringLiteral("changed"));
        d.dialogs.choices = {Dialogs::Choice(choice)};
        QCOMPARE(d.window()->close(), !stillOpen);
        QCOMPARE(d.dialogs.shown, QStringList{s(u"内容已修改，是否保存？")});
        QCOMPARE(d.lib.readBytes(s(u"元素/x.txt")), onDisk);
        if (stillOpen)
            QCOMPARE(d.child<ContentBox>(s(u"编辑框内容"))->toPlainText(), s(u"changed"));
    }
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (QCoreApplication::arguments().contains(QStringLiteral("--captions-here")))
        return checkCaptionsHere();
    TestWindowFit test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_windowfit.moc"

#include "library/story.h"
#include "tests/support/templibrary.h"
#include "tests/support/testtext.h"
#include "tests/support/widgetdriver.h"
#include "ui/widgets/contentbox.h"
#include "ui/widgets/filebox.h"
#include "ui/widgets/namelist.h"
#include "ui/widgets/progresswatch.h"

#include <QInputMethodEvent>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

namespace {

// A progress dialog that writes down what is asked of it.
class RecordedProgress : public Progress
{
public:
    void setProgress(int done, int total) override
    {
        log.append(QStringLiteral("step %1/%2").arg(done).arg(total));
    }
    void keepServed() override { log.append(QStringLiteral("served")); }
    bool stopRequested() override { return stop; }

    QStringList log;
    bool stop = false;
};

} // namespace

class TestWidgets : public QObject
{
    Q_OBJECT

private slots:
    // The run and the check serve their progress dialog through one watch: every step is
    // recorded, but the dialog (and what the window shows first) is served a tenth of a second
    // apart at most, whether the task reports a step or asks whether to stop.
    void progressWatchServesATenthOfASecondApart()
    {
        RecordedProgress progress;
        ProgressWatch watch(progress, [&progress] { progress.log.append(u"lines shown"_qs); });
        watch.progressed(1, 3);
        QVERIFY(!watch.stopRequested());
        QCOMPARE(progress.log, QStringList{u"step 1/3"_qs});
        QTest::qSleep(120);
        watch.progressed(2, 3);
        QVERIFY(!watch.stopRequested());
        QCOMPARE(progress.log,
                 (QStringList{u"step 1/3"_qs, u"step 2/3"_qs, u"lines shown"_qs, u"served"_qs}));
        QTest::qSleep(120);
        progress.stop = true;
        progress.log.clear();
        QVERIFY(watch.stopRequested());
        QCOMPARE(progress.log, (QStringList{u"lines shown"_qs, u"served"_qs}));

        RecordedProgress checked; // the check shows nothing of its own
        ProgressWatch checkWatch(checked);
        QTest::qSleep(120);
        checkWatch.progressed(5, 9);
        QCOMPARE(checked.log, (QStringList{u"step 5/9"_qs, u"served"_qs}));
    }

    // Whatever a file holds comes back out of the edit box byte for byte.
    void contentBoxHandsBackEveryByte_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("CR LF inside, none at the end") << QByteArray("a\r\nb");
        QTest::newRow("final CR LF") << QByteArray("a\r\nb\r\n");
        QTest::newRow("blank lines") << QByteArray("\r\n\r\na\r\n\r\n");
        QTest::newRow("lone CR and LF") << QByteArray("a\rb\nc\r\n\n\r");
        QTest::newRow("CR CR LF") << QByteArray("a\r\r\nb");
        QTest::newRow("invalid GBK") << QByteArray("\x80\xFF\x81\r\n\xFE");
        QTest::newRow("GB18030 no-break space") << QByteArray("a\x81\x30\x84\x36z");
        QTest::newRow("Chinese") << gbk(QStringLiteral("他是[人物]。\r\n天气很好")).toGbk();
        QTest::newRow("tab and controls") << QByteArray("\t\x01\x1F\x7F", 4);
        QTest::newRow("NUL") << QByteArray("a\0b", 3);
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b)).append('x');
        QTest::newRow("every byte value") << all;
    }
    void contentBoxHandsBackEveryByte()
    {
        QFETCH(QByteArray, bytes);
        ContentBox box;
        box.setContent(Text::fromGbk(bytes));
        QCOMPARE(box.content().toGbk(), bytes);
    }

    void contentBoxRoundTripsRandomBytes()
    {
        QRandomGenerator random(7);
        ContentBox box;
        for (int i = 0; i < 300; ++i) {
            QByteArray bytes(random.bounded(1, 200), Qt::Uninitialized);
            for (char &c : bytes)
                c = char(random.bounded(256));
            box.setContent(Text::fromGbk(bytes));
            QCOMPARE(box.content().toGbk(), bytes);
        }
    }

    // A list that follows the library changes as little as it must: the selected item stays
    // selected through an added, removed or renamed neighbour, follows its own rename, and goes
    // with its own removal (also among equal names); anything else lists afresh by name.
    void nameListShowsNewNamesKeepingTheSelection_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<int>("selected");
        QTest::addColumn<bool>("sorted");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("stillSelected");
        QTest::newRow("appended") << "a b c" << 1 << false << "a b c d" << 1;
        QTest::newRow("inserted before") << "a b c" << 1 << false << "x a b c" << 2;
        QTest::newRow("neighbour removed") << "a b c" << 1 << false << "b c" << 0;
        QTest::newRow("selected removed") << "a b c" << 1 << false << "a c" << -1;
        QTest::newRow("one of equal names") << "a b b c" << 2 << false << "a b c" << -1;
        QTest::newRow("renamed in place") << "a b c" << 1 << false << "a x c" << 1;
        QTest::newRow("renamed, sorted down") << "a b c d" << 0 << true << "b c d e" << 3;
        QTest::newRow("renamed, moved up") << "a b c d" << 3 << false << "z a b c" << 0;
        QTest::newRow("listed afresh") << "a b c" << 2 << false << "c d e f" << 0;
        QTest::newRow("gone on relisting") << "a b c" << 0 << false << "d e" << -1;
    }
    void nameListShowsNewNamesKeepingTheSelection()
    {
        QFETCH(QString, before);
        QFETCH(int, selected);
        QFETCH(bool, sorted);
        QFETCH(QString, after);
        QFETCH(int, stillSelected);
        const auto texts = [](const QString &names) {
            TextList list;
            for (const QString &name : names.split(u' '))
                list.append(Text::fromUnicode(name));
            return list;
        };
        NameList list;
        list.addNames(texts(before));
        if (sorted)
            list.setSorted();
        list.setCurrentRow(selected);
        QSignalSpy selections(&list, &NameList::itemSelected);
        list.showNames(texts(after));
        QCOMPARE(list.names(), texts(after));
        QCOMPARE(list.currentRow(), stillSelected);
        QCOMPARE(selections.size(), 0); // the program's change, not the user's choice
    }

    void contentBoxShowsCrLfAsLineBreaksAndTypedBreaksAsCrLf()
    {
        ContentBox box;
        box.setContent(gbk(QStringLiteral("一\r\n二")));
        QCOMPARE(box.toPlainText(), QStringLiteral("一\n二"));
        box.clear();
        QTest::keyClicks(&box, QStringLiteral("ab"));
        QTest::keyClick(&box, Qt::Key_Return);
        QTest::keyClicks(&box, QStringLiteral("c"));
        QTest::keyClick(&box, Qt::Key_Return, Qt::ShiftModifier); // a soft break is a break too
        QTest::keyClicks(&box, QStringLiteral("d"));
        QCOMPARE(box.content(), Text("ab\r\nc\r\nd"));
        box.setContent(Text());
        QCOMPARE(box.content(), Text());
    }

    // A line separator typed as text, through an input method or a key that makes the character,
    // is a character of the line: it is saved as itself, while Shift+Return is still a break.
    void contentBoxKeepsATypedLineSeparator_data()
    {
        QTest::addColumn<bool>("inputMethod");
        QTest::addColumn<StoryEncoding>("encoding");
        QTest::addColumn<QByteArray>("saved");
        const QByteArray utf8("a\xE2\x80\xA8"
                              "b\nc");
        const QByteArray gb18030("a\x81\x36\xA6\x35"
                                 "b\r\nc");
        QTest::newRow("input method, UTF-8") << true << StoryEncoding::Utf8 << utf8;
        QTest::newRow("input method, GBK") << true << StoryEncoding::Gbk << gb18030;
        QTest::newRow("key, UTF-8") << false << StoryEncoding::Utf8 << utf8;
        QTest::newRow("key, GBK") << false << StoryEncoding::Gbk << gb18030;
    }

    void contentBoxKeepsATypedLineSeparator()
    {
        QFETCH(bool, inputMethod);
        QFETCH(StoryEncoding, encoding);
        QFETCH(QByteArray, saved);
        ContentBox box;
        QTest::keyClicks(&box, QStringLiteral("a"));
        const QString separator(QChar::LineSeparator);
        if (inputMethod) {
            QInputMethodEvent commit;
            commit.setCommitString(separator);
            QCoreApplication::sendEvent(&box, &commit);
        } else {
            // keyClicks types Latin-1 only; a layout that makes the character sends it as text.
            QTest::sendKeyEvent(QTest::Click, &box, Qt::Key_unknown, separator, Qt::NoModifier);
        }
        QTest::keyClicks(&box, QStringLiteral("b"));
        QTest::keyClick(&box, Qt::Key_Return, Qt::ShiftModifier);
        QTest::keyClicks(&box, QStringLiteral("c"));
        QCOMPARE(box.content(), Text::fromUnicode(u"a\u2028b\r\nc"));
        QCOMPARE(storyBytes(box.content(), encoding), saved);
    }

    void contentBoxAppendsAtTheEndWhereverTheCaretIs()
    {
        ContentBox box;
        box.setContent(Text("first\r\n"));
        box.moveCursor(QTextCursor::Start);
        box.appendContent(Text("second\r\n"));
        box.appendContent(Text("\r\n"));
        QCOMPARE(box.content(), Text("first\r\nsecond\r\n\r\n"));
    }

    void nameListKeepsBytesAndSortsByThem()
    {
        NameList list;
        const Text invalid = Text::fromGbk("\xFF\x80");
        list.addNames({gbk(QStringLiteral("张")), Text("b"), gbk(QStringLiteral("阿")), invalid});
        QCOMPARE(list.nameAt(3), invalid);
        QCOMPARE(list.nameAt(-1), Text());
        QCOMPARE(list.nameAt(4), Text());
        list.setSorted();
        // GBK puts 阿 (B0 A2) before 张 (D5 C5): pinyin order; ASCII first, raw FF last.
        QCOMPARE(list.names(), TextList({Text("b"), gbk(QStringLiteral("阿")),
                                         gbk(QStringLiteral("张")), invalid}));
        list.addName(Text("a"));
        QCOMPARE(list.nameAt(0), Text("a"));
        list.setNameAt(0, Text("z"));
        // A renamed item takes its sorted place.
        QCOMPARE(list.names(), TextList({Text("b"), Text("z"), gbk(QStringLiteral("阿")),
                                         gbk(QStringLiteral("张")), invalid}));
    }

    // Only the user selects: the program's own changes to a list raise nothing.
    void nameListReportsOnlyTheUsersSelections()
    {
        NameList list;
        list.resize(200, 200);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QSignalSpy selected(&list, &NameList::itemSelected);
        list.addNames({Text("a"), Text("b"), Text("c")});
        clickRow(&list, 1);
        QCOMPARE(selected.size(), 1);
        clickRow(&list, 1); // the same item again shows it afresh
        QCOMPARE(selected.size(), 2);
        list.removeAt(1);
        list.removeAt(7);
        list.clearNames();
        QCOMPARE(selected.size(), 2);
        list.addNames({Text("a"), Text("b")});
        QTest::keyClick(&list, Qt::Key_Down);
        QVERIFY(selected.size() >= 3);
        QCOMPARE(selected.last().at(0).toInt(), list.currentRow());
    }

    void fileBoxListsTheFolderAndKeepsItsSelection()
    {
        TempLibrary lib;
        lib.writeBytes(QStringLiteral("项目/甲.l"), "");
        lib.writeBytes(QStringLiteral("项目/乙.l"), "");
        lib.writeBytes(QStringLiteral("项目/丙.txt"), "");
        LibraryDocument document(lib.files, LibraryDocument::Opening::ReadOnly);
        FileBox box(document, Folder::Projects);
        QSignalSpy selected(&box, &NameList::itemSelected);
        box.relist();
        QCOMPARE(box.count(), 2);
        QCOMPARE(box.selectedFileName(), Text());
        const int row = box.row(box.findItems(QStringLiteral("乙.l"), Qt::MatchExactly).first());
        box.setCurrentRow(row);
        const int before = selected.size();
        lib.writeBytes(QStringLiteral("项目/丁.l"), "");
        box.relist();
        QCOMPARE(box.count(), 3);
        QCOMPARE(box.selectedFileName(), gbk(QStringLiteral("乙.l")));
        QFile::remove(lib.path(QStringLiteral("项目/乙.l")));
        box.relist();
        QCOMPARE(box.selectedFileName(), Text());
        QCOMPARE(selected.size(), before); // re-listing is not a selection
    }
};

QTEST_MAIN(TestWidgets)
#include "tst_widgets.moc"

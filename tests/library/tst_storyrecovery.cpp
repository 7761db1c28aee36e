// The story's copy for recovery: what is kept comes back byte for byte, two programs keep two
// copies, and the copy of a program that was killed is found by the next one.

#include "library/storyrecovery.h"
#include "platform/localfiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace quorvel;

namespace {

KeptStory story(const QByteArray &gbkBytes, QList<KeptStory::Line> lines = {})
{
    return {Text::fromGbk(gbkBytes), std::move(lines)};
}

void compareStories(const KeptStory &actual, const KeptStory &expected)
{
    QCOMPARE(actual.text.toGbk(), expected.text.toGbk());
    QCOMPARE(actual.lines.size(), expected.lines.size());
    for (qsizetype i = 0; i < actual.lines.size(); ++i) {
        QCOMPARE(actual.lines.at(i).block, expected.lines.at(i).block);
        QCOMPARE(actual.lines.at(i).source, expected.lines.at(i).source);
    }
}

} // namespace

class TestStoryRecovery : public QObject
{
    Q_OBJECT

private slots:
    void keptStoryComesBackExactly_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("lines of a run") << QByteArray("\xc0\xcf\xd6\xdc\r\n\xd0\xa1\xc0\xee\r\n");
        // Bytes that are no character, and line ends the library does not break at.
        QTest::newRow("stray bytes, lone CR and LF") << QByteArray("a\x81\rb\nc\xff\r\n");
        QTest::newRow("unfinished last line") << QByteArray("typed");
    }
    void keptStoryComesBackExactly()
    {
        QFETCH(QByteArray, text);
        const KeptStory kept =
            story(text, {{1, QJsonObject{{QStringLiteral("template"), QStringLiteral("相遇")}}}});
        const std::optional<KeptStory> back = StoryRecovery::decode(StoryRecovery::encode(kept));
        QVERIFY(back);
        compareStories(*back, kept);
    }

    void otherFilesAreNoStory()
    {
        for (const QByteArray &bytes : {QByteArray(), QByteArray("{}"), QByteArray("not json"),
                                        QByteArray(R"({"format":"other","text":"x"})")})
            QVERIFY2(!StoryRecovery::decode(bytes), bytes.constData());
    }

    void twoProgramsKeepTwoCopies()
    {
        QTemporaryDir state;
        LocalFiles files(state.path());
        const QString folder = state.path() + QStringLiteral("/deeper/quorvel");
        StoryRecovery first(files, folder), second(files, folder);
        QVERIFY(first.open() && second.open());
        QVERIFY(first.path() != second.path());
        QVERIFY(first.keep(story("one")));
        QVERIFY(!second.left());
        QVERIFY(second.keep(story("two")));
        compareStories(*first.left(), story("one"));
        first.discard();
        QVERIFY(!first.left());
        compareStories(*second.left(), story("two"));
    }

    // A program killed in the middle of its work cannot remove its lock: the next program takes
    // the slot over, and finds the story there.
    void nextProgramFindsTheStoryOfAKilledOne()
    {
        QTemporaryDir state;
        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            LocalFiles files(state.path());
            StoryRecovery recovery(files, state.path());
            if (recovery.open() && recovery.keep(story("killed\r\n")))
                ::kill(::getpid(), SIGKILL);
            ::_exit(1);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFSIGNALED(status));
        QVERIFY(!QDir(state.path()).entryList({QStringLiteral("story-*.lock")}).isEmpty());

        LocalFiles files(state.path());
        StoryRecovery next(files, state.path());
        QVERIFY(next.open());
        const std::optional<KeptStory> left = next.left();
        QVERIFY(left);
        compareStories(*left, story("killed\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestStoryRecovery)
#include "tst_storyrecovery.moc"

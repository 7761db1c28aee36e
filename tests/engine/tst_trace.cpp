// Where story lines come from: a traced run over a small library with nested references, checked
// draw by draw against fixed draws, the byte ranges against the line they describe, and the JSON
// form scripts read.

#include "engine/messages.h"
#include "engine/projectrun.h"
#include "engine/tracejson.h"
#include "tests/support/fixedrandom.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/shownmessages.h"
#include "tests/support/templibrary.h"
#include "tests/support/testtext.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

#include <algorithm>

using namespace quorvel;
using namespace quorvel::test;

namespace {

// The draws as a short text: element, line and the text the range covers in the story line,
// inner draws in braces, e.g. 人物2「小李」{姓2「李」}.
QString describe(const Text &line, const QList<DrawTrace> &draws)
{
    QStringList parts;
    for (const DrawTrace &draw : draws) {
        const Text covered = Text::fromGbk(line.view().sliced(draw.start, draw.end - draw.start));
        QString part = QStringLiteral("%1%2「%3」")
                           .arg(draw.element.toUnicode())
                           .arg(draw.line)
                           .arg(covered.toUnicode());
        if (!draw.inner.isEmpty())
            part += u'{' + describe(line, draw.inner) + u'}';
        parts.append(part);
    }
    return parts.join(u' ');
}

// Ranges lie inside the line (or their parent), in order and without overlap.
bool rangesNest(const QList<DrawTrace> &draws, qsizetype from, qsizetype to)
{
    qsizetype at = from;
    for (const DrawTrace &draw : draws) {
        if (draw.start < at || draw.end < draw.start || draw.end > to ||
            !rangesNest(draw.inner, draw.start, draw.end))
            return false;
        at = draw.end;
    }
    return true;
}

struct Fixture
{
    Fixture()
    {
        write(u"元素/人物.txt", u"老周\r\n小[姓]\r\n");
        write(u"元素/姓.txt", u"王\r\n李\r\n");
        write(u"元素/地点.txt", u"河边\r\n");
        write(u"元素/古.txt", u"𠀀字\r\n");
        write(u"元素/空.txt", u"");
        write(u"模板/相遇.txt", u"无人\r\n[人物]在[地点]遇见[人物]\r\n");
        write(u"模板/空元素.txt", u"[空]x[地点]\r\n");
        write(u"模板/停在空引用.txt", u"[地点]x[]y[人物]\r\n");
        write(u"模板/古字.txt", u"[古][地点]\r\n");
        write(u"模板/无引用.txt", u"平常一句\r\n");
    }
    void write(const char16_t *path, const char16_t *text)
    {
        lib.writeBytes(QString::fromUtf16(path), gbk(QString::fromUtf16(text)));
    }
    QList<StoryLine> run(const QString &templateName, bool tracing = true)
    {
        ProjectRun projectRun(lib.library, random);
        projectRun.setTracing(tracing);
        QList<StoryLine> lines;
        projectRun.run({gbk(templateName)},
                       {[&](const StoryLine &line) { lines.append(line); }, shownIn(dialogs)});
        return lines;
    }

    TempLibrary lib;
    FixedRandom random;
    ScriptedDialogs dialogs;
};

} // namespace

class TestTrace : public QObject
{
    Q_OBJECT

private slots:
    void recordsEveryDraw_data()
    {
        QTest::addColumn<QString>("templateName");
        QTest::addColumn<QList<int>>("draws");
        QTest::addColumn<int>("patternLine");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("trace");
        QTest::addColumn<QStringList>("messages");
        const QStringList none;
        // Draws: the pattern first, then each reference depth first.
        QTest::newRow("nested") << u"相遇"_qs << QList<int>{2, 2, 2, 1, 1} << 2
                                << u"小李在河边遇见老周"_qs
                                << u"人物2「小李」{姓2「李」} 地点1「河边」 人物1「老周」"_qs
                                << none;
        QTest::newRow("element without lines")
            << u"空元素"_qs << QList<int>{1, 1} << 1 << u"x河边"_qs << u"空0「」 地点1「河边」"_qs
            << QStringList{u"空"_qs + QString::fromUtf16(messages::EmptyElement)};
        QTest::newRow("stopped at []")
            << u"停在空引用"_qs << QList<int>{1, 1} << 1 << u"河边x[]y[人物]"_qs
            << u"地点1「河边」"_qs << QStringList{QString::fromUtf16(messages::EmptyReference)};
        QTest::newRow("four-byte character")
            << u"古字"_qs << QList<int>{1, 1, 1} << 1 << u"𠀀字河边"_qs
            << u"古1「𠀀字」 地点1「河边」"_qs << none;
        QTest::newRow("no reference")
            << u"无引用"_qs << QList<int>{1} << 1 << u"平常一句"_qs << QString() << none;
    }
    void recordsEveryDraw()
    {
        QFETCH(QString, templateName);
        QFETCH(QList<int>, draws);
        QFETCH(int, patternLine);
        QFETCH(QString, line);
        QFETCH(QString, trace);
        QFETCH(QStringList, messages);
        Fixture f;
        f.random.setDraws(draws);
        const QList<StoryLine> lines = f.run(templateName);
        QCOMPARE(lines.size(), 1);
        const StoryLine &made = lines.first();
        QCOMPARE(made.text.toUnicode(), line);
        QCOMPARE(made.trace.templateName.toUnicode(), templateName);
        QCOMPARE(made.trace.patternLine, patternLine);
        QCOMPARE(describe(made.text, made.trace.draws), trace);
        QVERIFY(rangesNest(made.trace.draws, 0, made.text.size()));
        QCOMPARE(f.dialogs.shown, messages);
    }

    // Tracing changes nothing of the line or of the draws made for it.
    void tracingLeavesTheStoryAlone()
    {
        Fixture traced, plain;
        traced.random.setDraws({2, 2, 2, 1, 1});
        plain.random.setDraws({2, 2, 2, 1, 1});
        const QList<StoryLine> withTrace = traced.run(u"相遇"_qs, true);
        const QList<StoryLine> without = plain.run(u"相遇"_qs, false);
        QCOMPARE(withTrace.first().text, without.first().text);
        QCOMPARE(traced.random.ranges, plain.random.ranges);
        QVERIFY(without.first().trace.draws.isEmpty());
    }

    // Bytes count the GBK line, characters the code points of the text: the four-byte character
    // is one character, as a script slicing the UTF-8 text by code points expects.
    void jsonGivesBytesAndCharacters()
    {
        Fixture f;
        f.random.setDraws({1, 1, 1});
        const QJsonObject json = traceToJson(f.run(u"古字"_qs).first());
        const QJsonObject parsed =
            QJsonDocument::fromJson(QJsonDocument(json).toJson(QJsonDocument::Compact)).object();
        QCOMPARE(parsed.value(u"text"_qs).toString(), u"𠀀字河边"_qs);
        QCOMPARE(parsed.value(u"template"_qs).toString(), u"古字"_qs);
        QCOMPARE(parsed.value(u"line"_qs).toInt(), 1);
        const QJsonArray draws = parsed.value(u"draws"_qs).toArray();
        QCOMPARE(draws.size(), 2);
        const auto range = [](const QJsonValue &v) {
            const QJsonArray a = v.toArray();
            return std::pair(a.at(0).toInt(), a.at(1).toInt());
        };
        QCOMPARE(draws.at(0)[u"element"_qs].toString(), u"古"_qs);
        QCOMPARE(range(draws.at(0)[u"bytes"_qs]), std::pair(0, 6));
        QCOMPARE(range(draws.at(0)[u"chars"_qs]), std::pair(0, 2));
        QCOMPARE(range(draws.at(1)[u"bytes"_qs]), std::pair(6, 10));
        QCOMPARE(range(draws.at(1)[u"chars"_qs]), std::pair(2, 4));
        QVERIFY(draws.at(1)[u"draws"_qs].toArray().isEmpty());
    }

    // A circle nests its draws 20,000 deep, to the bound on depth: the trace is built, cut to the
    // 64 KiB line, compared, written as JSON (cut at its depth and said so), read back and
    // destroyed, none of it calling itself once per level.
    void circlesTraceToTheDepthBound_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("levels");
        const int bound = ExpansionLimits().maxDepth;
        QTest::newRow("self-reference") << u"[甲]"_qs << u""_qs << bound;
        QTest::newRow("two elements") << u"甲[乙]"_qs << u"乙[甲]"_qs << bound;
        // Four bytes a level: the draws that start within the cut line (64 KiB less "……").
        QTest::newRow("cut to 64 KiB") << u"啊啊[甲][甲]"_qs << u""_qs << (64 * 1024 - 4) / 4;
    }
    void circlesTraceToTheDepthBound()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, levels);
        Fixture f, again;
        for (Fixture *fixture : {&f, &again}) {
            fixture->lib.writeBytes(u"元素/甲.txt"_qs, gbk(a));
            fixture->lib.writeBytes(u"元素/乙.txt"_qs, gbk(b));
            fixture->write(u"模板/圈.txt", u"[甲]");
        }
        const StoryLine line = f.run(u"圈"_qs).first();
        const auto depthOf = [](const QList<DrawTrace> &draws) {
            int deepest = 0;
            forEachDraw(draws, [&](const DrawTrace &, int depth) {
                deepest = std::max(deepest, depth + 1);
            });
            return deepest;
        };
        QCOMPARE(depthOf(line.trace.draws), levels);
        QVERIFY(line.text.size() <= 64 * 1024);
        forEachDraw(line.trace.draws, [&](const DrawTrace &draw, int) {
            QVERIFY(draw.start <= draw.end && draw.end <= line.text.size());
        });

        // Equal to the same trace built again, unequal once its deepest draw differs.
        StoryLine other = again.run(u"圈"_qs).first();
        QVERIFY(other.trace.draws == line.trace.draws);
        DrawTrace *deepest = &other.trace.draws.first();
        while (!deepest->inner.isEmpty())
            deepest = &deepest->inner.last();
        ++deepest->line;
        QVERIFY(other.trace.draws != line.trace.draws);

        const QByteArray json = QJsonDocument(traceToJson(line)).toJson(QJsonDocument::Compact);
        const std::optional<StoryLine> read = traceFromJson(QJsonDocument::fromJson(json).object());
        QVERIFY(read);
        QCOMPARE(read->text, line.text);
        QCOMPARE(depthOf(read->trace.draws), MaxJsonDrawDepth);
        QCOMPARE(json.count("\"cut\":true"), 1);
    }
};

QTEST_GUILESS_MAIN(TestTrace)
#include "tst_trace.moc"

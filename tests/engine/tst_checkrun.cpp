// The check held against the run itself: on random small libraries, whenever the check finds no
// error and no circle, every template run with every sequence of draws shows no message and
// leaves no bracket in its line; and the count of stories is never below the lines seen.

#include "engine/check.h"
#include "engine/expansion.h"
#include "engine/generator.h"
#include "platform/random.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/shownmessages.h"
#include "tests/support/storyline.h"
#include "tests/support/templibrary.h"

#include <QRandomGenerator>
#include <QSet>
#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

namespace {

// Draws every sequence of choices in turn, as an odometer: a run takes 1 wherever it draws for
// the first time, and next() moves on to the following sequence. A run depends only on its draws,
// so each position keeps the range it had.
class EveryDraw : public RandomSource
{
public:
    void reseed() override {}
    int between1And(int n) override
    {
        if (m_at == m_values.size()) {
            m_values.append(1);
            m_ranges.append(n);
        }
        return m_values.at(m_at++);
    }
    bool next()
    {
        m_at = 0;
        while (!m_values.isEmpty()) {
            if (m_values.last() < m_ranges.last()) {
                ++m_values.last();
                return true;
            }
            m_values.removeLast();
            m_ranges.removeLast();
        }
        return false;
    }

private:
    QList<int> m_values, m_ranges;
    qsizetype m_at = 0;
};

// Names with the awkward parts of the grammar: a "[" inside, blanks at an end, a GBK character.
const QList<QByteArray> Names{"a", "b", "c", "[a", " a", "\xbc\xd7"};

// A random small library. Ordered libraries refer only to elements further down the list, which
// all exist; some of them hold a fault now and then (a bracket alone, a half character), most of
// which the check must catch, while some (a half character inside a line) are harmless. Wild ones
// refer to any name, present or not, circles included, with faults everywhere.
class RandomLibrary
{
public:
    enum Mode
    {
        Clean,
        Tricky,
        Wild,
    };

    RandomLibrary(QRandomGenerator &random, Mode mode) : m_random(random), m_mode(mode)
    {
        for (const QByteArray &name : Names) {
            if (mode != Wild || chance(70))
                m_elements.append(name);
        }
        for (qsizetype e = 0; e < m_elements.size(); ++e)
            write("元素/", m_elements.at(e), lines(e + 1, mode == Wild ? 0 : 1));
        for (int t = 0; t < 2; ++t)
            write("模板/", "t" + QByteArray::number(t), lines(0, 1));
    }

    TempLibrary lib;

private:
    bool chance(int percent) { return int(m_random.bounded(100)) < percent; }

    QByteArray lines(qsizetype firstTarget, int fewest)
    {
        QByteArray text;
        const int count = fewest + int(m_random.bounded(3));
        for (int l = 0; l < count; ++l)
            text += line(firstTarget) + (l + 1 < count || chance(50) ? "\r\n" : "");
        return text;
    }

    QByteArray line(qsizetype firstTarget)
    {
        static const QList<QByteArray> plain{"x", "\xbc\xd7", "\x81]", "\x81["};
        static const QList<QByteArray> faults{"[]", "]", "[", "\x81"};
        QByteArray text;
        const int tokens = int(m_random.bounded(4));
        for (int k = 0; k < tokens; ++k) {
            const int kind = int(m_random.bounded(10));
            if (kind < 4) {
                text += plain.at(m_random.bounded(plain.size()));
            } else if (kind == 9 && (m_mode == Wild || (m_mode == Tricky && chance(25)))) {
                text += faults.at(m_random.bounded(faults.size()));
            } else if (m_mode != Wild) {
                if (firstTarget < m_elements.size())
                    text += "[" +
                            m_elements.at(firstTarget +
                                          m_random.bounded(m_elements.size() - firstTarget)) +
                            "]";
            } else {
                text += "[" + Names.at(m_random.bounded(Names.size())) + "]";
            }
        }
        return text;
    }

    void write(const char *folder, const QByteArray &name, const QByteArray &content)
    {
        const Text fileName = Text::fromGbk(name) + ".txt";
        lib.writeBytes(QString::fromUtf8(folder) + fileName.toUnicode(), content);
    }

    QRandomGenerator &m_random;
    Mode m_mode;
    QList<QByteArray> m_elements;
};

} // namespace

class TestCheckRun : public QObject
{
    Q_OBJECT

private slots:
    void cleanMaterialRunsWithoutMessagesOrBrackets()
    {
        constexpr int Libraries = 600;
        constexpr int RunsPerTemplate = 300;
        QRandomGenerator random(15);
        int passed = 0, runs = 0;
        for (int i = 0; i < Libraries; ++i) {
            RandomLibrary material(random, RandomLibrary::Mode(i % 3));
            LibraryCheck check(material.lib.library);
            const CheckReport &report = check.checkAll();
            if (report.errors > 0 || report.circles > 0)
                continue;
            ++passed;
            for (const Text &name : {Text("t0"), Text("t1")}) {
                EveryDraw draws;
                ScriptedDialogs dialogs;
                QSet<Text> seen;
                int n = 0;
                Generator generator(material.lib.library, draws, shownIn(dialogs));
                do {
                    const std::optional<Text> line = storyLine(generator, name);
                    if (!line)
                        break;
                    const Reference left = findReference(line->view());
                    if (!dialogs.shown.isEmpty() || left.open >= 0 || left.close >= 0)
                        QFAIL(qPrintable(u"library %1, %2 gives %3 with messages %4"_qs.arg(i).arg(
                            name.toUnicode(), line->toUnicode(), dialogs.shown.join(u" | "))));
                    seen.insert(*line);
                    ++runs;
                } while (++n < RunsPerTemplate && draws.next());
                const StoryCount count = check.templateCount(name);
                QVERIFY(count.isExact());
                QVERIFY(count.digits().size() > 18 || count.digits().toLongLong() >= seen.size());
            }
        }
        // The property must not hold only because no library came out clean.
        QVERIFY2(passed >= Libraries / 4, qPrintable(QString::number(passed)));
        qInfo("%d of %d libraries clean, %d runs", passed, Libraries, runs);
    }
};

QTEST_GUILESS_MAIN(TestCheckRun)
#include "tst_checkrun.moc"

#include "bench/peer.h"

#include "bench/benchlibrary.h"
#include "bench/report.h"
#include "library/lines.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <algorithm>

namespace quorvel::bench {

namespace {

constexpr int Rounds = 9;
constexpr int Times = 30; // runs of the project in one process: 30,000 lines

QString readText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? Text::fromGbk(file.readAll()).toUnicode() : QString();
}

// The library as a Tracery grammar: a symbol for each element and each template, whose rules are
// its lines, with each reference [name] written #name#. The bench library's brackets are all
// references, so the one rewriting is exact.
QJsonArray rulesOf(const QString &path)
{
    QJsonArray rules;
    for (const Text &line : splitLines(Text::fromUnicode(readText(path)))) {
        QString rule = line.toUnicode();
        rule.replace(u'[', u'#').replace(u']', u'#');
        rules.append(rule);
    }
    return rules;
}

bool writeGrammar(const BenchLibrary &lib, const QString &file)
{
    QJsonObject symbols;
    for (int e = 0; e < BenchLibrary::Elements; ++e)
        symbols.insert(BenchLibrary::elementName(e).toUnicode(), rulesOf(lib.elementPath(e)));
    for (int t = 0; t < BenchLibrary::Templates; ++t)
        symbols.insert(BenchLibrary::templateName(t).toUnicode(), rulesOf(lib.templatePath(t)));
    QJsonArray project;
    for (int i = 0; i < BenchLibrary::ProjectLength; ++i)
        project.append(BenchLibrary::templateName(i % BenchLibrary::Templates).toUnicode());
    QFile out(file);
    const QByteArray json = QJsonDocument(QJsonObject{{QStringLiteral("symbols"), symbols},
                                                      {QStringLiteral("project"), project}})
                                .toJson(QJsonDocument::Compact);
    return out.open(QIODevice::WriteOnly) && out.write(json) == json.size();
}

// Seconds the program took from start to end, its output thrown away; negative when it failed.
double secondsFor(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    process.start(program, arguments);
    if (!process.waitForFinished(600'000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return -1;
    return double(timer.nsecsElapsed()) * 1e-9;
}

QByteArray outputOf(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(600'000);
    return process.readAllStandardOutput();
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}

} // namespace

PeerFigures measurePeer(const BenchLibrary &lib, const QString &peerFolder, const QString &gen)
{
    const QString project = BenchLibrary::projectName().toUnicode();
    const QStringList ours{QStringLiteral("--library"), lib.root(), QStringLiteral("--times"),
                           QString::number(Times), project};
    const QString grammar = lib.root() + QStringLiteral("/grammar.json");
    const QString script = peerFolder + QStringLiteral("/tracery-run.js");
    const bool withPeer =
        !peerFolder.isEmpty() && QFile::exists(script) && writeGrammar(lib, grammar);
    const QStringList theirs{script, grammar, QString::number(Times)};

    QList<double> cached, uncached, tracery;
    for (int round = 0; round < Rounds; ++round) {
        cached.append(secondsFor(gen, ours));
        uncached.append(secondsFor(gen, ours + QStringList{QStringLiteral("--no-cache")}));
        if (withPeer)
            tracery.append(secondsFor(QStringLiteral("node"), theirs));
    }
    const double lines = double(Times) * BenchLibrary::ProjectLength;
    PeerFigures figures;
    figures.linesPerSecond = lines / median(cached);
    figures.linesPerSecondNoCache = lines / median(uncached);
    std::printf("%d rounds in turn, %d story lines a program, each run as its own process:\n",
                Rounds, int(lines));
    print("quorvel-gen story lines per second (median)", figures.linesPerSecond);
    print("quorvel-gen --no-cache story lines per second (median)", figures.linesPerSecondNoCache);
    if (withPeer && !tracery.contains(-1)) {
        figures.traceryLinesPerSecond = lines / median(tracery);
        print("Tracery (tracery-grammar on Node.js) lines per second (median)",
              figures.traceryLinesPerSecond);
        print("ratio quorvel-gen / Tracery",
              figures.linesPerSecond / figures.traceryLinesPerSecond);
    } else {
        std::printf("Tracery not measured: no %s, or node failed\n", qPrintable(script));
    }

    // The cache changes how files are read, never what is drawn.
    const QStringList seeded = ours + QStringList{QStringLiteral("--seed"), QStringLiteral("7")};
    const bool same =
        outputOf(gen, seeded) == outputOf(gen, seeded + QStringList{QStringLiteral("--no-cache")});
    std::printf("%-58s %14s\n", "same story with and without the cache (--seed 7)",
                same ? "yes" : "NO");
    return figures;
}

} // namespace quorvel::bench

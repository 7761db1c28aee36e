#include "ui/widgets/tracetext.h"

namespace quorvel {

QString patternLineText(const LineTrace &trace)
{
    return QStringLiteral("模板「%1」第 %2 行")
        .arg(trace.templateName.toUnicode())
        .arg(trace.patternLine);
}

QString drawText(const Text &storyLine, const DrawTrace &draw)
{
    const QString name = draw.element.toUnicode();
    const QString became =
        Text::fromGbk(storyLine.view().sliced(draw.start, draw.end - draw.start)).toUnicode();
    if (draw.line == 0)
        return QStringLiteral("[%1] → %1 没有内容").arg(name);
    return QStringLiteral("[%1] → %1 第 %2 行：%3").arg(name).arg(draw.line).arg(became);
}

QString traceText(const StoryLine &line)
{
    const QString draws = drawsText(line.text, line.trace.draws);
    return patternLineText(line.trace) + (draws.isEmpty() ? QString() : u'\n' + draws);
}

QString drawsText(const Text &storyLine, const QList<DrawTrace> &draws)
{
    QStringList lines;
    forEachDraw(draws, [&](const DrawTrace &draw, int depth) {
        lines.append(QString(depth * 2, u' ') + drawText(storyLine, draw));
    });
    return lines.join(u'\n');
}

const DrawTrace *drawHolding(const QList<DrawTrace> &draws, qsizetype start, qsizetype end)
{
    // Down the draws that hold the range, one level at a time, to the innermost.
    const DrawTrace *holding = nullptr;
    const QList<DrawTrace> *list = &draws;
    for (bool deeper = true; deeper;) {
        deeper = false;
        for (const DrawTrace &draw : *list) {
            if (draw.start <= start && end <= draw.end && start < draw.end) {
                holding = &draw;
                list = &draw.inner;
                deeper = true;
                break;
            }
        }
    }
    return holding;
}

} // namespace quorvel

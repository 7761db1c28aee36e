#include "engine/tracejson.h"

#include <QJsonArray>

namespace quorvel {

namespace {

// Characters (code points) in the first bytes of the line; a byte that is no character counts
// as one, as it shows as one.
qsizetype charactersIn(const Text &line, qsizetype bytes)
{
    const QString text = Text::fromGbk(line.view().first(bytes)).toUnicode();
    qsizetype count = 0;
    for (qsizetype i = 0; i < text.size(); ++i, ++count) {
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
    }
    return count;
}

QJsonArray drawsToJson(const Text &line, const QList<DrawTrace> &draws)
{
    QJsonArray array;
    for (const DrawTrace &draw : draws) {
        array.append(QJsonObject{
            {QStringLiteral("element"), draw.element.toUnicode()},
            {QStringLiteral("line"), draw.line},
            {QStringLiteral("bytes"), QJsonArray{qint64(draw.start), qint64(draw.end)}},
            {QStringLiteral("chars"), QJsonArray{qint64(charactersIn(line, draw.start)),
                                                 qint64(charactersIn(line, draw.end))}},
            {QStringLiteral("draws"), drawsToJson(line, draw.inner)},
        });
    }
    return array;
}

} // namespace

QJsonObject traceToJson(const StoryLine &line)
{
    return QJsonObject{
        {QStringLiteral("text"), line.text.toUnicode()},
        {QStringLiteral("template"), line.trace.templateName.toUnicode()},
        {QStringLiteral("line"), line.trace.patternLine},
        {QStringLiteral("draws"), drawsToJson(line.text, line.trace.draws)},
    };
}

} // namespace quorvel

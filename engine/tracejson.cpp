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

std::optional<QList<DrawTrace>> drawsFromJson(const QJsonValue &value, qsizetype lineSize)
{
    if (!value.isArray())
        return std::nullopt;
    QList<DrawTrace> draws;
    const QJsonArray array = value.toArray();
    for (const QJsonValue &item : array) {
        const QJsonObject object = item.toObject();
        const QJsonArray bytes = object.value(QStringLiteral("bytes")).toArray();
        DrawTrace draw;
        draw.element = Text::fromUnicode(object.value(QStringLiteral("element")).toString());
        draw.line = object.value(QStringLiteral("line")).toInt();
        draw.start = qsizetype(bytes.at(0).toInteger(-1));
        draw.end = qsizetype(bytes.at(1).toInteger(-1));
        // A range outside the line would mark text that is not there.
        if (bytes.size() != 2 || draw.start < 0 || draw.end < draw.start || draw.end > lineSize)
            return std::nullopt;
        std::optional<QList<DrawTrace>> inner =
            drawsFromJson(object.value(QStringLiteral("draws")), lineSize);
        if (!inner)
            return std::nullopt;
        draw.inner = std::move(*inner);
        draws.append(std::move(draw));
    }
    return draws;
}

} // namespace

std::optional<StoryLine> traceFromJson(const QJsonObject &object)
{
    if (!object.value(QStringLiteral("text")).isString())
        return std::nullopt;
    StoryLine line;
    line.text = Text::fromUnicode(object.value(QStringLiteral("text")).toString());
    line.trace.templateName =
        Text::fromUnicode(object.value(QStringLiteral("template")).toString());
    line.trace.patternLine = object.value(QStringLiteral("line")).toInt();
    std::optional<QList<DrawTrace>> draws =
        drawsFromJson(object.value(QStringLiteral("draws")), line.text.size());
    if (!draws)
        return std::nullopt;
    line.trace.draws = std::move(*draws);
    return line;
}

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

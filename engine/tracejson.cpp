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

QJsonObject drawToJson(const Text &line, const DrawTrace &draw, QJsonArray inner)
{
    return QJsonObject{
        {QStringLiteral("element"), draw.element.toUnicode()},
        {QStringLiteral("line"), draw.line},
        {QStringLiteral("bytes"), QJsonArray{qint64(draw.start), qint64(draw.end)}},
        {QStringLiteral("chars"),
         QJsonArray{qint64(charactersIn(line, draw.start)), qint64(charactersIn(line, draw.end))}},
        {QStringLiteral("draws"), std::move(inner)},
    };
}

// The draws, nested no deeper than MaxJsonDrawDepth: each list is written once the lists inside
// it are, from a list of open lists rather than a call per level.
QJsonArray drawsToJson(const Text &line, const QList<DrawTrace> &draws)
{
    struct Open
    {
        const QList<DrawTrace> *draws;
        qsizetype next = 0;
        QJsonArray array;
    };
    QList<Open> open{{&draws, 0, {}}};
    for (;;) {
        if (open.last().next < open.last().draws->size()) {
            const DrawTrace &draw = open.last().draws->at(open.last().next);
            if (!draw.inner.isEmpty() && open.size() < MaxJsonDrawDepth) {
                open.append({&draw.inner, 0, {}});
                continue;
            }
            QJsonObject object = drawToJson(line, draw, {});
            if (!draw.inner.isEmpty())
                object.insert(QStringLiteral("cut"), true);
            open.last().array.append(object);
            ++open.last().next;
            continue;
        }
        if (open.size() == 1)
            return open.last().array;
        QJsonArray inner = std::move(open.last().array);
        open.removeLast();
        Open &holder = open.last();
        holder.array.append(drawToJson(line, holder.draws->at(holder.next++), std::move(inner)));
    }
}

// One draw without those inside it; nothing when the object describes none.
std::optional<DrawTrace> drawFromJson(const QJsonObject &object, qsizetype lineSize)
{
    const QJsonArray bytes = object.value(QStringLiteral("bytes")).toArray();
    DrawTrace draw;
    draw.element = Text::fromUnicode(object.value(QStringLiteral("element")).toString());
    draw.line = object.value(QStringLiteral("line")).toInt();
    draw.start = qsizetype(bytes.at(0).toInteger(-1));
    draw.end = qsizetype(bytes.at(1).toInteger(-1));
    // A range outside the line would mark text that is not there.
    if (bytes.size() != 2 || draw.start < 0 || draw.end < draw.start || draw.end > lineSize ||
        !object.value(QStringLiteral("draws")).isArray())
        return std::nullopt;
    return draw;
}

// The draws of a JSON array, read as drawsToJson writes them, a list at a time.
std::optional<QList<DrawTrace>> drawsFromJson(const QJsonValue &value, qsizetype lineSize)
{
    if (!value.isArray())
        return std::nullopt;
    struct Open
    {
        QJsonArray array;
        qsizetype next = 0;
        QList<DrawTrace> draws;
        DrawTrace holder; // the draw the list is inside (not used for the outermost)
    };
    QList<Open> open{{value.toArray(), 0, {}, {}}};
    for (;;) {
        if (open.last().next < open.last().array.size()) {
            const QJsonObject object = open.last().array.at(open.last().next).toObject();
            std::optional<DrawTrace> draw = drawFromJson(object, lineSize);
            if (!draw)
                return std::nullopt;
            const QJsonArray inner = object.value(QStringLiteral("draws")).toArray();
            if (!inner.isEmpty()) {
                open.append({inner, 0, {}, std::move(*draw)});
                continue;
            }
            open.last().draws.append(std::move(*draw));
            ++open.last().next;
            continue;
        }
        if (open.size() == 1)
            return std::move(open.last().draws);
        Open done = open.takeLast();
        done.holder.inner = std::move(done.draws);
        open.last().draws.append(std::move(done.holder));
        ++open.last().next;
    }
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

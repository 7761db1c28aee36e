#include "engine/checkjson.h"

#include <QJsonArray>

namespace quorvel {

namespace {

QString severityKey(Finding::Severity severity)
{
    switch (severity) {
    case Finding::Severity::Error:
        return QStringLiteral("error");
    case Finding::Severity::Circle:
        return QStringLiteral("circle");
    case Finding::Severity::Notice:
        return QStringLiteral("notice");
    }
    return {};
}

QString kindKey(Finding::Kind kind)
{
    using K = Finding::Kind;
    switch (kind) {
    case K::MissingElement:
        return QStringLiteral("missing-element");
    case K::EmptyElement:
        return QStringLiteral("empty-element");
    case K::UnreadableElement:
        return QStringLiteral("unreadable-element");
    case K::EmptyReference:
        return QStringLiteral("empty-reference");
    case K::StrayBracket:
        return QStringLiteral("stray-bracket");
    case K::ElementStrayClose:
        return QStringLiteral("element-stray-close");
    case K::ElementOpenWithoutClose:
        return QStringLiteral("element-open-without-close");
    case K::ElementEndsInsideCharacter:
        return QStringLiteral("element-ends-inside-character");
    case K::MissingTemplate:
        return QStringLiteral("missing-template");
    case K::MissingCategoryEntry:
        return QStringLiteral("missing-category-entry");
    case K::NoPattern:
        return QStringLiteral("no-pattern");
    case K::UnreadableFile:
        return QStringLiteral("unreadable-file");
    case K::Circle:
        return QStringLiteral("circle");
    case K::Unreferenced:
        return QStringLiteral("unreferenced");
    case K::Uncategorised:
        return QStringLiteral("uncategorised");
    case K::NotGbkName:
        return QStringLiteral("not-gbk-name");
    case K::NotGbkContent:
        return QStringLiteral("not-gbk-content");
    case K::BlankTypo:
        return QStringLiteral("blank-typo");
    }
    return {};
}

QJsonObject countToJson(const QString &key, const QString &name, const StoryCount &count)
{
    return QJsonObject{
        {key, name},
        {QStringLiteral("stories"), count.isExact() ? QJsonValue(count.digits()) : QJsonValue()},
        {QStringLiteral("endless"), count.isEndless()},
        {QStringLiteral("shown"), count.shown()},
    };
}

} // namespace

QJsonObject findingToJson(const Finding &finding)
{
    QJsonObject object{
        {QStringLiteral("severity"), severityKey(finding.severity)},
        {QStringLiteral("kind"), kindKey(finding.kind)},
        {QStringLiteral("file"), finding.filePath()},
        {QStringLiteral("line"), finding.line},
        {QStringLiteral("text"), finding.lineText.toUnicode()},
        {QStringLiteral("message"), finding.description},
    };
    if (finding.severity == Finding::Severity::Circle) {
        QJsonArray chain;
        for (const Text &name : finding.chain)
            chain.append(name.toUnicode());
        object.insert(QStringLiteral("chain"), chain);
        object.insert(QStringLiteral("alwaysEndless"), finding.alwaysEndless);
    }
    return object;
}

QJsonObject checkSummaryToJson(const CheckReport &report)
{
    return {{QStringLiteral("summary"),
             QJsonObject{{QStringLiteral("errors"), report.errors},
                         {QStringLiteral("circles"), report.circles},
                         {QStringLiteral("alwaysEndless"), report.endlessCircles},
                         {QStringLiteral("notices"), report.notices},
                         {QStringLiteral("passed"), report.passed()}}}};
}

QJsonObject projectCountToJson(const QString &project, const StoryCount &count)
{
    return countToJson(QStringLiteral("project"), project, count);
}

QJsonObject templateCountToJson(const Text &templateName, const StoryCount &count)
{
    return countToJson(QStringLiteral("template"), templateName.toUnicode(), count);
}

} // namespace quorvel

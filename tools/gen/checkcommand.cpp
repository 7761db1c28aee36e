// The check and the story counts on the command line: the engine's LibraryCheck, printed.
#include "tools/gen/checkcommand.h"

#include "engine/check.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

namespace quorvel {

namespace {

void printLine(const QString &line)
{
    std::fputs((line + u'\n').toUtf8().constData(), stdout);
}

void printJson(const QJsonObject &object)
{
    std::fputs((QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n').constData(), stdout);
}

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

// A name for each kind of finding that scripts can rely on.
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

QJsonObject findingObject(const Finding &finding)
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

// The count as scripts read it: the exact digits (null when only its size is known).
void addCount(QJsonObject &object, const StoryCount &count)
{
    object.insert(QStringLiteral("stories"),
                  count.isExact() ? QJsonValue(count.digits()) : QJsonValue());
    object.insert(QStringLiteral("endless"), count.isEndless());
    object.insert(QStringLiteral("shown"), count.shown());
}

} // namespace

int printCheck(const Library &library, const std::optional<Text> &projectFile, ReportFormat format)
{
    LibraryCheck check(library);
    const CheckReport &report = projectFile ? check.checkProject(*projectFile) : check.checkAll();
    for (const Finding &finding : report.findings) {
        if (format == ReportFormat::Json)
            printJson(findingObject(finding));
        else
            printLine(finding.compilerLine());
    }
    if (format == ReportFormat::Json)
        printJson({{QStringLiteral("summary"),
                    QJsonObject{{QStringLiteral("errors"), report.errors},
                                {QStringLiteral("circles"), report.circles},
                                {QStringLiteral("alwaysEndless"), report.endlessCircles},
                                {QStringLiteral("notices"), report.notices},
                                {QStringLiteral("passed"), report.passed()}}}});
    else
        printLine(report.summary());
    return report.passed() ? 0 : 1;
}

int printCount(const Library &library, const Text &projectFile, ReportFormat format)
{
    LibraryCheck check(library);
    check.checkProject(projectFile);
    const QString project = Text::fromGbk(projectFile.view().chopped(2)).toUnicode();
    const StoryCount total = check.projectCount(projectFile);
    if (format == ReportFormat::Json) {
        QJsonObject object{{QStringLiteral("project"), project}};
        addCount(object, total);
        printJson(object);
    } else {
        printLine(QStringLiteral("项目「%1」可生成 %2 种故事").arg(project, total.shown()));
    }
    for (const Text &name : check.projectTemplates(projectFile)) {
        const StoryCount count = check.templateCount(name);
        if (format == ReportFormat::Json) {
            QJsonObject object{{QStringLiteral("template"), name.toUnicode()}};
            addCount(object, count);
            printJson(object);
        } else {
            printLine(QStringLiteral("  模板「%1」：%2 种").arg(name.toUnicode(), count.shown()));
        }
    }
    return 0;
}

} // namespace quorvel

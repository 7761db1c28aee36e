// What the check looks for in material already read: each rule names what the run would do with
// the line, in the user's words.
#include "engine/check.h"

#include "platform/gbkcodec.h"

#include <QHash>
#include <QSet>

#include <algorithm>

namespace quorvel {

namespace {

// The finding's text for a file that is there but was not read.
QString unreadable(const FileResult &read)
{
    return QStringLiteral("文件无法读取：") + read.describe();
}

using Kind = Finding::Kind;
using Severity = Finding::Severity;

// A name as a description quotes it; a name of megabytes (a hostile file) is cut short.
QString quoted(const Text &name)
{
    constexpr qsizetype Longest = 60;
    QString shown =
        Text::fromGbk(name.view().first(std::min(name.size(), Longest * 4))).toUnicode();
    if (shown.size() > Longest || name.size() > Longest * 4)
        shown = shown.left(Longest) + u'…';
    return QStringLiteral("「") + shown + QStringLiteral("」");
}

// The part of a line that stays unexpanded, cut short for the description.
QString leftOver(const Text &line, qsizetype from)
{
    constexpr qsizetype Longest = 20;
    const QByteArrayView rest = line.view().sliced(from);
    QString part = Text::fromGbk(rest.first(std::min(rest.size(), Longest * 4))).toUnicode();
    if (part.size() > Longest || rest.size() > Longest * 4)
        part = part.left(Longest) + u'…';
    return QStringLiteral("「") + part + QStringLiteral("」");
}

bool isGbk(QByteArrayView bytes)
{
    if (std::all_of(bytes.cbegin(), bytes.cend(), [](char c) { return uchar(c) < 0x80; }))
        return true;
    const QString decoded = gbk::decode(bytes);
    return std::none_of(decoded.cbegin(), decoded.cend(),
                        [](QChar c) { return gbk::isRawByteCarrier(c.unicode()); });
}

Text stemOf(const Text &fileName)
{
    const qsizetype dot = fileName.view().lastIndexOf('.');
    return dot < 0 ? fileName : Text::fromGbk(fileName.view().first(dot));
}

class Checker
{
public:
    Checker(const Material &material, const ElementGraph &graph)
        : m_material(material), m_graph(graph)
    {
        for (const Text &name : material.namesInFolder(Folder::Templates))
            m_templateNames[name.toUnicode().trimmed()].append(name);
        for (const Text &name : material.namesInFolder(Folder::Elements))
            m_elementNames[name.toUnicode().trimmed()].append(name);
    }

    CheckReport run()
    {
        for (const auto &[name, file] : m_material.templates())
            content(Folder::Templates, file);
        for (const auto &[name, file] : m_material.elements())
            content(Folder::Elements, file);
        for (const ListFile &list : m_material.lists())
            listed(list);
        circles();
        if (m_material.isWholeLibrary())
            unused();
        return report();
    }

private:
    void add(Kind kind, Severity severity, Folder folder, const Text &fileName, int line,
             const Text &lineText, const QString &description)
    {
        Finding finding;
        finding.kind = kind;
        finding.severity = severity;
        finding.folder = folder;
        finding.fileName = fileName;
        finding.line = line;
        finding.lineText = lineText;
        finding.description = description;
        m_findings.append(std::move(finding));
    }

    // The likely typo "[ 天气]": another name that differs only by blanks at its ends.
    void blanks(const QHash<QString, TextList> &names, const Text &name, Folder folder,
                const Text &fileName, int line, const Text &lineText, const QString &what)
    {
        for (const Text &other : names.value(name.toUnicode().trimmed())) {
            if (other != name) {
                add(Kind::BlankTypo, Severity::Notice, folder, fileName, line, lineText,
                    quoted(name) + QStringLiteral("与") + what + quoted(other) +
                        QStringLiteral("只差首尾的空白"));
                return;
            }
        }
    }

    void notGbk(Folder folder, const Text &fileName, const TextList &lines)
    {
        if (!isGbk(stemOf(fileName).view()))
            add(Kind::NotGbkName, Severity::Notice, folder, fileName, 0, Text(),
                QStringLiteral("文件名中有不是 GBK 字符的字节"));
        int first = -1, count = 0;
        for (int i = 0; i < lines.size(); ++i) {
            if (!isGbk(lines.at(i).view())) {
                first = first < 0 ? i : first;
                ++count;
            }
        }
        if (first >= 0)
            add(Kind::NotGbkContent, Severity::Notice, folder, fileName, first + 1, lines.at(first),
                count == 1
                    ? QStringLiteral("这一行有不是 GBK 字符的字节")
                    : QStringLiteral("这一行有不是 GBK 字符的字节（共 %1 行如此）").arg(count));
    }

    void content(Folder folder, const ContentFile &file)
    {
        const Text fileName = file.fileName();
        if (file.state == ContentFile::State::Missing)
            return; // told where it is named
        if (file.state == ContentFile::State::Unreadable) {
            add(Kind::UnreadableFile, Severity::Error, folder, fileName, 0, Text(),
                unreadable(file.result));
            return;
        }
        const bool isTemplate = folder == Folder::Templates;
        if (isTemplate && !file.hasLines())
            add(Kind::NoPattern, Severity::Error, folder, fileName, 0, Text(),
                QStringLiteral("模板没有句式"));
        for (int i = 0; i < file.lines.size(); ++i)
            line(folder, fileName, i + 1, file.lines.at(i), file.shapes.at(i), isTemplate);
        notGbk(folder, fileName, file.lines);
    }

    void line(Folder folder, const Text &fileName, int number, const Text &text,
              const LineShape &shape, bool isPattern)
    {
        QSet<Text> told;
        for (const LineShape::Reference &reference : shape.references) {
            if (told.contains(reference.name))
                continue;
            told.insert(reference.name);
            const ContentFile &element = m_material.element(reference.name);
            const QString name = QStringLiteral("引用的元素") + quoted(reference.name);
            if (element.state == ContentFile::State::Missing)
                add(Kind::MissingElement, Severity::Error, folder, fileName, number, text,
                    name + QStringLiteral("不存在"));
            else if (element.state == ContentFile::State::Unreadable)
                add(Kind::UnreadableElement, Severity::Error, folder, fileName, number, text,
                    name + QStringLiteral("无法读取：") + element.result.describe());
            else if (!element.hasLines())
                add(Kind::EmptyElement, Severity::Error, folder, fileName, number, text,
                    name + QStringLiteral("没有内容"));
            blanks(m_elementNames, reference.name, folder, fileName, number, text,
                   QStringLiteral("元素"));
        }
        const auto error = [&](Kind kind, const QString &description) {
            add(kind, Severity::Error, folder, fileName, number, text, description);
        };
        const QString rest = shape.stopAt >= 0 ? leftOver(text, shape.stopAt) : QString();
        switch (shape.stop) {
        case LineShape::Stop::None:
            break;
        case LineShape::Stop::EmptyReference:
            if (isPattern && shape.references.isEmpty())
                error(Kind::EmptyReference, QStringLiteral("空引用「[]」：这一行展开后为空"));
            else if (isPattern)
                error(Kind::EmptyReference, QStringLiteral("空引用「[]」：展开到此为止，") + rest +
                                                QStringLiteral("原样留下"));
            else
                error(Kind::EmptyReference,
                      QStringLiteral("空引用「[]」：用到这一行时，所在的行展开到此为止"));
            break;
        case LineShape::Stop::StrayClose:
            if (isPattern)
                error(Kind::StrayBracket,
                      QStringLiteral("「]」前没有「[」：") + rest + QStringLiteral("不会展开"));
            else
                error(Kind::ElementStrayClose,
                      QStringLiteral("「]」前没有「[」：用到这一行时，所在的行展开到此为止"));
            break;
        case LineShape::Stop::OpenWithoutClose:
            if (isPattern)
                error(Kind::StrayBracket,
                      QStringLiteral("「[」后没有「]」：") + rest + QStringLiteral("不会展开"));
            else
                error(Kind::ElementOpenWithoutClose,
                      QStringLiteral("「[」后没有「]」：用到这一行时，会与其后的文字连成引用"));
            break;
        }
        if (!isPattern && shape.endsInsideCharacter)
            error(Kind::ElementEndsInsideCharacter,
                  QStringLiteral("行尾是半个汉字：用到这一行时，会吞掉其后的一个字节"));
    }

    void listed(const ListFile &list)
    {
        if (!list.result && !list.result.isMissing()) {
            add(Kind::UnreadableFile, Severity::Error, list.folder, list.fileName, 0, Text(),
                unreadable(list.result));
            return;
        }
        notGbk(list.folder, list.fileName, list.entries);
        const bool ofElements = list.folder == Folder::Elements;
        const QString what = ofElements ? QStringLiteral("元素") : QStringLiteral("模板");
        const QString where = list.folder == Folder::Projects ? QStringLiteral("项目中的")
                                                              : QStringLiteral("分类中的");
        for (int i = 0; i < list.entries.size(); ++i) {
            const Text &entry = list.entries.at(i);
            const ContentFile &file =
                ofElements ? m_material.element(entry) : m_material.templateFile(entry);
            if (file.state == ContentFile::State::Missing)
                add(list.folder == Folder::Projects ? Kind::MissingTemplate
                                                    : Kind::MissingCategoryEntry,
                    Severity::Error, list.folder, list.fileName, i + 1, entry,
                    where + what + quoted(entry) + QStringLiteral("不存在"));
            blanks(ofElements ? m_elementNames : m_templateNames, entry, list.folder, list.fileName,
                   i + 1, entry, what);
        }
    }

    void circles()
    {
        for (const ElementGraph::Circle &circle : m_graph.circles()) {
            const ContentFile &first = m_material.element(circle.chain.first());
            QString chain = QStringLiteral("元素") + quoted(circle.chain.first());
            if (circle.chain.size() == 2) {
                chain += QStringLiteral("引用自身");
            } else {
                for (qsizetype i = 1; i < circle.chain.size(); ++i)
                    chain += QStringLiteral("→") + quoted(circle.chain.at(i));
                chain += QStringLiteral("循环引用");
            }
            add(Kind::Circle, Severity::Circle, Folder::Elements, first.fileName(),
                circle.firstLine + 1, first.lines.value(circle.firstLine),
                chain + (circle.alwaysEndless
                             ? QStringLiteral("，且每一行都引回循环：一旦用到，必定展开不完")
                             : QStringLiteral("：展开时可能层层递归")));
            m_findings.last().chain = circle.chain;
            m_findings.last().alwaysEndless = circle.alwaysEndless;
        }
    }

    // Elements nothing refers to, templates nothing lists.
    void unused()
    {
        QSet<Text> referred;
        const auto refer = [&referred](const ContentFile &file, const Text &self) {
            for (const LineShape &shape : file.shapes) {
                for (const LineShape::Reference &reference : shape.references) {
                    if (reference.name != self)
                        referred.insert(reference.name);
                }
            }
        };
        for (const auto &[name, file] : m_material.templates())
            refer(file, Text());
        for (const auto &[name, file] : m_material.elements())
            refer(file, name);
        for (const auto &[name, file] : m_material.elements()) {
            if (file.state == ContentFile::State::Present && !referred.contains(name))
                add(Kind::Unreferenced, Severity::Notice, Folder::Elements, file.fileName(), 0,
                    Text(), QStringLiteral("没有模板或其他元素引用这个元素"));
        }
        QSet<Text> listed;
        for (const ListFile &list : m_material.lists()) {
            if (list.folder != Folder::Elements)
                listed.unite(QSet<Text>(list.entries.cbegin(), list.entries.cend()));
        }
        for (const auto &[name, file] : m_material.templates()) {
            if (file.state == ContentFile::State::Present && !listed.contains(name))
                add(Kind::Uncategorised, Severity::Notice, Folder::Templates, file.fileName(), 0,
                    Text(), QStringLiteral("这个模板不在任何分类中，也不在任何项目中"));
        }
    }

    CheckReport report()
    {
        std::stable_sort(m_findings.begin(), m_findings.end(),
                         [](const Finding &a, const Finding &b) {
                             if (a.folder != b.folder)
                                 return a.folder < b.folder;
                             if (a.fileName != b.fileName)
                                 return a.fileName < b.fileName;
                             return a.line < b.line;
                         });
        CheckReport report;
        for (const Finding &finding : std::as_const(m_findings)) {
            report.errors += finding.severity == Severity::Error;
            report.circles += finding.severity == Severity::Circle;
            report.endlessCircles += finding.alwaysEndless;
            report.notices += finding.severity == Severity::Notice;
        }
        report.findings = std::move(m_findings);
        return report;
    }

    const Material &m_material;
    const ElementGraph &m_graph;
    // The names of the files in each folder, by their text without blanks at the ends.
    QHash<QString, TextList> m_templateNames, m_elementNames;
    QList<Finding> m_findings;
};

} // namespace

CheckReport checkMaterial(const Material &material, const ElementGraph &graph)
{
    return Checker(material, graph).run();
}

} // namespace quorvel

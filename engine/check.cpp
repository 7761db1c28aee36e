#include "engine/check.h"

namespace quorvel {

QString severityName(Finding::Severity severity)
{
    switch (severity) {
    case Finding::Severity::Error:
        return QStringLiteral("错误");
    case Finding::Severity::Circle:
        return QStringLiteral("循环");
    case Finding::Severity::Notice:
        return QStringLiteral("提示");
    }
    return {};
}

QString Finding::filePath() const
{
    return folderName(folder) + u'/' + fileName.toUnicode();
}

QString Finding::location() const
{
    QString where = filePath();
    if (line > 0)
        where += u':' + QString::number(line);
    return where;
}

QString Finding::compilerLine() const
{
    return location() + QStringLiteral(": ") + severityName(severity) + QStringLiteral("：") +
           description;
}

QString CheckReport::summary() const
{
    if (stopped)
        return QStringLiteral("检查已停止");
    QString text = QStringLiteral("错误 %1 个，循环 %2 个").arg(errors).arg(circles);
    if (endlessCircles > 0)
        text += QStringLiteral("（其中 %1 个必定展开不完）").arg(endlessCircles);
    return text + QStringLiteral("，提示 %1 个").arg(notices);
}

LibraryCheck::LibraryCheck(const Library &library) : m_library(library) {}

LibraryCheck::~LibraryCheck() = default;

const CheckReport &LibraryCheck::checkAll(TaskObserver *observer)
{
    m_material = std::make_unique<Material>(m_library, observer);
    return finish(m_material->readAll());
}

const CheckReport &LibraryCheck::checkProject(const Text &projectFile, TaskObserver *observer)
{
    m_material = std::make_unique<Material>(m_library, observer);
    return finish(m_material->readProject(projectFile));
}

const CheckReport &LibraryCheck::finish(bool read)
{
    m_graph = std::make_unique<ElementGraph>(*m_material);
    m_counter = std::make_unique<StoryCounter>(*m_material, *m_graph);
    if (read) {
        m_report = checkMaterial(*m_material, *m_graph);
    } else {
        m_report = CheckReport();
        m_report.stopped = true;
    }
    return m_report;
}

TextList LibraryCheck::projectTemplates(const Text &projectFile) const
{
    if (!m_material)
        return {};
    for (const ListFile &list : m_material->lists()) {
        if (list.folder == Folder::Projects && list.fileName == projectFile)
            return list.entries;
    }
    return {};
}

StoryCount LibraryCheck::templateCount(const Text &name) const
{
    return m_counter ? m_counter->templateCount(name) : StoryCount();
}

StoryCount LibraryCheck::projectCount(const Text &projectFile) const
{
    return m_counter ? m_counter->project(projectTemplates(projectFile)) : StoryCount();
}

} // namespace quorvel

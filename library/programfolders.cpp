#include "library/programfolders.h"

namespace quorvel {

std::optional<QString> ProgramFolders::s_base;
std::optional<QString> ProgramFolders::s_templates;
std::optional<QString> ProgramFolders::s_elements;
std::optional<QString> ProgramFolders::s_projects;

void ProgramFolders::set(const LibraryFolders &folders)
{
    s_base = folders.base;
    s_templates = folders.templates;
    s_elements = folders.elements;
    s_projects = folders.projects;
}

bool ProgramFolders::isSet()
{
    return s_base.has_value();
}

LibraryFolders ProgramFolders::get()
{
    return {s_base.value_or(QString()), s_templates.value_or(QString()),
            s_elements.value_or(QString()), s_projects.value_or(QString())};
}

QStringList ProgramFolders::release()
{
    QStringList released;
    const auto releaseOne = [&released](std::optional<QString> &text, const char16_t *name) {
        if (text) {
            text.reset();
            released.append(QString::fromUtf16(name));
        }
    };
    releaseOne(s_projects, u"projects");
    releaseOne(s_templates, u"templates");
    releaseOne(s_elements, u"elements");
    releaseOne(s_base, u"base");
    return released;
}

} // namespace quorvel

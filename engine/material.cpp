#include "engine/material.h"

#include "engine/expansion.h"
#include "library/lines.h"
#include "platform/gbkcodec.h"

#include <algorithm>
#include <cerrno>

namespace quorvel {

LineShape shapeOf(QByteArrayView line)
{
    LineShape shape;
    qsizetype from = 0;
    for (;;) {
        // A "]" is one byte standing on its own, so the search may start again right after one.
        const Reference found = findReference(line.sliced(from));
        if (found.open < 0 && found.close < 0)
            break;
        if (found.open < 0 || found.close < 0 || found.isEmpty()) {
            shape.stop = found.open < 0    ? LineShape::Stop::StrayClose
                         : found.close < 0 ? LineShape::Stop::OpenWithoutClose
                                           : LineShape::Stop::EmptyReference;
            shape.stopAt = from + (found.open < 0 ? found.close : found.open);
            break;
        }
        shape.references.append(
            {from + found.open, from + found.close,
             Text::fromGbk(line.sliced(from + found.open + 1, found.close - found.open - 1))});
        from += found.close + 1;
    }
    qsizetype at = 0;
    const auto *bytes = reinterpret_cast<const uchar *>(line.data());
    while (at < line.size())
        at += gbk::isLeadByte(bytes[at]) ? 2 : 1;
    shape.endsInsideCharacter = at > line.size();
    return shape;
}

namespace {

const ContentFile &missingFile()
{
    static const ContentFile none;
    return none;
}

} // namespace

Material::Material(const Library &library, TaskObserver *observer)
    : m_library(library), m_observer(observer)
{
}

bool Material::step()
{
    ++m_read;
    if (m_observer) {
        m_expected = std::max(m_expected, m_read);
        m_observer->progressed(m_read, m_expected);
        m_stopped = m_stopped || m_observer->stopRequested();
    }
    return !m_stopped;
}

ContentFile Material::read(Folder folder, const Text &name)
{
    ContentFile file;
    file.name = name;
    Loaded<Text> loaded = m_library.loadContent(folder, file.fileName());
    file.result = loaded.result;
    if (loaded.result)
        file.state = ContentFile::State::Present;
    else if (loaded.result.isMissing() || loaded.result.cause() == FileResult::Cause::RefusedName ||
             loaded.result.isSystemError(ENAMETOOLONG)) // a name no file can have
        file.state = ContentFile::State::Missing;
    else
        file.state = ContentFile::State::Unreadable;
    file.lines = splitLines(loaded.value);
    file.shapes.reserve(file.lines.size());
    for (const Text &line : std::as_const(file.lines))
        file.shapes.append(shapeOf(line.view()));
    step();
    return file;
}

ListFile Material::readList(Folder folder, const Text &fileName)
{
    Loaded<TextList> loaded = m_library.loadList(folder, fileName);
    step();
    return {folder, fileName, loaded.result, std::move(loaded.value)};
}

void Material::readReachedElements(QList<Text> pending)
{
    const auto referredTo = [&pending](const ContentFile &file) {
        for (const LineShape &shape : file.shapes) {
            for (const LineShape::Reference &reference : shape.references)
                pending.append(reference.name);
        }
    };
    for (const auto &[name, file] : m_templates)
        referredTo(file);
    for (const auto &[name, file] : m_elements)
        referredTo(file);
    while (!pending.isEmpty() && !m_stopped) {
        const Text name = pending.takeLast();
        if (m_elements.count(name))
            continue;
        referredTo(m_elements.emplace(name, read(Folder::Elements, name)).first->second);
    }
}

void Material::listFolders()
{
    for (Folder folder : {Folder::Templates, Folder::Elements}) {
        for (const Text &fileName : m_library.listContentFiles(folder))
            m_inFolder[int(folder)].append(
                LibraryName::fromFileName(folder, fileName).value_or(LibraryName()).name());
    }
}

bool Material::readAll()
{
    m_whole = true;
    listFolders();
    const TextList &templates = m_inFolder[int(Folder::Templates)];
    const TextList &elements = m_inFolder[int(Folder::Elements)];
    TextList lists[3];
    for (Folder folder : {Folder::Templates, Folder::Elements, Folder::Projects})
        lists[int(folder)] = m_library.listFiles(folder);
    m_expected = int(templates.size() + elements.size() + lists[0].size() + lists[1].size() +
                     lists[2].size());

    for (Folder folder : {Folder::Templates, Folder::Elements, Folder::Projects}) {
        for (const Text &fileName : std::as_const(lists[int(folder)])) {
            if (m_stopped)
                return false;
            m_lists.append(readList(folder, fileName));
        }
    }
    for (const Text &name : templates) {
        if (m_stopped)
            return false;
        m_templates.emplace(name, read(Folder::Templates, name));
    }
    for (const Text &name : elements) {
        if (m_stopped)
            return false;
        m_elements.emplace(name, read(Folder::Elements, name));
    }
    // Names that lists give but the folder does not hold (or holds under a name that is no
    // library text) are read too, to tell what they are.
    QList<Text> elementEntries;
    for (const ListFile &list : std::as_const(m_lists)) {
        for (const Text &entry : list.entries) {
            if (m_stopped)
                return false;
            if (list.folder == Folder::Elements)
                elementEntries.append(entry);
            else if (!m_templates.count(entry))
                m_templates.emplace(entry, read(Folder::Templates, entry));
        }
    }
    readReachedElements(elementEntries);
    return !m_stopped;
}

bool Material::readProject(const Text &projectFile)
{
    m_whole = false;
    listFolders();
    m_expected = 1 + int(m_inFolder[0].size() + m_inFolder[1].size());
    m_lists.append(readList(Folder::Projects, projectFile));
    for (const Text &entry : std::as_const(m_lists.first().entries)) {
        if (m_stopped)
            return false;
        if (!m_templates.count(entry))
            m_templates.emplace(entry, read(Folder::Templates, entry));
    }
    readReachedElements({});
    return !m_stopped;
}

const ContentFile &Material::templateFile(const Text &name) const
{
    const auto found = m_templates.find(name);
    return found == m_templates.end() ? missingFile() : found->second;
}

const ContentFile &Material::element(const Text &name) const
{
    const auto found = m_elements.find(name);
    return found == m_elements.end() ? missingFile() : found->second;
}

} // namespace quorvel

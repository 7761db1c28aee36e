#pragma once

#include "platform/text.h"

#include <QString>
#include <optional>

namespace quorvel {

enum class Folder
{
    Templates,
    Elements,
    Projects
};

// The folder's name as it stands on disk: "模板", "元素" or "项目".
QString folderName(Folder folder);

// A name in a library folder, and the file that holds it: a list file (".l": a category of the
// templates or elements folder, or a project) or a content file (".txt": a template's patterns,
// an element's lines). This is the one place where a name gains or loses its extension.
class LibraryName
{
public:
    enum class Kind
    {
        List,
        Content
    };

    LibraryName() = default;
    static LibraryName list(Folder folder, Text name) { return {folder, Kind::List, name}; }
    static LibraryName content(Folder folder, Text name) { return {folder, Kind::Content, name}; }
    static LibraryName project(Text name) { return list(Folder::Projects, std::move(name)); }
    // The name a file name stands for: ".l" makes a list, ".txt" a content file; any other
    // file name stands for none.
    static std::optional<LibraryName> fromFileName(Folder folder, const Text &fileName);
    // The wildcard pattern that matches the file names of that kind of file.
    static QString pattern(Kind kind);

    Folder folder() const { return m_folder; }
    Kind kind() const { return m_kind; }
    bool isList() const { return m_kind == Kind::List; }
    // Without extension. The empty name stands for the file the extension alone names (".txt"),
    // which is what a command on nothing selected reaches.
    const Text &name() const { return m_name; }
    Text fileName() const;
    // The same kind of file in the same folder, under another name.
    LibraryName renamed(Text name) const { return {m_folder, m_kind, std::move(name)}; }

    friend bool operator==(const LibraryName &, const LibraryName &) = default;

private:
    LibraryName(Folder folder, Kind kind, Text name)
        : m_folder(folder), m_kind(kind), m_name(std::move(name))
    {
    }

    Folder m_folder = Folder::Templates;
    Kind m_kind = Kind::Content;
    Text m_name;
};

} // namespace quorvel

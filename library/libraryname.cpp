#include "library/libraryname.h"

#include "library/folders.h"

namespace quorvel {

std::optional<LibraryName> LibraryName::fromFileName(Folder folder, const Text &fileName)
{
    const QByteArrayView bytes = fileName.view();
    if (bytes.endsWith(".l"))
        return list(folder, Text::fromGbk(bytes.chopped(2)));
    if (bytes.endsWith(".txt"))
        return content(folder, Text::fromGbk(bytes.chopped(4)));
    return std::nullopt;
}

QString LibraryName::pattern(Kind kind)
{
    return kind == Kind::List ? QStringLiteral("*.l") : QStringLiteral("*.txt");
}

Text LibraryName::fileName() const
{
    return m_kind == Kind::List ? m_name + ".l" : m_name + ".txt";
}

QString folderName(Folder folder)
{
    switch (folder) {
    case Folder::Templates:
        return QString::fromUtf16(TemplatesFolderName);
    case Folder::Elements:
        return QString::fromUtf16(ElementsFolderName);
    case Folder::Projects:
        return QString::fromUtf16(ProjectsFolderName);
    }
    return {};
}

} // namespace quorvel

#include "ui/widgets/filebox.h"

#include <QSignalBlocker>

namespace quorvel {

FileBox::FileBox(const LibraryDocument &document, Folder folder, QWidget *parent)
    : NameList(parent), m_document(document), m_folder(folder)
{
    connect(&document, &LibraryDocument::changed, this, &FileBox::follow);
}

LibraryName FileBox::selectedName() const
{
    return LibraryName::fromFileName(m_folder, selectedFileName())
        .value_or(LibraryName::list(m_folder, Text()));
}

void FileBox::relist()
{
    TextList names;
    for (const LibraryName &name : m_document.lists(m_folder))
        names.append(name.fileName());
    showNames(names);
}

void FileBox::follow(const LibraryChange &change)
{
    if (change.name.folder() != m_folder || !change.name.isList() ||
        change.kind == LibraryChange::Kind::Written)
        return;
    const bool renamedSelected = change.kind == LibraryChange::Kind::Renamed && currentRow() >= 0 &&
                                 selectedName() == change.from;
    relist();
    if (renamedSelected) {
        // Put the selection on the new name quietly: the user did not select anything.
        const int row = int(names().indexOf(change.name.fileName()));
        const QSignalBlocker blocker(this);
        setCurrentRow(row);
    }
}

} // namespace quorvel

#pragma once

#include "library/librarydocument.h"
#include "ui/widgets/namelist.h"

namespace quorvel {

// The list files (".l") of one library folder, with extension and without folder. Listing,
// even again, reads the folder afresh; the selected name stays selected when its file is still
// there, and follows it when the library document renames it. The box lists afresh whenever the
// document creates, renames or removes a list file of its folder.
class FileBox : public NameList
{
    Q_OBJECT

public:
    FileBox(const LibraryDocument &document, Folder folder, QWidget *parent = nullptr);

    void relist();
    Folder folder() const { return m_folder; }
    // The selected file name, with extension; the empty text when nothing is selected.
    Text selectedFileName() const { return currentName(); }
    // The selected list file; an empty name when nothing is selected.
    LibraryName selectedName() const;

private:
    void follow(const LibraryChange &change);

    const LibraryDocument &m_document;
    Folder m_folder;
};

} // namespace quorvel

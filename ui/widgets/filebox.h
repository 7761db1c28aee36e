#pragma once

#include "library/library.h"
#include "ui/widgets/namelist.h"

namespace quorvel {

// The list files (".l") of one library folder, with extension and without folder. Listing,
// even again, reads the folder afresh; the selected name stays selected when its file is still
// there.
class FileBox : public NameList
{
    Q_OBJECT

public:
    FileBox(const Library &library, Folder folder, QWidget *parent = nullptr);

    void relist();
    Folder folder() const { return m_folder; }
    // The selected file name, with extension; the empty text when nothing is selected.
    Text selectedFileName() const { return currentName(); }

private:
    const Library &m_library;
    Folder m_folder;
};

} // namespace quorvel

#include "ui/widgets/filebox.h"

namespace quorvel {

FileBox::FileBox(const Library &library, Folder folder, QWidget *parent)
    : NameList(parent), m_library(library), m_folder(folder)
{
}

void FileBox::relist()
{
    const Text selected = selectedFileName();
    const bool wasSelected = currentRow() >= 0;
    const TextList names = m_library.listFiles(m_folder);
    clearNames();
    addNames(names);
    if (wasSelected) {
        const int row = int(names.indexOf(selected));
        if (row >= 0) {
            // Put the selection back quietly: the user did not select anything.
            const QSignalBlocker blocker(this);
            setCurrentRow(row);
        }
    }
}

} // namespace quorvel

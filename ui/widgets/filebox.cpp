#include "ui/widgets/filebox.h"

#include "platform/files.h"
#include "platform/gbkcodec.h"

namespace quorvel {

FileBox::FileBox(Files &files, QString filter, QWidget *parent)
    : NameList(parent), m_files(files), m_filter(std::move(filter))
{
}

void FileBox::setFolder(const QString &folder)
{
    const Text selected = selectedFileName();
    const bool wasSelected = currentRow() >= 0;
    m_folder = folder;
    TextList names;
    const QStringList found = m_files.enumerate(folder, m_filter);
    for (const QString &name : found)
        names.append(gbk::encode(name));
    clearNames();
    addNames(names);
    if (wasSelected) {
        const int row = names.indexOf(selected);
        if (row >= 0) {
            // Put the selection back quietly: the user did not select anything.
            const QSignalBlocker blocker(this);
            setCurrentRow(row);
        }
    }
}

} // namespace quorvel

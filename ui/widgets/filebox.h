#pragma once

#include "ui/widgets/namelist.h"

#include <QString>

namespace quorvel {

class Files;

// The names of the files of one folder that match a filter, with extension and without folder.
// Setting the folder, even to the same folder, lists it afresh; the selected name stays selected
// when its file is still there.
class FileBox : public NameList
{
    Q_OBJECT

public:
    FileBox(Files &files, QString filter, QWidget *parent = nullptr);

    void setFolder(const QString &folder);
    QString folder() const { return m_folder; }
    // The selected file name, with extension; the empty text when nothing is selected.
    Text selectedFileName() const { return currentName(); }

private:
    Files &m_files;
    QString m_filter;
    QString m_folder;
};

} // namespace quorvel

#pragma once

#include "platform/trash.h"

#include <QByteArray>

#include <optional>
#include <sys/types.h>

namespace quorvel {

// The desktop's trash, as file managers keep it (the freedesktop.org trash layout): a
// file on the file system of the data home goes to the home trash ($XDG_DATA_HOME/Trash), one on
// another file system to the trash at the top of that file system ($topdir/.Trash/$uid, or else
// $topdir/.Trash-$uid). Each trash holds the file under files/ and its origin and time of deletion
// in info/NAME.trashinfo; the info file is made first, only while its name is free, to reserve
// NAME (then NAME.2, NAME.3, ...). Where neither trash can take the file, it is kept in the keeping
// folder, laid out the same way.
class DesktopTrash : public Trash
{
public:
    // dataHome: the desktop's data folder; keepFolder: the folder that takes what no trash takes.
    DesktopTrash(QString dataHome, QString keepFolder);

    // $XDG_DATA_HOME as the environment gives it now, or else ~/.local/share.
    static QString dataHomeFromEnvironment();

    TrashResult moveToTrash(const QString &path) override;
    FileResult restore(const TrashedFile &file, const QString &path) override;

private:
    bool onHomeDevice(dev_t device) const;
    std::optional<QByteArray> homeTrash() const;
    std::optional<QByteArray> topTrash(const QByteArray &folder, dev_t device) const;
    std::optional<QByteArray> keepingTrash() const;

    QByteArray m_dataHome;
    QByteArray m_keepFolder;
};

} // namespace quorvel

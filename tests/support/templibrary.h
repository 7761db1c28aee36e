#pragma once

#include "library/library.h"
#include "platform/localfiles.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace quorvel::test {

// A library in a temporary folder: the program folder with its three library folders, removed
// again when the fixture goes. Relative paths are given from the program folder, "/"-separated,
// for example u"元素/人物.txt"_qs.
class TempLibrary
{
    // The desktop's data folder, whose Trash takes what the tests delete: every file service made
    // while the fixture lives (they read $XDG_DATA_HOME when made) trashes there, never into the
    // trash of the user running the tests.
    QTemporaryDir m_dataHome;
    bool m_dataHomeSet;
    QTemporaryDir m_dir; // the members below are built inside it

public:
    // With createFolders false only the program folder exists, as on a first start.
    explicit TempLibrary(bool createFolders = true);

    QString root() const { return m_dir.path(); }
    QString path(const QString &relative) const;
    void writeBytes(const QString &relative, const QByteArray &bytes) const;
    void writeBytes(const QString &relative, const Text &text) const
    {
        writeBytes(relative, text.toGbk());
    }
    QByteArray readBytes(const QString &relative) const;
    bool exists(const QString &relative) const;
    // The home trash of the data folder ("…/Trash"), with its files/ and info/.
    QString trash() const { return m_dataHome.path() + QStringLiteral("/Trash"); }

    LocalFiles files;
    LibraryFolders folders;
    Library library;
};

// The library text of a text written in the source (UTF-8).
Text gbk(const QString &text);

} // namespace quorvel::test

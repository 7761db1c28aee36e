#pragma once

#include <QString>

namespace quorvel {

class Files;

// What the choice of the library folder depends on.
struct LibraryPlaces
{
    // The folder that holds the program (its resolved location), and whether it can be written.
    QString programFolder;
    bool programFolderWritable = true;
    // Where a user's own data goes: $XDG_DATA_HOME, or ~/.local/share when that is unset or not an
    // absolute path.
    QString userDataFolder;
    // The sample library installed with the program.
    QString sampleLibrary;

    // The places of a program in programFolder, from the file system and the environment. The
    // sample library is found at sampleFromProgram, a path relative to the program's folder, so
    // that an installation moved as a whole (or unpacked elsewhere) finds its own.
    static LibraryPlaces forProgram(const QString &programFolder, const QString &sampleFromProgram);
};

// Where the library is, and what became of setting it up.
struct LibraryHome
{
    QString folder; // without a trailing separator
    // True when this start made the folder from the sample library.
    bool created = false;
    // False when there is no library folder to work on: it could not be made, or something that
    // is not a folder (a file, a link to nowhere) has its name. The callers do not go on then.
    bool usable = true;
    // For the user: why the folder is not usable, with the cause, or (usable) that the sample
    // library was missing; empty when all went well.
    QString problem;
};

// The one rule for where the library lives. A program in a folder it can write keeps its library
// beside itself. An installed one, whose folder it cannot write, uses the user's own library,
// userDataFolder/quorvel, and creates it on the first start as a copy of the sample library: the
// copy is made in a hidden folder beside it and renamed into place only while nothing has the
// name, so an existing library (or one another start made meanwhile) is never touched. Anything
// else of that name is left alone too, and the library is then not usable. Such a hidden folder
// that an interrupted first start left, unchanged for an hour, is removed by the next start.
LibraryHome findLibraryHome(Files &files, const LibraryPlaces &places);

} // namespace quorvel

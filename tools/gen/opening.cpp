#include "tools/gen/opening.h"

#include "library/folders.h"
#include "library/libraryhome.h"
#include "tools/gen/console.h"

#include <QCoreApplication>
#include <QDir>

namespace quorvel::gen {

namespace {

// The library the window would use, by the same rule (library/libraryhome.h): beside the program,
// or the user's own when the program is installed.
QString ownLibrary()
{
    const QString programFolder = QCoreApplication::applicationDirPath();
    LocalFiles files(programFolder);
    const LibraryHome home = findLibraryHome(
        files, LibraryPlaces::forProgram(programFolder, QStringLiteral(QUORVEL_SAMPLE_LIBRARY)));
    if (!home.problem.isEmpty())
        printError(QString(home.problem).replace(QStringLiteral("\r\n"), QStringLiteral(" ")));
    return home.folder;
}

} // namespace

OpenLibrary::OpenLibrary(const QString &folder)
    : files(folder), library(files, LibraryFolders::beside(files))
{
}

std::unique_ptr<OpenLibrary> openLibrary(const Options &options)
{
    auto opened = std::make_unique<OpenLibrary>(
        options.libraryFolder.isEmpty() ? ownLibrary() : options.libraryFolder);
    if (options.project.isEmpty())
        return opened;
    // A project named on the command line must exist, whatever is asked of it.
    const Text projectFile = Text::fromUnicode(options.project) + ".l";
    if (!opened->library.exists(Folder::Projects, projectFile)) {
        printError(QStringLiteral("找不到项目“%1”：%2 不存在")
                       .arg(options.project,
                            QDir::toNativeSeparators(opened->library.folders().projects +
                                                     options.project + QStringLiteral(".l"))));
        return nullptr;
    }
    opened->projectFile = projectFile;
    return opened;
}

} // namespace quorvel::gen

#include "tools/gen/opening.h"

#include "library/folders.h"
#include "library/libraryhome.h"
#include "tools/gen/console.h"

#include <QCoreApplication>
#include <QDir>

namespace quorvel::gen {

namespace {

// The library the window would use, by the same rule (library/libraryhome.h): beside the program,
// or the user's own when the program is installed. Empty, the cause told, when there is none.
QString ownLibrary()
{
    const QString programFolder = QCoreApplication::applicationDirPath();
    LocalFiles files(programFolder);
    const LibraryHome home = findLibraryHome(
        files, LibraryPlaces::forProgram(programFolder, QStringLiteral(QUORVEL_SAMPLE_LIBRARY)));
    if (!home.problem.isEmpty())
        printError(QString(home.problem).replace(QStringLiteral("\r\n"), QStringLiteral(" ")));
    return home.usable ? home.folder : QString();
}

} // namespace

OpenLibrary::OpenLibrary(const QString &folder, ContentCache::Options cache)
    : files(folder), document(files, LibraryDocument::Opening::ReadOnly, cache)
{
}

std::unique_ptr<OpenLibrary> openLibrary(const Options &options)
{
    ContentCache::Options cache;
    cache.enabled = options.cache;
    const QString folder = options.libraryFolder.isEmpty() ? ownLibrary() : options.libraryFolder;
    if (folder.isEmpty())
        return nullptr;
    auto opened = std::make_unique<OpenLibrary>(folder, cache);
    const Library &library = opened->document.library();
    if (!opened->document.holdsLibrary()) {
        printError(QStringLiteral("%1 中没有素材库：“%2”“%3”“%4”文件夹都不存在")
                       .arg(QDir::toNativeSeparators(opened->files.runDirectory()),
                            folderName(Folder::Templates), folderName(Folder::Elements),
                            folderName(Folder::Projects)));
        return nullptr;
    }
    if (options.project.isEmpty())
        return opened;
    // A project named on the command line must exist, whatever is asked of it.
    const LibraryName project = LibraryName::project(Text::fromUnicode(options.project));
    if (!opened->document.exists(project)) {
        printError(
            QStringLiteral("找不到项目“%1”：%2 不存在")
                .arg(options.project, QDir::toNativeSeparators(library.folders().projects +
                                                               project.fileName().toUnicode())));
        return nullptr;
    }
    opened->project = project;
    return opened;
}

QString unreadableProject(const FileResult &read, const LibraryName &project)
{
    if (read || read.isMissing())
        return {};
    const QString name = project.fileName().toUnicode();
    const QString message = unreadableMessage(read, name);
    return message.isEmpty() ? QStringLiteral("无法读取项目“%1”：%2").arg(name, read.describe())
                             : message;
}

} // namespace quorvel::gen

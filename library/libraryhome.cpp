#include "library/libraryhome.h"

#include "library/folders.h"
#include "platform/files.h"

#include <QDir>
#include <QRandomGenerator>

#include <cerrno>
#include <unistd.h>

namespace quorvel {

namespace {

constexpr char16_t UserLibraryName[] = u"quorvel";
// The hidden folder a first start fills before it takes the library's name.
constexpr char16_t NewLibraryPrefix[] = u".quorvel-new-";

// Creates path and every missing folder above it.
FileResult createPath(Files &files, const QString &path)
{
    QString done;
    const QStringList parts = path.split(u'/', Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        done += u'/' + part;
        if (files.exists(done))
            continue;
        if (const FileResult made = files.createFolder(done); !made && !made.isSystemError(EEXIST))
            return made;
    }
    return FileResult::done();
}

// A folder of a name nothing has yet, beside the library-to-be.
FileResult createHiddenFolder(Files &files, const QString &parent, QString &folder)
{
    static constexpr char16_t Letters[] = u"abcdefghijklmnopqrstuvwxyz0123456789";
    FileResult made;
    for (int attempt = 0; attempt < 100; ++attempt) {
        folder = parent + u'/' + QString::fromUtf16(NewLibraryPrefix);
        for (int i = 0; i < 6; ++i)
            folder += QChar(Letters[QRandomGenerator::global()->bounded(36)]);
        made = files.createFolder(folder);
        if (!made.isSystemError(EEXIST))
            return made;
    }
    return made;
}

// Copies the files of the sample library's three folders (nothing else) into the folder.
FileResult copyLibrary(Files &files, const QString &sample, const QString &folder)
{
    for (const char16_t *name : {TemplatesFolderName, ElementsFolderName, ProjectsFolderName}) {
        const QString from = sample + u'/' + QString::fromUtf16(name) + u'/';
        const QString to = folder + u'/' + QString::fromUtf16(name) + u'/';
        if (const FileResult made = files.createFolder(to); !made)
            return made;
        const QStringList entries = files.enumerate(from, QStringLiteral("*"));
        for (const QString &entry : entries) {
            const Loaded<QByteArray> bytes = files.read(from + entry);
            if (!bytes.result)
                return bytes.result;
            if (const FileResult written = files.write(to + entry, bytes.value); !written)
                return written;
        }
    }
    return FileResult::done();
}

} // namespace

LibraryPlaces LibraryPlaces::forProgram(const QString &programFolder,
                                        const QString &sampleFromProgram)
{
    LibraryPlaces places;
    places.programFolder = programFolder;
    places.programFolderWritable =
        ::access(Files::nativePath(programFolder).bytes.constData(), W_OK) == 0;
    const QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    places.userDataFolder = dataHome.startsWith(u'/')
                                ? QDir::cleanPath(dataHome)
                                : QDir::homePath() + QStringLiteral("/.local/share");
    places.sampleLibrary = QDir::cleanPath(programFolder + u'/' + sampleFromProgram);
    return places;
}

LibraryHome findLibraryHome(Files &files, const LibraryPlaces &places)
{
    LibraryHome home;
    home.folder = places.programFolder;
    if (places.programFolderWritable)
        return home;
    home.folder = places.userDataFolder + u'/' + QString::fromUtf16(UserLibraryName);
    if (files.exists(home.folder))
        return home;

    QString folder;
    FileResult result = createPath(files, places.userDataFolder);
    if (result)
        result = createHiddenFolder(files, places.userDataFolder, folder);
    if (result)
        result = copyLibrary(files, places.sampleLibrary, folder);
    if (result)
        result = files.rename(folder, home.folder);
    if (!folder.isEmpty() && !result)
        QDir(folder).removeRecursively();
    // Another start that made the library meanwhile won the rename: its library is the one.
    if (!result && files.exists(home.folder))
        return home;
    if (!result) {
        home.problem = withCause(QStringLiteral("无法建立素材库“%1”（从示例素材库“%2”复制）。")
                                     .arg(QDir::toNativeSeparators(home.folder),
                                          QDir::toNativeSeparators(places.sampleLibrary)),
                                 result);
        return home;
    }
    home.created = true;
    if (!files.exists(places.sampleLibrary))
        home.problem = QStringLiteral("找不到示例素材库“%1”，新建的素材库“%2”是空的。")
                           .arg(QDir::toNativeSeparators(places.sampleLibrary),
                                QDir::toNativeSeparators(home.folder));
    return home;
}

} // namespace quorvel

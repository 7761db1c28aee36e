#include "library/libraryhome.h"

#include "library/folders.h"
#include "platform/files.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <unistd.h>

namespace quorvel {

namespace {

constexpr char16_t UserLibraryName[] = u"quorvel";
// The hidden folder a first start fills before it takes the library's name: the prefix and six
// of NewLibraryLetters.
constexpr char16_t NewLibraryPrefix[] = u".quorvel-new-";
constexpr char16_t NewLibraryLetters[] = u"abcdefghijklmnopqrstuvwxyz0123456789";
// A copy nobody has added to for this long was abandoned by a start that did not finish.
constexpr qint64 AbandonedAfterSeconds = 3600;

bool isNewLibraryName(const QString &name)
{
    const QString prefix = QString::fromUtf16(NewLibraryPrefix);
    const QString letters = QString::fromUtf16(NewLibraryLetters);
    return name.size() == prefix.size() + 6 && name.startsWith(prefix) &&
           std::all_of(name.cbegin() + prefix.size(), name.cend(),
                       [&letters](QChar c) { return letters.contains(c); });
}

// The copy's last change: the newest time of the folder and of the library folders in it, which
// change as the copy adds folders and files.
QDateTime lastChange(const QString &folder, const QStringList &entries)
{
    QDateTime last = QFileInfo(folder).lastModified();
    for (const QString &entry : entries)
        last = std::max(last, QFileInfo(folder + u'/' + entry).lastModified());
    return last;
}

// Removes what interrupted first starts left beside the library: folders of exactly the form
// this file gives them, holding nothing but (some of) the three library folders, unchanged for
// an hour (a younger one may be the copy of a start under way). Links are never followed.
void removeAbandonedCopies(const QString &parent)
{
    const QStringList libraryFolders{QString::fromUtf16(TemplatesFolderName),
                                     QString::fromUtf16(ElementsFolderName),
                                     QString::fromUtf16(ProjectsFolderName)};
    const QDateTime abandoned = QDateTime::currentDateTimeUtc().addSecs(-AbandonedAfterSeconds);
    const QStringList found =
        QDir(parent).entryList({QString::fromUtf16(NewLibraryPrefix) + u'*'},
                               QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot | QDir::NoSymLinks);
    for (const QString &name : found) {
        if (!isNewLibraryName(name))
            continue;
        const QString folder = parent + u'/' + name;
        const QStringList entries = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden |
                                                           QDir::System | QDir::NoDotAndDotDot);
        const bool onlyLibrary =
            std::all_of(entries.cbegin(), entries.cend(), [&](const QString &entry) {
                const QFileInfo info(folder + u'/' + entry);
                return libraryFolders.contains(entry) && info.isDir() && !info.isSymLink();
            });
        const QDateTime changed = lastChange(folder, entries);
        if (onlyLibrary && changed.isValid() && changed < abandoned)
            QDir(folder).removeRecursively();
    }
}

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
    const QString letters = QString::fromUtf16(NewLibraryLetters);
    FileResult made;
    for (int attempt = 0; attempt < 100; ++attempt) {
        folder = parent + u'/' + QString::fromUtf16(NewLibraryPrefix);
        for (int i = 0; i < 6; ++i)
            folder += letters.at(QRandomGenerator::global()->bounded(int(letters.size())));
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
    removeAbandonedCopies(places.userDataFolder);
    const QString told = QStringLiteral("无法建立素材库“%1”（从示例素材库“%2”复制）。")
                             .arg(QDir::toNativeSeparators(home.folder),
                                  QDir::toNativeSeparators(places.sampleLibrary));
    // What has the name stays as it is; only a folder (or a link to one) is a library.
    const auto existing = [&files, &home, &told] {
        if (!files.exists(home.folder + u'/')) {
            home.usable = false;
            home.problem = told + QStringLiteral("\r\n该位置已有同名的文件，不是文件夹");
        }
        return home;
    };
    if (files.exists(home.folder))
        return existing();

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
        return existing();
    if (!result) {
        home.usable = false;
        home.problem = withCause(told, result);
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

#include "app/programentry.h"

#include "library/librarydocument.h"
#include "library/libraryhome.h"
#include "library/storyrecovery.h"
#include "platform/lifecycle.h"
#include "platform/localfiles.h"
#include "platform/random.h"
#include "ui/editor/editoricon.h"
#include "ui/main/mainwindow.h"
#include "ui/widgets/qtdialogs.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTimer>
#include <QTranslator>

#include <memory>

namespace quorvel {

int runProgram(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvel"));
    // The desktop entry the windows belong to (its name and icon in the task bar), and the same
    // icon where a window system takes it from the window.
    QApplication::setDesktopFileName(QStringLiteral(QUORVEL_DESKTOP_ID));
    QApplication::setWindowIcon(editorIcon());
    // Every text of the program is Chinese, so Qt's own texts (the edit boxes' menus, the file
    // dialog) are too, whatever the system's language.
    QTranslator qtTexts;
    if (qtTexts.load(QStringLiteral("qtbase_zh_CN"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    // The runtime library runs in the launcher's process: the program's folder is the
    // launcher's, resolved through any link that started it.
    const QString programFolder = QApplication::applicationDirPath();
    LocalFiles programFiles(programFolder);
    const LibraryHome home = findLibraryHome(
        programFiles,
        LibraryPlaces::forProgram(programFolder, QStringLiteral(QUORVEL_SAMPLE_LIBRARY)));
    QtDialogs dialogs;
    // Without a library folder the windows would show an empty library and lose whatever the
    // user made in it: the cause is told and the program ends, to be started again once the way
    // is clear.
    if (!home.usable) {
        dialogs.message(home.problem + QStringLiteral("\r\n程序将退出。"));
        return 1;
    }
    LocalFiles files(home.folder);
    SystemRandom random;
    // The library both windows work on, its missing folders made.
    LibraryDocument document(files, LibraryDocument::Opening::CreateFolders);
    std::unique_ptr<MainWindow> window;

    // The exit routine releases the windows and the library they work on, while the application
    // that owns their widgets still exists.
    Lifecycle lifecycle;
    lifecycle.registerExitRoutine([&window] { window.reset(); });

    window = std::make_unique<MainWindow>(document, Services{files, random, dialogs});
    window->show();
    // The story a program that was killed or crashed left unsaved is offered back first.
    window->keepStoryIn(StoryRecovery::defaultFolder());
    if (!home.problem.isEmpty())
        QTimer::singleShot(0, &app, [&dialogs, &home] { dialogs.message(home.problem); });
    const int exitCode = app.exec();
    lifecycle.end();
    return exitCode;
}

} // namespace quorvel

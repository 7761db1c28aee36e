#include "app/programentry.h"

#include "library/programfolders.h"
#include "platform/lifecycle.h"
#include "platform/localfiles.h"
#include "platform/random.h"
#include "ui/main/mainwindow.h"
#include "ui/widgets/qtdialogs.h"

#include <QApplication>

namespace quorvel {

int runProgram(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvel"));

    Lifecycle lifecycle;
    lifecycle.registerExitRoutine([] { ProgramFolders::release(); });

    LocalFiles files(QApplication::applicationDirPath());
    SystemRandom random;
    QtDialogs dialogs;
    int exitCode = 0;
    {
        MainWindow window(Services{files, random, dialogs});
        window.show();
        exitCode = app.exec();
    }
    lifecycle.end();
    return exitCode;
}

} // namespace quorvel

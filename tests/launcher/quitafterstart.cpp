// A hook for the tests that start the whole program, built into the testing runtime library only:
// with QUORVEL_QUIT_AFTER_START=1 in the environment, the program closes its windows as soon as
// one is shown, which ends the event loop the usual way, and names each window it closed on
// standard error. Without the variable nothing here runs.

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace quorvel {

namespace {

constexpr int kPollMilliseconds = 50;
constexpr int kGiveUpMilliseconds = 30000;

void closeWindowsOnceShown(QElapsedTimer waited)
{
    QStringList shown;
    const auto windows = QApplication::topLevelWidgets();
    for (const QWidget *window : windows) {
        if (window->isVisible())
            shown << window->windowTitle();
    }
    if (shown.isEmpty() && waited.elapsed() < kGiveUpMilliseconds) {
        QTimer::singleShot(kPollMilliseconds, QCoreApplication::instance(),
                           [waited] { closeWindowsOnceShown(waited); });
        return;
    }
    for (const QString &title : std::as_const(shown))
        std::fprintf(stderr, "quorvel: closing window \"%s\"\n", title.toUtf8().constData());
    std::fflush(stderr);
    if (shown.isEmpty())
        QCoreApplication::quit();
    else
        QApplication::closeAllWindows();
}

void quitAfterStartWhenAsked()
{
    if (qEnvironmentVariableIntValue("QUORVEL_QUIT_AFTER_START") != 1)
        return;
    QElapsedTimer waited;
    waited.start();
    QTimer::singleShot(0, QCoreApplication::instance(),
                       [waited] { closeWindowsOnceShown(waited); });
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(quitAfterStartWhenAsked)

} // namespace quorvel

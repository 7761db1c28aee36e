// The built launcher and runtime library as real files: the launcher started in its own folder,
// with the runtime library beside it, in the installation folder or nowhere.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace {

const QString kMessage =
    QStringLiteral("Error: Not found the kernel library or the kernel library is invalid!\n");
const QString kWindowClosed = QStringLiteral("quorvel: closing window \"Quorvel\"");

struct Run
{
    int exitCode = -1000;
    QString errors;
};

// Places a built file at target: a hard link where possible, else a copy.
bool place(const QString &built, const QString &target)
{
    if (!QDir().mkpath(QFileInfo(target).path()))
        return false;
    return ::link(QFile::encodeName(built).constData(), QFile::encodeName(target).constData()) ==
               0 ||
           QFile::copy(built, target);
}

} // namespace

class LauncherProcessTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void noUsableLibrary_data();
    void noUsableLibrary();
    void libraryBesideLauncherStartsProgram();
    void libraryInInstallationFolderStartsProgram_data();
    void libraryInInstallationFolderStartsProgram();
    void deepFolder();

private:
    // Starts the launcher at path with a clean environment: no graphical session, the
    // configuration folders inside the temporary folder, the program closing once shown.
    Run launch(const QString &path, bool configHomeSet = true);
    QString launcherIn(const QString &folder);

    QTemporaryDir m_dir;
};

void LauncherProcessTest::init()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(QDir(m_dir.path()).removeRecursively());
    QVERIFY(QDir().mkpath(m_dir.path()));
}

Run LauncherProcessTest::launch(const QString &path, bool configHomeSet)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.insert(QStringLiteral("HOME"), m_dir.filePath(QStringLiteral("home")));
    if (configHomeSet)
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                           m_dir.filePath(QStringLiteral("config")));
    else
        environment.remove(QStringLiteral("XDG_CONFIG_HOME"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("QUORVEL_QUIT_AFTER_START"), QStringLiteral("1"));

    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(m_dir.path());
    process.start(path, {});
    Run run;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitCode();
    run.errors = QString::fromUtf8(process.readAllStandardError());
    return run;
}

QString LauncherProcessTest::launcherIn(const QString &folder)
{
    const QString path = QDir(folder).filePath(QStringLiteral("quorvel"));
    return place(QStringLiteral(QUORVEL_LAUNCHER), path) ? path : QString();
}

void LauncherProcessTest::noUsableLibrary_data()
{
    QTest::addColumn<QByteArray>("besideLauncher");

    QTest::newRow("empty folder") << QByteArray();
    QTest::newRow("krnln.fnr not a library") << QByteArray("not a shared library\n");
}

void LauncherProcessTest::noUsableLibrary()
{
    QFETCH(QByteArray, besideLauncher);
    const QString launcher = launcherIn(m_dir.filePath(QStringLiteral("program")));
    QVERIFY(!launcher.isEmpty());
    if (!besideLauncher.isEmpty()) {
        QFile fake(m_dir.filePath(QStringLiteral("program/krnln.fnr")));
        QVERIFY(fake.open(QIODevice::WriteOnly));
        fake.write(besideLauncher);
    }

    const Run run = launch(launcher);

    QCOMPARE(run.exitCode, 255);
    QCOMPARE(run.errors, kMessage);
}

void LauncherProcessTest::libraryBesideLauncherStartsProgram()
{
    const QString folder = m_dir.filePath(QStringLiteral("program"));
    const QString launcher = launcherIn(folder);
    QVERIFY(!launcher.isEmpty());
    QVERIFY(place(QStringLiteral(QUORVEL_RUNTIME), folder + QStringLiteral("/krnln.fnr")));

    const Run run = launch(launcher);

    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.errors.contains(kWindowClosed), qPrintable(run.errors));
    // The program's start-up ran in the launcher's folder.
    QVERIFY(QFileInfo(folder + QStringLiteral("/项目")).isDir());
}

void LauncherProcessTest::libraryInInstallationFolderStartsProgram_data()
{
    QTest::addColumn<bool>("configHomeSet");
    QTest::addColumn<QString>("recordedFolder");

    QTest::newRow("XDG_CONFIG_HOME, no final /") << true << QStringLiteral("runtime");
    QTest::newRow("XDG_CONFIG_HOME, final / and line end") << true << QStringLiteral("runtime/\n");
    QTest::newRow("~/.config") << false << QStringLiteral("runtime\r\n");
}

void LauncherProcessTest::libraryInInstallationFolderStartsProgram()
{
    QFETCH(bool, configHomeSet);
    QFETCH(QString, recordedFolder);
    const QString launcher = launcherIn(m_dir.filePath(QStringLiteral("program")));
    QVERIFY(!launcher.isEmpty());
    QVERIFY(place(QStringLiteral(QUORVEL_RUNTIME),
                  m_dir.filePath(QStringLiteral("runtime/krnln.fne"))));
    const QString record =
        m_dir.filePath(configHomeSet ? QStringLiteral("config/quorvel/runtime-path")
                                     : QStringLiteral("home/.config/quorvel/runtime-path"));
    QVERIFY(QDir().mkpath(QFileInfo(record).path()));
    QFile file(record);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QFile::encodeName(m_dir.path() + QLatin1Char('/') + recordedFolder));
    file.close();

    const Run run = launch(launcher, configHomeSet);

    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.errors.contains(kWindowClosed), qPrintable(run.errors));
}

void LauncherProcessTest::deepFolder()
{
    // A path of about 700 characters: the launcher looks for the library in its own folder only,
    // never in an ancestor folder, and finds it there.
    const QString ancestor = m_dir.filePath(QStringLiteral("program"));
    const QString folder = ancestor + QStringLiteral("/a-rather-long-folder-name").repeated(27);
    const QString launcher = launcherIn(folder);
    QVERIFY(!launcher.isEmpty());
    QVERIFY(launcher.size() > 700);
    QVERIFY(place(QStringLiteral(QUORVEL_RUNTIME), ancestor + QStringLiteral("/krnln.fnr")));

    Run run = launch(launcher);
    QCOMPARE(run.exitCode, 255);
    QCOMPARE(run.errors, kMessage);

    QVERIFY(place(QStringLiteral(QUORVEL_RUNTIME), folder + QStringLiteral("/krnln.fnr")));
    run = launch(launcher);
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.errors.contains(kWindowClosed), qPrintable(run.errors));
}

QTEST_GUILESS_MAIN(LauncherProcessTest)
#include "tst_launcherprocess.moc"

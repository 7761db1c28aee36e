// The launcher's steps over the recording layer: where the runtime library is looked for, what
// makes it unusable, and how long paths are handled.

#ifndef Q_MOC_RUN // moc cannot read concepts
#include "launcher/launchsteps.h"
#include "recordingos.h"
#endif

#include <QTest>

using namespace quorvel;
using quorvel::test::FakeLibrary;
using quorvel::test::RecordingOs;

Q_DECLARE_METATYPE(quorvel::test::FakeLibrary)

namespace {

const ProgramImage kImage = makeProgramImage("Quorvel", 0, nullptr);
const QString kBeside = QStringLiteral("load C:\\Program Files\\Quorvel\\krnln.fnr");
const QString kMessage = QStringLiteral(
    "message Error | Not found the kernel library or the kernel library is invalid!");

// The calls from the lookup of GetNewSock to a started program's end.
QStringList startsProgram()
{
    return {QStringLiteral("lookUp GetNewSock"), QStringLiteral("GetNewSock 1000"),
            QStringLiteral("start"), QStringLiteral("exit 0")};
}

// The one message, then the end of the process with -1.
QStringList failsWithMessage()
{
    return {kMessage, QStringLiteral("exit -1")};
}

QString repeated(const char *part, int times)
{
    QString text;
    for (int i = 0; i < times; ++i)
        text += QLatin1String(part);
    return text;
}

} // namespace

class LaunchStepsTest : public QObject
{
    Q_OBJECT

private slots:
    void libraryBesideProgramNeverOpensInstallationFolder();
    void installationFolder_data();
    void installationFolder();
    void noLibraryAnywhere_data();
    void noLibraryAnywhere();
    void unusableLibraryIsUnloadedBeforeMessage_data();
    void unusableLibraryIsUnloadedBeforeMessage();
    void longProgramPathKeepsItsOwnFolder();
    void longInstallationPath_data();
    void longInstallationPath();
};

void LaunchStepsTest::libraryBesideProgramNeverOpensInstallationFolder()
{
    RecordingOs os;
    os.libraries["C:\\Program Files\\Quorvel\\krnln.fnr"] = {};
    os.installationPath = "D:\\Runtime";
    os.libraries["D:\\Runtime\\krnln.fne"] = {};

    launcher::runLauncher(os, &kImage);

    QCOMPARE(RecordingOs::calls(),
             QStringList({QStringLiteral("moduleFileName"), kBeside}) + startsProgram());
    QCOMPARE(RecordingOs::startedImage(), &kImage);
}

void LaunchStepsTest::installationFolder_data()
{
    QTest::addColumn<bool>("programPathReadable");
    QTest::addColumn<QString>("folder");

    QTest::newRow("final separator") << true << QStringLiteral("D:\\Runtime\\");
    QTest::newRow("no final separator") << true << QStringLiteral("D:\\Runtime");
    QTest::newRow("program path unreadable") << false << QStringLiteral("D:\\Runtime");
}

void LaunchStepsTest::installationFolder()
{
    QFETCH(bool, programPathReadable);
    QFETCH(QString, folder);
    RecordingOs os;
    if (!programPathReadable)
        os.modulePath.reset();
    os.installationPath = folder.toStdString();
    os.libraries["D:\\Runtime\\krnln.fne"] = {};

    launcher::runLauncher(os, &kImage);

    QStringList expected{QStringLiteral("moduleFileName")};
    if (programPathReadable)
        expected << kBeside;
    expected << QStringLiteral("installationFolder")
             << QStringLiteral("load D:\\Runtime\\krnln.fne");
    QCOMPARE(RecordingOs::calls(), expected + startsProgram());
}

void LaunchStepsTest::noLibraryAnywhere_data()
{
    QTest::addColumn<bool>("installed");

    QTest::newRow("no installation folder") << false;
    QTest::newRow("no library in installation folder") << true;
}

void LaunchStepsTest::noLibraryAnywhere()
{
    QFETCH(bool, installed);
    RecordingOs os;
    if (installed)
        os.installationPath = "D:\\Runtime\\";

    launcher::runLauncher(os, &kImage);

    QStringList expected{QStringLiteral("moduleFileName"), kBeside,
                         QStringLiteral("installationFolder")};
    if (installed)
        expected << QStringLiteral("load D:\\Runtime\\krnln.fne");
    QCOMPARE(RecordingOs::calls(), expected + failsWithMessage());
}

void LaunchStepsTest::unusableLibraryIsUnloadedBeforeMessage_data()
{
    QTest::addColumn<FakeLibrary>("library");
    QTest::addColumn<QStringList>("startCalls");

    QTest::newRow("no GetNewSock") << FakeLibrary{false, true, kStartProgramEnded}
                                   << QStringList{QStringLiteral("lookUp GetNewSock")};
    QTest::newRow("GetNewSock returns 0")
        << FakeLibrary{true, false, kStartProgramEnded}
        << QStringList{QStringLiteral("lookUp GetNewSock"), QStringLiteral("GetNewSock 1000")};
    QTest::newRow("image refused")
        << FakeLibrary{true, true, kStartImageRefused}
        << QStringList{QStringLiteral("lookUp GetNewSock"), QStringLiteral("GetNewSock 1000"),
                       QStringLiteral("start")};
}

void LaunchStepsTest::unusableLibraryIsUnloadedBeforeMessage()
{
    QFETCH(FakeLibrary, library);
    QFETCH(QStringList, startCalls);
    RecordingOs os;
    os.libraries["C:\\Program Files\\Quorvel\\krnln.fnr"] = library;

    launcher::runLauncher(os, &kImage);

    const QStringList expected =
        QStringList{QStringLiteral("moduleFileName"), kBeside} + startCalls +
        QStringList{QStringLiteral("unload C:\\Program Files\\Quorvel\\krnln.fnr")} +
        failsWithMessage();
    QCOMPARE(RecordingOs::calls(), expected);
}

void LaunchStepsTest::longProgramPathKeepsItsOwnFolder()
{
    // Far past 128 characters: the library beside the program is found, not one in a folder
    // that a cut path would name.
    const QString folder = QStringLiteral("C:\\") + repeated("deep\\", 60);
    RecordingOs os(65536);
    os.modulePath = (folder + QStringLiteral("quorvel.exe")).toStdString();
    os.libraries[(folder + QStringLiteral("krnln.fnr")).toStdString()] = {};
    os.libraries["C:\\deep\\krnln.fnr"] = {};

    launcher::runLauncher(os, &kImage);

    QCOMPARE(RecordingOs::calls(),
             QStringList({QStringLiteral("moduleFileName"),
                          QStringLiteral("load ") + folder + QStringLiteral("krnln.fnr")}) +
                 startsProgram());
}

void LaunchStepsTest::longInstallationPath_data()
{
    // The buffer holds 260 bytes: folder, separator, "krnln.fne" and the NUL must fit.
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("fits");

    const QString base = QStringLiteral("D:\\") + repeated("x", 245);
    QTest::newRow("249 bytes, separator added") << base + QStringLiteral("x") << true;
    QTest::newRow("250 bytes, separator added") << base + QStringLiteral("xx") << false;
    QTest::newRow("250 bytes with separator") << base + QStringLiteral("x\\") << true;
    QTest::newRow("251 bytes with separator") << base + QStringLiteral("xx\\") << false;
    QTest::newRow("259 bytes, the longest value read") << base + repeated("x", 11) << false;
    QTest::newRow("260 bytes, longer than the buffer") << base + repeated("x", 12) << false;
}

void LaunchStepsTest::longInstallationPath()
{
    QFETCH(QString, folder);
    QFETCH(bool, fits);
    RecordingOs os;
    os.modulePath.reset();
    os.installationPath = folder.toStdString();
    QString library = folder;
    if (!library.endsWith(QLatin1Char('\\')))
        library += QLatin1Char('\\');
    library += QStringLiteral("krnln.fne");
    os.libraries[library.toStdString()] = {};

    launcher::runLauncher(os, &kImage);

    QVERIFY(os.guardIntact());
    const QStringList start{QStringLiteral("moduleFileName"), QStringLiteral("installationFolder")};
    if (fits) {
        QCOMPARE(RecordingOs::calls(),
                 start + QStringList{QStringLiteral("load ") + library} + startsProgram());
    } else {
        QCOMPARE(RecordingOs::calls(), start + failsWithMessage());
    }
}

QTEST_APPLESS_MAIN(LaunchStepsTest)
#include "tst_launchsteps.moc"

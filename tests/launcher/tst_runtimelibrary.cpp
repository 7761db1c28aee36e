// The built runtime library as the launcher sees it: its one export, the selector it answers,
// and the images its start function refuses without running anything.

#include "launcher/programimage.h"

#include <QFile>
#include <QTest>

#include <dlfcn.h>

using namespace quorvel;

Q_DECLARE_METATYPE(quorvel::ProgramImage)

class RuntimeLibraryTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void exportsOnlyGetNewSock();
    void holdsNoTestHook();
    void getNewSockAnswersOnly1000();
    void startRefusesUnknownImage_data();
    void startRefusesUnknownImage();

private:
    void *m_library = nullptr;
    GetNewSockFunction m_getNewSock = nullptr;
};

void RuntimeLibraryTest::initTestCase()
{
    m_library = dlopen(QUORVEL_RUNTIME, RTLD_NOW | RTLD_LOCAL);
    QVERIFY2(m_library, dlerror());
    m_getNewSock = reinterpret_cast<GetNewSockFunction>(dlsym(m_library, "GetNewSock"));
    QVERIFY(m_getNewSock);
}

void RuntimeLibraryTest::cleanupTestCase()
{
    if (m_library)
        dlclose(m_library);
}

void RuntimeLibraryTest::exportsOnlyGetNewSock()
{
    // The program and its services stay inside the library.
    QVERIFY(!dlsym(m_library, "_ZN7quorvel10runProgramEiPPc"));
    QVERIFY(!dlsym(m_library, "startProgram"));
}

// The hook that lets tests start and close the whole program lives in a testing build only: the
// product's library neither names its variable nor holds its message.
void RuntimeLibraryTest::holdsNoTestHook()
{
    QFile file(QStringLiteral(QUORVEL_RUNTIME));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(!bytes.isEmpty());
    QVERIFY(!bytes.contains("QUORVEL_QUIT_AFTER_START"));
    QVERIFY(!bytes.contains("closing window"));
}

void RuntimeLibraryTest::getNewSockAnswersOnly1000()
{
    QVERIFY(m_getNewSock(1000));
    QVERIFY(m_getNewSock(1000) == m_getNewSock(1000));
    for (const int32_t other : {0, 1, 999, 1001, -1000, -1})
        QVERIFY2(!m_getNewSock(other), qPrintable(QString::number(other)));
}

void RuntimeLibraryTest::startRefusesUnknownImage_data()
{
    QTest::addColumn<ProgramImage>("image");

    static char name[] = "quorvel";
    static char *arguments[] = {name, nullptr};
    const ProgramImage known = makeProgramImage("Quorvel", 1, arguments);
    ProgramImage image = known;
    image.magic[0] = 'X';
    QTest::newRow("wrong magic") << image;
    image = known;
    image.version = kProgramImageVersion + 1;
    QTest::newRow("later version") << image;
    image = known;
    image.size = sizeof(ProgramImage) - 1;
    QTest::newRow("shorter than version 1") << image;
    image = known;
    image.argv = nullptr;
    QTest::newRow("arguments counted, none given") << image;
}

void RuntimeLibraryTest::startRefusesUnknownImage()
{
    QFETCH(ProgramImage, image);
    const StartFunction start = m_getNewSock(1000);
    QVERIFY(start);
    // A refused image returns at once: the program would need an application and a window.
    QCOMPARE(start(&image), kStartImageRefused);
    QCOMPARE(start(nullptr), kStartImageRefused);
}

QTEST_APPLESS_MAIN(RuntimeLibraryTest)
#include "tst_runtimelibrary.moc"

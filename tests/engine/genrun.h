#pragma once

// quorvel-gen run as a child process on a small library, for the tests that judge it by its
// standard output, standard error and exit status.
#include "tests/support/templibrary.h"

#include <QProcess>
#include <QString>
#include <QStringList>

namespace quorvel::test {

struct Run
{
    int status = -1;
    QString out;
    QString err;
    QByteArray outBytes; // standard output as written
};

inline Run runGen(const QStringList &arguments,
                  const QString &program = QStringLiteral(QUORVEL_GEN))
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    const QByteArray out = process.readAllStandardOutput();
    return {process.exitCode(), QString::fromUtf8(out),
            QString::fromUtf8(process.readAllStandardError()), out};
}

// A project p of three templates, the second of which does not exist, and a project of none.
struct Fixture
{
    Fixture()
    {
        lib.writeBytes(QStringLiteral("元素/人.txt"), gbk(QStringLiteral("老人")));
        lib.writeBytes(QStringLiteral("模板/开头.txt"), gbk(QStringLiteral("从前有个[人]。")));
        lib.writeBytes(QStringLiteral("模板/结尾.txt"), gbk(QStringLiteral("完\r\n")));
        lib.writeBytes(QStringLiteral("项目/故事.l"),
                       gbk(QStringLiteral("开头\r\n没有\r\n结尾\r\n")));
        lib.writeBytes(QStringLiteral("项目/空.l"), QByteArray());
    }
    // Quiet: the seed line is a test of its own.
    QStringList args(const QStringList &more) const
    {
        return QStringList{QStringLiteral("--library"), lib.root(), QStringLiteral("--quiet")} +
               more;
    }
    TempLibrary lib;
};

} // namespace quorvel::test

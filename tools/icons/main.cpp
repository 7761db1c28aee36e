// quorvel-icons: the program's icon set for the hicolor theme, drawn by the same code as the
// editor window's icon. Writes FOLDER/NxN/apps/NAME.png for every size N given.

#include "ui/editor/editoricon.h"

#include <QCoreApplication>
#include <QDir>
#include <QStringList>

#include <cstdio>

// Painting into an image needs no window system, so no platform plugin is loaded.
int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 4) {
        std::fputs("usage: quorvel-icons FOLDER NAME SIZE...\n", stderr);
        return 2;
    }
    for (const QString &sizeText : arguments.mid(3)) {
        bool ok = false;
        const int size = sizeText.toInt(&ok);
        const QString folder = arguments[1] + QStringLiteral("/%1x%1/apps").arg(size);
        const QString file = folder + u'/' + arguments[2] + QStringLiteral(".png");
        if (!ok || size <= 0 || !QDir().mkpath(folder) ||
            !quorvel::editorIconImage(size).save(file, "PNG")) {
            std::fprintf(stderr, "quorvel-icons: cannot write %s\n", file.toUtf8().constData());
            return 1;
        }
    }
    return 0;
}

#include "bench/benchlibrary.h"

#include "library/folders.h"

#include <QDir>
#include <QFile>

namespace quorvel::bench {

namespace {

constexpr char16_t Syllables[] = u"山水风月花鸟云雨江河春秋日夜星光城门灯火书剑琴茶雪松竹梅";

// A reproducible stream of numbers, so every run measures the same library.
unsigned nextNumber(unsigned &state)
{
    state = state * 1103515245u + 12345u;
    return state >> 16;
}

QString numbered(const char16_t *stem, int index)
{
    return QString::fromUtf16(stem) + QStringLiteral("%1").arg(index, 3, 10, QChar(u'0'));
}

} // namespace

BenchLibrary::BenchLibrary()
{
    if (!m_dir.isValid())
        qFatal("cannot create a temporary folder");
    for (const char16_t *folder : {TemplatesFolderName, ElementsFolderName, ProjectsFolderName})
        QDir(root()).mkdir(QString::fromUtf16(folder));

    unsigned state = 1;
    const qsizetype syllables = QStringView(Syllables).size();
    for (int e = 0; e < Elements; ++e) {
        Text content;
        for (int l = 0; l < LinesPerElement; ++l) {
            QString phrase;
            for (int k = 0; k < 3; ++k)
                phrase.append(Syllables[nextNumber(state) % syllables]);
            content += Text::fromUnicode(phrase) + "\r\n";
        }
        write(QString::fromUtf16(ElementsFolderName) + u'/' + elementName(e).toUnicode() +
                  QStringLiteral(".txt"),
              content);
    }
    for (int t = 0; t < Templates; ++t) {
        Text content;
        for (int p = 0; p < PatternsPerTemplate; ++p) {
            Text line = Text::fromUnicode(QStringLiteral("第%1句：").arg(p + 1));
            for (int r = 0; r < ReferencesPerPattern; ++r)
                line += "[" + elementName(int(nextNumber(state) % Elements)) + "]" +
                        Text::fromUnicode(QStringLiteral("，"));
            content += line + "\r\n";
        }
        write(QString::fromUtf16(TemplatesFolderName) + u'/' + templateName(t).toUnicode() +
                  QStringLiteral(".txt"),
              content);
    }
    Text project;
    for (int i = 0; i < ProjectLength; ++i)
        project += templateName(i % Templates) + "\r\n";
    write(QString::fromUtf16(ProjectsFolderName) + u'/' + projectName().toUnicode() +
              QStringLiteral(".l"),
          project);
}

Text BenchLibrary::elementName(int index)
{
    return Text::fromUnicode(numbered(u"元素", index));
}

Text BenchLibrary::templateName(int index)
{
    return Text::fromUnicode(numbered(u"模板", index));
}

Text BenchLibrary::projectName()
{
    return Text::fromUnicode(QStringLiteral("基准"));
}

QString BenchLibrary::elementPath(int index) const
{
    return root() + u'/' + QString::fromUtf16(ElementsFolderName) + u'/' +
           elementName(index).toUnicode() + QStringLiteral(".txt");
}

QString BenchLibrary::templatePath(int index) const
{
    return root() + u'/' + QString::fromUtf16(TemplatesFolderName) + u'/' +
           templateName(index).toUnicode() + QStringLiteral(".txt");
}

Text BenchLibrary::pattern(int references)
{
    Text text;
    for (int r = 0; r < references; ++r)
        text += "[" + elementName(r % Elements) + "]x";
    return text;
}

void BenchLibrary::write(const QString &relative, const Text &bytes) const
{
    QFile file(root() + u'/' + relative);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes.toGbk()) != bytes.size())
        qFatal("cannot write the bench library");
}

} // namespace quorvel::bench

#pragma once

#include "platform/text.h"

#include <QString>
#include <QTemporaryDir>

namespace quorvel::bench {

// A library made up for measuring, in a temporary folder that goes with the object: elements of
// short Chinese phrases (about 400 bytes each, as hand-made elements are), templates whose
// patterns refer to them, and one project that runs the templates over and over.
class BenchLibrary
{
public:
    static constexpr int Elements = 200;
    static constexpr int LinesPerElement = 50;
    static constexpr int Templates = 100;
    static constexpr int PatternsPerTemplate = 20;
    static constexpr int ReferencesPerPattern = 10;
    static constexpr int ProjectLength = 1000;

    BenchLibrary();

    QString root() const { return m_dir.path(); }
    static Text elementName(int index);
    static Text templateName(int index);
    static Text projectName();
    // The native path of an element's file.
    QString elementPath(int index) const;
    QString templatePath(int index) const;
    // A pattern of the given number of references, to the elements in turn.
    static Text pattern(int references);

private:
    void write(const QString &relative, const Text &bytes) const;

    QTemporaryDir m_dir;
};

} // namespace quorvel::bench

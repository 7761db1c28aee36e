#pragma once

#include "engine/elementgraph.h"
#include "engine/material.h"
#include "engine/storycount.h"
#include "library/library.h"
#include "platform/text.h"

#include <QList>
#include <QString>

#include <memory>

namespace quorvel {

// One thing the check found in the library.
struct Finding
{
    enum class Severity
    {
        Error,  // the run will show a message, lose text or leave brackets in the story
        Circle, // elements that can reach themselves
        Notice, // likely a slip, harmless to the run
    };
    enum class Kind
    {
        MissingElement,
        EmptyElement,
        UnreadableElement,
        EmptyReference,
        StrayBracket,               // in a pattern: the rest of the line stays unexpanded
        ElementStrayClose,          // in an element line: stops the line it is drawn into
        ElementOpenWithoutClose,    // in an element line: joins the text after it
        ElementEndsInsideCharacter, // in an element line: takes the byte after it
        MissingTemplate,            // named by a project
        MissingCategoryEntry,
        NoPattern,
        UnreadableFile,
        Circle,
        Unreferenced,
        Uncategorised,
        NotGbkName,
        NotGbkContent,
        BlankTypo,
    };

    Kind kind = Kind::MissingElement;
    Severity severity = Severity::Error;
    Folder folder = Folder::Elements;
    Text fileName; // with extension
    int line = 0;  // from 1; 0 for the file as a whole
    Text lineText;
    QString description;
    // Of a circle: its chain (甲, 乙, 甲), and whether every way through it leads back in.
    TextList chain;
    bool alwaysEndless = false;

    // "元素/天气.txt".
    QString filePath() const;
    // "元素/天气.txt:3", or "模板/空.txt" for the whole file.
    QString location() const;
    // The way compilers write it: "元素/天气.txt:3: 错误：引用的元素「风向」不存在".
    QString compilerLine() const;
};

QString severityName(Finding::Severity severity);

struct CheckReport
{
    // By folder (templates, elements, projects), file name and line.
    QList<Finding> findings;
    int errors = 0;
    int circles = 0;
    int endlessCircles = 0; // of them, always endless
    int notices = 0;
    bool stopped = false; // the observer stopped the check: nothing was checked

    // Nothing the run would trip on for sure: no error, no circle that is always endless.
    bool passed() const { return !stopped && errors == 0 && endlessCircles == 0; }
    // "错误 2 个，循环 1 个，提示 3 个".
    QString summary() const;
};

// Reads the library (all of it, or one project and what it reaches) and checks it: the one
// check behind the window's 检查素材 and quorvel-gen --check, with the story counts of the same
// reading.
class LibraryCheck
{
public:
    explicit LibraryCheck(const Library &library);
    ~LibraryCheck();

    const CheckReport &checkAll(TaskObserver *observer = nullptr);
    // The project file (with ".l") and what it reaches; unreferenced elements and templates in
    // no category are not looked for.
    const CheckReport &checkProject(const Text &projectFile, TaskObserver *observer = nullptr);

    const CheckReport &report() const { return m_report; }
    // Of the material read by the last check. A project's templates are as its file lists them.
    TextList projectTemplates(const Text &projectFile) const;
    StoryCount templateCount(const Text &name) const;
    StoryCount projectCount(const Text &projectFile) const;

private:
    const CheckReport &finish(bool read);

    const Library &m_library;
    std::unique_ptr<Material> m_material;
    std::unique_ptr<ElementGraph> m_graph;
    std::unique_ptr<StoryCounter> m_counter;
    CheckReport m_report;
};

// The findings of material already read, in order.
CheckReport checkMaterial(const Material &material, const ElementGraph &graph);

} // namespace quorvel

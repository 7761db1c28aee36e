#pragma once

#include "engine/taskobserver.h"
#include "library/library.h"
#include "platform/fileresult.h"
#include "platform/text.h"

#include <QByteArrayView>
#include <QList>

#include <map>

namespace quorvel {

// How the run's expansion takes one line apart, found without drawing anything: the references
// it reaches, left to right, and what stops it before the end of the line, if anything. This is
// findReference() applied pass after pass, skipping each reference instead of replacing it; for
// a line whose drawn lines are themselves whole, the run meets exactly these references.
struct LineShape
{
    enum class Stop
    {
        None,             // every bracket belongs to a reference
        EmptyReference,   // a "[]": a pattern that starts with it comes out empty, else it cuts
        StrayClose,       // a "]" before the next "[": nothing from there on is expanded
        OpenWithoutClose, // a "[" without a "]" after it
    };
    struct Reference
    {
        qsizetype open = 0;  // byte of its "["
        qsizetype close = 0; // byte of its "]"
        Text name;           // what stands between the brackets
    };

    QList<Reference> references;
    Stop stop = Stop::None;
    qsizetype stopAt = -1; // where the part left unexpanded begins
    // The last byte leads a two-byte character: drawn into a line, it takes the byte after it
    // (a bracket, say) as its second half.
    bool endsInsideCharacter = false;
};

LineShape shapeOf(QByteArrayView line);

// A content file as the check read it.
struct ContentFile
{
    enum class State
    {
        Present,    // read: lines may still be none
        Missing,    // no file of that name, or a name no file can have
        Unreadable, // there, but not read (too large, a link out of the folder, a read error)
    };

    Text name; // without ".txt"
    State state = State::Missing;
    FileResult result;
    TextList lines;
    QList<LineShape> shapes; // one per line

    Text fileName() const { return LibraryName::content(Folder::Elements, name).fileName(); }
    bool hasLines() const { return !lines.isEmpty(); }
};

// A list file (a category or a project) as the check read it.
struct ListFile
{
    Folder folder = Folder::Projects;
    Text fileName; // with ".l"
    FileResult result;
    TextList entries;
};

// The part of the library a check looks at, read into memory once: either all of it, or one
// project with the templates it names and every element they reach.
class Material
{
public:
    explicit Material(const Library &library, TaskObserver *observer = nullptr);

    // Every content file and list file of the three folders, and every element referred to.
    // False when the observer stopped it.
    bool readAll();
    // The project file (with ".l"), its templates and all they reach. False when stopped.
    bool readProject(const Text &projectFile);

    const Library &library() const { return m_library; }
    bool isWholeLibrary() const { return m_whole; }
    // By name, in byte order.
    const std::map<Text, ContentFile> &templates() const { return m_templates; }
    const std::map<Text, ContentFile> &elements() const { return m_elements; }
    const QList<ListFile> &lists() const { return m_lists; }
    // The names of all content files in the templates or elements folder, read or not.
    const TextList &namesInFolder(Folder folder) const { return m_inFolder[int(folder)]; }
    // Read already: every name that a read line or list refers to was read with it.
    const ContentFile &templateFile(const Text &name) const;
    const ContentFile &element(const Text &name) const;

private:
    ContentFile read(Folder folder, const Text &name);
    ListFile readList(Folder folder, const Text &fileName);
    // Reads the elements the lines of file refer to, and theirs, until all are there.
    void readReachedElements(QList<Text> pending);
    bool step();
    void listFolders();

    const Library &m_library;
    TaskObserver *m_observer;
    bool m_whole = false;
    bool m_stopped = false;
    int m_read = 0;
    int m_expected = 1;
    std::map<Text, ContentFile> m_templates;
    std::map<Text, ContentFile> m_elements;
    QList<ListFile> m_lists;
    TextList m_inFolder[2];
};

} // namespace quorvel

#pragma once

// A sample library for the library document's tests, the document on it over files that refuse
// what a test asks them to, and the commands of the tests' tables.
#include "library/librarydocument.h"
#include "library/lines.h"
#include "tests/support/templibrary.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include <cerrno>
#include <functional>

namespace quorvel::test {

// What the three folders hold, by path from the program folder ("元素/人物.l").
using Tree = QMap<QString, QByteArray>;
// A command on the document, with what became of it.
using Action = std::function<FileResult(LibraryDocument &)>;
// An entry command on the list a view read.
using EntryCommand = std::function<EntryResult(LibraryDocument &, const ShownList &)>;

enum class Fault
{
    None,
    ListWrites,     // a list file cannot be replaced
    ContentRemoval, // a content file cannot be removed
};

// Passes everything through to the real files, but refuses what the fault names, as a file the
// user may not change would. (The tests run as root, which file modes do not stop.)
class RefusingFiles : public LocalFiles
{
public:
    using LocalFiles::LocalFiles;
    FileResult write(const QString &path, const QByteArray &bytes) override
    {
        if (fault == Fault::ListWrites && path.endsWith(u".l"))
            return FileResult::systemError(EACCES);
        return LocalFiles::write(path, bytes);
    }
    FileResult remove(const QString &path) override
    {
        if (fault == Fault::ContentRemoval && path.endsWith(u".txt"))
            return FileResult::systemError(EACCES);
        return LocalFiles::remove(path);
    }
    TrashResult moveToTrash(const QString &path) override
    {
        if (fault == Fault::ContentRemoval && path.endsWith(u".txt"))
            return {FileResult::systemError(EACCES), {}};
        return LocalFiles::moveToTrash(path);
    }
    Fault fault = Fault::None;
};

inline Text t(const char16_t *text)
{
    return gbk(QString::fromUtf16(text));
}
inline QByteArray b(const char16_t *text)
{
    return t(text).toGbk();
}
// A list file of one-character entries: lines(u"甲乙") is "甲\r\n乙\r\n".
inline QByteArray lines(const char16_t *entries)
{
    QByteArray list;
    for (const QChar entry : QString::fromUtf16(entries))
        list += gbk(entry).toGbk() + "\r\n";
    return list;
}

// The name of the file at a path such as "元素/人物.l".
inline LibraryName at(const char16_t *path)
{
    const QString whole = QString::fromUtf16(path);
    for (const Folder folder : {Folder::Templates, Folder::Elements, Folder::Projects}) {
        if (whole.section(u'/', 0, 0) == folderName(folder))
            return *LibraryName::fromFileName(folder, gbk(whole.section(u'/', 1)));
    }
    qFatal("not a library path");
}

// What a row expects a file to become when the command removes it.
const QByteArray Removed = QByteArrayLiteral("(removed)");

// The tree with the files written, or removed where they hold Removed.
inline Tree changed(Tree tree, const Tree &files)
{
    for (auto file = files.cbegin(); file != files.cend(); ++file) {
        if (file.value() == Removed)
            tree.remove(file.key());
        else
            tree.insert(file.key(), file.value());
    }
    return tree;
}

// One library for every test. The element category 人物 (甲 乙 丙): 甲's text plain, 乙's with
// bytes that are no GBK and no final CR LF, 丙 without a content file; 天气, a category with bytes
// that are no GBK; the template category 开端 without a final CR LF, beside a content file of its
// own name; the project 相遇.
inline Tree library()
{
    return {{u"元素/人物.l"_qs, lines(u"甲乙丙")},
            {u"元素/甲.txt"_qs, b(u"老人\r\n")},
            {u"元素/乙.txt"_qs, QByteArray("\xff\xfe") + b(u"孩子")},
            {u"元素/天气.l"_qs, QByteArray("\xff\xfe") + b(u"雨")},
            {u"模板/开端.l"_qs, b(u"甲\r\n乙")},
            {u"模板/开端.txt"_qs, b(u"[甲]")},
            {u"模板/乙.txt"_qs, b(u"[丙]")},
            {u"项目/相遇.l"_qs, b(u"开端\r\n结局\r\n")}};
}

// A tree as lines to compare, decoded for reading (the decoding loses no byte).
inline QStringList listing(const Tree &tree)
{
    QStringList out;
    for (auto file = tree.cbegin(); file != tree.cend(); ++file)
        out << file.key() + u" = "_qs + Text::fromGbk(file.value()).toUnicode();
    return out;
}

struct Doc
{
    Doc()
    {
        const Tree start = library();
        for (auto file = start.cbegin(); file != start.cend(); ++file)
            lib.writeBytes(file.key(), file.value());
    }
    // Hidden files too: a leftover of a save must show.
    QStringList files() const
    {
        Tree tree;
        for (const QString &folder : {u"模板"_qs, u"元素"_qs, u"项目"_qs}) {
            const QStringList names =
                QDir(lib.path(folder)).entryList(QDir::Files | QDir::Hidden | QDir::System);
            for (const QString &name : names)
                tree.insert(folder + u'/' + name, lib.readBytes(folder + u'/' + name));
        }
        return listing(tree);
    }
    int index() { return doc.undoStack().index(); }

    TempLibrary lib;
    RefusingFiles disk{lib.root()};
    LibraryDocument doc{disk, LibraryDocument::Opening::CreateFolders};
};

inline ShownList shown(LibraryDocument &doc, const LibraryName &list, bool sorted = false)
{
    Shown<TextList> read = doc.readList(list);
    return {list, read.value, read.key, sorted};
}

inline Action create(const char16_t *path)
{
    return [name = at(path)](LibraryDocument &doc) { return doc.create(name); };
}
inline Action rename(const char16_t *path, const char16_t *to)
{
    return [name = at(path), to = t(to)](LibraryDocument &doc) { return doc.rename(name, to); };
}
inline Action remove(const char16_t *path)
{
    return [name = at(path)](LibraryDocument &doc) { return doc.remove(name); };
}
inline Action write(const char16_t *path, const QByteArray &bytes)
{
    return [name = at(path), text = Text::fromGbk(bytes)](LibraryDocument &doc) {
        return doc.writeContent(name, text);
    };
}
inline Action onList(const char16_t *path, const EntryCommand &command, bool sorted = false)
{
    return [=, list = at(path)](LibraryDocument &doc) {
        return command(doc, shown(doc, list, sorted)).result;
    };
}
inline EntryCommand addEntry(const char16_t *name)
{
    return [name = t(name)](LibraryDocument &doc, const ShownList &list) {
        return doc.addEntry(list, name);
    };
}
inline EntryCommand renameEntry(int row, const char16_t *to)
{
    return [row, to = t(to)](LibraryDocument &doc, const ShownList &list) {
        return doc.renameEntry(list, row, to);
    };
}
inline EntryCommand removeEntry(int row)
{
    return
        [row](LibraryDocument &doc, const ShownList &list) { return doc.removeEntry(list, row); };
}

// A row of the command table: the command, the files it writes (or removes), its undo text.
inline void row(const char *name, const Action &action, const Tree &changes,
                const QString &undoText)
{
    QTest::newRow(name) << action << changes << undoText;
}

// What a view following the document heard since last asked. The file name is made from the
// name the change tells, without extension, and its kind.
inline QStringList heard(QSignalSpy &spy)
{
    static const QString kinds[] = {u"created"_qs, u"written"_qs, u"renamed"_qs, u"removed"_qs};
    const auto path = [](const LibraryName &name) {
        return folderName(name.folder()) + u'/' + name.fileName().toUnicode();
    };
    QStringList changes;
    for (const QList<QVariant> &arguments : std::as_const(spy)) {
        const auto change = arguments.at(0).value<LibraryChange>();
        changes << kinds[int(change.kind)] + u' ' + path(change.name);
        if (change.kind == LibraryChange::Kind::Renamed)
            changes.last() += u" from "_qs + path(change.from);
    }
    spy.clear();
    return changes;
}

} // namespace quorvel::test

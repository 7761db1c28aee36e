#pragma once

#include <QString>

namespace quorvel {

// What became of an operation on a file: done, or failed with its cause, so that the window can
// tell the user why. Tests as true when done.
class [[nodiscard]] FileResult
{
public:
    enum class Cause
    {
        None,          // done
        System,        // the file system refused: systemError() holds the errno value
        RefusedName,   // the library refused the name before asking the file system
        FolderMissing, // the library folder the file belongs in does not exist
        OutsideFolder, // the name is a symbolic link that does not lead to a file in its folder
        TooLarge,      // a file larger than the program reads
        ChangedOnDisk, // another program changed the file since the program last saw it
    };

    FileResult() = default; // done
    static FileResult done() { return FileResult(); }
    static FileResult systemError(int error) { return FileResult(Cause::System, error); }
    static FileResult refusedName() { return FileResult(Cause::RefusedName, 0); }
    static FileResult folderMissing() { return FileResult(Cause::FolderMissing, 0); }
    static FileResult outsideFolder() { return FileResult(Cause::OutsideFolder, 0); }
    static FileResult tooLarge() { return FileResult(Cause::TooLarge, 0); }
    static FileResult changedOnDisk() { return FileResult(Cause::ChangedOnDisk, 0); }

    explicit operator bool() const { return m_cause == Cause::None; }
    Cause cause() const { return m_cause; }
    int systemError() const { return m_error; }
    bool isSystemError(int error) const { return m_cause == Cause::System && m_error == error; }
    // Nothing of that name is there (a read of it gives nothing, as of an empty file).
    bool isMissing() const;

    // The cause in a few words of Chinese, for the second line of a message; empty when done.
    QString describe() const;

private:
    FileResult(Cause cause, int error) : m_cause(cause), m_error(error) {}

    Cause m_cause = Cause::None;
    int m_error = 0;
};

// What a read gave: the value, and what became of the read. A missing or unreadable file gives
// an empty value.
template <typename T> struct Loaded
{
    T value;
    FileResult result;
};

// A message about a failure, followed by its cause on a second line when the cause is known.
QString withCause(const QString &message, const FileResult &result);

// What the user is told about a file that exists but is not read: one larger than the program
// reads, or a link that leads out of its folder. Empty for every other result.
QString unreadableMessage(const FileResult &read, const QString &fileName);

} // namespace quorvel

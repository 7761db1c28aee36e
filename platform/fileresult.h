#pragma once

#include <QString>

namespace quorvel {

// What became of an operation on a file: done, or failed with its cause, so that the window can
// tell the user why. Tests as true when done.
class FileResult
{
public:
    enum class Cause
    {
        None,          // done
        System,        // the file system refused: systemError() holds the errno value
        RefusedName,   // the library refused the name before asking the file system
        FolderMissing, // the library folder the file belongs in does not exist
    };

    static FileResult done() { return FileResult(Cause::None, 0); }
    static FileResult systemError(int error) { return FileResult(Cause::System, error); }
    static FileResult refusedName() { return FileResult(Cause::RefusedName, 0); }
    static FileResult folderMissing() { return FileResult(Cause::FolderMissing, 0); }

    explicit operator bool() const { return m_cause == Cause::None; }
    Cause cause() const { return m_cause; }
    int systemError() const { return m_error; }

    // The cause in a few words of Chinese, for the second line of a message; empty when done.
    QString describe() const;

private:
    FileResult(Cause cause, int error) : m_cause(cause), m_error(error) {}

    Cause m_cause;
    int m_error;
};

// A message about a failure, followed by its cause on a second line when the cause is known.
QString withCause(const QString &message, const FileResult &result);

} // namespace quorvel

#pragma once

#include "library/library.h"
#include "platform/files.h"
#include "platform/text.h"

#include <QHash>
#include <QList>

#include <memory>

namespace quorvel {

// The text of a content file as one use found it, with its lines (cut at CR LF, as splitLines()
// cuts them) at hand without a scan when the text was indexed.
class ContentLines
{
public:
    ContentLines(Text text, FileResult result, bool indexed);

    const Text &text() const { return m_text; }
    // What became of the read: a missing file and a file too large to read give no lines.
    const FileResult &result() const { return m_result; }
    int count() const { return m_count; }
    // Line index (from 0, below count()).
    QByteArrayView line(int index) const;
    // Bytes held for the text and its index.
    qint64 cost() const;

private:
    Text m_text;
    FileResult m_result;
    int m_count = 0;
    QList<quint32> m_starts; // where each line starts, when indexed
};

// The content files the generator uses, each as it is on disk at the moment of use. Before each
// use the file's key is asked of the file system; bytes held from an earlier read are used only
// while the key is the same, and only once the file's change time was safely older than that
// read, since a change within the same tick of the file system's clock may leave every time as
// it was (git's rule for racily clean files). Anything else is read afresh. Held bytes are
// bounded, the least recently used going first; a file larger than the bound is read, used and
// not held. Files on file systems that do not keep their own times are never held.
class ContentCache
{
public:
    struct Options
    {
        qint64 budget = qint64(64) << 20; // bytes held, text and line index
        bool enabled = true;              // false: every use reads the file
    };

    explicit ContentCache(const Library &library);
    ContentCache(const Library &library, Options options);

    // The content file of that name in the folder, as it is now. A name the library refuses
    // reads as an empty text with that result.
    std::shared_ptr<const ContentLines> load(Folder folder, const Text &fileName);

    qint64 heldBytes() const { return m_held; }

private:
    struct Entry
    {
        NativePath path;
        bool refused = false;
        FileKey key;
        qint64 readAt = 0; // when the held bytes were read, nanoseconds since the epoch
        std::shared_ptr<const ContentLines> content;
        quint64 lastUse = 0;
    };

    Entry &entryFor(Folder folder, const Text &fileName);
    bool isTrusted(const Entry &entry) const;
    void hold(Entry &entry, std::shared_ptr<const ContentLines> content, const FileKey &key,
              qint64 readAt);
    void drop(Entry &entry);
    void makeRoom(qint64 needed);

    const Library &m_library;
    Options m_options;
    QHash<Text, Entry> m_entries[3]; // by folder
    qint64 m_held = 0;
    quint64 m_uses = 0;
};

} // namespace quorvel

#include "library/contentcache.h"

#include "library/lines.h"

#include <ctime>

namespace quorvel {

namespace {

// A change made within this long before a read may have left the file's times as they were when
// it was read: the file system's clock moves in ticks (4 ms at most on Linux), so a held file is
// trusted once its change time is older than the read by this much. A file system that stores
// whole seconds needs whole seconds.
constexpr qint64 FineMargin = 20'000'000;      // nanoseconds
constexpr qint64 CoarseMargin = 3'000'000'000; // nanoseconds

// More names than this are forgotten, except those whose bytes are held: a hostile library may
// name millions of elements.
constexpr qsizetype MostNames = 100'000;

qint64 now()
{
    timespec time;
    ::clock_gettime(CLOCK_REALTIME, &time);
    return qint64(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

int folderIndex(Folder folder)
{
    return int(folder);
}

} // namespace

ContentLines::ContentLines(Text text, FileResult result, bool indexed)
    : m_text(std::move(text)), m_result(result)
{
    const QByteArrayView bytes = m_text.view();
    if (!indexed) {
        m_count = countLines(bytes);
        return;
    }
    m_starts = lineStarts(bytes);
    m_count = int(m_starts.size());
}

QByteArrayView ContentLines::line(int index) const
{
    return m_starts.isEmpty() ? lineAt(m_text.view(), index)
                              : lineAt(m_text.view(), m_starts, index);
}

qint64 ContentLines::cost() const
{
    return m_text.size() + m_starts.size() * qint64(sizeof(quint32));
}

ContentCache::ContentCache(const Library &library) : ContentCache(library, Options()) {}

ContentCache::ContentCache(const Library &library, Options options)
    : m_library(library), m_options(options)
{
}

std::shared_ptr<const ContentLines> ContentCache::load(Folder folder, const Text &fileName)
{
    Entry &entry = entryFor(folder, fileName);
    entry.lastUse = ++m_uses;
    if (entry.refused)
        return std::make_shared<const ContentLines>(Text(), FileResult::refusedName(), false);
    const Files &files = m_library.files();
    const std::optional<FileKey> key =
        m_options.enabled ? files.key(entry.path) : std::optional<FileKey>();
    if (entry.content && key && *key == entry.key && isTrusted(entry))
        return entry.content;

    const qint64 readAt = now();
    Loaded<QByteArray> read = files.read(entry.path);
    const bool holdable = key && key->keepsTimes && read.result && read.value.size() == key->size &&
                          read.value.size() <= m_options.budget;
    auto content = std::make_shared<const ContentLines>(Text::fromGbk(std::move(read.value)),
                                                        read.result, holdable);
    if (holdable && content->cost() <= m_options.budget)
        hold(entry, content, *key, readAt);
    else
        drop(entry);
    return content;
}

ContentCache::Entry &ContentCache::entryFor(Folder folder, const Text &fileName)
{
    QHash<Text, Entry> &entries = m_entries[folderIndex(folder)];
    const auto found = entries.find(fileName);
    if (found != entries.end())
        return *found;
    if (entries.size() >= MostNames) {
        for (auto it = entries.begin(); it != entries.end();)
            it = it->content ? std::next(it) : entries.erase(it);
    }
    Entry entry;
    if (const auto path = m_library.pathOf(folder, fileName))
        entry.path = Files::nativePath(*path);
    else
        entry.refused = true;
    return *entries.insert(fileName, std::move(entry));
}

bool ContentCache::isTrusted(const Entry &entry) const
{
    const bool wholeSeconds =
        entry.key.changed % 1'000'000'000 == 0 && entry.key.modified % 1'000'000'000 == 0;
    return entry.readAt - entry.key.changed >= (wholeSeconds ? CoarseMargin : FineMargin);
}

void ContentCache::hold(Entry &entry, std::shared_ptr<const ContentLines> content,
                        const FileKey &key, qint64 readAt)
{
    drop(entry);
    makeRoom(content->cost());
    m_held += content->cost();
    entry.content = std::move(content);
    entry.key = key;
    entry.readAt = readAt;
}

void ContentCache::drop(Entry &entry)
{
    if (!entry.content)
        return;
    m_held -= entry.content->cost();
    entry.content.reset();
}

void ContentCache::makeRoom(qint64 needed)
{
    // The least recently used go first. Held files are few (the bound holds a few hundred
    // hand-made elements), so a scan for the oldest is cheap next to the read that needs room.
    while (m_held + needed > m_options.budget) {
        Entry *oldest = nullptr;
        for (QHash<Text, Entry> &entries : m_entries) {
            for (Entry &entry : entries) {
                if (entry.content && (!oldest || entry.lastUse < oldest->lastUse))
                    oldest = &entry;
            }
        }
        if (!oldest)
            return;
        drop(*oldest);
    }
}

} // namespace quorvel
